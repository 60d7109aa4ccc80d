#pragma once

#include <QString>

namespace common {

// Is `value` in the delimited `list`? Items are trimmed; one trailing delimiter is
// ignored; an empty list holds nothing. Mode 0: value contains an item; 1: begins with
// it; 2: ends with it; 3: equals it. Comparison is exact (binary).
bool CheckTextIN(const QString& value, const QString& list, const QString& delimiter, int mode);

} // namespace common
