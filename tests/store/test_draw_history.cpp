#include "test_db.h"

#include "draw/draw_engine.h"
#include "store/draw_history.h"

#include <QTest>

#include <algorithm>

using namespace common;
using namespace engine;

namespace {

void addHistory(TestDb& t, int project, const QString& subject, int batch, const QString& kind,
                const QVector<HistoryRow>& rows) {
    for (const HistoryRow& r : rows)
        t.db->exec(QStringLiteral("insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) "
                                  "values (?, ?, '2026-06-07 09:00:00', ?, ?, ?, ?, ?)"),
                   {project, subject, batch, kind, r.seq, r.a,
                    kind == QStringLiteral("监考员") ? QVariant(r.b) : QVariant()});
}

// The batches a set of history rows came from, told by their 序号 (each batch is written
// with 序号 = 10 * batch + room here).
QList<int> batchesOf(const QVector<HistoryRow>& rows) {
    QList<int> batches;
    for (const HistoryRow& r : rows)
        if (!batches.contains(r.seq / 10))
            batches << r.seq / 10;
    std::sort(batches.begin(), batches.end());
    return batches;
}

QVector<HistoryRow> batchRows(int batch, int rows) {
    QVector<HistoryRow> out;
    for (int k = 1; k <= rows; ++k)
        out.push_back({10 * batch + k, k, k + 1});
    return out;
}

} // namespace

class TestDrawHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pairingHistoryIsTheLatestFourBatchesOfTheProject();
    void dutyHistoryDependsOnThePeople_data();
    void dutyHistoryDependsOnThePeople();
    void nullIndicesNeverMatch();
};

void TestDrawHistory::pairingHistoryIsTheLatestFourBatchesOfTheProject() {
    TestDb t;
    const int p = t.addProject();
    const int other = t.addProject(QStringLiteral("别的考试"));
    const QString subjects[] = {QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语")};
    for (int batch = 1; batch <= 6; ++batch)
        addHistory(t, p, subjects[batch % 3], batch, QStringLiteral("监考员"), batchRows(batch, 2));
    addHistory(t, p, QStringLiteral("语文"), 7, QStringLiteral("场外监考"), batchRows(7, 2)); // another kind
    addHistory(t, other, QStringLiteral("语文"), 8, QStringLiteral("监考员"),
               batchRows(8, 2)); // another project
    const QVector<HistoryRow> rows = loadPairingHistory(*t.db, p);
    QCOMPARE(batchesOf(rows), (QList<int>{3, 4, 5, 6}));
    QCOMPARE(rows.size(), 8);
    for (const HistoryRow& r : rows) {
        QCOMPARE(r.a, r.seq % 10);
        QCOMPARE(r.b, r.seq % 10 + 1);
    }
    QVERIFY(loadPairingHistory(*t.db, t.addProject()).isEmpty());
}

void TestDrawHistory::dutyHistoryDependsOnThePeople_data() {
    QTest::addColumn<int>("people");
    QTest::addColumn<QList<int>>("batches");
    QTest::newRow("two people: none") << 2 << QList<int>{};
    QTest::newRow("three people: the latest two") << 3 << QList<int>{8, 9};
    QTest::newRow("four people: the latest three") << 4 << QList<int>{7, 8, 9};
    QTest::newRow("many people: the latest four") << 30 << QList<int>{6, 7, 8, 9};
}

void TestDrawHistory::dutyHistoryDependsOnThePeople() {
    QFETCH(int, people);
    QFETCH(QList<int>, batches);
    TestDb t;
    const int p = t.addProject();
    for (int batch = 5; batch <= 9; ++batch)
        addHistory(t, p, QStringLiteral("科目%1").arg(batch), batch, QStringLiteral("场外监考"),
                   batchRows(batch, 3));
    // the other duty kind has later batches of its own, which must not count
    addHistory(t, p, QStringLiteral("语文"), 11, QStringLiteral("验卷"), batchRows(11, 3));
    addHistory(t, p, QStringLiteral("语文"), 12, QStringLiteral("监考员"), batchRows(12, 3));
    QCOMPARE(batchesOf(loadDutyHistory(*t.db, p, QStringLiteral("场外监考"), people)), batches);
    if (people > 2)
        QCOMPARE(batchesOf(loadDutyHistory(*t.db, p, QStringLiteral("验卷"), people)), QList<int>{11});
}

// A row written without 甲 or 乙 refers to nobody.
void TestDrawHistory::nullIndicesNeverMatch() {
    TestDb t;
    const int p = t.addProject();
    t.db->exec(
        QStringLiteral(
            "insert into 抽签历史 (项目编号, 科目, 数据批次, 分类, 序号) values (?, '语文', 1, '监考员', 1)"),
        {p});
    const QVector<HistoryRow> rows = loadPairingHistory(*t.db, p);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].seq, 1);
    QCOMPARE(rows[0].a, 0);
    QCOMPARE(rows[0].b, 0);
}

QTEST_GUILESS_MAIN(TestDrawHistory)
#include "test_draw_history.moc"
