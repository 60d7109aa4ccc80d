#include "common/roster_rules.h"

#include <QList>

#include <algorithm>

#include <string>

namespace common {

namespace {

constexpr char32_t kIdeographicSpace = U'\u3000';

enum class Unseen { Keep, Space, Remove };

Unseen unseen(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return Unseen::Remove;
    case QChar::Separator_Space:
        return c == U' ' || c == kIdeographicSpace ? Unseen::Keep : Unseen::Space;
    default:
        return Unseen::Keep;
    }
}

QString padded(const QString& zeros, const QString& text, int width) {
    if (width < 1)
        return text;
    return QString(zeros + text).right(width);
}

} // namespace

QString padTypedRoomNumber(const QString& text, int width) {
    return padded(QStringLiteral("000"), text, width);
}

QString padImportedRoomNumber(const QString& text, int width) {
    return padded(QStringLiteral("00000"), text, width);
}

QString normaliseName(const QString& name) {
    // Counted in characters, not UTF-16 units: a rare character outside the basic plane
    // (𠀋) is one character of the name.
    std::u32string kept;
    for (const uint c : name.toUcs4()) {
        if (c != U' ' && c != kIdeographicSpace)
            kept.push_back(char32_t(c));
    }
    if (kept.size() == 2)
        kept.insert(kept.begin() + 1, kIdeographicSpace);
    return QString::fromUcs4(kept.data(), qsizetype(kept.size()));
}

QString cleanRoomNumber(const QString& text) {
    QString out = text.trimmed();
    for (QChar& c : out) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return out;
}

bool isDigitsOnly(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

QString plainText(const QString& text) {
    std::u32string kept;
    for (const uint c : text.toUcs4()) {
        switch (unseen(char32_t(c))) {
        case Unseen::Keep:
            kept.push_back(char32_t(c));
            break;
        case Unseen::Space:
            kept.push_back(U' ');
            break;
        case Unseen::Remove:
            break;
        }
    }
    return QString::fromUcs4(kept.data(), qsizetype(kept.size()));
}

QStringList invisibleCharacters(const QString& text) {
    QStringList codes;
    for (const uint c : text.toUcs4()) {
        if (unseen(char32_t(c)) == Unseen::Keep)
            continue;
        const QString code = QStringLiteral("U+%1").arg(c, 4, 16, QLatin1Char('0')).toUpper();
        if (!codes.contains(code))
            codes << code;
    }
    return codes;
}

int characterCount(const QString& text) {
    return int(text.toUcs4().size());
}

QString tooLongText(const QString& field, int limit) {
    return field + QStringLiteral("不能超过") + QString::number(limit) + QStringLiteral("个字符！");
}

bool isValidFileNameText(const QString& text) {
    if (text.startsWith(QLatin1Char(' ')))
        return false;
    for (const QChar c : text) {
        if (QStringView(u"?*:<>\\/|\"").contains(c))
            return false;
    }
    return true;
}

} // namespace common
