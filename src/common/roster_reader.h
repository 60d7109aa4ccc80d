#pragma once

#include "db/database.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

namespace common {

// One invigilator as the roster holds them; NULL stays NULL (a NULL gender or unit equals
// nothing in the draw).
struct RosterPerson {
    QVariant name, sex, unit, phone, id;
};

// A room of the roster with its invigilators A and B.
struct RosterRoom {
    QVariant room; // 分组号
    RosterPerson a, b;
};

// The project's invigilator rooms in 分组号 order, each with its A and B; a later row for
// the same room and duty replaces an earlier one, a row with another duty is skipped. The
// draw's working set and the base data report both read the roster through this.
QVector<RosterRoom> readRosterRooms(const db::Database& db, int project);

// The roster rows of the duty kinds `kinds` ("场外监考", "验卷") of the project, ordered by
// `orderBy` (column names, e.g. "分组号"), or as stored when it is empty.
db::Rows readDutyRows(const db::Database& db, int project, const QStringList& kinds,
                      const QString& orderBy = {});

} // namespace common
