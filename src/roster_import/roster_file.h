#pragma once

#include "workbook/sheet.h"

#include <QString>
#include <QStringList>

namespace roster_import {

struct RosterFile {
    workbook::Format format = workbook::Format::Xls;
    workbook::WorkbookContent content;
};

// Reads the file the operator chose, by its extension (.xls, .xlsx, .csv, in any case), with
// the wanted sheets of a workbook; a file too large to be a roster is refused before reading.
RosterFile readRosterFile(const QString& path, const QStringList& wantedSheets);

} // namespace roster_import
