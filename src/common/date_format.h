#pragma once

#include <QDateTime>
#include <QString>

// The Chinese long date, e.g. "2026年12月8日 星期二".
QString longDateText(const QDate& date);
// The half-day designator "上午" or "下午".
QString ampmText(const QTime& time);
// The 12-hour clock after its designator, e.g. "下午 02:05:09".
QString ampmTimeText(const QTime& time);
