// examdb server init, server copy and backup against the test cluster: what each refuses, with
// nothing written anywhere; a value the server cannot take, named; and a file with saved draws
// carried to the server and backed up again, unchanged down to the kind of each value.
#include "canonical_dump.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/password_hash.h"
#include "db/schema.h"
#include "db/server.h"
#include "fakes.h"
#include "run_examdb.h"
#include "store/draw_history.h"
#include "store/draw_repository.h"
#include "store/draw_run.h"
#include "store/working_set.h"
#include "test_server.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray digest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

QString cluster() {
    return TestServerDatabase::cluster();
}

// A program folder and an empty database of its own on the cluster.
struct Site {
    QTemporaryDir programs;
    TestServerDatabase server;

    QString folder() const { return programs.path(); }
    QString dataFolder() const { return programs.filePath(QStringLiteral("Db")); }
    QString file() const { return programs.filePath(QStringLiteral("Db/Exam.mdb")); }
    QString serverFile() const { return programs.filePath(QStringLiteral("Db/Exam.server")); }
    // The database as its owner sees it.
    std::unique_ptr<db::Database> owner() const {
        return std::make_unique<db::Database>(db::Database::Server{server.connection()},
                                              db::Database::Mode::Create);
    }
    QStringList serverTables() const {
        QStringList tables = owner()->tables();
        tables.sort();
        return tables;
    }
    void makeFile() const {
        QDir().mkpath(dataFolder());
        db::createDatabase(file(), true, kExamdbNow);
    }
    // A connection string as someone else.
    QString as(const QString& user) const {
        return QString(cluster()).replace(QStringLiteral("user=examtest"), QStringLiteral("user=") + user) +
               QStringLiteral(" dbname=") + server.name();
    }
    // Every {name} in `args` replaced.
    QStringList expand(QStringList args, const QString& nowhere) const {
        for (QString& a : args) {
            a.replace(QStringLiteral("{db}"), server.connection())
                .replace(QStringLiteral("{locked}"), as(QStringLiteral("examlocked")))
                .replace(QStringLiteral("{missing}"),
                         cluster() + QStringLiteral(" dbname=nosuch_") + server.name())
                .replace(QStringLiteral("{nowhere}"),
                         QStringLiteral("host=%1 user=examtest dbname=exam").arg(nowhere))
                .replace(QStringLiteral("{folder}"), folder());
        }
        return args;
    }
};

// Draws and saves `subject` of the project as the draw window does.
void saveDraw(db::Database& d, int project, const QString& subject, std::uint64_t seed) {
    const engine::WorkingSet ws = engine::loadWorkingSet(d, project);
    FixedRandom random(seed);
    engine::DrawRun run(ws, random);
    engine::DrawSettings settings;
    for (engine::Rule r : {engine::Rule::FewerSameGender, engine::Rule::FewerSameUnit,
                           engine::Rule::DrawSupervisors, engine::Rule::DrawCheckers})
        settings[r] = engine::RuleState::On;
    QVERIFY(run.start(settings, engine::loadPairingHistory(d, project),
                      engine::loadDutyHistory(d, project, QStringLiteral("场外监考"), ws.supervisorCount()))
                .status != engine::DrawStatus::Impossible);
    QCOMPARE(run.stop(engine::loadPairingHistory(d, project), 10'000).status, engine::DrawStatus::Done);
    engine::SaveRequest r;
    r.project = project;
    r.subject = subject;
    r.time = kExamdbNow.addSecs(3600 * qint64(seed));
    r.withDuties = true;
    r.drawCheckers = engine::RuleState::On;
    run.record(d, {project, subject, r.time});
    const engine::SaveOutcome saved = run.save(d, r);
    QVERIFY2(saved.has_value(), saved ? "" : qPrintable(saved.error().text()));
}

} // namespace

class TestServerCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (!TestServerDatabase::wanted())
            QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    }
    void init() {
        qunsetenv("EXAM_DATA_DIR");
        qunsetenv("PGPASSWORD");
    }
    void cleanup() { qunsetenv("PGPASSWORD"); }
    void initAndCopy_data();
    void initAndCopy();
    void copyUndoesEverything_data();
    void copyUndoesEverything();
    void roundTrip();
    void ledgerRights();
    void readOnlyAccountImport();
    void backups_data();
    void backups();
};

void TestServerCommands::initAndCopy_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("password"); // PGPASSWORD
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    const QStringList init{"server", "init", "{db}", "{folder}"}, copy{"server", "copy", "{db}", "{folder}"};
    const QStringList lockedInit{"server", "init", "{locked}", "{folder}"};
    QTest::newRow("init") << init << QStringList{} << "" << 0 << QStringLiteral("已在数据库服务器");
    QTest::newRow("init --demo") << QStringList{"server", "init", "{db}", "--demo", "{folder}"}
                                 << QStringList{} << "" << 0 << QStringLiteral("含演示项目 1");
    QTest::newRow("a database with a table of its own")
        << init << QStringList{"foreign"} << "" << 1 << QStringLiteral("不是空的（已有数据表 成绩）");
    QTest::newRow("our database already there")
        << init << QStringList{"ours"} << "" << 1 << QStringLiteral("已经是本系统的数据库");
    QTest::newRow("a password in the string")
        << QStringList{"server", "init", "{db} password=right", "{folder}"} << QStringList{} << "" << 1
        << QStringLiteral("不能写密码");
    QTest::newRow("Exam.server already there")
        << init << QStringList{"server file"} << "" << 1 << QStringLiteral("已在使用数据库服务器");
    QTest::newRow("no server listening")
        << QStringList{"server", "init", "{nowhere}", "{folder}"} << QStringList{} << "" << 2
        << QStringLiteral("无法连接数据库服务器");
    QTest::newRow("wrong password") << lockedInit << QStringList{"locked"} << "wrong" << 2
                                    << QStringLiteral("拒绝登录");
    QTest::newRow("right password") << lockedInit << QStringList{"locked"} << "right" << 0
                                    << QStringLiteral("已在数据库服务器");
    QTest::newRow("an account name that is none")
        << QStringList{"server", "init", "{db}", "--programs", "centre; drop", "{folder}"} << QStringList{}
        << "" << 1 << QStringLiteral("账户名“centre; drop”不能使用");
    QTest::newRow("no such database") << QStringList{"server", "init", "{missing}", "{folder}"}
                                      << QStringList{} << "" << 2 << QStringLiteral("上没有这个数据库");
    QTest::newRow("copy") << copy << QStringList{"file"} << "" << 0 << QStringLiteral("核验结果与文件相同");
    QTest::newRow("copy into a database with a table of its own")
        << copy << QStringList{"file", "foreign"} << "" << 1 << QStringLiteral("不是空的");
    QTest::newRow("copy, Exam.server already there")
        << copy << QStringList{"file", "server file"} << "" << 1 << QStringLiteral("已在使用数据库服务器");
    QTest::newRow("copy without Exam.mdb")
        << copy << QStringList{} << "" << 2 << QStringLiteral("数据库文件未找到");
    QTest::newRow("copy, wrong password")
        << QStringList{"server", "copy", "{locked}", "{folder}"} << QStringList{"file", "locked"} << "wrong"
        << 2 << QStringLiteral("拒绝登录");
}

void TestServerCommands::initAndCopy() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, setup);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, said);
    Site site;
    QTemporaryDir nowhere;
    if (setup.contains(QStringLiteral("file")))
        site.makeFile();
    if (setup.contains(QStringLiteral("foreign")))
        site.owner()->exec(QStringLiteral("create table 成绩 (分数 integer)"));
    if (setup.contains(QStringLiteral("ours")))
        db::createSchema(*site.owner());
    if (setup.contains(QStringLiteral("server file"))) {
        QDir().mkpath(site.dataFolder());
        db::server::writeConnection(site.serverFile(), QStringLiteral("host=elsewhere dbname=exam"));
    }
    if (setup.contains(QStringLiteral("locked")))
        TestServerDatabase::admin(
            QStringLiteral("alter database %1 owner to examlocked").arg(site.server.name()));
    const QStringList tablesBefore = site.serverTables();
    const QByteArray fileBefore = digest(site.file()), serverFileBefore = digest(site.serverFile());
    const bool folderBefore = QFileInfo::exists(site.dataFolder());
    if (!password.isEmpty())
        qputenv("PGPASSWORD", password.toUtf8());

    args = site.expand(args, nowhere.path());
    const ExamdbRun r = examdb(args, site.folder());
    QVERIFY2(r.printed().contains(said), qPrintable(r.printed()));
    QCOMPARE(r.status, status);
    QCOMPARE(digest(site.file()), fileBefore);
    if (status != 0) {
        QCOMPARE(site.serverTables(), tablesBefore);
        QCOMPARE(digest(site.serverFile()), serverFileBefore);
        QCOMPARE(QFileInfo::exists(site.dataFolder()), folderBefore);
        return;
    }
    // The folder's programs now open the server's database, as its account sees it.
    QCOMPARE(db::server::readConnection(site.serverFile()), args.at(2));
    const db::Database d(site.serverFile());
    QVERIFY(!d.readOnly());
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 系统设置")).toInt(), 1);
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 考点设置")).toInt(),
             args.contains(QStringLiteral("--demo")) || setup.contains(QStringLiteral("file")) ? 1 : 0);
}

void TestServerCommands::copyUndoesEverything_data() {
    QTest::addColumn<QString>("change"); // made in the file, after a saved draw, before the copy
    QTest::addColumn<QStringList>("said");
    QTest::newRow("a date that is no date")
        << QStringLiteral("update 时间安排 set 开考时间='2026-13-45' where 编号=3")
        << QStringList{"数据表“时间安排”中编号为 3 的行的“开考时间”", "2026-13-45"};
    QTest::newRow("text in a number column")
        << QStringLiteral("update 考点设置 set 默认行1='abc'")
        << QStringList{"数据表“考点设置”中编号为 1 的行的“默认行1”", "abc"};
    QTest::newRow("a fraction in a whole-number column")
        << QStringLiteral("update 人员安排 set 项目编号=1.5 where 编号=40")
        << QStringList{"数据表“人员安排”中编号为 40 的行的“项目编号”", "1.5"};
    QTest::newRow("a batch the server would verify otherwise")
        << QStringLiteral("update 抽签总表 set 时间=substr(时间, 1, 16)")
        << QStringList{"核验结果不同：原为“批次 1", "不一致", "复制后为“批次 1", "：一致”"};
    // A number below what the copy's paging reads: the row never arrives, and the count says so.
    QTest::newRow("a row the copy does not reach")
        << QStringLiteral("insert into 人员安排 (编号, 姓名) values (-5000000000, '漏行')")
        << QStringList{"数据表“人员安排”原有", "复制后为"};
    QTest::newRow("a table of another program") << QStringLiteral("create table 成绩 (分数 integer)")
                                                << QStringList{"本系统以外的数据表或字段（成绩）"};
    QTest::newRow("a column of another program")
        << QStringLiteral("alter table 人员安排 add column 备注 text") << QStringList{"（人员安排.备注）"};
}

void TestServerCommands::copyUndoesEverything() {
    QFETCH(QString, change);
    QFETCH(QStringList, said);
    Site site;
    site.makeFile();
    {
        db::Database d(site.file());
        saveDraw(d, 1, QStringLiteral("语文"), 1);
        d.exec(change);
    }
    const QByteArray before = digest(site.file());

    const ExamdbRun r = examdb({"server", "copy", site.server.connection(), site.folder()}, site.folder());
    QCOMPARE(r.status, 1);
    for (const QString& s : said + QStringList{QStringLiteral("已全部撤销")})
        QVERIFY2(r.err.contains(s), qPrintable(r.err));
    QCOMPARE(site.serverTables(), QStringList());
    QVERIFY(!QFileInfo::exists(site.serverFile()));
    QCOMPARE(digest(site.file()), before);
}

void TestServerCommands::roundTrip() {
    Site site;
    site.makeFile();
    QTemporaryDir restored;
    QDir().mkpath(restored.filePath(QStringLiteral("Db")));
    const QString backup = restored.filePath(QStringLiteral("Db/Exam.mdb"));
    {
        db::Database d(site.file());
        d.exec(QStringLiteral("update 系统设置 set 单位名称=?"), {QStringLiteral("教育局\\办公室 \"试\"")});
        d.exec(QStringLiteral("update 考点设置 set 考点名称=?, 负责人=?, 联系电话=? where 编号=1"),
               {QStringLiteral("第一考点\r\n（主楼）"), QStringLiteral("' or 1=1 --"), QVariant()});
        d.exec(
            QStringLiteral("update 人员安排 set 姓名=?, 来源单位=?, 身份证号=?, 工作任务=? where 编号=5"),
            {QStringLiteral("O'Brien \"小王\""), QStringLiteral("C:\\学校\\一中"), QVariant(), QString("")});
        d.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目, 开考时间, 时长) values (1, '加试', "
                              "'2026-12-09 08:00:00', 90.5)"));
        // A project deleted again: its number is never given to another.
        d.exec(QStringLiteral("insert into 考点设置 (状态, 考试名称) values ('正常', '作废')"));
        d.exec(QStringLiteral("delete from 考点设置 where 编号=2"));
        QStringList subjects;
        for (const db::Row& row :
             d.query(QStringLiteral("select 科目 from 时间安排 where 项目编号=1 order by 编号")))
            subjects << db::text(row, QStringLiteral("科目"));
        for (int k = 0; k < 3; ++k)
            saveDraw(d, 1, subjects.at(k), k + 1);
        engine::deleteSavedDraw(d, 1, subjects.at(1), kExamdbNow);
    }
    const ExamdbRun onFile = examdb({"verify", site.folder()}, site.folder());
    QCOMPARE(onFile.status, 0);
    QVERIFY2(onFile.out.contains(QStringLiteral("一致 2")), qPrintable(onFile.out));
    const QByteArray before = digest(site.file());

    ExamdbRun r = examdb({"server", "copy", site.server.connection(), site.folder()}, site.folder());
    QVERIFY2(r.status == 0, qPrintable(r.printed()));
    QVERIFY2(r.out.contains(QStringLiteral("抽签批次 2 批（一致 2 批）")), qPrintable(r.out));
    QCOMPARE(digest(site.file()), before);
    QCOMPARE(examdb({"verify", site.folder()}, site.folder()).out, onFile.out);

    r = examdb({"backup", backup, site.folder()}, site.folder());
    QVERIFY2(r.status == 0, qPrintable(r.printed()));
    QCOMPARE(examdb({"verify", restored.path()}, restored.path()).out, onFile.out);
    QCOMPARE(canonicalDump(db::Database(backup)), canonicalDump(db::Database(site.file())));

    // New projects go on after the deleted one on the server and in the backup.
    const QString project = QStringLiteral("insert into 考点设置 (状态, 考试名称) values ('正常', '新')");
    for (const QString& path : {site.serverFile(), backup}) {
        db::Database d(path);
        d.exec(project);
        QCOMPARE(d.lastInsertId(), qint64(3));
    }
}

// The programs' account may append to the ledger and read it, never change or delete a row; the
// folder's programs log in as it. Verify names an account that could rewrite the ledger.
void TestServerCommands::ledgerRights() {
    Site site;
    ExamdbRun r = examdb(
        {"server", "init", site.server.connection(), "--demo", "--programs", "examreader", site.folder()},
        site.folder());
    QVERIFY2(r.status == 0 && r.out.contains(QStringLiteral("程序使用账户 examreader")),
             qPrintable(r.printed()));
    QCOMPARE(db::server::readConnection(site.serverFile()), site.as(QStringLiteral("examreader")));
    {
        db::Database programs(site.serverFile());
        QVERIFY(!programs.readOnly());
        saveDraw(programs, 1, QStringLiteral("语文"), 1);
        for (const char* rewrite :
             {"update 抽签记录链 set 时间=时间", "delete from 抽签记录链", "truncate 抽签记录链"})
            QVERIFY_THROWS_EXCEPTION(db::DbError, programs.exec(QString::fromUtf8(rewrite)));
    }
    r = examdb({"verify", site.folder()}, site.folder());
    QVERIFY2(r.status == 0 && !r.out.contains(QStringLiteral("可以改写")), qPrintable(r.printed()));
    site.owner()->exec(QStringLiteral("grant delete on 抽签记录链 to examreader"));
    r = examdb({"verify", site.folder()}, site.folder());
    QVERIFY2(r.out.contains(QStringLiteral("注意：数据库账户 examreader 可以改写或删除记录链中的行")),
             qPrintable(r.printed()));
}

void TestServerCommands::readOnlyAccountImport() {
    // An account that may only read is told so before the question, not after answering it.
    Site site;
    QCOMPARE(
        examdb({"server", "init", site.server.connection(), "--demo", site.folder()}, site.folder()).status,
        0);
    site.owner()->exec(QStringLiteral("grant select on all tables in schema public to examreader"));
    QFile::remove(site.serverFile());
    db::server::writeConnection(site.serverFile(), site.as(QStringLiteral("examreader")));
    const ExamdbRun r =
        examdb({"import", QStringLiteral(TEST_DATA_DIR "/import/roster.xls"), site.folder()}, site.folder());
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("服务器账户 examreader 只能读取")) && r.out.isEmpty(),
             qPrintable(r.printed()));
}

void TestServerCommands::backups_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::newRow("the file") << "file" << false << 0 << QStringLiteral("9 张数据表");
    QTest::newRow("over an existing file") << "file" << true << 1 << QStringLiteral("已存在，未作改动");
    QTest::newRow("a folder without a database") << "" << false << 2 << QStringLiteral("数据库文件未找到");
    QTest::newRow("the server") << "examtest" << false << 0 << QStringLiteral("的同一时刻");
    QTest::newRow("the server, an account that may only read")
        << "reader" << false << 0 << QStringLiteral("的同一时刻");
    QTest::newRow("the server, an account that may not read every table")
        << "reader without 抽签删除记录" << false << 2 << QStringLiteral("服务器账户 examreader 没有读取");
}

void TestServerCommands::backups() {
    QFETCH(QString, source);
    QFETCH(bool, targetExists);
    QFETCH(int, status);
    QFETCH(QString, said);
    Site site;
    QTemporaryDir out, expected;
    // What the server's database holds, as a file: the demo made at the same moment.
    QDir().mkpath(expected.filePath(QStringLiteral("Db")));
    db::createDatabase(expected.filePath(QStringLiteral("Db/Exam.mdb")), true, kExamdbNow);
    if (source == QLatin1String("file"))
        site.makeFile();
    if (source.startsWith(QLatin1String("examtest")) || source.startsWith(QLatin1String("reader"))) {
        QCOMPARE(examdb({"server", "init", site.server.connection(), "--demo", site.folder()}, site.folder())
                     .status,
                 0);
    }
    if (source.startsWith(QLatin1String("reader"))) {
        db::Database owner(site.serverFile());
        owner.exec(QStringLiteral("grant select on all tables in schema public to examreader"));
        if (source.contains(QStringLiteral("抽签删除记录")))
            owner.exec(QStringLiteral("revoke select on 抽签删除记录 from examreader"));
        QFile::remove(site.serverFile());
        db::server::writeConnection(site.serverFile(), site.as(QStringLiteral("examreader")));
    }
    const QString target = out.filePath(QStringLiteral("备份.mdb"));
    if (targetExists) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    const QByteArray targetBefore = digest(target);

    const ExamdbRun r = examdb({"backup", target, site.folder()}, site.folder());
    QVERIFY2(r.printed().contains(said), qPrintable(r.printed()));
    QCOMPARE(r.status, status);
    const QStringList left = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
    if (status != 0) {
        QCOMPARE(left, targetExists ? QStringList{QStringLiteral("备份.mdb")} : QStringList());
        QCOMPARE(digest(target), targetBefore);
        return;
    }
    QCOMPARE(left, QStringList{QStringLiteral("备份.mdb")});
    const QString original = source == QLatin1String("file") ? site.file() : expected.filePath("Db/Exam.mdb");
    if (source != QLatin1String("file")) {
        // Made apart from the server's database: its password's derivation has a salt of its own.
        const QString stored =
            db::Database(target).scalar(QStringLiteral("select 密码 from 系统设置")).toString();
        QVERIFY(db::passwordMatches(stored, QStringLiteral("admin")));
        db::Database(original).exec(QStringLiteral("update 系统设置 set 密码=?"), {stored});
    }
    QCOMPARE(canonicalDump(db::Database(target)), canonicalDump(db::Database(original)));
}

QTEST_GUILESS_MAIN(TestServerCommands)
#include "test_server_commands.moc"
