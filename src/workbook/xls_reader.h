#pragma once

#include "workbook/sheet.h"

#include <QByteArray>
#include <QStringList>

namespace workbook {

// The wanted sheets of an Excel 97-2003 workbook (.xls). FreeXL reads the cells from a checked
// copy of the file (see sanitiseXls), so a damaged or hostile file ends in a failure text.
WorkbookContent readXls(const QByteArray& file, const QStringList& wantedSheets);

} // namespace workbook
