#pragma once

#include "common/run_state.h"

#include <QString>

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

// Asked before a delete (Yes/No, No the default, information icon).
QString deleteConfirmText();

// The header of the timetable and roster editors: exam name over site name.
QString headerText(const common::RunState& state);

// Message texts break lines with "\n" only: a Qt message box shows "\r\n" exactly like it,
// and one spelling keeps the write guard's text in one place (common::readOnlyWriteText()).

} // namespace manager
