#include "db/backend.h"
#include "db/db_file.h"
#include "db/schema.h"
#include "db/server.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMutex>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <optional>

// The embedded file: the look before anything opens it, the connection through Qt's SQLite
// driver, its journal and its locks.
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
    void refuseUnlessComplete() const {
        refuseIncomplete([this] { return tables(); }, [this](const QString& t) { return columnsOf(t); });
    }
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
    const Glance look(copy.path(), Glance::Way::Private);
    look.refuseUnlessComplete();
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
    look.refuseUnlessComplete();
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
    look->refuseUnlessComplete();
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
        look->refuseUnlessComplete();
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

namespace {

// The file's connection. ReadWrite and Create open it as every program does (WAL, or the
// rollback journal on a network drive, synchronous=FULL); ReadOnly opens it so that the engine
// refuses writes, read-only where the folder cannot be written.
class FileBackend final : public Backend {
public:
    FileBackend(const QString& path, Database::Mode mode)
        : path_(path), name_(QStringLiteral("exam-%1").arg(++connectionCounter)), mode_(mode) {
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
                drop();
                if (e.kind() != ErrorKind::Busy || waited.elapsed() > kBusyMilliseconds)
                    throw;
                QThread::msleep(50);
            } catch (...) {
                drop();
                throw;
            }
        }
        key_ = fileKey(path_);
        OpenFiles::instance().add(key_);
    }
    ~FileBackend() override {
        drop();
        OpenFiles::instance().remove(key_);
    }

    Rows run(const QString& sql, const QVariantList& values, int* changed, qint64* inserted) override {
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
        if (changed)
            *changed = q.numRowsAffected();
        if (inserted) {
            if (const QVariant id = q.lastInsertId(); id.isValid() && !id.isNull())
                *inserted = id.toLongLong();
        }
        return rows;
    }
    // Taking the write lock at once lets the busy timeout cover the wait for it; a deferred
    // transaction that first reads cannot wait when its first write finds another writer.
    void begin() override { exec(QStringLiteral("begin immediate")); }
    // The deferred transaction takes its snapshot (WAL) or its shared lock (rollback journal)
    // at the first read and keeps it to the end.
    void beginSnapshot() override { exec(QStringLiteral("begin")); }
    void commit() override { exec(QStringLiteral("commit")); }
    void rollback() override { QSqlQuery(handle()).exec(QStringLiteral("rollback")); }

    QString typeName(ColumnType type) const override {
        switch (type) {
        case ColumnType::Key:
            return QStringLiteral("integer primary key autoincrement");
        case ColumnType::Integer:
        case ColumnType::Number: // an integer column keeps a fraction as it is given
            return QStringLiteral("integer");
        case ColumnType::Text:
        case ColumnType::DateTime:
            break;
        }
        return QStringLiteral("text");
    }
    QStringList tables() override {
        QStringList names;
        const QSqlError error = readTableNames(handle(), names);
        if (error.isValid())
            throw failure(error);
        return names;
    }
    QStringList columns(const QString& table) override {
        QStringList names;
        for (const Row& r :
             run(QStringLiteral("select name from pragma_table_info(?)"), {table}, nullptr, nullptr))
            names << r.value(0).toString();
        return names;
    }
    bool holdsTable(const QString& table) override { return tables().contains(table); }
    QStringList damage() override {
        const QStringList found = quickCheck(handle(), 100);
        return found == QStringList{QStringLiteral("ok")} ? QStringList() : found;
    }
    void vacuumInto(const QString& target) override {
        // The copy only reads the file: a connection that refuses writes may make it too.
        const bool guarded = mode_ == Database::Mode::ReadOnly;
        if (guarded)
            exec(QStringLiteral("pragma query_only=0"));
        const auto guardAgain = qScopeGuard([&] {
            if (guarded)
                QSqlQuery(handle()).exec(QStringLiteral("pragma query_only=1"));
        });
        exec(QStringLiteral("vacuum into ?"), {target});
    }
    void markAsOurs() override { exec(QStringLiteral("pragma application_id=%1").arg(kApplicationId)); }

    bool mayOnlyRead() const override { return false; }
    QString accountNote() const override { return {}; }
    QString server() const override { return {}; }
    QString describe() const override { return QDir::toNativeSeparators(path_); }
    QStringList rewriters(const QString&) override { return {}; }

    qint64 lastNumber(const QString& table) override {
        const qint64 largest =
            scalar(QStringLiteral("select max(编号) from ") + quotedName(table)).toLongLong();
        // The engine keeps the number of a row deleted since.
        if (!tables().contains(QStringLiteral("sqlite_sequence")))
            return largest;
        return std::max(
            largest,
            scalar(QStringLiteral("select seq from sqlite_sequence where name=?"), {table}).toLongLong());
    }
    void continueNumbering(const QString& table, qint64 last) override {
        // The file's count already stands at the largest number copied.
        if (last > 0 &&
            exec(QStringLiteral("update sqlite_sequence set seq=? where name=?"), {last, table}) == 0)
            exec(QStringLiteral("insert into sqlite_sequence (name, seq) values (?, ?)"), {table, last});
    }
    QVariant copiedValue(const QVariant& value) const override { return value; }

private:
    QSqlDatabase handle() const { return QSqlDatabase::database(name_, false); }
    int exec(const QString& sql, const QVariantList& values = {}) {
        int changed = 0;
        run(sql, values, &changed, nullptr);
        return changed;
    }
    QVariant scalar(const QString& sql, const QVariantList& values = {}) {
        const Rows rows = run(sql, values, nullptr, nullptr);
        return rows.isEmpty() || rows.front().count() == 0 ? QVariant() : rows.front().value(0);
    }
    DbError failure(const QSqlError& error) const { return engineError(error, path_); }
    void drop() {
        {
            QSqlDatabase d = QSqlDatabase::database(name_, false);
            if (d.isOpen())
                d.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }

    void open() {
        if (mode_ != Database::Mode::Create)
            requireExamFile(path_);
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        // A reader where the folder can be written opens as every program does, and the engine
        // refuses its writes: it joins the WAL like the others and, as the last to close, removes
        // the WAL and its index instead of leaving them behind. Where nobody may write, it opens
        // read-only.
        if (mode_ == Database::Mode::ReadOnly && isReadOnlyLocation(path_)) {
            openReadOnly(d);
            return;
        }
        d.setDatabaseName(path_);
        d.setConnectOptions(kBusyTimeout);
        if (!d.open())
            throw failure(d.lastError());
        if (mode_ == Database::Mode::ReadOnly) {
            exec(QStringLiteral("pragma query_only=1"));
            return;
        }
        chooseJournal();
        if (mode_ == Database::Mode::ReadWrite)
            markIfUnmarked();
    }

    void markIfUnmarked() {
        // A file from before the mark gets it at its first open for writing. Another program's
        // long save or a full disk only puts it off to a later start.
        try {
            if (scalar(QStringLiteral("pragma application_id")).toLongLong() != kApplicationId)
                markAsOurs();
        } catch (const DbError&) {
        }
    }

    void openReadOnly(QSqlDatabase& d) {
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
            throw DbError(ErrorKind::UnreadableWal, operatorWording(ErrorKind::UnreadableWal),
                          engineText(error));
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

    void chooseJournal() {
        const QString wanted = isNetworkLocation(QFileInfo(path_).absolutePath()) ? QStringLiteral("delete")
                                                                                  : QStringLiteral("wal");
        const QString mode = scalar(QStringLiteral("pragma journal_mode=") + wanted).toString().toLower();
        // Leaving WAL needs the file to itself; a program elsewhere still holds it.
        if (mode != wanted) {
            throw DbError(ErrorKind::Busy, operatorWording(ErrorKind::Busy),
                          QStringLiteral("journal_mode %1 instead of %2").arg(mode, wanted));
        }
        exec(QStringLiteral("pragma synchronous=full"));
    }

    QString path_;
    QString name_;
    Database::Mode mode_;
    QString key_;
};

} // namespace

std::unique_ptr<Backend> openFileBackend(const QString& path, Database::Mode mode) {
    return std::make_unique<FileBackend>(path, mode);
}

} // namespace db
