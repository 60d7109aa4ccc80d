#pragma once

#include <QString>
#include <QStringList>

// How the data-management program writes room numbers, names and subjects, whether they
// are typed into an editor or read from a workbook.
namespace common {

// A typed room number padded towards the project's width: "000" + text, rightmost `width`
// characters (with width 3, "7" becomes "007"; with 2, "123" becomes "23"; at most three
// zeros are ever added). A width below 1 leaves the text as it is.
QString padTypedRoomNumber(const QString& text, int width);

// The same for a group number read from a workbook, where up to five zeros are added:
// "00000" + text, rightmost `width` characters.
QString padImportedRoomNumber(const QString& text, int width);

// Spaces and ideographic spaces removed; a name of exactly two characters gets one
// ideographic space between them, so that it lines up with three-character names.
QString normaliseName(const QString& name);

// A group number as a person meant it: blanks (ASCII and full-width) trimmed and full-width
// digits folded to ASCII, so " 7", "８" and "００７" pad like "7" and "007".
QString cleanRoomNumber(const QString& text);

// Whether a cleaned group number is made of ASCII digits only.
bool isDigitsOnly(const QString& text);

// A text without what pastes and exports bring along unseen: control characters (TAB, line
// breaks), format characters (zero-width characters, the bidirectional controls U+202A-U+202E
// and U+2066-U+2069 that show a text reversed) and line separators are removed; a no-break
// space and the other typographic spaces become an ASCII space. Ideographic spaces stay.
QString plainText(const QString& text);

// The characters plainText changes in `text`, each once, as "U+00A0", in order of appearance.
QStringList invisibleCharacters(const QString& text);

// Characters, not UTF-16 units: a character outside the basic plane counts once.
int characterCount(const QString& text);

// Longest texts the import and the editors accept, in characters: generous enough for any
// real name, short enough to keep the room boxes, the preview and the reports readable.
inline constexpr int kMaxNameLength = 30;   // 姓名
inline constexpr int kMaxTitleLength = 100; // 来源单位, 科目, 考试名称, 考点名称

// "姓名不能超过30个字符！": the editors' message for a text over its limit.
QString tooLongText(const QString& field, int limit);

// A subject names its report files: it must not hold ? * : < > \ / | or a double quote,
// nor begin with a space.
bool isValidFileNameText(const QString& text);

} // namespace common
