#include "workbook/cell_text.h"

#include <QDate>

#include <cmath>

namespace workbook {

namespace {

// 9999-12-31 in the 1900 system: the last day a spreadsheet shows as a date.
constexpr double kLastDateSerial = 2958465.0;

QString dateText(qint64 days, bool date1904) {
    if (date1904)
        return QDate(1904, 1, 1).addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    // The 1900 system counts a 29 February 1900 that never was; serials before it are one
    // day off the true calendar.
    if (days == 60)
        return QStringLiteral("1900-02-29");
    if (days < 1)
        return QStringLiteral("1900-01-01");
    const QDate base = days < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
    return base.addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
}

QString timeText(double fraction) {
    const long seconds = std::lround(fraction * 86400.0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

bool isElapsedTimeBracket(QStringView inner) {
    const QString lower = inner.toString().toLower();
    for (const QChar c : lower) {
        if (c != lower.front())
            return false;
    }
    return !lower.isEmpty() && QStringView(u"hms").contains(lower.front());
}

} // namespace

QString numberText(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'G', 15);
}

NumberFormatKind classifyNumberFormat(const QString& code) {
    if (code.trimmed() == QLatin1String("@"))
        return NumberFormatKind::Text;
    bool y = false, m = false, d = false, h = false, s = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == QLatin1Char('"')) {
            const qsizetype end = code.indexOf(QLatin1Char('"'), i + 1);
            i = end < 0 ? code.size() : end;
            continue;
        }
        if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // the next character is shown as it is
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype end = code.indexOf(QLatin1Char(']'), i + 1);
            const QStringView inner = QStringView(code).mid(i + 1, end < 0 ? -1 : end - i - 1);
            if (isElapsedTimeBracket(inner)) {
                const char unit = inner.front().toLower().toLatin1();
                h = h || unit == 'h';
                m = m || unit == 'm';
                s = s || unit == 's';
            }
            i = end < 0 ? code.size() : end;
            continue;
        }
        if (code.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            i += 4;
            continue;
        }
        switch (c.toLower().unicode()) {
        case 'y':
            y = true;
            break;
        case 'm':
            m = true;
            break;
        case 'd':
            d = true;
            break;
        case 'h':
            h = true;
            break;
        case 's':
            s = true;
            break;
        default:
            break;
        }
    }
    if (y && m && d && h)
        return NumberFormatKind::DateTime;
    if ((y && m) || (m && d))
        return NumberFormatKind::Date;
    if ((h && m) || (m && s))
        return NumberFormatKind::Time;
    return NumberFormatKind::Plain;
}

NumberFormatKind builtinNumberFormatKind(int id) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) || id == 57 ||
        id == 58)
        return NumberFormatKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47) || id == 55 || id == 56)
        return NumberFormatKind::Time;
    if (id == 22)
        return NumberFormatKind::DateTime;
    if (id == 49)
        return NumberFormatKind::Text;
    return NumberFormatKind::Plain;
}

bool isDateSerial(double serial) {
    return std::isfinite(serial) && serial >= 0.0 && serial < kLastDateSerial + 1.0;
}

QString serialDateText(double serial, NumberFormatKind kind, bool date1904) {
    const double days = std::floor(serial);
    switch (kind) {
    case NumberFormatKind::Date:
        return dateText(static_cast<qint64>(days), date1904);
    case NumberFormatKind::DateTime:
        return dateText(static_cast<qint64>(days), date1904) + QLatin1Char(' ') + timeText(serial - days);
    case NumberFormatKind::Time:
        return timeText(serial - days);
    case NumberFormatKind::Plain:
    case NumberFormatKind::Text:
        break;
    }
    return numberText(serial);
}

} // namespace workbook
