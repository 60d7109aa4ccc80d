#include "cli/copy_check.h"

#include "audit/verify.h"
#include "db/copy_rows.h"

namespace cli {

namespace {

using Status = engine::BatchVerdict::Status;

bool sameVerdict(const engine::BatchVerdict& a, const engine::BatchVerdict& b) {
    return a.status == b.status && a.project == b.project && a.batch == b.batch && a.code == b.code;
}

} // namespace

CopyCheck checkCopy(db::Database& copy, db::Database* original) {
    CopyCheck check;
    for (const QString& table : db::copiedTables()) {
        const qint64 rows = db::rowCount(copy, table);
        check.rows += rows;
        if (!original || !check.difference.isEmpty())
            continue;
        const qint64 theirs = db::holdsTable(*original, table) ? db::rowCount(*original, table) : 0;
        if (theirs != rows)
            check.difference =
                QStringLiteral("数据表“%1”原有 %2 行，复制后为 %3 行。").arg(table).arg(theirs).arg(rows);
    }
    const engine::Verification copied = engine::verifyFile(copy);
    const QVector<engine::BatchVerdict>& verdicts = copied.batches;
    for (const engine::BatchVerdict& v : verdicts) {
        if (v.status == Status::Deleted)
            continue;
        ++check.batches;
        check.consistent += v.status == Status::Consistent ? 1 : 0;
    }
    if (!original || !check.difference.isEmpty())
        return check;
    const engine::Verification then = engine::verifyFile(*original);
    const QVector<engine::BatchVerdict>& before = then.batches;
    // The chain is carried row for row: its state and every subject's draws stay as they were.
    const auto chain = [](const engine::LedgerVerdict& l) {
        return QStringList{l.head} + l.problems + l.subjects;
    };
    if (chain(then.ledger) != chain(copied.ledger)) {
        check.difference = QStringLiteral("记录链的核验结果不同：原为“%1”，复制后为“%2”。")
                               .arg(chain(then.ledger).join(QStringLiteral("；")),
                                    chain(copied.ledger).join(QStringLiteral("；")));
        return check;
    }
    for (qsizetype i = 0; i < std::max(before.size(), verdicts.size()); ++i) {
        if (i < before.size() && i < verdicts.size() && sameVerdict(before.at(i), verdicts.at(i)))
            continue;
        check.difference = QStringLiteral("核验结果不同：原为“%1”，复制后为“%2”。")
                               .arg(i < before.size() ? before.at(i).line() : QStringLiteral("（无）"),
                                    i < verdicts.size() ? verdicts.at(i).line() : QStringLiteral("（无）"));
        break;
    }
    return check;
}

QString copySummary(const CopyCheck& check) {
    return QStringLiteral("%1 张数据表，共 %2 行；抽签批次 %3 批（一致 %4 批）")
        .arg(db::copiedTables().size())
        .arg(check.rows)
        .arg(check.batches)
        .arg(check.consistent);
}

} // namespace cli
