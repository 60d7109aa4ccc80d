#pragma once

#include "db/database.h"
#include "draw/draw_types.h"

#include <QString>
#include <QVector>

namespace engine {

// Loads the rooms, invigilators, B tallies and outside supervisors of `project`.
WorkingSet loadWorkingSet(const db::Database& db, int project);

// The duty list of one kind ("场外监考" or "验卷") of `project`, in 分组号 order; index 0 unused.
QVector<DutyRow> loadDutyList(const db::Database& db, int project, const QString& kind);

} // namespace engine
