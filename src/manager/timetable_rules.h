#pragma once

#include "manager/editor_texts.h"
#include "manager/record_source.h"

#include <optional>

namespace manager {

// What the timetable editor's three fields hold.
struct TimetableInput {
    QString subject; // Txt科目
    QString start;   // Txt开考时间
    QString minutes; // Txt持续时间
};

// The subject without invisible characters, and a warning line when it had any.
TimetableInput plainTimetable(const TimetableInput& input, QStringList& warnings);

// The six checks in order, with the subject's length after the file-name check; the first
// that fails.
std::optional<FieldError> checkTimetable(const TimetableInput& input);

// The columns written for checked input: the start as ISO text whatever form was typed,
// the duration as a number (fractions kept).
Fields timetableFields(const TimetableInput& input, int project);

// The field texts of a stored record.
TimetableInput shownTimetable(const db::Row& row);

// The current project's subjects in 开考时间 order; the grid row is
// "<position>.  <科目>  <开考时间>  <时长>分钟".
SourceDefinition timetableDefinition(int project);

enum class StandardTimetable { Zhongkao, Gaokao }; // 分类 "中考" / "高考"

// Copies every row of a standard timetable into `project`, moved to `year` with month, day
// and time kept and 分类 left empty, in one transaction. The number of subjects added.
int fillFromStandard(db::Database& db, int project, StandardTimetable kind, int year);

// Which panel the editor shows: the fields with records, the fill offer without.
struct TimetablePanels {
    bool scrollEnabled, fieldsVisible, fillVisible; // VScroll1, Frame2, Frame1
};
TimetablePanels timetablePanels(int count);

inline const QString kStartToolTip = QStringLiteral("格式要求: 2005-6-7 9:00");
inline const QString kEmptyTimetableText = QStringLiteral("未见任何数据，你可以按默认数据自动填充");

} // namespace manager
