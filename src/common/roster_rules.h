#pragma once

#include <QString>

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

// A subject names its report files: it must not hold ? * : < > \ / | or a double quote,
// nor begin with a space.
bool isValidFileNameText(const QString& text);

} // namespace common
