#include "cli/copy_check.h"

#include "db/copy_rows.h"
#include "engine/verify.h"

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
    const QVector<engine::BatchVerdict> verdicts = engine::verifyDraws(copy);
    for (const engine::BatchVerdict& v : verdicts) {
        if (v.status == Status::Deleted)
            continue;
        ++check.batches;
        check.consistent += v.status == Status::Consistent ? 1 : 0;
    }
    if (!original || !check.difference.isEmpty())
        return check;
    const QVector<engine::BatchVerdict> before = engine::verifyDraws(*original);
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
