#pragma once

#include "common/run_state.h"

#include <QDateTime>

namespace common {

// Index into `table` of the current subject at `now`, or -1. A subject is current from
// `leadMinutes` before its start until 10 minutes after its end, counted in minute
// boundaries (seconds ignored), and only on the date and in the half-day (morning or
// afternoon) of its start. The first qualifying entry in timetable order wins.
int currentSubjectIndex(const QVector<SubjectEntry>& table, const QDateTime& now, int leadMinutes);

// Minute boundaries from `from` to `to` (both truncated to the minute).
qint64 minuteBoundaries(const QDateTime& from, const QDateTime& to);

inline constexpr int kDrawLeadMinutes = 120;
inline constexpr int kCountdownLeadMinutes = 60;
inline constexpr int kTailMinutes = 10;

// The current subject's value when no subject is current.
inline const QString kNoExamTime = QStringLiteral("非考试时间");

} // namespace common
