#include "common/date_format.h"

namespace common {

QString longDateText(const QDate& date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString ampmText(const QTime& time) {
    return time.hour() < 12 ? QStringLiteral("上午") : QStringLiteral("下午");
}

QString ampmTimeText(const QTime& time) {
    const int h12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return ampmText(time) + QLatin1Char(' ') +
           QStringLiteral("%1:%2:%3")
               .arg(h12, 2, 10, QLatin1Char('0'))
               .arg(time.minute(), 2, 10, QLatin1Char('0'))
               .arg(time.second(), 2, 10, QLatin1Char('0'));
}

} // namespace common
