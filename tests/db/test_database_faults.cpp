// The database under faults: files that are not ours, saves still in a WAL that cannot be
// read, network drives, and the engine's errors in the operator's words.
#include "cli/command_line.h"
#include "common/startup.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"
#include "test_db.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Mode = db::Database::Mode;

// Stands for a network drive (or a local disk) while it lives.
class ForcedLocation {
public:
    explicit ForcedLocation(bool network)
        : previous_(db::setNetworkProbe(network ? +[](const QString&) { return true; }
                                                : +[](const QString&) { return false; })) {}
    ~ForcedLocation() { db::setNetworkProbe(previous_); }
    ForcedLocation(const ForcedLocation&) = delete;
    ForcedLocation& operator=(const ForcedLocation&) = delete;

private:
    db::NetworkProbe previous_;
};

// Every entry of the folder with its bytes; a pipe is named, never read.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::System | QDir::Hidden)) {
        QFile f(info.absoluteFilePath());
        if (!info.isFile())
            files.insert(info.fileName(), "(not a regular file)");
        else if (f.open(QIODevice::ReadOnly))
            files.insert(info.fileName(), f.readAll());
    }
    return files;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Overwrites `length` bytes from `offset` with garbage.
void damage(const QString& path, qint64 offset, qint64 length) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    f.write(QByteArray(length, char(0xA5)));
}

// The files of `path` (main file and sidecars) as they lie while `d` is still open: what a
// crash at this moment leaves on the disk.
void copyAsCrashed(const QString& path, const QString& target, bool withIndex = false) {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-journal"),
                                  withIndex ? QStringLiteral("-shm") : QStringLiteral("-none")}) {
        if (QFile::exists(path + suffix))
            QVERIFY(QFile::copy(path + suffix, target + suffix));
    }
}

#if !defined(Q_OS_WIN)
// Bounds a test that may open a named pipe: a program that opens one for reading waits for a
// writer for ever. After ten seconds the watchdog becomes that writer, again and again, so the
// test goes on and fails with a message instead of hanging until CTest's time limit.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const QString& pipe) : pipe_(QFile::encodeName(pipe)) {
        thread_ = std::thread([this] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopped_.wait_for(lock, std::chrono::seconds(10), [this] { return done_; }))
                return;
            while (!stopped_.wait_for(lock, std::chrono::milliseconds(100), [this] { return done_; })) {
                const int fd = ::open(pipe_.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                    fired_ = true;
                }
            }
        });
    }
    ~PipeWatchdog() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        stopped_.notify_all();
        thread_.join();
    }
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;

    bool fired() const { return fired_; }

private:
    QByteArray pipe_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool done_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};
#endif

const QString kForeignTable = QStringLiteral("create table 成绩 (姓名 text, 分数 integer)");
const QString kForeignRows =
    QStringLiteral("insert into 成绩 values ('张三', 90), ('李四', 85), ('王五', 77), ('赵六', 68)");

enum class Kind {
    Missing,
    Access,
    Empty,
    Text,
    ForeignRollback,
    ForeignWal,
    ForeignSavesInWal,
    ForeignSavesInWalWithIndex,
    ForeignInterruptedSave,
    InterruptedSaveOverDamage,
    OlderExam,
    LookAlike,
    Pipe,
    HeaderThenGarbage,
    DamagedSchemaPage,
    DamagedDataPage,
    Truncated,
};

// An exam database with a project of 40 rooms, closed: everything is in the main file.
void examFile(const QString& path) {
    db::Database d(path, Mode::Create);
    db::createSchema(d);
    db::insertSystemSettings(d, QStringLiteral("测试单位"));
    db::Transaction tx(d);
    for (int i = 1; i <= 80; ++i) {
        d.exec(QStringLiteral("insert into 人员安排 (项目编号, 分类, 分组号, 工作任务, 姓名) values (1, "
                              "'监考员', ?, ?, ?)"),
               {QStringLiteral("%1").arg((i + 1) / 2, 3, 10, QLatin1Char('0')),
                i % 2 ? QStringLiteral("甲") : QStringLiteral("乙"), QStringLiteral("教师%1").arg(i)});
    }
    tx.commit();
}

void build(Kind kind, const QString& path, const QString& scratch) {
    switch (kind) {
    case Kind::Missing:
        return;
    case Kind::Access: {
        QByteArray access(4096, '\0');
        access.replace(4, 15, "Standard Jet DB");
        writeFile(path, access);
        return;
    }
    case Kind::Empty:
        writeFile(path, {});
        return;
    case Kind::Text:
        writeFile(path, QStringLiteral("姓名,分数\r\n张三,90\r\n").toUtf8());
        return;
    case Kind::ForeignRollback:
    case Kind::ForeignWal: {
        db::Database d(path, Mode::Create);
        if (kind == Kind::ForeignRollback)
            d.exec(QStringLiteral("pragma journal_mode=delete"));
        d.exec(kForeignTable);
        d.exec(kForeignRows);
        return;
    }
    case Kind::ForeignSavesInWal:
    case Kind::ForeignSavesInWalWithIndex: {
        db::Database d(scratch, Mode::Create);
        d.exec(kForeignTable);
        d.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
        d.exec(kForeignRows);
        copyAsCrashed(scratch, path, kind == Kind::ForeignSavesInWalWithIndex);
        return;
    }
    case Kind::LookAlike: {
        // The six names, the columns of another program.
        db::Database d(path, Mode::Create);
        d.exec(QStringLiteral("pragma journal_mode=delete"));
        for (const QString& table : db::requiredTables())
            d.exec(QStringLiteral("create table %1 (编号 integer, 内容 text)").arg(table));
        return;
    }
    case Kind::Pipe:
#if defined(Q_OS_WIN)
        QSKIP("no named pipes in the file system on Windows");
#else
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
#endif
        return;
    case Kind::ForeignInterruptedSave: {
        db::Database d(scratch, Mode::Create);
        d.exec(QStringLiteral("pragma journal_mode=delete"));
        d.exec(kForeignTable);
        d.exec(kForeignRows);
        // A small cache spills the transaction's pages into the main file before it commits.
        d.exec(QStringLiteral("pragma cache_size=10"));
        d.begin();
        d.exec(
            QStringLiteral("insert into 成绩 select hex(randomblob(3000)), 0 from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
                           "select i from n)"));
        copyAsCrashed(scratch, path);
        d.rollback();
        QVERIFY(QFile::exists(path + QStringLiteral("-journal")));
        return;
    }
    case Kind::InterruptedSaveOverDamage: {
        // A file from before the mark: a save cut off while its pages spilled into the main
        // file, over a page of the timetable that was damaged before and that the save never
        // touched. Only the rolled-back state shows whether the file is sound.
        examFile(scratch);
        db::Database d(scratch, Mode::ReadWrite);
        d.exec(QStringLiteral("pragma journal_mode=delete"));
        d.exec(QStringLiteral("pragma application_id=0"));
        d.exec(
            QStringLiteral("insert into 时间安排 (项目编号, 科目) select 1, hex(randomblob(500)) from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 200) "
                           "select i from n)"));
        const qint64 page = d.scalar(QStringLiteral("pragma page_count")).toLongLong() - 2;
        d.exec(QStringLiteral("pragma cache_size=10"));
        d.begin();
        d.exec(
            QStringLiteral("insert into 人员安排 (项目编号, 姓名) select 1, hex(randomblob(2000)) from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
                           "select i from n)"));
        copyAsCrashed(scratch, path);
        d.rollback();
        damage(path, (page - 1) * 4096, 4096);
        QVERIFY(QFile::exists(path + QStringLiteral("-journal")));
        return;
    }
    case Kind::OlderExam: {
        examFile(path);
        db::Database d(path, Mode::Create);
        d.exec(QStringLiteral("drop table 抽签历史"));
        return;
    }
    case Kind::HeaderThenGarbage:
        writeFile(path, QByteArray("SQLite format 3\0", 16) + QByteArray(8176, char(0xA5)));
        return;
    case Kind::DamagedSchemaPage:
        examFile(path);
        damage(path, 100, 3000);
        return;
    case Kind::DamagedDataPage:
        examFile(path);
        damage(path, 4096 * 5, 4096);
        return;
    case Kind::Truncated:
        examFile(path);
        QVERIFY(QFile::resize(path, 4096));
        return;
    }
}

enum class Fault {
    WriteThroughReadOnly,
    MissingTable,
    MissingColumn,
    FileFull,
    DamagedPage,
    Locked,
    JournalSwitchWhileHeld
};

void provoke(Fault fault, TestDb& t) {
    switch (fault) {
    case Fault::WriteThroughReadOnly: {
        t.db.reset();
        db::Database(t.path(), Mode::ReadOnly).exec(QStringLiteral("delete from 考点设置"));
        return;
    }
    case Fault::MissingTable:
        t.db->exec(QStringLiteral("drop table 人员安排"));
        t.db->query(QStringLiteral("select * from 人员安排"));
        return;
    case Fault::MissingColumn:
        t.db->query(QStringLiteral("select 身高 from 人员安排"));
        return;
    case Fault::FileFull: {
        const int pages = t.db->scalar(QStringLiteral("pragma page_count")).toInt();
        t.db->query(QStringLiteral("pragma max_page_count=%1").arg(pages + 2));
        t.db->exec(QStringLiteral("insert into 人员安排 (姓名) values (hex(randomblob(100000)))"));
        return;
    }
    case Fault::DamagedPage: {
        t.db.reset();
        examFile(t.dir.filePath(QStringLiteral("Db/Big.mdb")));
        damage(t.dir.filePath(QStringLiteral("Db/Big.mdb")), 4096 * 2, 4096 * 6);
        db::Database(t.dir.filePath(QStringLiteral("Db/Big.mdb")), Mode::ReadOnly)
            .query(QStringLiteral("select * from 人员安排"));
        return;
    }
    case Fault::Locked: {
        db::Database other(t.path(), Mode::ReadWrite);
        db::Transaction held(other);
        other.exec(QStringLiteral("insert into 考点设置 (考试名称) values ('另一台电脑')"));
        t.db->query(QStringLiteral("pragma busy_timeout=0"));
        t.db->exec(QStringLiteral("insert into 考点设置 (考试名称) values ('本机')"));
        return;
    }
    case Fault::JournalSwitchWhileHeld: {
        ForcedLocation network(true);
        const db::Database second(t.path(), Mode::ReadWrite);
        return;
    }
    }
}

#if !defined(Q_OS_WIN)
void setMode(const QString& path, QFile::Permissions permissions) {
    QVERIFY(QFile::setPermissions(path, permissions));
}
#endif

const QFile::Permissions kFolderOpen = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                       QFile::ExeOther;
const QFile::Permissions kFolderShut = kFolderOpen & ~QFile::Permissions(QFile::WriteOwner);

} // namespace

class TestDatabaseFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { home_ = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(home_); }

    void refusedFilesStayUntouched_data();
    void refusedFilesStayUntouched();
    void interruptedSaveIsRolledBack();
    void readOnlyRoute_data();
    void readOnlyRoute();
    void readOnlyFolderNeverShowsAnOlderState();
    void permissionsWordedAsPermissions_data();
    void permissionsWordedAsPermissions();
    void journalFollowsTheFileSystem_data();
    void journalFollowsTheFileSystem();
    void engineErrorsInPlainWords_data();
    void engineErrorsInPlainWords();
    void realFaultsInPlainWords_data();
    void realFaultsInPlainWords();
    void fullDiskIsSaidAsFull_data();
    void fullDiskIsSaidAsFull();
    void fullDiskThenFreedLosesNothing();
    void cutOffCheckpointIsNoDamage();
    void interruptedSaveLooks_data();
    void interruptedSaveLooks();
    void readersLeaveNothingBeside();

private:
    // The start-up open of `folder` by a user who may not write its Db folder: the output of
    // startup_probe, or empty with `whyNot` when this machine cannot show it.
    QString openWithoutWriteRights(const QString& folder, QString& whyNot);
    // What `program` printed, run by root as nobody; empty with `whyNot` when this machine cannot
    // show it.
    QString runAsAnotherAccount(const QString& program, const QStringList& args, QString& whyNot);
    // The output of `script` run by sh in a mount namespace of its own, with $M a small file
    // system of `kib` KiB holding Db/Exam.mdb copied from `database` (and its journal), and
    // $PROBE, $SAVES and $EXAMDB the start-up probe, the save loop and examdb; empty with
    // `whyNot` when this machine cannot mount one.
    QString onSmallDisk(const QString& database, const QString& script, QString& whyNot, int kib = 1200);

    QString home_;
};

void TestDatabaseFaults::refusedFilesStayUntouched_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("said"); // in the start-up message
    const QString notOurs = QStringLiteral("不是本系统的数据库（缺少所需的数据表）");
    const QString damaged = QStringLiteral("数据库文件已损坏");
    QTest::newRow("missing") << int(Kind::Missing) << QStringLiteral("数据库文件未找到");
    QTest::newRow("Access file") << int(Kind::Access) << QStringLiteral("Access格式");
    QTest::newRow("empty file") << int(Kind::Empty) << QStringLiteral("空文件");
    QTest::newRow("text file") << int(Kind::Text) << QStringLiteral("格式无法识别");
    QTest::newRow("named pipe") << int(Kind::Pipe) << QStringLiteral("不是普通文件");
    QTest::newRow("other program's SQLite") << int(Kind::ForeignRollback) << notOurs;
    QTest::newRow("other program's SQLite in WAL mode") << int(Kind::ForeignWal) << notOurs;
    QTest::newRow("other program's saves in its WAL") << int(Kind::ForeignSavesInWal) << notOurs;
    QTest::newRow("other program's saves in its WAL, with its index")
        << int(Kind::ForeignSavesInWalWithIndex) << notOurs;
    QTest::newRow("other program's interrupted save") << int(Kind::ForeignInterruptedSave) << notOurs;
    QTest::newRow("look-alike: our tables, other columns")
        << int(Kind::LookAlike) << QStringLiteral("缺少所需的字段");
    QTest::newRow("older exam database") << int(Kind::OlderExam) << QStringLiteral("缺少数据表 抽签历史");
    QTest::newRow("SQLite header, then garbage") << int(Kind::HeaderThenGarbage) << damaged;
    QTest::newRow("damaged schema page") << int(Kind::DamagedSchemaPage) << damaged;
    QTest::newRow("cut after the first page") << int(Kind::Truncated) << damaged;
    // The damage in the operator's words, the engine's after them.
    QTest::newRow("interrupted save over a damaged page") << int(Kind::InterruptedSaveOverDamage) << damaged;
    QTest::newRow("damaged data page")
        << int(Kind::DamagedDataPage) << QStringLiteral("详细信息：第6页损坏（");
}

void TestDatabaseFaults::refusedFilesStayUntouched() {
    QFETCH(int, kind);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    const QString path = db::databasePath(dir.path());
    build(Kind(kind), path, dir.filePath(QStringLiteral("scratch.db")));
    const QMap<QString, QByteArray> before = snapshot(dir.filePath(QStringLiteral("Db")));
#if !defined(Q_OS_WIN)
    const std::optional<PipeWatchdog> watchdog =
        Kind(kind) == Kind::Pipe ? std::make_optional<PipeWatchdog>(path) : std::nullopt;
    const auto hung = qScopeGuard([&watchdog] {
        if (watchdog && watchdog->fired())
            QFAIL("the pipe was opened and waited on: the programs would hang");
    });
#endif

    // Vardel and Morvek open for writing, Quillet only reads.
    for (const bool writes : {true, false}) {
        common::RunState state;
        const base::Result<common::StartupDatabase> start =
            common::openStartupDatabase(state, dir.path(), writes);
        QVERIFY(!start);
        QVERIFY2(start.error().text().contains(said), qPrintable(start.error().text()));
    }
    // The examdb commands that open the file: none can run on it, and init does not replace it.
    QString out, err;
    QTextStream o(&out), e(&err), in(stdin);
    const cli::Context c{dir.path(), QDateTime::currentDateTime(), {in, o, e}};
    QCOMPARE(cli::run({QStringLiteral("verify"), dir.path()}, c), int(cli::kCouldNotRun));
    QCOMPARE(cli::run({QStringLiteral("import"), QStringLiteral(TEST_DATA_DIR "/import/roster.xls"),
                       QStringLiteral("--yes"), dir.path()},
                      c),
             int(cli::kCouldNotRun));
    if (Kind(kind) != Kind::Missing)
        QCOMPARE(cli::run({QStringLiteral("init"), QStringLiteral("--demo"), dir.path()}, c),
                 int(cli::kRefused));
    QVERIFY2(err.count(said) >= 2, qPrintable(err));

    const QMap<QString, QByteArray> after = snapshot(dir.filePath(QStringLiteral("Db")));
    QCOMPARE(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key() + QStringLiteral(" changed")));
}

void TestDatabaseFaults::interruptedSaveIsRolledBack() {
    // A save stopped halfway on a rollback-journal file, while the first page was being
    // written: the main file alone looks damaged, the journal holds what was there before.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    const QString path = db::databasePath(dir.path()), scratch = dir.filePath(QStringLiteral("scratch.db"));
    examFile(scratch);
    {
        db::Database d(scratch, Mode::ReadWrite);
        d.exec(QStringLiteral("pragma journal_mode=delete"));
        d.exec(QStringLiteral("pragma cache_size=10"));
        d.begin();
        d.exec(
            QStringLiteral("insert into 人员安排 (项目编号, 姓名) select 1, hex(randomblob(2000)) from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
                           "select i from n)"));
        copyAsCrashed(scratch, path);
        d.rollback();
    }
    QVERIFY(QFile::exists(path + QStringLiteral("-journal")));
    damage(path, 100, 3000);
    // Opened as the next program start opens it: the save is rolled back, nothing refused.
    const db::Database d(path, Mode::ReadWrite);
    QCOMPARE(d.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 人员安排")).toInt(), 80);
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
}

void TestDatabaseFaults::readOnlyRoute_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<qint64>("walBytes");
    QTest::addColumn<int>("route");
    const int immutable = int(db::ReadOnlyRoute::Immutable), refuse = int(db::ReadOnlyRoute::RefuseWal),
              fail = int(db::ReadOnlyRoute::Fail);
    QTest::newRow("no index, saves in the WAL") << 14 << qint64(4152) << refuse;
    QTest::newRow("no index, empty WAL") << 14 << qint64(0) << immutable;
    QTest::newRow("index cannot be made, no WAL") << 8 << qint64(0) << immutable;
    QTest::newRow("folder read-only, saves in the WAL") << (8 | 6 << 8) << qint64(32) << refuse;
    QTest::newRow("index cannot be initialised, no WAL") << (8 | 5 << 8) << qint64(0) << immutable;
    QTest::newRow("interrupted save") << (8 | 3 << 8) << qint64(0) << fail;
    QTest::newRow("busy") << 5 << qint64(0) << fail;
    QTest::newRow("damaged") << 11 << qint64(0) << fail;
    QTest::newRow("not a database") << 26 << qint64(4152) << fail;
    QTest::newRow("no code") << -1 << qint64(0) << fail;
}

void TestDatabaseFaults::readOnlyRoute() {
    QFETCH(int, code);
    QFETCH(qint64, walBytes);
    QFETCH(int, route);
    QCOMPARE(int(db::readOnlyRoute(code, walBytes)), route);
}

QString TestDatabaseFaults::openWithoutWriteRights(const QString& folder, QString& whyNot) {
#if defined(Q_OS_WIN)
    Q_UNUSED(folder);
    whyNot = QStringLiteral("a folder without write rights is made with ACLs on Windows");
    return {};
#else
    const QString dbFolder = folder + QStringLiteral("/Db");
    QProcess probe;
    if (::geteuid() == 0) {
        // Root writes anywhere: the probe runs as nobody, which may read but not write.
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty()) {
            whyNot = QStringLiteral("running as root without setpriv to become another user");
            return {};
        }
        setMode(folder, kFolderOpen);
        for (const QFileInfo& f : QDir(dbFolder).entryInfoList(QDir::Files))
            setMode(f.absoluteFilePath(),
                    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        setMode(dbFolder, kFolderOpen);
        probe.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups"), QStringLiteral(STARTUP_PROBE), folder});
    } else {
        setMode(dbFolder, kFolderShut);
        probe.start(QStringLiteral(STARTUP_PROBE), {folder});
    }
    probe.waitForFinished(60000);
    setMode(dbFolder, kFolderOpen);
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
#endif
}

void TestDatabaseFaults::readOnlyFolderNeverShowsAnOlderState() {
    // A program stopped while its last save was still in the WAL: the main file has one
    // subject, the WAL the second; the shared-memory index is gone.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    const QString path = db::databasePath(dir.path());
    {
        TestDb t;
        const int p = t.addProject();
        t.addSubject(p, QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 150);
        t.db.reset();
        db::Database d(t.path(), Mode::ReadWrite);
        d.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目) values (?, '数学')"), {p});
        copyAsCrashed(t.path(), path);
    }
    QVERIFY(QFileInfo(path + QStringLiteral("-wal")).size() > 0);
    QVERIFY(!QFile::exists(path + QStringLiteral("-shm")));

    QString whyNot;
    const QString refused = openWithoutWriteRights(dir.path(), whyNot);
    if (refused.isEmpty())
        QSKIP(qPrintable(whyNot));
    QVERIFY2(refused.startsWith(QStringLiteral("fatal\n")), qPrintable(refused));
    QVERIFY2(refused.contains(QStringLiteral("Exam.mdb-wal")) &&
                 refused.contains(QStringLiteral("可写入的位置")),
             qPrintable(refused));

    // Opened once where the folder can be written, the save joins the main file.
    { const db::Database once(path, Mode::ReadWrite); }
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    QCOMPARE(openWithoutWriteRights(dir.path(), whyNot).section(u'\n', 0, 0),
             QStringLiteral("open zd=1 subjects=2"));

    // An empty WAL holds no save: the main file alone is the latest state.
    writeFile(path + QStringLiteral("-wal"), {});
    QCOMPARE(openWithoutWriteRights(dir.path(), whyNot).section(u'\n', 0, 0),
             QStringLiteral("open zd=1 subjects=2"));
}

QString TestDatabaseFaults::runAsAnotherAccount(const QString& program, const QStringList& args,
                                                QString& whyNot) {
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
#if defined(Q_OS_WIN)
    Q_UNUSED(program);
    Q_UNUSED(args);
    whyNot = QStringLiteral("rights are given with ACLs on Windows");
    return {};
#else
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        whyNot = QStringLiteral("running as root without setpriv to become another user");
        return {};
    }
    run.start(setpriv, QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                   QStringLiteral("--clear-groups"), program} +
                           args);
    run.waitForFinished(60000);
    return QString::fromUtf8(run.readAll());
#endif
}

void TestDatabaseFaults::permissionsWordedAsPermissions_data() {
    // What the account may do with Db/ and with Db/Exam.mdb ("absent": no file); with `shared`
    // both belong to the group "users" that may write them, as the package's folder belongs to
    // its group. %1 stands for Db/, %2 for the file.
    QTest::addColumn<QString>("folderRights");
    QTest::addColumn<QString>("fileRights");
    QTest::addColumn<bool>("shared");
    QTest::addColumn<QString>("started"); // what the start-up says, refusing or warning
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("said"); // what examdb says
    const QString missing = QStringLiteral("数据库文件未找到，程序无法正常运行！");
    const QString unreadable =
        QStringLiteral("数据库文件无法读取，程序无法正常运行！\n当前账户没有读取考务数据库的权限，");
    const QString noWrite = QStringLiteral("当前账户没有修改考务数据库的权限，");
    const QString roster = QStringLiteral(TEST_DATA_DIR "/import/roster.xls");
    const QString warning = common::kReadOnlyWarningText + u'\n' + noWrite;
    const QString guard = common::readOnlyWriteText() + u'\n' + noWrite;
    const QString askFile =
        QStringLiteral("请让管理员为当前账户开放下面这个文件的写入权限\n（不可写入的文件：%2）");
    const QString askFolder =
        QStringLiteral("请让管理员为当前账户开放下面这个文件夹的写入权限\n（不可写入的文件夹：%1）");
    QTest::newRow("missing") << "rwx"
                             << "absent" << false << missing << QStringList{"verify"} << missing;
    QTest::newRow("a folder that cannot be entered")
        << ""
        << "rw" << false
        << unreadable +
               QStringLiteral("请让管理员为当前账户开放下面这个文件夹的读取权限\n（无法进入的文件夹：%1）")
        << QStringList{"verify"}
        << unreadable +
               QStringLiteral("请让管理员为当前账户开放下面这个文件夹的读取权限\n（无法进入的文件夹：%1）");
    QTest::newRow("a file that cannot be read")
        << "rwx"
        << "" << false
        << unreadable +
               QStringLiteral("请让管理员为当前账户开放下面这个文件的读取权限\n（无法读取的文件：%2）")
        << QStringList{"backup", "copy.mdb"}
        << unreadable +
               QStringLiteral("请让管理员为当前账户开放下面这个文件的读取权限\n（无法读取的文件：%2）");
    QTest::newRow("a file that cannot be written")
        << "rwx"
        << "r" << false << warning + askFile << QStringList{"import", roster, "--yes"} << guard + askFile;
    QTest::newRow("a folder that cannot be written")
        << "rx"
        << "rw" << false << warning + askFolder << QStringList{"import", roster, "--yes"}
        << guard + askFolder;
    QTest::newRow("a new database in a folder that cannot be written")
        << "rx"
        << "absent" << false << missing << QStringList{"init"} << noWrite + askFolder;
    QTest::newRow("the package's shared folder, outside its group")
        << "rx"
        << "r" << true << warning + QStringLiteral("请让管理员把账户加入 users 组\n（不可写入的文件：%2）")
        << QStringList{"import", roster, "--yes"}
        << guard + QStringLiteral("请让管理员把账户加入 users 组\n（不可写入的文件：%2）");
}

void TestDatabaseFaults::permissionsWordedAsPermissions() {
#if defined(Q_OS_WIN)
    QSKIP("rights are given with ACLs on Windows");
#else
    QFETCH(QString, folderRights);
    QFETCH(QString, fileRights);
    QFETCH(bool, shared);
    QFETCH(QString, started);
    QFETCH(QStringList, command);
    QFETCH(QString, said);
    // The rights of another account: root runs the programs as nobody.
    if (::geteuid() != 0)
        QSKIP("another account's rights need root, to run the programs as nobody");
    const ::group* users = ::getgrnam("users");
    if (shared && !users)
        QSKIP("the group users is missing");
    // Root owns everything; nobody has the rights of everyone else.
    const auto mode = [](const QString& rights, QFile::Permissions owner) {
        QFile::Permissions p = owner;
        if (rights.contains(u'r'))
            p |= QFile::ReadOther;
        if (rights.contains(u'w'))
            p |= QFile::WriteOther;
        if (rights.contains(u'x'))
            p |= QFile::ExeOther;
        return p;
    };
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Db")), file = db + QStringLiteral("/Exam.mdb");
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    const bool absent = fileRights == QLatin1String("absent");
    if (!absent)
        QVERIFY(db::createDatabase(file, false, QDateTime::currentDateTime()) == 0);
    const QFile::Permissions group = shared ? QFile::ReadGroup | QFile::WriteGroup : QFile::Permissions();
    setMode(dir.path(), kFolderOpen);
    if (!absent)
        setMode(file, mode(fileRights, QFile::ReadOwner | QFile::WriteOwner) | group);
    setMode(db, mode(folderRights, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) |
                    (shared ? group | QFile::ExeGroup : QFile::Permissions()));
    if (shared) {
        QCOMPARE(::chown(QFile::encodeName(db).constData(), 0, users->gr_gid), 0);
        QCOMPARE(::chown(QFile::encodeName(file).constData(), 0, users->gr_gid), 0);
    }
    const auto back = qScopeGuard([&] { setMode(db, kFolderOpen | QFile::WriteOther); });

    QString whyNot;
    const QString probe = runAsAnotherAccount(QStringLiteral(STARTUP_PROBE), {dir.path()}, whyNot);
    if (probe.isEmpty())
        QSKIP(qPrintable(whyNot));
    const auto filled = [&](QString text) {
        return text.replace(QStringLiteral("%1"), db).replace(QStringLiteral("%2"), file);
    };
    const QString expected = filled(started);
    QVERIFY2(probe.contains(expected), qPrintable(probe + QStringLiteral("\n---- expected:\n") + expected));
    const QString examdb =
        runAsAnotherAccount(QStringLiteral(EXAMDB), command + QStringList{dir.path()}, whyNot);
    QVERIFY2(examdb.contains(filled(said)),
             qPrintable(examdb + QStringLiteral("\n---- expected:\n") + filled(said)));
#endif
}

void TestDatabaseFaults::journalFollowsTheFileSystem_data() {
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("journal");
    QTest::newRow("local disk") << false << "wal";
    QTest::newRow("network drive") << true << "delete";
}

void TestDatabaseFaults::journalFollowsTheFileSystem() {
    QFETCH(bool, network);
    QFETCH(QString, journal);
    QVERIFY(!db::isNetworkLocation(QDir::tempPath()));
    TestDb t;
    t.db.reset();
    // Opened in the other way first, so the change itself is seen.
    for (const bool remote : {!network, network}) {
        ForcedLocation at(remote);
        common::RunState state;
        const base::Result<common::StartupDatabase> start = common::openStartupDatabase(state, t.folder());
        QVERIFY2(start, start ? "" : qPrintable(start.error().text()));
        if (remote != network)
            continue;
        QCOMPARE(start->db->scalar(QStringLiteral("pragma journal_mode")).toString(), journal);
        QCOMPARE(start->db->scalar(QStringLiteral("pragma synchronous")).toInt(), 2); // FULL
        QCOMPARE(start->db->scalar(QStringLiteral("pragma busy_timeout")).toInt(), 5000);
    }
    // The file's header says which journal the next opener finds: 2 for WAL, 1 for rollback.
    QFile f(t.path());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(int(f.read(20).at(18)), network ? 1 : 2);
    QCOMPARE(QFile::exists(t.path() + QStringLiteral("-wal")), false);
}

void TestDatabaseFaults::engineErrorsInPlainWords_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("wording"); // the start of the text; empty: the engine's text alone
    QTest::addColumn<QString>("words");   // the detail line's Chinese before the engine's own text
    const QString busy = QStringLiteral("数据库正被其他程序使用");
    const QString corrupt = QStringLiteral("数据库文件已损坏");
    const QString full = QStringLiteral("磁盘空间已满");
    const QString readOnly = QStringLiteral("数据库为只读属性");
    const QString io = QStringLiteral("读写数据库文件时磁盘或网络出错");
    const QString cantOpen = QStringLiteral("无法打开数据库文件");
    const QString schema = QStringLiteral("数据库中缺少所需的数据表或字段");
    QTest::newRow("busy") << 5 << "database is locked" << busy << QStringLiteral("数据库已被锁定");
    QTest::newRow("busy, snapshot") << (5 | 2 << 8) << "database is locked" << busy
                                    << QStringLiteral("数据库已被锁定");
    QTest::newRow("table locked") << 6 << "database table is locked" << busy
                                  << QStringLiteral("数据表已被锁定");
    QTest::newRow("busy, text only") << -1 << "database is locked" << busy
                                     << QStringLiteral("数据库已被锁定");
    QTest::newRow("malformed") << 11 << "database disk image is malformed" << corrupt
                               << QStringLiteral("数据库文件已损坏");
    QTest::newRow("not a database") << 26 << "file is not a database" << corrupt
                                    << QStringLiteral("文件不是数据库");
    QTest::newRow("malformed, text only")
        << -1 << "database disk image is malformed" << corrupt << QStringLiteral("数据库文件已损坏");
    QTest::newRow("disk full") << 13 << "database or disk is full" << full
                               << QStringLiteral("数据库或磁盘已满");
    QTest::newRow("disk full, text only")
        << -1 << "database or disk is full" << full << QStringLiteral("数据库或磁盘已满");
    QTest::newRow("read-only") << 8 << "attempt to write a readonly database" << readOnly
                               << QStringLiteral("试图写入只读的数据库");
    QTest::newRow("read-only, file moved") << (8 | 4 << 8) << "attempt to write a readonly database"
                                           << readOnly << QStringLiteral("试图写入只读的数据库");
    QTest::newRow("read-only, text only")
        << -1 << "attempt to write a readonly database" << readOnly << QStringLiteral("试图写入只读的数据库");
    QTest::newRow("I/O") << 10 << "disk I/O error" << io << QStringLiteral("磁盘读写错误");
    QTest::newRow("I/O, fsync") << (10 | 4 << 8) << "disk I/O error" << io << QStringLiteral("磁盘读写错误");
    QTest::newRow("I/O, text only") << -1 << "disk I/O error" << io << QStringLiteral("磁盘读写错误");
    QTest::newRow("cannot open") << 14 << "unable to open database file" << cantOpen
                                 << QStringLiteral("无法打开数据库文件");
    QTest::newRow("no such table") << 1 << "no such table: 抽签历史" << schema
                                   << QStringLiteral("没有此数据表");
    QTest::newRow("no such column") << 1 << "no such column: 数据批次" << schema
                                    << QStringLiteral("没有此字段");
    QTest::newRow("no column named") << 1 << "table 抽签总表 has no column named 科目" << schema << QString();
    // Not a write to a read-only file: the reader may not roll the save back.
    QTest::newRow("interrupted save")
        << (8 | 3 << 8) << "attempt to write a readonly database"
        << QStringLiteral("数据库上次保存未完成，需要由可写入的程序先恢复") << QStringLiteral("(none)");
    // A trigger's own words are not taken for the disk's.
    QTest::newRow("trigger says disk is full") << (19 | 7 << 8) << "disk is full" << QString() << QString();
    QTest::newRow("syntax") << 1 << "near \"form\": syntax error" << QString() << QString();
    QTest::newRow("driver") << -1 << "Parameter count mismatch" << QString()
                            << QStringLiteral("参数个数不符");
}

void TestDatabaseFaults::engineErrorsInPlainWords() {
    QFETCH(int, code);
    QFETCH(QString, engine);
    QFETCH(QString, wording);
    QFETCH(QString, words);
    const db::DbError e = db::DbError::fromEngine(code, engine);
    if (words == QLatin1String("(none)")) {
        QVERIFY2(e.text().startsWith(wording) && !e.text().contains(QStringLiteral("详细信息")),
                 qPrintable(e.text()));
        return;
    }
    QCOMPARE(e.detail(), engine);
    // The operator reads the engine's text in Chinese; support still finds its own words.
    const QString detail =
        words.isEmpty() ? engine : words + QStringLiteral("（") + engine + QStringLiteral("）");
    if (wording.isEmpty()) {
        QCOMPARE(e.kind(), db::ErrorKind::Other);
        QCOMPARE(e.text(), detail);
        return;
    }
    QVERIFY2(e.text().startsWith(wording), qPrintable(e.text()));
    QVERIFY2(e.text().endsWith(QStringLiteral("\n详细信息：") + detail), qPrintable(e.text()));
}

void TestDatabaseFaults::realFaultsInPlainWords_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("wording");
    QTest::newRow("write through a read-only connection")
        << int(Fault::WriteThroughReadOnly) << QStringLiteral("数据库为只读属性");
    QTest::newRow("missing table") << int(Fault::MissingTable)
                                   << QStringLiteral("数据库中缺少所需的数据表或字段");
    QTest::newRow("missing column") << int(Fault::MissingColumn)
                                    << QStringLiteral("数据库中缺少所需的数据表或字段");
    QTest::newRow("file full") << int(Fault::FileFull) << QStringLiteral("磁盘空间已满");
    QTest::newRow("damaged page") << int(Fault::DamagedPage) << QStringLiteral("数据库文件已损坏");
    QTest::newRow("another program writes") << int(Fault::Locked) << QStringLiteral("数据库正被其他程序使用");
    QTest::newRow("rollback journal while another holds the WAL")
        << int(Fault::JournalSwitchWhileHeld) << QStringLiteral("数据库正被其他程序使用");
}

void TestDatabaseFaults::realFaultsInPlainWords() {
    QFETCH(int, fault);
    QFETCH(QString, wording);
    TestDb t;
    t.addProject();
    try {
        provoke(Fault(fault), t);
        QFAIL("no error");
    } catch (const db::DbError& e) {
        QVERIFY2(e.text().startsWith(wording), qPrintable(e.text()));
        QVERIFY2(!e.detail().isEmpty() && e.text().endsWith(QStringLiteral("\n详细信息：") +
                                                            db::engineTextForOperator(e.detail())),
                 qPrintable(e.text()));
    }
}

void TestDatabaseFaults::fullDiskIsSaidAsFull_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("free");
    QTest::addColumn<int>("said");
    const int io = int(db::ErrorKind::Io), cantOpen = int(db::ErrorKind::CantOpen),
              full = int(db::ErrorKind::DiskFull), busy = int(db::ErrorKind::Busy);
    QTest::newRow("I/O, disk full") << io << qint64(0) << full;
    QTest::newRow("open, no room for the index") << cantOpen << qint64(20 * 1024) << full;
    QTest::newRow("I/O, room enough") << io << qint64(50) * 1024 * 1024 << io;
    QTest::newRow("I/O, free space unknown") << io << qint64(-1) << io;
    QTest::newRow("busy on a full disk") << busy << qint64(0) << busy;
}

void TestDatabaseFaults::fullDiskIsSaidAsFull() {
    QFETCH(int, kind);
    QFETCH(qint64, free);
    QFETCH(int, said);
    QCOMPARE(int(db::kindWithFreeSpace(db::ErrorKind(kind), free)), said);
}

void TestDatabaseFaults::fullDiskThenFreedLosesNothing() {
    // On a small file system of its own: a start-up with no room for the WAL index, then saves
    // until the disk is full (the save that meets it fails, the program's last checkpoint is cut
    // off), then the space freed: the next start opens and verify finds every confirmed save.
    const QTemporaryDir source;
    QVERIFY(db::createDatabase(source.filePath(QStringLiteral("Exam.mdb")), true,
                               QDateTime::currentDateTime()) > 0);
    const QString script = QStringLiteral(R"(
        fill() { rm -f "$M/filler"; dd if=/dev/zero of="$M/filler" bs=4k count=$1 2>/dev/null; }
        free=$(( $(df -k --output=avail "$M" | tail -1) / 4 ))
        fill $free; echo "== start on a full disk"; "$PROBE" "$M"
        fill $(( free - 75 )); echo "== saves"; "$SAVES" "$M" --saves 60; echo "== saver $?"
        rm -f "$M/filler"; echo "== start"; "$PROBE" "$M"
        echo "== verify"; "$EXAMDB" verify "$M"; echo "== verify $?")");
    QString whyNot;
    const QString out = onSmallDisk(source.filePath(QStringLiteral("Exam.mdb")), script, whyNot);
    if (out.isEmpty())
        QSKIP(qPrintable(whyNot));
    const auto part = [&out](const QString& heading) {
        return out.section(QStringLiteral("== ") + heading + u'\n', 1, 1)
            .section(QStringLiteral("\n=="), 0, 0);
    };
    const QString full = db::operatorWording(db::ErrorKind::DiskFull);
    QVERIFY2(part(QStringLiteral("start on a full disk")).contains(full), qPrintable(out));
    QVERIFY2(part(QStringLiteral("saves")).contains(full) && out.contains(QStringLiteral("== saver 1")),
             qPrintable(out));
    QVERIFY2(part(QStringLiteral("start")).startsWith(QStringLiteral("open zd=0")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("== verify 0")), qPrintable(out));
    const QStringList confirmed =
        part(QStringLiteral("saves")).split(u'\n', Qt::SkipEmptyParts).filter(QStringLiteral("\t"));
    QVERIFY2(confirmed.size() >= 2, qPrintable(out));
    for (const QString& save : confirmed)
        QVERIFY2(part(QStringLiteral("verify"))
                     .contains(QStringLiteral("批次 %1（").arg(save.section(u'\t', 1, 1))),
                 qPrintable(save + u'\n' + out));
}

void TestDatabaseFaults::cutOffCheckpointIsNoDamage() {
    // Saves in the WAL, then a checkpoint cut off by a full disk: the newest version of every
    // page the main file had room for is written into it, the pages beyond its end are not,
    // and the WAL stays. The main file alone is half written; with its WAL it is whole.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    const QString path = db::databasePath(dir.path()), scratch = dir.filePath(QStringLiteral("scratch.db"));
    examFile(scratch);
    {
        db::Database d(scratch, Mode::ReadWrite);
        d.exec(QStringLiteral("update 人员安排 set 姓名=姓名||'老师'"));
        d.exec(
            QStringLiteral("insert into 人员安排 (项目编号, 姓名) select 1, hex(randomblob(500)) from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 200) "
                           "select i from n)"));
        copyAsCrashed(scratch, path);
    }
    QFile wal(path + QStringLiteral("-wal")), main(path);
    QVERIFY(wal.open(QIODevice::ReadOnly) && main.open(QIODevice::ReadWrite));
    const QByteArray frames = wal.readAll();
    const auto word = [&frames](qint64 at) { return qFromBigEndian<quint32>(frames.constData() + at); };
    const qint64 pageSize = word(8), pagesInMain = main.size() / pageSize;
    int written = 0;
    for (qint64 at = 32; at + 24 + pageSize <= frames.size(); at += 24 + pageSize) {
        if (const qint64 page = word(at); page <= pagesInMain) {
            QVERIFY(main.seek((page - 1) * pageSize));
            main.write(frames.mid(at + 24, pageSize));
            ++written;
        }
    }
    main.close();
    QVERIFY(written > 2);

    for (const bool writes : {false, true}) {
        common::RunState state;
        const base::Result<common::StartupDatabase> start =
            common::openStartupDatabase(state, dir.path(), writes);
        QVERIFY2(start, start ? "" : qPrintable(start.error().text()));
        QCOMPARE(start->db->scalar(QStringLiteral("select count(*) from 人员安排")).toInt(), 280);
        QCOMPARE(start->db->damage(), QStringList());
    }
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
}

void TestDatabaseFaults::interruptedSaveLooks_data() {
    QTest::addColumn<bool>("marked");  // the file carries the exam database's mark
    QTest::addColumn<int>("tempKiB");  // the temporary folder's room; 0: as much as the disk has
    QTest::addColumn<QString>("said"); // empty: the program opens
    QTest::newRow("ours: no copy, even without room") << true << 256 << QString();
    QTest::newRow("older file: copied to look") << false << 0 << QString();
    QTest::newRow("older file, no room to copy")
        << false << 256 << QStringLiteral("/tmp 的空间不足，无法检查数据库文件");
}

void TestDatabaseFaults::interruptedSaveLooks() {
    // A save stopped halfway (a hot journal) over a file larger than the temporary folder. A
    // copy left by a look that was killed lies in the temporary folder and goes.
    QFETCH(bool, marked);
    QFETCH(int, tempKiB);
    QFETCH(QString, said);
    const QTemporaryDir source;
    const QString file = source.filePath(QStringLiteral("Exam.mdb")),
                  scratch = source.filePath(QStringLiteral("s"));
    examFile(scratch);
    {
        db::Database d(scratch, Mode::ReadWrite);
        d.exec(QStringLiteral("pragma journal_mode=delete"));
        d.exec(QStringLiteral("pragma application_id=%1").arg(marked ? db::kApplicationId : 0));
        d.exec(
            QStringLiteral("insert into 人员安排 (项目编号, 姓名) select 1, hex(randomblob(2000)) from "
                           "(with recursive n(i) as (select 1 union all select i + 1 from n where i < 200) "
                           "select i from n)"));
        d.exec(QStringLiteral("pragma cache_size=10"));
        d.begin();
        d.exec(QStringLiteral("update 人员安排 set 姓名=姓名||'老师'"));
        copyAsCrashed(scratch, file);
        d.rollback();
    }
    QVERIFY(QFileInfo(file).size() > 512 * 1024 && QFile::exists(file + QStringLiteral("-journal")));
    // What a look killed while it copied leaves: its folder, with the lock of a process gone.
    const QString leftover = QStringLiteral("exam-look-left");
    const QString script = QStringLiteral(R"(
        T="$M/tmp"; mkdir -p "$T"; [ %3 -eq 0 ] || mount -t tmpfs -o size=%3k tmpfs "$T"
        sh -c 'exit 0' & wait; mkdir "$T/%1"; printf '%s\nstartup_probe\n%2\n' $! > "$T/%1/lock"
        TMPDIR="$T" "$PROBE" "$M"; ls "$T" | grep -c exam-look)")
                               .arg(leftover, QSysInfo::machineHostName())
                               .arg(tempKiB);
    QString whyNot;
    const QString out = onSmallDisk(file, script, whyNot, 8192);
    if (out.isEmpty())
        QSKIP(qPrintable(whyNot));
    if (said.isEmpty())
        QVERIFY2(out.startsWith(QStringLiteral("open zd=0 subjects=0\n0")), qPrintable(out));
    else
        QVERIFY2(out.contains(said), qPrintable(out));
}

void TestDatabaseFaults::readersLeaveNothingBeside() {
    // The countdown, verify and backup only read: they leave no WAL or index of their own.
    TestDb t;
    t.db.reset();
    const QStringList alone{QStringLiteral("Exam.mdb")};
    const QDir folder(t.dir.filePath(QStringLiteral("Db")));
    {
        common::RunState state;
        const base::Result<common::StartupDatabase> countdown =
            common::openStartupDatabase(state, t.folder(), false);
        QVERIFY2(countdown, countdown ? "" : qPrintable(countdown.error().text()));
        countdown->db->scalar(QStringLiteral("select count(*) from 时间安排"));
    }
    QCOMPARE(folder.entryList(QDir::Files), alone);
    QString out, err;
    QTextStream o(&out), e(&err), in(stdin);
    const cli::Context c{t.folder(), QDateTime::currentDateTime(), {in, o, e}};
    QCOMPARE(cli::run({QStringLiteral("verify"), t.folder()}, c), int(cli::kDone));
    QCOMPARE(folder.entryList(QDir::Files), alone);
    QCOMPARE(cli::run({QStringLiteral("backup"), t.dir.filePath(QStringLiteral("copy.mdb")), t.folder()}, c),
             int(cli::kDone));
    QCOMPARE(folder.entryList(QDir::Files), alone);
}

QString TestDatabaseFaults::onSmallDisk(const QString& database, const QString& script, QString& whyNot,
                                        int kib) {
#if defined(Q_OS_LINUX)
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty()) {
        whyNot = QStringLiteral("no unshare to mount a small file system");
        return {};
    }
    QTemporaryDir mountPoint;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PROBE"), QStringLiteral(STARTUP_PROBE));
    env.insert(QStringLiteral("SAVES"), QStringLiteral(SAVE_LOOP));
    env.insert(QStringLiteral("EXAMDB"), QStringLiteral(EXAMDB));
    p.setProcessEnvironment(env);
    p.start(unshare,
            {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"),
             QStringLiteral("M=\"$1\"; mount -t tmpfs -o size=%1k tmpfs \"$M\" || exit 3; "
                            "mkdir \"$M/Db\" && cp \"$2\" \"$M/Db/Exam.mdb\" || exit 4; "
                            "[ ! -f \"$2-journal\" ] || cp \"$2-journal\" \"$M/Db/Exam.mdb-journal\"; ")
                     .arg(kib) +
                 script,
             QStringLiteral("sh"), mountPoint.path(), database});
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        whyNot = QStringLiteral("the run on a small file system did not end within two minutes");
        return {};
    }
    if (p.exitCode() == 3 || p.exitStatus() != QProcess::NormalExit) {
        whyNot = QStringLiteral("no small file system can be mounted here");
        return {};
    }
    return QString::fromUtf8(p.readAll());
#else
    Q_UNUSED(database);
    Q_UNUSED(script);
    Q_UNUSED(kib);
    whyNot = QStringLiteral("a small file system is mounted on Linux only");
    return {};
#endif
}

QTEST_GUILESS_MAIN(TestDatabaseFaults)
#include "test_database_faults.moc"
