#include "common/roster_rules.h"

#include <QList>

#include <string>

namespace common {

namespace {

constexpr char32_t kIdeographicSpace = U'\u3000';

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
