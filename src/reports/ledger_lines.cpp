#include "reports/ledger_lines.h"

#include "db/schema.h"

#include <QStringList>

namespace reports {

namespace {

// The 序号 of the stop a save's content names ("stop<TAB>n"); 0 when it names none.
int namedStop(const QString& content) {
    for (const QString& line : content.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("stop\t")))
            return line.mid(5).toInt();
    return 0;
}

} // namespace

LedgerLines ledgerLines(const db::Database& db, int project, const QString& subject,
                        const QString& drawTime) {
    LedgerLines lines;
    if (!db::hasLedgerTable(db))
        return lines;
    const QVariant head = db.scalar(QStringLiteral("select 摘要 from 抽签记录链 order by 序号 desc limit 1"));
    if (!head.isNull())
        lines.head = QStringLiteral("记录链:") + db::certificateCode(head.toString());
    const int stop =
        namedStop(db.scalar(QStringLiteral(
                                "select 内容 from 抽签记录链 where 项目编号=? and 科目=? and 事件='保存' and "
                                "时间=? order by 序号 desc limit 1"),
                            {project, subject, drawTime})
                      .toString());
    if (stop <= 0)
        return lines;
    const QString stops =
        QStringLiteral("select count(*) from 抽签记录链 where 项目编号=? and 科目=? and 事件='停止'");
    const int all = db.scalar(stops, {project, subject}).toInt();
    const int saved = db.scalar(stops + QStringLiteral(" and 序号<=?"), {project, subject, stop}).toInt();
    lines.stops = QStringLiteral("本科目共抽签%1次，保存的是第%2次").arg(all).arg(saved);
    return lines;
}

} // namespace reports
