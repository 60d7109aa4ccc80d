// Draw saves killed at random moments (SIGKILL on Unix), while another program opens, reads and
// closes the file all the time: after every kill the file passes the integrity check, every
// saved batch is whole with its certificate, no two saves share a batch number, and the last
// save the loop confirmed is there, and the ledger's chain is unbroken. EXAM_SAVE_KILLS sets the
// number of kills, half of them with WAL and half with the rollback journal (20 unless asked for
// more). Three savers at once all succeed, each waiting for the others within the busy timeout,
// while a fourth program imports the roster again and again; their stops, saves and deletions
// make one chain. With EXAM_TEST_SERVER the same runs go against a database server.
#include "audit/verify.h"
#include "cli/command_line.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/server.h"
#include "test_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const QString kRoster = QStringLiteral(TEST_DATA_DIR "/import/roster.xls");

struct Staff {
    int project = 0;
    int rooms = 0, supervisors = 0, checkers = 0;
};

Staff staffOf(const db::Database& d) {
    Staff s;
    s.project =
        d.scalar(QStringLiteral("select 当前项目 from 系统设置 where 状态='正常' order by 编号")).toInt();
    const auto count = [&](const QString& sql) { return d.scalar(sql, {s.project}).toInt(); };
    s.rooms = count(
        QStringLiteral("select count(distinct 分组号) from 人员安排 where 项目编号=? and 分类='监考员'"));
    s.supervisors =
        count(QStringLiteral("select count(*) from 人员安排 where 项目编号=? and 分类='场外监考'"));
    s.checkers = count(QStringLiteral("select count(*) from 人员安排 where 项目编号=? and 分类='验卷'"));
    return s;
}

struct Confirmed {
    QString subject;
    int batch = 0;
};

// What is wrong with the file after a kill; empty when nothing is. `unreported` is set when a
// save committed after the last one the loop confirmed (the kill fell between the two).
QStringList problemsOf(const QString& path, const Staff& s, const Confirmed& last, bool& unreported) {
    QStringList found;
    // Opened as the next program start opens it: an interrupted save is rolled back here.
    db::Database d(path, db::Database::Mode::ReadWrite);
    const QString integrity = !d.server().isEmpty()
                                  ? QStringLiteral("ok")
                                  : d.scalar(QStringLiteral("pragma integrity_check")).toString();
    if (integrity != QStringLiteral("ok"))
        found << QStringLiteral("integrity_check: ") + integrity;
    const engine::Verification verified = engine::verifyFile(d);
    for (const engine::BatchVerdict& v : verified.batches) {
        if (v.fails())
            found << v.line();
    }
    found << verified.ledger.problems;

    // One row per subject: its history and result rows by kind, their batches and times.
    const db::Rows subjects = d.query(QStringLiteral(R"(
        select h.科目,
               count(distinct h.数据批次) as 批次数, max(h.数据批次) as 批次, count(distinct h.时间) as 时间数,
               max(h.时间) as 时间,
               sum(case when h.分类='监考员' then 1 else 0 end) as 历史监考员, count(distinct case when h.分类='监考员' then h.序号 end) as 序号数,
               sum(case when h.分类='场外监考' then 1 else 0 end) as 历史场外,
               sum(case when h.分类='验卷' then 1 else 0 end) as 历史验卷,
               (select count(*) from 抽签总表 t where t.项目编号=h.项目编号 and t.科目=h.科目 and t.分类='监考员') as 结果监考员,
               (select count(*) from 抽签总表 t where t.项目编号=h.项目编号 and t.科目=h.科目 and t.分类='抽签参数') as 参数,
               (select count(*) from 抽签总表 t where t.项目编号=h.项目编号 and t.科目=h.科目 and t.分类='场外监考') as 结果场外,
               (select count(*) from 抽签总表 t where t.项目编号=h.项目编号 and t.科目=h.科目 and t.分类='验卷') as 结果验卷,
               (select count(distinct t.时间) from 抽签总表 t where t.项目编号=h.项目编号 and t.科目=h.科目) as 结果时间数,
               (select max(t.时间) from 抽签总表 t where t.项目编号=h.项目编号 and t.科目=h.科目) as 结果时间,
               (select count(*) from 抽签校验 c where c.项目编号=h.项目编号 and c.科目=h.科目) as 校验数,
               (select max(c.数据批次) from 抽签校验 c where c.项目编号=h.项目编号 and c.科目=h.科目) as 校验批次
        from 抽签历史 h where h.项目编号=? group by h.项目编号, h.科目)"),
                                      {s.project});
    const auto n = [](const db::Row& r, const char* column) {
        return db::integer(r, QString::fromUtf8(column));
    };
    QSet<int> batches;
    int maxBatch = 0;
    for (const db::Row& r : subjects) {
        const QString subject = db::text(r, QStringLiteral("科目"));
        const int supervisors = n(r, "历史场外"), checkers = n(r, "历史验卷");
        const bool whole = n(r, "批次数") == 1 && n(r, "时间数") == 1 && n(r, "历史监考员") == s.rooms &&
                           n(r, "序号数") == s.rooms && (supervisors == 0 || supervisors == s.supervisors) &&
                           (checkers == 0 || checkers == s.checkers) &&
                           (supervisors == 0) == (checkers == 0) && n(r, "结果监考员") == s.rooms &&
                           n(r, "参数") == 1 && n(r, "结果场外") == supervisors &&
                           n(r, "结果验卷") == checkers && n(r, "结果时间数") == 1 &&
                           db::text(r, QStringLiteral("结果时间")) == db::text(r, QStringLiteral("时间")) &&
                           n(r, "校验数") == 1 && n(r, "校验批次") == n(r, "批次");
        if (!whole)
            found << QStringLiteral("batch of %1 is not whole").arg(subject);
        const int batch = n(r, "批次");
        if (batches.contains(batch))
            found << QStringLiteral("batch %1 belongs to two subjects").arg(batch);
        batches.insert(batch);
        maxBatch = qMax(maxBatch, batch);
        if (subject == last.subject && batch != last.batch)
            found << QStringLiteral("confirmed batch %1 of %2 became %3")
                         .arg(last.batch)
                         .arg(subject)
                         .arg(batch);
    }
    const int orphans =
        d.scalar(QStringLiteral("select count(*) from 抽签总表 where 项目编号=? and 科目 not in "
                                "(select 科目 from 抽签历史 where 项目编号=?)"),
                 {s.project, s.project})
            .toInt();
    if (orphans != 0)
        found << QStringLiteral("%1 result rows without history").arg(orphans);
    if (!last.subject.isEmpty()) {
        // The loop saves the subjects in turn, so at most one save can follow the confirmed one.
        if (maxBatch != last.batch && maxBatch != last.batch + 1)
            found << QStringLiteral("largest batch %1 after confirmed %2").arg(maxBatch).arg(last.batch);
        unreported = maxBatch == last.batch + 1;
    }
    return found;
}

QStringList problems(const QString& path, const Staff& s, const Confirmed& last, bool& unreported) {
    try {
        return problemsOf(path, s, last, unreported);
    } catch (const db::DbError& e) {
        return {QStringLiteral("the file cannot be checked: ") + e.text()};
    }
}

// Another program beside the saver: it opens, reads and closes the file until it is dropped.
class Neighbour {
public:
    Neighbour(const QString& folder, bool rollbackJournal) {
        QStringList args{QStringLiteral("touch-loop"), folder};
        if (rollbackJournal)
            args << QStringLiteral("--rollback-journal");
        p_.start(QStringLiteral(SIDE_PEER), args);
        p_.waitForStarted();
    }
    ~Neighbour() {
        p_.kill();
        p_.waitForFinished();
    }
    Neighbour(const Neighbour&) = delete;
    Neighbour& operator=(const Neighbour&) = delete;

private:
    QProcess p_;
};

// A program folder whose Db holds the demo database: the file, or with EXAM_TEST_SERVER a
// database of its own on the test cluster named by Db/Exam.server.
struct DemoFolder {
    QTemporaryDir dir;
    std::unique_ptr<TestServerDatabase> server;

    DemoFolder() {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        server = TestServerDatabase::forFolder(dir.path());
        db::createDatabase(path(), true, QDateTime::currentDateTime());
    }
    QString folder() const { return dir.path(); }
    QString path() const { return db::databasePath(dir.path()); }
};

// Journal choice for the checks' own connections, the way the loops open the file.
class Journal {
public:
    explicit Journal(bool rollback)
        : previous_(db::setNetworkProbe(rollback ? +[](const QString&) { return true; }
                                                 : +[](const QString&) { return false; })) {}
    ~Journal() { db::setNetworkProbe(previous_); }
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

private:
    db::NetworkProbe previous_;
};

} // namespace

class TestSaveKills : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedSavesLeaveWholeBatches_data();
    void killedSavesLeaveWholeBatches();
    void savesAtOnceAllSucceed_data() { killedSavesLeaveWholeBatches_data(); }
    void savesAtOnceAllSucceed();
    void verifyBesideSavesFindsNoFault_data() { killedSavesLeaveWholeBatches_data(); }
    void verifyBesideSavesFindsNoFault();
    void secondWriterWaitsOnTheServer();
};

void TestSaveKills::killedSavesLeaveWholeBatches_data() {
    QTest::addColumn<bool>("rollbackJournal");
    if (TestServerDatabase::wanted()) {
        QTest::newRow("server") << false;
        return;
    }
    QTest::newRow("WAL") << false;
    QTest::newRow("rollback journal") << true;
}

void TestSaveKills::killedSavesLeaveWholeBatches() {
    QFETCH(bool, rollbackJournal);
    const int asked = qEnvironmentVariableIntValue("EXAM_SAVE_KILLS");
    const int kills = qMax(1, (asked > 0 ? asked : 20) / 2);
    const DemoFolder demo;
    const QString path = demo.path();
    const Journal journal(rollbackJournal);
    const Staff staff = staffOf(db::Database(path, db::Database::Mode::ReadOnly));
    QVERIFY(staff.rooms > 0 && staff.supervisors > 0 && staff.checkers > 0);
    const Neighbour neighbour(demo.folder(), rollbackJournal);

    QStringList args{demo.folder()};
    if (rollbackJournal)
        args << QStringLiteral("--rollback-journal");
    QElapsedTimer elapsed;
    elapsed.start();
    int saves = 0, unreported = 0, beforeFirstSave = 0;
    Confirmed last;
    for (int kill = 1; kill <= kills; ++kill) {
        QProcess loop;
        loop.start(QStringLiteral(SAVE_LOOP), args);
        QVERIFY(loop.waitForStarted());
        // Reads the loop's output while it runs; a loop that ends by itself has failed.
        // A loop on the server takes longer to start: its kills fall later to land in saves too.
        const bool ended = loop.waitForFinished(demo.server ? QRandomGenerator::global()->bounded(200, 1200)
                                                            : QRandomGenerator::global()->bounded(10, 400));
        QVERIFY2(!ended, qPrintable(QString::fromUtf8(loop.readAllStandardError())));
        loop.kill();
        QVERIFY(loop.waitForFinished());
        const QStringList lines =
            QString::fromUtf8(loop.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        saves += lines.size();
        if (lines.isEmpty())
            ++beforeFirstSave;
        else
            last = {lines.last().section(u'\t', 0, 0), lines.last().section(u'\t', 1, 1).toInt()};
        bool lateSave = false;
        const QStringList found = problems(path, staff, last, lateSave);
        QVERIFY2(found.isEmpty(),
                 qPrintable(QStringLiteral("after kill %1: ").arg(kill) + found.join(u'\n')));
        if (lateSave) {
            ++unreported;
            last.subject.clear(); // its successor is unknown by name; the next confirmation sets it
        }
    }
    qInfo("%s: %d kills (%d before the first save), %d saves confirmed, %d committed but killed before "
          "confirming, %.1f s",
          QTest::currentDataTag(), kills, beforeFirstSave, saves, unreported, elapsed.elapsed() / 1000.0);
}

void TestSaveKills::savesAtOnceAllSucceed() {
    QFETCH(bool, rollbackJournal);
    constexpr int kSavers = 3, kSaves = 12;
    const DemoFolder demo;
    const Journal journal(rollbackJournal);
    // The roster the importer brings, once before: every saver loads the same staff.
    QString said;
    QTextStream quiet(&said), in(stdin);
    QCOMPARE(cli::run({QStringLiteral("import"), kRoster, demo.folder(), QStringLiteral("--yes")},
                      {demo.folder(), QDateTime::currentDateTime(), {in, quiet, quiet}}),
             int(cli::kDone));
    const Staff staff = staffOf(db::Database(demo.path(), db::Database::Mode::ReadOnly));
    QStringList args{demo.folder(), QStringLiteral("--saves"), QString::number(kSaves)};
    if (rollbackJournal)
        args << QStringLiteral("--rollback-journal");
    std::vector<std::unique_ptr<QProcess>> savers;
    for (int i = 0; i < kSavers; ++i) {
        savers.push_back(std::make_unique<QProcess>());
        savers.back()->start(QStringLiteral(SAVE_LOOP), args);
    }
    // The roster is imported again and again meanwhile: the saves keep the staff they loaded.
    QProcess importer;
    importer.start(QStringLiteral(SIDE_PEER), {QStringLiteral("import-loop"), demo.folder(), kRoster});
    const auto stopImports = qScopeGuard([&importer] {
        importer.kill();
        importer.waitForFinished();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    QVector<double> waits;
    for (const auto& saver : savers) {
        QVERIFY(saver->waitForFinished(120000));
        QVERIFY2(saver->exitCode() == 0, qPrintable(QString::fromUtf8(saver->readAllStandardError())));
        for (const QString& line :
             QString::fromUtf8(saver->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            waits << line.section(u'\t', 2, 2).toDouble();
    }
    const double seconds = elapsed.elapsed() / 1000.0;
    QCOMPARE(waits.size(), kSavers * kSaves);
    bool lateSave = false;
    const QString path = demo.path();
    const QStringList found = problems(path, staff, {}, lateSave);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    // One chain, no fork: every saver's stops and saves, and every deletion, each in one row of
    // its own, numbered without a gap.
    const db::Database d(path, db::Database::Mode::ReadOnly);
    const auto count = [&d](const QString& sql) { return d.scalar(sql).toInt(); };
    QCOMPARE(count(QStringLiteral("select count(*) from 抽签记录链 where 事件='停止'")), kSavers * kSaves);
    QCOMPARE(count(QStringLiteral("select count(*) from 抽签记录链 where 事件='保存'")), kSavers * kSaves);
    QCOMPARE(count(QStringLiteral("select count(*) from 抽签记录链 where 事件='删除'")),
             count(QStringLiteral("select count(*) from 抽签删除记录")));
    QCOMPARE(count(QStringLiteral("select max(序号) from 抽签记录链")),
             count(QStringLiteral("select count(distinct 序号) from 抽签记录链")));
    std::sort(waits.begin(), waits.end());
    qInfo("%s, %d savers at once beside an importer: %lld saves, %.1f saves/s, median %.1f ms, p99 %.1f ms, "
          "longest %.1f ms",
          QTest::currentDataTag(), kSavers, qlonglong(waits.size()), waits.size() / seconds,
          waits[waits.size() / 2], waits[qMin(waits.size() - 1, qsizetype(waits.size() * 0.99))],
          waits.back());
}

void TestSaveKills::verifyBesideSavesFindsNoFault() {
    // examdb verify again and again while another program saves: each run reads one state of
    // the database, so a healthy file is never called inconsistent.
    QFETCH(bool, rollbackJournal);
    const DemoFolder demo;
    const Journal journal(rollbackJournal);
    QStringList args{demo.folder(), QStringLiteral("--saves"), QStringLiteral("30")};
    if (rollbackJournal)
        args << QStringLiteral("--rollback-journal");
    QProcess saver;
    saver.start(QStringLiteral(SAVE_LOOP), args);
    QVERIFY(saver.waitForStarted());
    const auto stop = qScopeGuard([&saver] {
        saver.kill();
        saver.waitForFinished();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    int runs = 0;
    while (saver.state() == QProcess::Running && elapsed.elapsed() < 120000) {
        QString out, err;
        QTextStream o(&out), e(&err), in(stdin);
        const int status = cli::run({QStringLiteral("verify"), demo.folder()},
                                    {demo.folder(), QDateTime::currentDateTime(), {in, o, e}});
        QVERIFY2(status == cli::kDone, qPrintable(QStringLiteral("run %1: %2%3").arg(runs).arg(out, err)));
        ++runs;
        saver.waitForFinished(0);
    }
    QVERIFY2(saver.exitCode() == 0, qPrintable(QString::fromUtf8(saver.readAllStandardError())));
    qInfo("%s: %d verify runs beside 30 saves, none inconsistent", QTest::currentDataTag(), runs);
}

void TestSaveKills::secondWriterWaitsOnTheServer() {
    // One PC is in the middle of a save, its batch number taken; another PC saves meanwhile. It
    // must wait for the first and then take the next number, never the same one.
    if (!TestServerDatabase::wanted())
        QSKIP("on the file the engine's own lock orders the writers");
    const DemoFolder demo;
    db::Database first(demo.path(), db::Database::Mode::ReadWrite);
    const int before =
        first.scalar(QStringLiteral("select coalesce(max(数据批次), 0) from 抽签历史")).toInt();
    db::Transaction saving(first);
    first.exec(
        QStringLiteral("insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) values "
                       "(1, '占位', '2026-12-09 08:00:00', ?, '监考员', 1, 1, 1)"),
        {before + 1});
    QProcess second;
    second.start(QStringLiteral(SAVE_LOOP), {demo.folder(), QStringLiteral("--saves"), QStringLiteral("1")});
    QVERIFY(second.waitForStarted());
    bool waits = false;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!waits && !second.waitForFinished(20) && elapsed.elapsed() < 60000)
        waits = first.scalar(QStringLiteral("select count(*) from pg_locks where not granted")).toInt() > 0;
    saving.commit();
    QVERIFY(second.state() == QProcess::NotRunning || second.waitForFinished(60000));
    const QString saved = QString::fromUtf8(second.readAllStandardOutput());
    QVERIFY2(waits && saved.section(u'\t', 1, 1).toInt() == before + 2,
             qPrintable(saved + QString::fromUtf8(second.readAllStandardError())));
}

QTEST_GUILESS_MAIN(TestSaveKills)
#include "test_save_kills.moc"
