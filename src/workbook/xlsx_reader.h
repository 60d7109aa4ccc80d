#pragma once

#include "workbook/sheet.h"

#include <QByteArray>
#include <QStringList>

namespace workbook {

// The wanted sheets of an Excel 2007 and later workbook (.xlsx): QuaZip opens the zip, the
// sheet XML is read as a stream. Shared and inline strings, numbers, true/false and the cached
// results of formulas come back as the text the sheet shows; numbers in a date or time format
// as "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss" or "HH:mm:ss"; a number in a text ("@") cell as it
// was stored. Zip entries are read up to a size limit, whatever their headers claim, and XML
// with a document type declaration is refused, so that no entity is ever expanded.
WorkbookContent readXlsx(const QByteArray& file, const QStringList& wantedSheets);

} // namespace workbook
