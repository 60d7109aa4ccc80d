#pragma once

#include "db/database.h"

#include <QString>

// What examdb server copy and examdb backup say about a copy they made.
namespace cli {

struct CopyCheck {
    qint64 rows = 0;    // in the copy's tables
    int batches = 0;    // saved batches (not counting deletion records)
    int consistent = 0; // of them, those whose certificate holds
    QString difference; // where the copy differs from the original; empty when it does not
};

// The rows and the verdicts on the saved batches of `copy`; with `original`, each table's rows,
// each batch's verdict and the draw ledger's compared with it. Both are read as they stand: in the
// transactions the copy was made in, so that nobody's save falls between the two.
CopyCheck checkCopy(db::Database& copy, db::Database* original = nullptr);

// "9 张数据表，共 1234 行；抽签批次 3 批（一致 3 批）"
QString copySummary(const CopyCheck& check);

} // namespace cli
