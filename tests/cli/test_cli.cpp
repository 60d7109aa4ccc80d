// examdb's front end: the commands, their options and arguments, the help and the exit status;
// init's refusal and replacement of an existing file.
#include "cli/command_line.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/password_hash.h"
#include "db/server.h"
#include "run_examdb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("EXAM_DATA_DIR"); }
    void commandLines_data();
    void commandLines();
    void databaseFailuresAreSaid_data();
    void databaseFailuresAreSaid();
    void initRefusesReplacesAndShares();
    void backupIsSharedOnlyBesideTheDatabase();
    void killedBackupLeavesNoFile();
};

void TestCli::commandLines_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // in what it printed, out or err
    const QString usage = QStringLiteral("用法：");
    QTest::newRow("help") << QStringList{"help"} << 0 << QStringLiteral("退出状态：0 完成");
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << QStringLiteral("examdb " EXAM_VERSION "\n");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << QStringLiteral("examdb verify [--project N]");
    QTest::newRow("no command") << QStringList{} << 2 << usage;
    QTest::newRow("unknown command") << QStringList{"drop"} << 2 << QStringLiteral("未知的命令：drop");
    QTest::newRow("a command's help")
        << QStringList{"import", "--help"} << 0 << QStringLiteral("examdb import FILE [--only");
    QTest::newRow("unknown option") << QStringList{"init", "--everything"} << 2
                                    << QStringLiteral("未知的选项：--everything\n用法：examdb init");
    QTest::newRow("too many arguments") << QStringList{"verify", "a", "b"} << 2 << usage;
    QTest::newRow("import without a file") << QStringList{"import"} << 2 << usage;
    QTest::newRow("option without its value")
        << QStringList{"verify", "--batch"} << 2 << QStringLiteral("Missing value after '--batch'");
    QTest::newRow("a batch that is no number") << QStringList{"verify", "--batch", "x"} << 2 << usage;
    QTest::newRow("verify, no database") << QStringList{"verify"} << 2 << QStringLiteral("数据库文件未找到");
    QTest::newRow("import, no database")
        << QStringList{"import", "名单.xls", "--yes"} << 2 << QStringLiteral("数据库文件未找到");
    QTest::newRow("template") << QStringList{"template"} << 0 << QStringLiteral("成功创建在程序安装目录");
    // A word that only begins commands lists them.
    const QString serverCommands =
        QStringLiteral("用法：\nexamdb server init CONNINFO [--demo] [--programs ACCOUNT] [FOLDER]\n");
    QTest::newRow("server without its word")
        << QStringList{"server"} << 2
        << QStringLiteral("examdb server 后面要跟一个子命令：\n") + serverCommands;
    QTest::newRow("server's help") << QStringList{"server", "--help"} << 0
                                   << QStringLiteral(
                                          "examdb server copy CONNINFO [--programs ACCOUNT] [FOLDER]\n");
    QTest::newRow("server, unknown word")
        << QStringList{"server", "drop"} << 2 << QStringLiteral("未知的命令：server drop\n") + serverCommands;
    QTest::newRow("server init without CONNINFO") << QStringList{"server", "init"} << 2 << usage;
    QTest::newRow("server copy's help")
        << QStringList{"server", "copy", "--help"} << 0
        << QStringLiteral("examdb server copy CONNINFO [--programs ACCOUNT] [FOLDER]");
    QTest::newRow("backup, no database")
        << QStringList{"backup", "备份.mdb"} << 2 << QStringLiteral("数据库文件未找到");
}

void TestCli::commandLines() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, said);
    QTemporaryDir programs;
    const ExamdbRun r = examdb(args, programs.path());
    QCOMPARE(r.status, status);
    const QString printed = r.out + r.err;
    QVERIFY2(printed.contains(said), qPrintable(printed));
}

// Another program's SQLite file passes the look at its first bytes and is refused only as the
// command opens it: each command says so after its own words, on the error stream, and exits 2.
void TestCli::databaseFailuresAreSaid_data() {
    QTest::addColumn<QStringList>("args"); // "{}" stands for the program folder
    QTest::addColumn<QString>("words");
    QTest::newRow("verify") << QStringList{"verify", "{}"} << QStringLiteral("读取数据库时出错，无法核验：");
    QTest::newRow("backup") << QStringList{"backup", "{}/备份.mdb", "{}"}
                            << QStringLiteral("备份未完成，未写入任何文件：");
    QTest::newRow("import") << QStringList{"import", TEST_DATA_DIR "/import/roster.xls", "--yes", "{}"}
                            << QStringLiteral("读写数据库时出错：");
}

void TestCli::databaseFailuresAreSaid() {
    QFETCH(QStringList, args);
    QFETCH(QString, words);
    QTemporaryDir programs;
    QVERIFY(QDir(programs.path()).mkpath(QStringLiteral("Db")));
    db::Database(db::databasePath(programs.path()), db::Database::Mode::Create)
        .exec(QStringLiteral("create table 成绩 (分数 integer)"));
    const ExamdbRun r = examdb(args.replaceInStrings(QStringLiteral("{}"), programs.path()), programs.path());
    QCOMPARE(r.status, 2);
    QVERIFY2(r.out.isEmpty() && r.err.startsWith(words + db::refusalText(db::FileKind::OtherSqlite)),
             qPrintable(r.printed()));
}

void TestCli::initRefusesReplacesAndShares() {
    QTemporaryDir programs;
    const QString path = db::databasePath(programs.path());
    ExamdbRun r = examdb({"init"}, programs.path());
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains(path), qPrintable(r.out));
    {
        db::Database d(path);
        d.exec(QStringLiteral("update 系统设置 set 单位名称='保留'"));
    }
    // Its Db folder given as FOLDER: refused with the folder meant, and no second database.
    const QString dataFolder = QFileInfo(path).absolutePath();
    for (const QStringList& args : {QStringList{"init", dataFolder}, QStringList{"verify", dataFolder}}) {
        r = examdb(args, programs.path());
        QVERIFY2(r.status == 2 && r.err.contains(QStringLiteral("请改用：") + programs.path()),
                 qPrintable(r.err));
    }
    QVERIFY(!QFile::exists(db::databasePath(dataFolder)));
    r = examdb({"init", "--demo"}, programs.path());
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("已存在，未作改动")), qPrintable(r.err));
    QCOMPARE(db::Database(path).scalar(QStringLiteral("select 单位名称 from 系统设置")).toString(),
             QStringLiteral("保留"));

    // A journal left beside the old file goes with it, so it is never played into the new one.
    QFile journal(path + QStringLiteral("-journal"));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write(QByteArray(512, 'x'));
    journal.close();
    r = examdb({"init", "--demo", "--force"}, programs.path());
    QCOMPARE(r.status, 0);
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    QCOMPARE(db::Database(path).scalar(QStringLiteral("select count(*) from 考点设置")).toInt(), 1);
    // The demo's password admin is stored as its derivation, never as itself.
    const QString stored = db::Database(path).scalar(QStringLiteral("select 密码 from 系统设置")).toString();
    QVERIFY2(db::isPasswordHash(stored) && db::passwordMatches(stored, QStringLiteral("admin")),
             qPrintable(stored));

    // A folder that uses a server keeps its Exam.server, --force or not.
    const QString server = QFileInfo(path).dir().filePath(QStringLiteral("Exam.server"));
    QVERIFY(db::server::writeConnection(server, QStringLiteral("host=db.example user=exam")));
    const QByteArray named = fileBytes(server);
    r = examdb({"init", "--demo", "--force"}, programs.path());
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("已指定数据库服务器，未作改动")), qPrintable(r.err));
    QCOMPARE(fileBytes(server), named);
    QVERIFY(QFile::remove(server));

#if !defined(Q_OS_WIN)
    // In a folder its group may write (the installed package's), every member can save.
    QTemporaryDir shared;
    QVERIFY(QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                     QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup));
    qputenv("EXAM_DATA_DIR", shared.path().toLocal8Bit());
    QCOMPARE(examdb({"init"}, programs.path()).status, 0);
    const QString sharedFile = QDir(shared.path()).filePath(QStringLiteral("Exam.mdb"));
    QVERIFY(QFile::permissions(sharedFile).testFlag(QFile::WriteGroup));
#endif
}

void TestCli::backupIsSharedOnlyBesideTheDatabase() {
#if defined(Q_OS_WIN)
    QSKIP("a file's group and mode are POSIX");
#else
    QTemporaryDir programs, elsewhere;
    const QString path = db::databasePath(programs.path());
    QCOMPARE(examdb({"init"}, programs.path()).status, 0);
    const QFile::Permissions shared =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(path, shared));
    const QString beside = QFileInfo(path).dir().filePath(QStringLiteral("copy.mdb"));
    const QString away = QDir(elsewhere.path()).filePath(QStringLiteral("copy.mdb"));
    for (const QString& target : {beside, away})
        QCOMPARE(examdb({"backup", target, programs.path()}, programs.path()).status, 0);
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    QCOMPARE(QFile::permissions(beside) & ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser), shared);
    QCOMPARE(QFileInfo(beside).groupId(), QFileInfo(path).groupId());
    QCOMPARE(QFile::permissions(away) & ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser), owner);
#endif
}

void TestCli::killedBackupLeavesNoFile() {
    // A backup killed while it copies a large database (a power cut, a kill): nothing stands
    // under the backup's name, so no half file is ever taken for a backup.
    QTemporaryDir dir, out;
    QDir(dir.path()).mkpath(QStringLiteral("Db"));
    const QString file = dir.filePath(QStringLiteral("Db/Exam.mdb"));
    db::createDatabase(file, true, QDateTime::currentDateTime());
    {
        db::Database d(file, db::Database::Mode::ReadWrite);
        d.exec(
            QStringLiteral("insert into 人员安排 (项目编号, 姓名) select 99, hex(randomblob(3000)) from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 20000) "
                           "select i from n)"));
    }
    const QString target = out.filePath(QStringLiteral("备份.mdb"));
    QProcess backup;
    backup.start(QStringLiteral(EXAMDB), {QStringLiteral("backup"), target, dir.path()});
    QVERIFY(backup.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (QDir(out.path()).isEmpty() && backup.state() == QProcess::Running && waited.elapsed() < 60000)
        QThread::msleep(2);
    QVERIFY2(backup.state() == QProcess::Running, "the backup ended before it could be killed");
    backup.kill();
    QVERIFY(backup.waitForFinished());
    QVERIFY2(!QFileInfo::exists(target), qPrintable(QDir(out.path()).entryList().join(u' ')));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
