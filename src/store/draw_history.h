#pragma once

// The histories a draw respects, as the project's saved batches hold them.

#include "db/database.h"
#include "draw/draw_types.h"

#include <QString>
#include <QVector>

namespace engine {

// The pairing history: every 监考员 row of the project's latest four batches (any subject).
QVector<HistoryRow> loadPairingHistory(const db::Database& db, int project);
// The duty history of one kind ("场外监考" or "验卷") for a list of `people` rows: none with
// two or fewer people, otherwise the latest min(people - 1, 4) batches.
QVector<HistoryRow> loadDutyHistory(const db::Database& db, int project, const QString& kind, int people);

} // namespace engine
