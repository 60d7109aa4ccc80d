#pragma once

#include "db/database.h"

#include <QString>

namespace reports {

// What the draw ledger says under a saved draw, in the words of the conclusion: how often its
// subject was stopped and which of those stops the save named ("本科目共抽签3次，保存的是第3次"),
// and the newest row of the chain as a code in the 校验码 style ("记录链:3F2A-9C1B-77E0-D415"),
// so that paper handed out no longer matches a ledger rewritten later. A text is empty where the
// file holds nothing to say it: no ledger yet, or a draw saved before the ledger began.
struct LedgerLines {
    QString stops;
    QString head;
};
LedgerLines ledgerLines(const db::Database& db, int project, const QString& subject, const QString& drawTime);

} // namespace reports
