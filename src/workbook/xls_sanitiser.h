#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace workbook {

struct SanitisedWorkbook {
    QByteArray file;        // a clean Excel 97-2003 workbook holding the wanted sheets
    QStringList sheetNames; // every worksheet of the original, in order
    QString failure;        // why the original cannot be read; empty on success
};

// Reads an Excel 97-2003 workbook with every length, index and chain checked, and writes the
// cells of the wanted worksheets into a fresh workbook of our own writer's making. FreeXL then
// reads that copy: it only ever sees well-formed records, bounded dimensions and plain shared
// strings. On the way, formula results become their values (FreeXL skips formulas), true/false
// and error cells become the text the sheet shows, and numbers in a date format outside the
// calendar become plain numbers.
SanitisedWorkbook sanitiseXls(const QByteArray& file, const QStringList& wantedSheets);

} // namespace workbook
