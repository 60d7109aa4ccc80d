#pragma once

#include "common/run_state.h"

#include <QString>
#include <QStringList>

namespace manager {

// A check of an editor's fields that failed: its message (title kCheckTitle, exclamation
// icon) and the objectName of the control that gets the focus.
struct FieldError {
    QString text;
    QString focus;
    bool operator==(const FieldError&) const = default;
};

inline const QString kCheckTitle = QStringLiteral("错误");
inline const QString kDeleteTitle = QStringLiteral("警告");

// `typed` without invisible characters (common::plainText). When it had any, one line for the
// warning the editor shows before saving: "姓名中有不可见字符（U+202E），已改为“名fdp.exe”。"
QString plainField(const QString& typed, const QString& field, QStringList& warnings);

// Asked before a delete (Yes/No, No the default, information icon).
QString deleteConfirmText();

// The header of the timetable and roster editors: exam name over site name.
QString headerText(const common::RunState& state);

// Message texts break lines with "\n" only: a Qt message box shows "\r\n" exactly like it,
// and one spelling keeps the write guard's text in one place (common::readOnlyWriteText()).

} // namespace manager
