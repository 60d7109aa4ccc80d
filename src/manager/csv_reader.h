#pragma once

#include "manager/sheet.h"

#include <QByteArray>
#include <QString>

namespace manager {

// One category of people from a CSV file, as a sheet named after the category:
// - the category: a header row with "监考员甲" is 监考员; otherwise the file name decides by
//   containing "验卷", "场外监考" or "监考员" (looked for in that order);
// - the encoding: a byte-order mark (UTF-8, UTF-16), else UTF-8 when the bytes are valid UTF-8,
//   else GB18030 (which covers GBK and GB2312);
// - the separator: comma or tab, whichever the first line has more of; a first line "sep=;"
//   names it;
// - quoted fields may hold separators, line breaks and doubled quotes.
WorkbookContent readCsv(const QByteArray& file, const QString& fileName);

} // namespace manager
