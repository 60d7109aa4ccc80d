#pragma once

#include "manager/sheet.h"

#include <QString>
#include <QStringList>

namespace manager {

struct RosterFile {
    RosterFormat format = RosterFormat::Xls;
    WorkbookContent content;
};

// Reads the file the operator chose, by its extension (.xls, .xlsx, .csv, in any case), with
// the wanted sheets of a workbook; a file too large to be a roster is refused before reading.
RosterFile readRosterFile(const QString& path, const QStringList& wantedSheets);

} // namespace manager
