#include "common/date_format.h"

#include <QLocale>

QString longDateText(const QDate& date) {
    return QLocale(QLocale::Chinese, QLocale::China).toString(date, QStringLiteral("yyyy年M月d日 dddd"));
}

QString ampmText(const QTime& time) { return time.hour() < 12 ? QStringLiteral("上午") : QStringLiteral("下午"); }

QString ampmTimeText(const QTime& time) {
    const int h12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return ampmText(time) + QLatin1Char(' ') +
           QStringLiteral("%1:%2:%3")
               .arg(h12, 2, 10, QLatin1Char('0'))
               .arg(time.minute(), 2, 10, QLatin1Char('0'))
               .arg(time.second(), 2, 10, QLatin1Char('0'));
}
