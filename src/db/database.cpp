#include "db/database.h"

#include "db/db_file.h"
#include "db/schema.h"
#include "db/server.h"
#include "db/server_session.h"

#include <QFileInfo>

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLockFile>
#include <QMutex>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cmath>
#include <limits>
#include <optional>

namespace db {

namespace {

std::atomic<int> connectionCounter{0};

constexpr int kBusyMilliseconds = 5000;
const QString kBusyTimeout = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMilliseconds);
const QString kTablesSql = QStringLiteral("select name from sqlite_master where type='table'");

int engineCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : -1;
}

QString engineText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

// The table names, or the engine's error (invalid when there is none).
QSqlError readTableNames(const QSqlDatabase& d, QStringList& names) {
    QSqlQuery q(d);
    q.setForwardOnly(true);
    if (!q.exec(kTablesSql))
        return q.lastError();
    while (q.next())
        names << q.value(0).toString();
    return q.lastError();
}

// What the engine's damage check finds: "ok", or up to `most` findings. The engine may end the
// check with an error after its findings, which then stand; without any, its error does.
QStringList quickCheck(const QSqlDatabase& d, int most) {
    QSqlQuery q(d);
    q.setForwardOnly(true);
    QStringList found;
    if (q.exec(QStringLiteral("pragma quick_check(%1)").arg(most))) {
        while (q.next())
            found << q.value(0).toString();
    }
    if (found.isEmpty() && q.lastError().isValid())
        found << engineText(q.lastError());
    return found;
}

QString immutableUri(const QString& path) {
    return QStringLiteral("file:%1?immutable=1").arg(QString::fromUtf8(QUrl::toPercentEncoding(path, "/")));
}

QString fileKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The database files this process holds a connection to. POSIX locks belong to the process
// and the file: closing any handle of the file, even one only read from, drops every lock the
// process holds on it, and another program then takes itself for the last one and deletes the
// WAL under this one. So nothing here opens a file with a plain handle while it is listed.
class OpenFiles {
public:
    static OpenFiles& instance() {
        static OpenFiles files;
        return files;
    }
    void add(const QString& key) {
        const QMutexLocker lock(&mutex_);
        ++count_[key];
    }
    void remove(const QString& key) {
        const QMutexLocker lock(&mutex_);
        if (--count_[key] <= 0)
            count_.remove(key);
    }
    bool contains(const QString& key) const {
        const QMutexLocker lock(&mutex_);
        return count_.contains(key);
    }

private:
    mutable QMutex mutex_;
    QHash<QString, int> count_;
};

// What the file and its journals look like on the disk, read without opening any of them.
struct OnDisk {
    qint64 size = 0, walBytes = 0, journalBytes = 0;
    QDateTime modified, walModified;
    bool journal = false;

    static OnDisk of(const QString& path) {
        const QFileInfo main(path), wal(path + QStringLiteral("-wal")),
            journal(path + QStringLiteral("-journal"));
        return {main.size(),
                wal.exists() ? wal.size() : 0,
                journal.exists() ? journal.size() : 0,
                main.lastModified(),
                wal.lastModified(),
                journal.exists()};
    }
    bool operator==(const OnDisk&) const = default;
};

// One look at a file before the connection that works on it opens.
//   Immutable: the main file alone, as it lies on the disk; nothing is read from a journal,
//     rolled back or locked, and nothing is created beside it. For a file in WAL mode, whose
//     main file changes only when a program joins the WAL into it.
//   Locking: read-only, with the engine's shared lock, so that a program writing a
//     rollback-journal file (on a network drive) is waited for rather than caught halfway.
//   Engine: the engine's own open, for a file that carries our mark: it reads the WAL with
//     the main file, or rolls back an interrupted save, as every program's open does.
//   Private: a copy of our own, with its WAL or journal.
class Glance {
public:
    enum class Way { Immutable, Locking, Engine, Private };

    Glance(const QString& path, Way way) : name_(QStringLiteral("exam-look-%1").arg(++connectionCounter)) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        d.setDatabaseName(way == Way::Immutable ? immutableUri(path) : path);
        if (way == Way::Immutable)
            d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        else if (way == Way::Locking)
            d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;") + kBusyTimeout);
        else if (way == Way::Engine)
            d.setConnectOptions(kBusyTimeout);
        if (!d.open()) {
            const QSqlError error = d.lastError();
            close();
            throw DbError::fromEngine(error);
        }
    }
    ~Glance() { close(); }
    Glance(const Glance&) = delete;
    Glance& operator=(const Glance&) = delete;

    // The first column of every row; throws the engine's error.
    QStringList column(const QString& sql) const {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        q.setForwardOnly(true);
        QStringList values;
        if (q.exec(sql)) {
            while (q.next())
                values << q.value(0).toString();
        }
        if (q.lastError().isValid())
            throw DbError::fromEngine(q.lastError());
        return values;
    }
    QStringList tables() const { return column(kTablesSql); }
    QStringList damageCheck() const { return quickCheck(QSqlDatabase::database(name_, false), 5); }
    QStringList columnsOf(const QString& table) const {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        QStringList names;
        if (q.exec(QStringLiteral("pragma table_info(\"%1\")").arg(table))) {
            while (q.next())
                names << q.value(1).toString();
        }
        if (q.lastError().isValid())
            throw DbError::fromEngine(q.lastError());
        return names;
    }

private:
    void close() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }

    QString name_;
};

// `Look` gives tables() and columnsOf(table): a glance at a file, or the server's database.
template <typename Look> void refuseUnlessComplete(const Look& look) {
    const QStringList tables = look.tables();
    QStringList missing;
    for (const QString& t : requiredTables()) {
        if (!tables.contains(t))
            missing << t;
    }
    if (!missing.isEmpty()) {
        throw DbError(ErrorKind::Refused, refusalText(FileKind::OtherSqlite),
                      QStringLiteral("缺少数据表 ") + missing.join(QStringLiteral("、")));
    }
    for (const QString& t : requiredTables()) {
        const QStringList present = look.columnsOf(t);
        for (const QString& c : requiredColumns().value(t)) {
            if (!present.contains(c))
                missing << t + QLatin1Char('.') + c;
        }
    }
    if (!missing.isEmpty()) {
        throw DbError(ErrorKind::Refused, refusalText(FileKind::LookAlike),
                      QStringLiteral("缺少字段 ") + missing.join(QStringLiteral("、")));
    }
}

// The damage quick_check found, or nothing.
void refuseDamage(const QStringList& verdict) {
    if (verdict != QStringList{QStringLiteral("ok")})
        throw DbError(ErrorKind::Corrupt, operatorWording(ErrorKind::Corrupt), damageDetail(verdict));
}

// A damaged page found before anything opens the file for writing. Only where the main file
// is the whole truth: saves still in a WAL, or an interrupted save that the write-mode open
// rolls back, make the main file alone look inconsistent although nothing is wrong.
void refuseIfDamaged(const Glance& look, const OnDisk& before) {
    if (before.walBytes > 0 || before.journal)
        return;
    refuseDamage(look.damageCheck());
}

// A private copy of a file and its `sidecar` ("-wal", "-journal") for a look inside that must
// change nothing beside the file itself. It lies in a folder of the temporary folder that a
// lock marks as in use, so that a copy left by a look that was killed is removed by the next.
class LookCopy {
public:
    LookCopy(const QString& path, const QString& sidecar) {
        const QString temp = QDir::tempPath();
        // Room for both and a little more: a look that fills the disk helps nobody.
        const qint64 needed = QFileInfo(path).size() + QFileInfo(path + sidecar).size() + 1024 * 1024;
        const QStorageInfo disk(temp);
        if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < needed) {
            throw DbError(
                ErrorKind::DiskFull,
                QStringLiteral("临时文件夹 %1 的空间不足，无法检查数据库文件（需要约 %2 MB，现有 %3 MB）！\n"
                               "请清理该磁盘，或用环境变量 TMPDIR 指定空间足够的文件夹后重试。")
                    .arg(QDir::toNativeSeparators(temp))
                    .arg((needed + 1024 * 1024 - 1) / (1024 * 1024))
                    .arg(disk.bytesAvailable() / (1024 * 1024)),
                {});
        }
        folder_.emplace(temp + QStringLiteral("/") + QLatin1String(kPrefix) + QStringLiteral("XXXXXX"));
        if (folder_->isValid()) {
            lock_.emplace(folder_->filePath(QStringLiteral("lock")));
            lock_->setStaleLockTime(0);
            const QString copied = folder_->filePath(QStringLiteral("look.db"));
            if (lock_->tryLock(0) && QFile::copy(path, copied) &&
                QFile::copy(path + sidecar, copied + sidecar))
                path_ = copied;
        }
        if (path_.isEmpty()) {
            throw DbError(
                ErrorKind::CantOpen,
                QStringLiteral("无法在临时文件夹 %1 中复制数据库文件以作检查！\n"
                               "请检查该文件夹的空间和写入权限，或用环境变量 TMPDIR 指定其他文件夹。")
                    .arg(QDir::toNativeSeparators(temp)),
                {});
        }
    }
    LookCopy(const LookCopy&) = delete;
    LookCopy& operator=(const LookCopy&) = delete;

    const QString& path() const { return path_; }

    // Copies whose look ended without removing them (it was killed): their lock's process is
    // gone. Every look begins with this, so a kill leaves a copy until the next start at most.
    static void removeLeftovers() {
        const QString temp = QDir::tempPath();
        const QStringList left = QDir(temp).entryList({QLatin1String(kPrefix) + QLatin1Char('*')},
                                                      QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QString& name : left) {
            QDir copy(QDir(temp).filePath(name));
            QLockFile lock(copy.filePath(QStringLiteral("lock")));
            lock.setStaleLockTime(0);
            if (!lock.tryLock(0))
                continue;
            lock.unlock();
            copy.removeRecursively();
        }
    }

private:
    static constexpr const char* kPrefix = "exam-look-";

    // Destroyed in reverse: the lock goes before its folder.
    std::optional<QTemporaryDir> folder_;
    std::optional<QLockFile> lock_;
    QString path_;
};

// The tables of a file whose main file alone lacks them while its WAL holds changes (a database
// made a moment ago, not yet joined into the main file): looked at in a copy of both, so that
// nothing beside the file itself is created or changed.
void refuseUnlessCompleteWithWal(const QString& path) {
    const LookCopy copy(path, QStringLiteral("-wal"));
    refuseUnlessComplete(Glance(copy.path(), Glance::Way::Private));
}

// A file without our mark left with an interrupted save: its main file may be half written, so
// it is looked at the way the next program to write will find it, in a copy of both where the
// save is rolled back. A copy taken while another program rolls it back shows as damage, which
// the caller looks at again because the file changed meanwhile. Where nobody may write, no
// program can roll it back and use it: that is said without a copy.
void lookInsideRolledBack(const QString& path) {
    if (isReadOnlyLocation(path))
        throw DbError(ErrorKind::HotJournal, operatorWording(ErrorKind::HotJournal), {});
    const LookCopy copy(path, QStringLiteral("-journal"));
    const Glance look(copy.path(), Glance::Way::Private);
    refuseUnlessComplete(look);
    // Only the rolled-back copy itself: the main file on the disk is still half written.
    refuseIfDamaged(look, OnDisk::of(copy.path()));
}

// A file of ours with saves in its WAL or an interrupted save beside it: the database is the
// main file with its WAL, or with the save rolled back, and after a checkpoint that was cut
// off (a full disk, a kill) the main file alone is half written. So the engine itself opens
// it, as the program will, and the damage check reads what the engine reads. Where nobody may
// write, the engine cannot read either; the program's open would refuse it, so the look does.
void lookThroughEngine(const QString& path, const OnDisk& before) {
    const bool writable = !isReadOnlyLocation(path);
    std::optional<Glance> look;
    try {
        look.emplace(path, writable ? Glance::Way::Engine : Glance::Way::Locking);
        look->column(kTablesSql);
    } catch (const DbError& e) {
        if (writable || e.kind() == ErrorKind::Busy || e.kind() == ErrorKind::Corrupt)
            throw;
        const ErrorKind kind = before.journal ? ErrorKind::HotJournal : ErrorKind::UnreadableWal;
        throw DbError(kind, operatorWording(kind), e.detail());
    }
    refuseUnlessComplete(*look);
    refuseDamage(look->damageCheck());
}

// Tables, columns and damage, looked at in the way the file's journal allows.
void lookInside(const QString& path, bool walMode, bool ours, const OnDisk& before) {
    if (ours && (before.walBytes > 0 || before.journal)) {
        lookThroughEngine(path, before);
        return;
    }
    std::optional<Glance> look;
    try {
        look.emplace(path, walMode ? Glance::Way::Immutable : Glance::Way::Locking);
        look->column(kTablesSql);
    } catch (const DbError& e) {
        if (e.kind() != ErrorKind::HotJournal)
            throw;
        look.reset();
        lookInsideRolledBack(path);
        return;
    }
    try {
        refuseUnlessComplete(*look);
    } catch (const DbError& e) {
        if (e.kind() != ErrorKind::Refused || before.walBytes == 0)
            throw;
        refuseUnlessCompleteWithWal(path);
    }
    refuseIfDamaged(*look, before);
}

} // namespace

void requireExamFile(const QString& path) {
    // A server's database is looked at once connected (Database::openServer).
    if (server::isServerPath(path))
        return;
    // Looked at when this process's connection opened it; a look now would drop its locks.
    if (OpenFiles::instance().contains(fileKey(path)))
        return;
    QByteArray header;
    const FileKind kind = probeFile(path, &header);
    if (kind != FileKind::Sqlite)
        throw DbError(ErrorKind::Refused, refusalText(kind, path), {});
    LookCopy::removeLeftovers();
    // The header's write version 2 marks a file in WAL mode.
    const bool walMode = header.size() > 18 && header.at(18) == 2;
    const bool ours = carriesOurMark(header);
    for (int attempt = 1;; ++attempt) {
        const OnDisk before = OnDisk::of(path);
        try {
            lookInside(path, walMode, ours, before);
            return;
        } catch (const DbError& e) {
            // Damage, or a journal gone before it was copied, seen while another program changed
            // the file is no finding: look again.
            const bool changing = e.kind() == ErrorKind::Corrupt || e.kind() == ErrorKind::HotJournal;
            if (!changing || attempt == 3 || OnDisk::of(path) == before)
                throw;
            QThread::msleep(50 * attempt);
        }
    }
}

Database::Database(const Server& server, Mode mode)
    : name_(QStringLiteral("exam-%1").arg(++connectionCounter)), mode_(mode), connection_(server.connection) {
    if (const QString problem = server::connectionProblem(connection_); !problem.isEmpty())
        throw DbError(ErrorKind::Refused, problem, {});
    openServer();
}

Database::Database(const QString& path, Mode mode)
    : path_(path), name_(QStringLiteral("exam-%1").arg(++connectionCounter)), mode_(mode) {
    if (server::isServerPath(path)) {
        connection_ = server::readConnection(path);
        openServer();
        return;
    }
    // Rolling back another program's interrupted save needs the file to itself, and the
    // engine says "busy" at once rather than waiting: opening tries again for as long as a
    // save would wait.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        try {
            open();
            break;
        } catch (const DbError& e) {
            QSqlDatabase::database(name_, false).close();
            QSqlDatabase::removeDatabase(name_);
            if (e.kind() != ErrorKind::Busy || waited.elapsed() > kBusyMilliseconds)
                throw;
            QThread::msleep(50);
        } catch (...) {
            QSqlDatabase::database(name_, false).close();
            QSqlDatabase::removeDatabase(name_);
            throw;
        }
    }
    key_ = fileKey(path_);
    OpenFiles::instance().add(key_);
}

void Database::open() {
    if (mode_ != Mode::Create)
        requireExamFile(path_);
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    // A reader where the folder can be written opens as every program does, and the engine
    // refuses its writes: it joins the WAL like the others and, as the last to close, removes
    // the WAL and its index instead of leaving them behind. Where nobody may write, it opens
    // read-only.
    if (mode_ == Mode::ReadOnly && isReadOnlyLocation(path_)) {
        openReadOnly(d);
        return;
    }
    d.setDatabaseName(path_);
    d.setConnectOptions(kBusyTimeout);
    if (!d.open())
        throw failure(d.lastError());
    if (mode_ == Mode::ReadOnly) {
        exec(QStringLiteral("pragma query_only=1"));
        return;
    }
    chooseJournal();
    if (mode_ == Mode::ReadWrite)
        markAsOurs();
}

void Database::markAsOurs() {
    // A file from before the mark gets it at its first open for writing. Another program's
    // long save or a full disk only puts it off to a later start.
    try {
        if (scalar(QStringLiteral("pragma application_id")).toLongLong() != kApplicationId)
            exec(QStringLiteral("pragma application_id=%1").arg(kApplicationId));
    } catch (const DbError&) {
    }
}

namespace {

// The server's database as refuseUnlessComplete looks at it.
struct ServerLook {
    const Database& db;
    QStringList tables() const { return db.tables(); }
    QStringList columnsOf(const QString& table) const { return db.columns(table); }
};

} // namespace

void Database::openServer() {
    session_ = std::make_unique<ServerSession>(connection_);
    if (mode_ != Mode::Create)
        requireExamServer();
    if (mode_ == Mode::ReadOnly)
        session_->setReadOnly();
}

void Database::requireExamServer() {
    // Tables the account may not read look missing to the look below: say it is the account.
    const QStringList required =
        requiredColumns().keys() + QStringList{kCertificateTable, kDeletionTable, kLedgerTable};
    const Rows account = query(
        QStringLiteral("select current_user, count(*) from pg_class c where "
                       "c.relnamespace=current_schema()::regnamespace and c.relkind='r' and "
                       "c.relname=any(string_to_array(?, ',')) and not has_table_privilege(c.oid, 'SELECT')"),
        {required.join(u',')});
    const QString name = account.front().value(0).toString();
    if (account.front().value(1).toInt() > 0)
        throw DbError(ErrorKind::Refused, server::rightlessAccountText(name, server()), {});
    try {
        refuseUnlessComplete(ServerLook{*this});
    } catch (const DbError& e) {
        if (e.kind() != ErrorKind::Refused)
            throw;
        throw DbError(
            ErrorKind::Refused,
            QStringLiteral("数据库服务器 %1 上的数据库不是本系统的数据库，程序无法使用（未作任何改动）！")
                .arg(server()),
            e.detail());
    }
    // An account that may only read works as on a read-only file. The draw ledger is only ever
    // appended to: nobody needs to change or delete its rows.
    if (mode_ == Mode::ReadWrite) {
        const int refused =
            scalar(QStringLiteral("select count(*) from pg_class c where "
                                  "c.relnamespace=current_schema()::regnamespace and c.relkind='r' and not "
                                  "(has_table_privilege(c.oid, 'INSERT') and (c.relname=? or "
                                  "(has_table_privilege(c.oid, 'UPDATE') and has_table_privilege(c.oid, "
                                  "'DELETE'))))"),
                   {kLedgerTable})
                .toInt();
        if (refused > 0) {
            mode_ = Mode::ReadOnly;
            accountNote_ = server::readOnlyAccountText(name, server());
        }
    }
}

void Database::openReadOnly(QSqlDatabase& d) {
    d.setDatabaseName(path_);
    d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;") + kBusyTimeout);
    QStringList ignored;
    const QSqlError error = d.open() ? readTableNames(d, ignored) : d.lastError();
    if (!error.isValid())
        return;
    // Where nobody may write, the WAL's shared-memory index cannot be made.
    switch (readOnlyRoute(engineCode(error), QFileInfo(path_ + QStringLiteral("-wal")).size())) {
    case ReadOnlyRoute::Fail:
        throw failure(error);
    case ReadOnlyRoute::RefuseWal:
        throw DbError(ErrorKind::UnreadableWal, operatorWording(ErrorKind::UnreadableWal), engineText(error));
    case ReadOnlyRoute::Immutable:
        break;
    }
    // Nothing waits in a WAL, and nobody can change the file from here either: the main
    // file alone is the latest state.
    d.close();
    d.setDatabaseName(immutableUri(path_));
    d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    const QSqlError again = d.open() ? readTableNames(d, ignored) : d.lastError();
    if (again.isValid())
        throw failure(again);
}

void Database::chooseJournal() {
    const QString wanted =
        isNetworkLocation(QFileInfo(path_).absolutePath()) ? QStringLiteral("delete") : QStringLiteral("wal");
    const QString mode = scalar(QStringLiteral("pragma journal_mode=") + wanted).toString().toLower();
    // Leaving WAL needs the file to itself; a program elsewhere still holds it.
    if (mode != wanted) {
        throw DbError(ErrorKind::Busy, operatorWording(ErrorKind::Busy),
                      QStringLiteral("journal_mode %1 instead of %2").arg(mode, wanted));
    }
    exec(QStringLiteral("pragma synchronous=full"));
}

DbError Database::failure(const QSqlError& error) const {
    return engineError(error, path_);
}

QStringList Database::tables() const {
    if (session_) {
        QStringList names;
        for (const Row& r : query(server::tablesSql()))
            names << r.value(0).toString();
        return names;
    }
    QStringList names;
    const QSqlError error = readTableNames(handle(), names);
    if (error.isValid())
        throw failure(error);
    return names;
}

QStringList Database::columns(const QString& table) const {
    QStringList names;
    if (session_) {
        for (const Row& r : query(server::columnsSql(), {table}))
            names << r.value(0).toString();
        return names;
    }
    for (const Row& r : query(QStringLiteral("select name from pragma_table_info(?)"), {table}))
        names << r.value(0).toString();
    return names;
}

QStringList Database::damage() const {
    if (session_)
        return {};
    const QStringList found = quickCheck(handle(), 100);
    return found == QStringList{QStringLiteral("ok")} ? QStringList() : found;
}

void Database::vacuumInto(const QString& target) {
    const bool guarded = mode_ == Mode::ReadOnly;
    if (guarded)
        exec(QStringLiteral("pragma query_only=0"));
    const auto guardAgain = qScopeGuard([&] {
        if (guarded)
            QSqlQuery(handle()).exec(QStringLiteral("pragma query_only=1"));
    });
    exec(QStringLiteral("vacuum into ?"), {target});
}

Database::~Database() {
    {
        QSqlDatabase d = QSqlDatabase::database(name_, false);
        if (d.isOpen())
            d.close();
    }
    QSqlDatabase::removeDatabase(name_);
    if (!key_.isEmpty())
        OpenFiles::instance().remove(key_);
}

QString Database::server() const {
    return session_ ? session_->server() : QString();
}

QSqlDatabase Database::handle() const {
    return QSqlDatabase::database(name_, false);
}

Rows Database::run(const QString& sql, const QVariantList& values, int* changed) const {
    if (session_) {
        qint64 inserted = -1;
        Rows rows = session_->run(sql, values, changed, changed ? &inserted : nullptr);
        if (inserted >= 0)
            const_cast<Database*>(this)->lastInsertId_ = inserted;
        return rows;
    }
    QSqlQuery q(handle());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw failure(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw failure(q.lastError());
    Rows rows;
    while (q.next())
        rows.push_back(q.record());
    if (q.lastError().isValid())
        throw failure(q.lastError());
    if (changed) {
        *changed = q.numRowsAffected();
        if (const QVariant id = q.lastInsertId(); id.isValid() && !id.isNull())
            const_cast<Database*>(this)->lastInsertId_ = id.toLongLong();
    }
    return rows;
}

Rows Database::query(const QString& sql, const QVariantList& values) const {
    return run(sql, values, nullptr);
}

QVariant Database::scalar(const QString& sql, const QVariantList& values) const {
    const Rows rows = query(sql, values);
    if (rows.isEmpty() || rows.front().count() == 0)
        return {};
    return rows.front().value(0);
}

int Database::exec(const QString& sql, const QVariantList& values) {
    int changed = 0;
    run(sql, values, &changed);
    return changed;
}

void Database::insertRows(const QString& table, const QStringList& columns,
                          const QVector<QVariantList>& rows) {
    // Well under either engine's limit of bound values per statement.
    constexpr qsizetype kValuesPerStatement = 900;
    const qsizetype perStatement =
        std::max<qsizetype>(1, kValuesPerStatement / std::max<qsizetype>(1, columns.size()));
    const QString head = QStringLiteral("insert into %1 (%2) values ").arg(table, columns.join(u','));
    const QString tuple = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    for (qsizetype at = 0; at < rows.size(); at += perStatement) {
        const qsizetype n = std::min(perStatement, rows.size() - at);
        QVariantList values;
        values.reserve(n * columns.size());
        for (qsizetype i = at; i < at + n; ++i)
            values += rows.at(i);
        exec(head + QStringList(n, tuple).join(u','), values);
    }
}

void Database::begin() {
    if (session_)
        session_->begin();
    // Taking the write lock at once lets the busy timeout cover the wait for it; a deferred
    // transaction that first reads cannot wait when its first write finds another writer.
    else
        exec(QStringLiteral("begin immediate"));
    inTransaction_ = true;
}

void Database::beginSnapshot() {
    // The file's deferred transaction takes its snapshot (WAL) or its shared lock (rollback
    // journal) at the first read and keeps it to the end.
    if (session_)
        session_->beginSnapshot();
    else
        exec(QStringLiteral("begin"));
    inTransaction_ = true;
}

void Database::commit() {
    if (session_)
        session_->commit();
    else
        exec(QStringLiteral("commit"));
    inTransaction_ = false;
}

void Database::rollback() {
    if (session_)
        session_->rollback();
    else
        QSqlQuery(handle()).exec(QStringLiteral("rollback"));
    inTransaction_ = false;
}

Transaction::~Transaction() {
    if (!done_)
        db_.rollback();
}

void Transaction::commit() {
    db_.commit();
    done_ = true;
}

QString text(const Row& row, const QString& column) {
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString();
}

int integer(const Row& row, const QString& column) {
    const QVariant v = row.value(column);
    if (v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    if (!std::isfinite(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max()) {
        const QString table = row.field(column).tableName();
        throw DbError(ErrorKind::BadValue,
                      QStringLiteral("数据库中有超出范围的数值，无法使用！\n%1字段“%2”中的值为 %3，"
                                     "请在数据管理程序中改正。")
                          .arg(table.isEmpty() ? QString() : QStringLiteral("数据表“%1”").arg(table), column,
                               v.toString()),
                      {});
    }
    return static_cast<int>(d);
}

} // namespace db
