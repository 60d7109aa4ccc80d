#pragma once

#include <QDateTime>
#include <QString>

namespace common {

// The Chinese long date both window programs show, e.g. "2026年12月8日".
QString longDateText(const QDate& date);
// The half-day designator "上午" or "下午".
QString ampmText(const QTime& time);
// The designator with the 12-hour clock, e.g. "下午 02:05:09".
QString ampmTimeText(const QTime& time);

} // namespace common
