#pragma once

#include "workbook/sheet.h"

#include <QByteArray>
#include <QString>

namespace workbook {

// The one sheet of a CSV file, named after the file (without its extension):
// - the encoding: a byte-order mark (UTF-8, UTF-16), else UTF-8 when the bytes are valid UTF-8,
//   else GB18030 (which covers GBK and GB2312);
// - the separator: comma or tab, whichever the first line has more of; a first line "sep=;"
//   names it;
// - quoted fields may hold separators, line breaks and doubled quotes.
WorkbookContent readCsv(const QByteArray& file, const QString& fileName);

} // namespace workbook
