#include "manager/timetable_rules.h"

#include "common/roster_rules.h"
#include "db/date_text.h"

#include <cmath>

namespace manager {

namespace {

std::optional<double> minutesValue(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QVariant minutesColumn(double minutes) {
    if (minutes == static_cast<int>(minutes))
        return static_cast<int>(minutes);
    return minutes;
}

QDateTime inYear(const QDateTime& t, int year) {
    const QDate d = t.date();
    // 29 February of a template year falls on the 28th in a common year.
    const int day = std::min(d.day(), QDate(year, d.month(), 1).daysInMonth());
    return QDateTime(QDate(year, d.month(), day), t.time());
}

} // namespace

TimetableInput plainTimetable(const TimetableInput& in, QStringList& warnings) {
    TimetableInput out = in;
    out.subject = plainField(in.subject, QStringLiteral("科目"), warnings);
    return out;
}

std::optional<FieldError> checkTimetable(const TimetableInput& in) {
    const QString subject = QStringLiteral("Txt科目"), start = QStringLiteral("Txt开考时间"),
                  minutes = QStringLiteral("Txt持续时间");
    if (in.subject.isEmpty())
        return FieldError{QStringLiteral("科目为必填项目！"), subject};
    if (!common::isValidFileNameText(in.subject))
        return FieldError{QStringLiteral("科目中存在不能用作文件名的字符，将导致无法输出报表！"), subject};
    if (common::characterCount(in.subject) > common::kMaxTitleLength)
        return FieldError{common::tooLongText(QStringLiteral("科目"), common::kMaxTitleLength), subject};
    if (!db::parseDateText(in.start))
        return FieldError{QStringLiteral("开考时间必须常规日期格式！\n\n比如: 2005-6-7 9:00"), start};
    const std::optional<double> m = minutesValue(in.minutes);
    if (!m)
        return FieldError{QStringLiteral("持续时间必须为数字！"), minutes};
    if (*m > 180)
        return FieldError{QStringLiteral("考试时间不会超过180分钟哦？！如确实需要，请定制软件。"), minutes};
    if (*m < 30)
        return FieldError{QStringLiteral("考试时间不会小于30分钟哦？！时间应该是以分钟为单位。"), minutes};
    return std::nullopt;
}

Fields timetableFields(const TimetableInput& in, int project) {
    const std::optional<QDateTime> start = db::parseDateText(in.start);
    return {{QStringLiteral("科目"), in.subject},
            {QStringLiteral("开考时间"), start ? db::toDateText(*start) : in.start},
            {QStringLiteral("时长"), minutesColumn(minutesValue(in.minutes).value_or(0))},
            {QStringLiteral("项目编号"), project}};
}

TimetableInput shownTimetable(const db::Row& row) {
    return {db::text(row, QStringLiteral("科目")), db::text(row, QStringLiteral("开考时间")),
            db::text(row, QStringLiteral("时长"))};
}

SourceDefinition timetableDefinition(int project) {
    SourceDefinition d;
    d.table = QStringLiteral("时间安排");
    // The standard timetables share the table; they are never a project's own subjects.
    d.from =
        QStringLiteral("(select * from 时间安排 where 项目编号=? and coalesce(分类,'') not in (?, ?)) sj");
    d.fromValues = {project, QStringLiteral("中考"), QStringLiteral("高考")};
    // 编号 breaks ties, so that subjects starting together keep their place from page to page.
    d.order = QStringLiteral("开考时间, 编号");
    d.removeWhere = QStringLiteral("项目编号=? and 编号=?");
    d.removeValues = {project};
    d.rowText = [](const db::Row& r, int position) -> QString {
        return QString::number(position) + QStringLiteral(".  ") + db::text(r, QStringLiteral("科目")) +
               QStringLiteral("  ") + db::text(r, QStringLiteral("开考时间")) + QStringLiteral("  ") +
               db::text(r, QStringLiteral("时长")) + QStringLiteral("分钟");
    };
    return d;
}

int fillFromStandard(db::Database& db, int project, StandardTimetable kind, int year) {
    const QString category =
        kind == StandardTimetable::Zhongkao ? QStringLiteral("中考") : QStringLiteral("高考");
    const db::Rows rows =
        db.query(QStringLiteral("select * from 时间安排 where 分类=? order by 开考时间, 编号"), {category});
    db::Transaction t(db);
    for (const db::Row& r : rows) {
        const QString stored = db::text(r, QStringLiteral("开考时间"));
        const std::optional<QDateTime> start = db::parseDateText(stored);
        db.exec(QStringLiteral("insert into 时间安排 (科目, 开考时间, 时长, 项目编号) values (?, ?, ?, ?)"),
                {r.value(QStringLiteral("科目")), start ? db::toDateText(inYear(*start, year)) : stored,
                 r.value(QStringLiteral("时长")), project});
    }
    t.commit();
    return static_cast<int>(rows.size());
}

TimetablePanels timetablePanels(int count) {
    return {count > 0, count > 0, count == 0};
}

} // namespace manager
