#include "common/startup.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/date_text.h"
#include "db/db_file.h"
#include "db/password_hash.h"
#include "db/schema.h"
#include "test_db.h"
#include "test_relay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <functional>

#include <future>
#include <thread>

#if !defined(Q_OS_WIN)
#include <csignal>
#include <sys/types.h>
#endif

Q_DECLARE_METATYPE(std::function<void(TestDb&)>)

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boundValuesKeepQuotesAndStopInjection();
    void transactionRollsBackUnlessCommitted();
    void errorsCarryTheEngineText();
    void storedNumbers_data();
    void storedNumbers();
    void dateTexts_data();
    void dateTexts();
    void probeRecognisesFiles_data();
    void probeRecognisesFiles();
    void readOnlyLocations();
    void readOnlyDatabaseRefusesWrites();
    void newDatabaseHoldsSettingsAndTimetables();
    void demoProjectIsReadyToDraw();
    void serverAccountThatMayOnlyRead_data();
    void serverAccountThatMayOnlyRead();
    void serverFaultsByKind_data();
    void serverFaultsByKind();
    void serverConnectionLostAndBack();
    void serverCommitAfterAFailedStatement();
    void serverProblemsAtStartUp_data();
    void serverProblemsAtStartUp();
    void connectionStringsRefused_data();
    void connectionStringsRefused();
    void serverBlackHoleDuringASave();
    void serverVanishedPcReleasesTheLock();
    void serverStalledProcessIsGivenUp();
};

void TestDatabase::boundValuesKeepQuotesAndStopInjection() {
    TestDb t;
    const int p = t.addProject();
    const QString evil = QStringLiteral("语文' or '1'='1");
    t.addSubject(p, evil, QStringLiteral("2026-06-07 09:00:00"), 120);
    t.addSubject(p, QStringLiteral("数学"), QStringLiteral("2026-06-07 15:00:00"), 120);
    const db::Rows rows =
        t.db->query(QStringLiteral("select 科目 from 时间安排 where 项目编号=? and 科目=?"), {p, evil});
    QCOMPARE(rows.size(), 1);
    QCOMPARE(db::text(rows[0], QStringLiteral("科目")), evil);
    QCOMPARE(
        t.db->exec(QStringLiteral("delete from 时间安排 where 科目=?"), {QStringLiteral("x' or 1=1 --")}), 0);
    QCOMPARE(t.db->scalar(QStringLiteral("select count(*) from 时间安排 where 项目编号=?"), {p}).toInt(), 2);
}

void TestDatabase::transactionRollsBackUnlessCommitted() {
    TestDb t;
    const int p = t.addProject();
    {
        db::Transaction tx(*t.db);
        t.addSubject(p, QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 120);
    }
    QCOMPARE(t.db->scalar(QStringLiteral("select count(*) from 时间安排 where 项目编号=?"), {p}).toInt(), 0);
    {
        db::Transaction tx(*t.db);
        t.addSubject(p, QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 120);
        tx.commit();
    }
    QCOMPARE(t.db->scalar(QStringLiteral("select count(*) from 时间安排 where 项目编号=?"), {p}).toInt(), 1);
}

void TestDatabase::errorsCarryTheEngineText() {
    TestDb t;
    try {
        t.db->query(QStringLiteral("select * from 不存在的表"));
        QFAIL("no exception");
    } catch (const db::DbError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("不存在的表")), qPrintable(e.text()));
    }
}

void TestDatabase::storedNumbers_data() {
    QTest::addColumn<QString>("stored"); // an SQL expression
    QTest::addColumn<int>("read");       // -1: refused as a data error
    QTest::newRow("integer") << "25" << 25;
    QTest::newRow("text of a number") << "' 30 '" << 30;
    QTest::newRow("real") << "3.0" << 3;
    QTest::newRow("NULL") << "NULL" << 0;
    QTest::newRow("text") << "'abc'" << 0;
    QTest::newRow("largest int") << "2147483647" << 2147483647;
    QTest::newRow("1e10") << "1e10" << -1;
    QTest::newRow("below int") << "-2147483649" << -1;
    QTest::newRow("infinity") << "9e999" << -1;
    QTest::newRow("largest 64-bit") << "9223372036854775807" << -1;
}

void TestDatabase::storedNumbers() {
    QFETCH(QString, stored);
    QFETCH(int, read);
    TestDb t;
    const int p = t.addProject();
    try {
        t.db->exec(QStringLiteral("update 考点设置 set 默认行1=%1 where 编号=?").arg(stored), {p});
    } catch (const db::DbError& e) {
        // The server's integer column takes no value the programs could not read back.
        QVERIFY2(t.server && read <= 0, qPrintable(e.text()));
        QCOMPARE(e.kind(), db::ErrorKind::BadValue);
        return;
    }
    const db::Row row = t.db->query(QStringLiteral("select * from 考点设置 where 编号=?"), {p}).front();
    if (read >= 0) {
        QCOMPARE(db::integer(row, QStringLiteral("默认行1")), read);
        return;
    }
    try {
        db::integer(row, QStringLiteral("默认行1"));
        QFAIL("out of range, yet read");
    } catch (const db::DbError& e) {
        QCOMPARE(e.kind(), db::ErrorKind::BadValue);
        QVERIFY2(e.text().contains(QStringLiteral("数据表“考点设置”字段“默认行1”")), qPrintable(e.text()));
    }
}

void TestDatabase::dateTexts_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("stored");
    QTest::newRow("short") << "2005-6-7 9:00"
                           << "2005-06-07 09:00:00";
    QTest::newRow("iso") << "2026-06-07 09:30:15"
                         << "2026-06-07 09:30:15";
    QTest::newRow("slashes") << "2026/6/7 14:05"
                             << "2026-06-07 14:05:00";
    QTest::newRow("date only") << "2026-6-7"
                               << "2026-06-07 00:00:00";
    QTest::newRow("chinese") << "2026年6月7日 9:00"
                             << "2026-06-07 09:00:00";
    QTest::newRow("bad month") << "2026-13-01 09:00"
                               << "";
    QTest::newRow("bad hour") << "2026-06-07 25:00"
                              << "";
    QTest::newRow("text") << "明天上午"
                          << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestDatabase::dateTexts() {
    QFETCH(QString, input);
    QFETCH(QString, stored);
    const auto parsed = db::parseDateText(input);
    QCOMPARE(parsed ? db::toDateText(*parsed) : QString(), stored);
}

void TestDatabase::probeRecognisesFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind");
    QByteArray access(64, '\0');
    access.replace(4, 15, "Standard Jet DB");
    QByteArray ace(64, '\0');
    ace.replace(4, 15, "Standard ACE DB");
    QTest::newRow("access") << access << int(db::FileKind::Access);
    QTest::newRow("access 2007") << ace << int(db::FileKind::Access);
    QTest::newRow("empty") << QByteArray() << int(db::FileKind::Empty);
    QTest::newRow("text") << QByteArray("hello, this is no database") << int(db::FileKind::Foreign);
    QTest::newRow("sqlite") << QByteArray("SQLite format 3\0rest", 20) << int(db::FileKind::Sqlite);
}

void TestDatabase::probeRecognisesFiles() {
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Exam.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QCOMPARE(int(db::probeFile(path)), kind);
    QCOMPARE(int(db::probeFile(dir.filePath(QStringLiteral("none.mdb")))), int(db::FileKind::Missing));
    if (kind != int(db::FileKind::Sqlite))
        QVERIFY(!db::refusalText(db::FileKind(kind)).isEmpty());
}

void TestDatabase::readOnlyLocations() {
    TestDb t;
    if (t.server)
        QSKIP("what a server account may write is asked of the server");
    QVERIFY(!db::isReadOnlyLocation(t.path()));
    QFile::setPermissions(t.path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QVERIFY(db::isReadOnlyLocation(t.path()));
    QFile::setPermissions(t.path(), QFile::ReadOwner | QFile::WriteOwner);
    const QString folder = QFileInfo(t.path()).absolutePath();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(db::isReadOnlyLocation(t.path()));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestDatabase::readOnlyDatabaseRefusesWrites() {
    TestDb t;
    const int p = t.addProject();
    t.db.reset();
    db::Database ro(t.path(), db::Database::Mode::ReadOnly);
    QCOMPARE(ro.scalar(QStringLiteral("select count(*) from 考点设置 where 编号=?"), {p}).toInt(), 1);
    QVERIFY_THROWS_EXCEPTION(db::DbError, ro.exec(QStringLiteral("delete from 考点设置")));
}

void TestDatabase::newDatabaseHoldsSettingsAndTimetables() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Exam.mdb"));
    QCOMPARE(db::createDatabase(path, false, QDateTime(QDate(2026, 12, 8), QTime(9, 0))), 0);
    db::Database d(path);
    const db::Rows s = d.query(QStringLiteral("select * from 系统设置 where 状态='正常'"));
    QCOMPARE(s.size(), 1);
    QCOMPARE(db::text(s[0], QStringLiteral("用户名")), QStringLiteral("admin"));
    QVERIFY(db::passwordMatches(db::text(s[0], QStringLiteral("密码")), QStringLiteral("admin")));
    QVERIFY(d.scalar(QStringLiteral("select count(*) from 时间安排 where 分类='中考'")).toInt() >= 5);
    QVERIFY(d.scalar(QStringLiteral("select count(*) from 时间安排 where 分类='高考'")).toInt() >= 5);
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 时间安排 where 时长<30 or 时长>180")).toInt(), 0);
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 考点设置")).toInt(), 0);
}

void TestDatabase::demoProjectIsReadyToDraw() {
    QTemporaryDir dir;
    for (const QTime& at : {QTime(7, 5), QTime(11, 55), QTime(12, 0), QTime(23, 58), QTime(0, 1)}) {
        const QString path = dir.filePath(at.toString(QStringLiteral("HHmm")) + QStringLiteral(".mdb"));
        QVERIFY(db::createDatabase(path, true, QDateTime(QDate(2026, 12, 8), at)) > 0);
        db::Database d(path);
        const int p =
            d.scalar(QStringLiteral("select 当前项目 from 系统设置 where 状态='正常' order by 编号")).toInt();
        QCOMPARE(
            d.scalar(QStringLiteral(
                         "select count(distinct 分组号) from 人员安排 where 项目编号=? and 分类='监考员'"),
                     {p})
                .toInt(),
            30);
        QCOMPARE(d.scalar(QStringLiteral("select count(distinct 性别) from 人员安排 where 项目编号=?"), {p})
                     .toInt(),
                 2);
        QVERIFY(
            d.scalar(QStringLiteral("select count(distinct 来源单位) from 人员安排 where 项目编号=?"), {p})
                .toInt() > 2);
        QVERIFY(d.scalar(QStringLiteral("select count(*) from 人员安排 where 项目编号=? and 分类='场外监考' "
                                        "and 责任范围 is not null"),
                         {p})
                    .toInt() > 0);
        QVERIFY(d.scalar(QStringLiteral("select count(*) from 人员安排 where 项目编号=? and 分类='验卷' and "
                                        "责任范围 is not null"),
                         {p})
                    .toInt() > 0);
        // The first subject is current (120-minute lead, same half-day) whatever the hour.
        const QString start =
            d.scalar(QStringLiteral("select min(开考时间) from 时间安排 where 项目编号=?"), {p}).toString();
        const QDateTime s = *db::parseDateText(start);
        QCOMPARE(s.date(), QDate(2026, 12, 8));
        QCOMPARE(s.time().hour() < 12, at.hour() < 12);
    }
}

// The session settings a connection to the server starts with, as the server reports them.
QString sessionOf(const db::Database& d) {
    return d
        .scalar(QStringLiteral("select current_setting('lock_timeout') || ' ' || "
                               "current_setting('default_transaction_read_only')"))
        .toString();
}

void endConnections(const TestServerDatabase& server) {
    TestServerDatabase::admin(
        QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname='%1' and "
                       "pid <> pg_backend_pid()")
            .arg(server.name()));
}

void TestDatabase::serverAccountThatMayOnlyRead_data() {
    QTest::addColumn<QString>("rights");
    QTest::addColumn<QString>("said"); // at start-up
    const QString readOnly = QStringLiteral("服务器账户 examreader 只能读取数据库服务器");
    QTest::newRow("select only") << "select" << readOnly;
    // Without delete a save would fail part-way: such an account is read-only as well.
    QTest::newRow("select, insert and update") << "select, insert, update" << readOnly;
    // Its tables look missing to such an account: still it is the account, not the database.
    QTest::newRow("no rights") << "" << QStringLiteral("服务器账户 examreader 没有读取数据库服务器");
}

void TestDatabase::serverAccountThatMayOnlyRead() {
    QFETCH(QString, rights);
    QFETCH(QString, said);
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    if (!rights.isEmpty())
        t.db->exec(QStringLiteral("grant %1 on all tables in schema public to examreader").arg(rights));
    QTemporaryDir other;
    QDir(other.path()).mkpath(QStringLiteral("Db"));
    QString connection = t.server->connection();
    db::server::writeConnection(
        other.filePath(QStringLiteral("Db/Exam.server")),
        connection.replace(QStringLiteral("user=examtest"), QStringLiteral("user=examreader")));
    // The programs start as on a read-only file: the same warning, and every write refused,
    // also after the server ended the connection and the program made a new one.
    common::RunState state;
    const base::Result<common::StartupDatabase> start =
        common::openStartupDatabase(state, other.path(), true);
    // Named as an account, with what to ask the administrator for; no file, no attribute.
    const QString told =
        start ? common::readOnlyWarningText(state) + common::readOnlyWriteText(state) : start.error().text();
    QVERIFY2(told.contains(said) && told.contains(QStringLiteral("请让服务器管理员授予")) &&
                 !told.contains(QStringLiteral("文件")) && !told.contains(QStringLiteral("属性")),
             qPrintable(told));
    if (rights.isEmpty())
        return;
    QVERIFY2(start, start ? "" : qPrintable(start.error().text()));
    QVERIFY(start->readOnlyWarning && state.ZD && start->db->readOnly());
    QCOMPARE(sessionOf(*start->db), QStringLiteral("5s on"));
    endConnections(*t.server);
    QVERIFY_THROWS_EXCEPTION(db::DbError, start->db->scalar(QStringLiteral("select 1")));
    QCOMPARE(sessionOf(*start->db), QStringLiteral("5s on"));
    QCOMPARE(start->db->scalar(QStringLiteral("select 单位名称 from 系统设置")).toString(),
             QStringLiteral("测试单位"));
    try {
        start->db->exec(QStringLiteral("update 系统设置 set 单位名称=?"), {QStringLiteral("改")});
        QFAIL("written by an account that may only read");
    } catch (const db::DbError& e) {
        QCOMPARE(e.kind(), db::ErrorKind::ReadOnly);
    }
}

using Provoke = std::function<void(TestDb&)>;

void TestDatabase::serverFaultsByKind_data() {
    QTest::addColumn<Provoke>("provoke");
    QTest::addColumn<int>("kind");
    QTest::newRow("a lock another PC holds") << Provoke([](TestDb& t) {
        db::Database other(db::Database::Server{t.server->connection()}, db::Database::Mode::ReadWrite);
        db::Transaction held(other);
        other.query(QStringLiteral("select * from 系统设置 for update"));
        t.db->query(QStringLiteral("select * from 系统设置 for update nowait"));
    }) << int(db::ErrorKind::Busy);
    QTest::newRow("no right to the table") << Provoke([](TestDb& t) {
        t.db->exec(QStringLiteral("grant select on 系统设置 to examreader"));
        db::Database reader(db::Database::Server{QString(t.server->connection())
                                                     .replace(QStringLiteral("user=examtest"),
                                                              QStringLiteral("user=examreader"))},
                            db::Database::Mode::Create);
        reader.exec(QStringLiteral("insert into 考点设置 (考试名称) values ('x')"));
    }) << int(db::ErrorKind::ReadOnly);
    QTest::newRow("a read-only transaction") << Provoke([](TestDb& t) {
        db::Transaction tx(*t.db);
        t.db->exec(QStringLiteral("set transaction read only"));
        t.db->exec(QStringLiteral("insert into 考点设置 (考试名称) values ('x')"));
    }) << int(db::ErrorKind::ReadOnly);
    QTest::newRow("the connection ended by the server") << Provoke([](TestDb& t) {
        endConnections(*t.server);
        t.db->scalar(QStringLiteral("select count(*) from 系统设置"));
    }) << int(db::ErrorKind::Io);
}

// The server's errors raised for real, each taken for what the operator must hear.
void TestDatabase::serverFaultsByKind() {
    QFETCH(Provoke, provoke);
    QFETCH(int, kind);
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    try {
        provoke(t);
        QFAIL("no error");
    } catch (const db::DbError& e) {
        QVERIFY2(int(e.kind()) == kind, qPrintable(e.text()));
    }
}

void TestDatabase::serverConnectionLostAndBack() {
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    // The server ends the connection (a restart, a network that dropped out): the action that
    // meets it fails and says so, the next one works on a new connection, set up as the first.
    const QString session = sessionOf(*t.db);
    QCOMPARE(session, QStringLiteral("5s off"));
    endConnections(*t.server);
    try {
        t.db->scalar(QStringLiteral("select count(*) from 系统设置"));
        QFAIL("read through a connection the server ended");
    } catch (const db::DbError& e) {
        QVERIFY2(e.kind() == db::ErrorKind::Io && e.text().contains(QStringLiteral("连接已中断")),
                 qPrintable(e.text()));
    }
    QCOMPARE(t.db->scalar(QStringLiteral("select count(*) from 系统设置")).toInt(), 1);
    QCOMPARE(sessionOf(*t.db), session);
    t.addProject();
    QCOMPARE(t.db->scalar(QStringLiteral("select count(*) from 考点设置")).toInt(), 1);
}

void TestDatabase::serverCommitAfterAFailedStatement() {
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    const auto projects = [&t] {
        return t.db->scalar(QStringLiteral("select count(*) from 考点设置")).toInt();
    };
    // The server ends a transaction whose statement failed; its commit is no save.
    t.db->begin();
    t.addProject();
    QVERIFY_THROWS_EXCEPTION(db::DbError,
                             t.db->exec(QStringLiteral("insert into 考点设置 (默认行1) values ('x')")));
    QVERIFY_THROWS_EXCEPTION(db::DbError, t.db->commit());
    QCOMPARE(projects(), 0);
    // Back at a savepoint, the transaction is whole again and commits.
    t.db->begin();
    t.addProject();
    t.db->exec(QStringLiteral("savepoint probe"));
    QVERIFY_THROWS_EXCEPTION(db::DbError,
                             t.db->exec(QStringLiteral("insert into 考点设置 (默认行1) values ('x')")));
    t.db->exec(QStringLiteral("rollback to savepoint probe"));
    t.db->commit();
    QCOMPARE(projects(), 1);
}

void TestDatabase::serverProblemsAtStartUp_data() {
    QTest::addColumn<QString>("connection"); // %1: the test cluster's socket folder
    QTest::addColumn<QString>("password");   // PGPASSWORD, empty for none
    QTest::addColumn<QString>("said");
    QTest::newRow("no server listens") << "host=%1/nowhere user=examtest dbname=exam"
                                       << ""
                                       << "无法连接数据库服务器";
    QTest::newRow("no such database") << "host=%1 user=examtest dbname=nosuchdb"
                                      << ""
                                      << "上没有这个数据库";
    QTest::newRow("no password") << "host=%1 user=examlocked dbname=postgres"
                                 << ""
                                 << "拒绝登录";
    QTest::newRow("wrong password") << "host=%1 user=examlocked dbname=postgres"
                                    << "wrong"
                                    << "拒绝登录";
    QTest::newRow("right password, not ours") << "host=%1 user=examlocked dbname=postgres"
                                              << "right"
                                              << "不是本系统的数据库";
    QTest::newRow("password in the file") << "host=%1 user=examlocked password=right"
                                          << ""
                                          << "不能写密码";
    QTest::newRow("a URI") << "postgresql://examtest@localhost/exam"
                           << ""
                           << "host=… port=…";
}

void TestDatabase::serverProblemsAtStartUp() {
    QFETCH(QString, connection);
    QFETCH(QString, password);
    QFETCH(QString, said);
    if (!TestServerDatabase::wanted())
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    const QString socketFolder = TestServerDatabase::socketFolder();
    const QByteArray before = qgetenv("PGPASSWORD");
    qputenv("PGPASSWORD", password.toUtf8());
    const auto restore = qScopeGuard([&before] { qputenv("PGPASSWORD", before); });
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Db"));
    db::server::writeConnection(dir.filePath(QStringLiteral("Db/Exam.server")), connection.arg(socketFolder));
    for (const bool writes : {true, false}) {
        common::RunState state;
        const base::Result<common::StartupDatabase> start =
            common::openStartupDatabase(state, dir.path(), writes);
        QVERIFY(!start);
        // A PC on the server has no Exam.mdb to speak of.
        const QString fatal = start.error().text();
        QVERIFY2(fatal.contains(said) && !fatal.contains(QStringLiteral("Exam.mdb")), qPrintable(fatal));
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Db/Exam.mdb"))));
}

void TestDatabase::connectionStringsRefused_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("said"); // empty: accepted
    const QString noPassword = QStringLiteral("不能写密码（%1）");
    QTest::newRow("host, port, database and user") << "host=10.0.0.5 port=5433 dbname=exam user=centre"
                                                   << "";
    QTest::newRow("password") << "host=h password=secret" << noPassword.arg("password");
    QTest::newRow("password in capitals") << "host=h PASSWORD=secret" << noPassword.arg("PASSWORD");
    QTest::newRow("the key's password") << "host=h sslpassword=secret" << noPassword.arg("sslpassword");
    QTest::newRow("a connection string as the database's name") << "host=h dbname='exam password=secret'"
                                                                << "dbname 只能是数据库的名称";
    QTest::newRow("session settings of its own") << "host=h options='-c search_path=secret'"
                                                 << "不能用 options";
    QTest::newRow("a setting libpq does not know") << "host=h secret=1"
                                                   << "“secret”不是有效的设置项";
    QTest::newRow("a quote never closed") << "host=h dbname='secret"
                                          << "无法识别";
}

// What an Exam.server file or the command line may not hold: a message names the setting and
// never shows its value, which may be a secret.
void TestDatabase::connectionStringsRefused() {
    QFETCH(QString, connection);
    QFETCH(QString, said);
    const QString problem = db::server::connectionProblem(connection);
    QVERIFY2(said.isEmpty() ? problem.isEmpty() : problem.contains(said), qPrintable(problem));
    QVERIFY2(!problem.contains(QStringLiteral("=secret")) && !problem.contains(QStringLiteral("'secret")),
             qPrintable(problem));
}

namespace {

// Settings of the test's server database for every later connection, as an administrator would
// make them; short, so that the tests wait seconds rather than minutes.
void setForDatabase(const TestServerDatabase& server, const QString& setting, const QString& value) {
    TestServerDatabase::admin(
        QStringLiteral("alter database %1 set %2 = '%3'").arg(server.name(), setting, value));
}

QString throughRelay(const TestServerDatabase& server, const TestRelay& relay) {
    return QString(server.connection())
        .replace(QStringLiteral("host=") + TestServerDatabase::socketFolder(), relay.address());
}

QStringList subjectsOf(db::Database& d, int project) {
    QStringList out;
    for (const db::Row& r :
         d.query(QStringLiteral("select 科目 from 时间安排 where 项目编号=? order by 编号"), {project}))
        out << db::text(r, QStringLiteral("科目"));
    return out;
}

} // namespace

void TestDatabase::serverBlackHoleDuringASave() {
    // The network drops everything in the middle of a save: the save fails within the session's
    // bound, saying the server does not answer; with the network back the next save goes
    // through on a new connection; nothing of the failed save is left.
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    setForDatabase(*t.server, QStringLiteral("statement_timeout"), QStringLiteral("2s"));
    setForDatabase(*t.server, QStringLiteral("idle_in_transaction_session_timeout"), QStringLiteral("1s"));
    const int p = t.addProject();
    TestRelay relay(TestServerDatabase::socketFolder());
    db::Database pc(db::Database::Server{throughRelay(*t.server, relay)}, db::Database::Mode::ReadWrite);
    relay.cutAfter(30000);
    QElapsedTimer waited;
    try {
        db::Transaction save(pc);
        pc.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目) values (?, '语文')"), {p});
        relay.setMode(TestRelay::Mode::BlackHole);
        waited.start();
        pc.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目) values (?, '数学')"), {p});
        save.commit();
        QFAIL("saved through a network that takes nothing");
    } catch (const db::DbError& e) {
        QVERIFY2(e.kind() == db::ErrorKind::NoAnswer && e.text().contains(QStringLiteral("无响应")),
                 qPrintable(e.text()));
    }
    QVERIFY2(waited.elapsed() < 10000, qPrintable(QString::number(waited.elapsed())));
    relay.setMode(TestRelay::Mode::Pass);
    {
        db::Transaction save(pc);
        pc.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目) values (?, '英语')"), {p});
        save.commit();
    }
    QCOMPARE(subjectsOf(*t.db, p), QStringList{QStringLiteral("英语")});
}

void TestDatabase::serverVanishedPcReleasesTheLock() {
    // A PC drops off the network in the middle of its save, holding the writers' lock: the
    // server ends its transaction once it stays idle past the bound, and another PC's save,
    // waiting for the lock meanwhile, goes through.
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    setForDatabase(*t.server, QStringLiteral("idle_in_transaction_session_timeout"), QStringLiteral("2s"));
    const int p = t.addProject();
    TestRelay relay(TestServerDatabase::socketFolder());
    db::Database gone(db::Database::Server{throughRelay(*t.server, relay)}, db::Database::Mode::ReadWrite);
    db::Database other(db::Database::Server{t.server->connection()}, db::Database::Mode::ReadWrite);
    gone.begin();
    gone.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目) values (?, '语文')"), {p});
    relay.setMode(TestRelay::Mode::BlackHole);
    {
        db::Transaction save(other);
        other.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目) values (?, '数学')"), {p});
        save.commit();
    }
    QCOMPARE(subjectsOf(*t.db, p), QStringList{QStringLiteral("数学")});
}

void TestDatabase::serverStalledProcessIsGivenUp() {
#if defined(Q_OS_WIN)
    QSKIP("the server's process is stopped with a signal");
#else
    // The server's process for this connection stops (SIGSTOP) while the server itself runs:
    // the action waits no longer than the session's bound and says the server does not answer;
    // the next one works on a new connection.
    TestDb t;
    if (!t.server)
        QSKIP("needs the test cluster (EXAM_TEST_SERVER)");
    setForDatabase(*t.server, QStringLiteral("statement_timeout"), QStringLiteral("1s"));
    db::Database pc(db::Database::Server{t.server->connection()}, db::Database::Mode::ReadWrite);
    const pid_t process = pid_t(pc.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong());
    QVERIFY(::kill(process, SIGSTOP) == 0);
    // Resumed after 30 s at the latest, so that a program that would wait for ever fails here.
    std::promise<void> ended;
    std::thread resume([process, done = ended.get_future()] {
        done.wait_for(std::chrono::seconds(30));
        ::kill(process, SIGCONT);
    });
    const auto join = qScopeGuard([&] {
        ended.set_value();
        resume.join();
    });
    QElapsedTimer waited;
    waited.start();
    try {
        pc.scalar(QStringLiteral("select count(*) from 系统设置"));
        QFAIL("an answer from a stopped process");
    } catch (const db::DbError& e) {
        QVERIFY2(e.kind() == db::ErrorKind::NoAnswer, qPrintable(e.text()));
    }
    QVERIFY2(waited.elapsed() < 10000, qPrintable(QString::number(waited.elapsed())));
    QCOMPARE(pc.scalar(QStringLiteral("select count(*) from 系统设置")).toInt(), 1);
#endif
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
