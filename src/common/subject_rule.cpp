#include "common/subject_rule.h"

#include "db/date_text.h"

namespace common {

namespace {

qint64 minuteNumber(const QDateTime& t) {
    return QDateTime(t.date(), QTime(0, 0)).toSecsSinceEpoch() / 60 + t.time().hour() * 60 +
           t.time().minute();
}

bool morning(const QTime& t) {
    return t.hour() < 12;
}

} // namespace

qint64 minuteBoundaries(const QDateTime& from, const QDateTime& to) {
    return minuteNumber(to) - minuteNumber(from);
}

int currentSubjectIndex(const QVector<SubjectEntry>& table, const QDateTime& now, int leadMinutes) {
    for (int i = 0; i < table.size(); ++i) {
        const SubjectEntry& e = table[i];
        if (e.subject.isEmpty())
            continue;
        const auto start = db::parseDateText(e.start);
        if (!start || start->date() != now.date() || morning(start->time()) != morning(now.time()))
            continue;
        const QDateTime end = start->addSecs(qint64(e.minutes.trimmed().toDouble()) * 60);
        if (minuteBoundaries(now, *start) < leadMinutes && minuteBoundaries(end, now) < kTailMinutes)
            return i;
    }
    return -1;
}

} // namespace common
