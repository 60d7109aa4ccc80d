#include "store/draw_history.h"

#include <QStringList>

#include <algorithm>

namespace engine {

namespace {

const QString kHistoryOfKind = QStringLiteral("(select * from 抽签历史 where 项目编号=? and 分类=?) cqls");

// Every row of `kind` in the project's latest `batches` batches (any subject).
QVector<HistoryRow> loadHistory(const db::Database& db, int project, const QString& kind, int batches) {
    const db::Rows latest = db.query(
        QStringLiteral("select * from (select distinct 数据批次 from %1) temp order by 数据批次 desc limit ?")
            .arg(kHistoryOfKind),
        {project, kind, batches});
    QVector<HistoryRow> history;
    if (latest.isEmpty())
        return history;
    QVariantList values{project, kind};
    QStringList marks;
    for (const db::Row& r : latest) {
        values << r.value(0);
        marks << QStringLiteral("?");
    }
    const db::Rows rows = db.query(QStringLiteral("select * from %1 where 数据批次 in (%2) order by 编号")
                                       .arg(kHistoryOfKind, marks.join(QLatin1Char(','))),
                                   values);
    history.reserve(rows.size());
    for (const db::Row& r : rows)
        history.push_back({db::integer(r, QStringLiteral("序号")), db::integer(r, QStringLiteral("甲")),
                           db::integer(r, QStringLiteral("乙")), db::integer(r, QStringLiteral("数据批次")),
                           db::text(r, QStringLiteral("科目")), db::text(r, QStringLiteral("时间"))});
    return history;
}

} // namespace

QVector<HistoryRow> loadPairingHistory(const db::Database& db, int project) {
    return loadHistory(db, project, QStringLiteral("监考员"), 4);
}

QVector<HistoryRow> loadDutyHistory(const db::Database& db, int project, const QString& kind, int people) {
    if (people <= 2)
        return {};
    return loadHistory(db, project, kind, std::min(people - 1, 4));
}

} // namespace engine
