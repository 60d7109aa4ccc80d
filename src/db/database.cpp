#include "db/database.h"

#include "db/db_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>

namespace db {

namespace {

std::atomic<int> connectionCounter{0};

const QString kBusyTimeout = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
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

QString immutableUri(const QString& path) {
    return QStringLiteral("file:%1?immutable=1").arg(QString::fromUtf8(QUrl::toPercentEncoding(path, "/")));
}

// A connection of its own for one look at the file, removed when the look is over.
class Glance {
public:
    Glance() : name_(QStringLiteral("exam-look-%1").arg(++connectionCounter)) {}
    ~Glance() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    Glance(const Glance&) = delete;
    Glance& operator=(const Glance&) = delete;

    // The tables of the main file alone, as it lies on the disk: no journal is read or
    // rolled back, nothing is locked or written.
    QStringList immutableTables(const QString& path) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        d.setDatabaseName(immutableUri(path));
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        QStringList names;
        const QSqlError error = d.open() ? readTableNames(d, names) : d.lastError();
        if (error.isValid())
            throw DbError::fromEngine(error);
        return names;
    }

private:
    QString name_;
};

// The header's write version 2 marks a file in WAL mode.
bool isWalFileAlone(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(20);
    return head.size() == 20 && head.at(18) == 2 && !QFile::exists(path + QStringLiteral("-wal"));
}

void refuseUnlessComplete(const QStringList& tables) {
    QStringList missing;
    for (const QString& t : requiredTables()) {
        if (!tables.contains(t))
            missing << t;
    }
    if (!missing.isEmpty()) {
        throw DbError(ErrorKind::Refused, refusalText(FileKind::OtherSqlite),
                      QStringLiteral("缺少数据表 ") + missing.join(QStringLiteral("、")));
    }
}

} // namespace

void requireExamFile(const QString& path) {
    const FileKind kind = probeFile(path);
    if (kind != FileKind::Sqlite)
        throw DbError(ErrorKind::Refused, refusalText(kind), {});
    // A WAL file without its -wal is whole in itself; read as such, no -wal and -shm appear
    // beside a file that may not be ours.
    if (isWalFileAlone(path)) {
        refuseUnlessComplete(Glance().immutableTables(path));
        return;
    }
    QStringList tables;
    try {
        tables = Database(path, Database::Mode::ReadOnly).tables();
    } catch (const DbError& e) {
        // An interrupted save: the write-mode open rolls it back, once the main file's own
        // schema shows the file is ours.
        if (e.kind() != ErrorKind::HotJournal)
            throw;
        tables = Glance().immutableTables(path);
    }
    refuseUnlessComplete(tables);
}

Database::Database(const QString& path, Mode mode)
    : path_(path), name_(QStringLiteral("exam-%1").arg(++connectionCounter)), mode_(mode) {
    try {
        open();
    } catch (...) {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
        throw;
    }
}

void Database::open() {
    if (mode_ == Mode::ReadWrite)
        requireExamFile(path_);
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    if (mode_ == Mode::ReadOnly) {
        openReadOnly(d);
        return;
    }
    d.setDatabaseName(path_);
    d.setConnectOptions(kBusyTimeout);
    if (!d.open())
        throw DbError::fromEngine(d.lastError());
    chooseJournal();
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
        throw DbError::fromEngine(error);
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
        throw DbError::fromEngine(again);
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

QStringList Database::tables() const {
    QStringList names;
    const QSqlError error = readTableNames(handle(), names);
    if (error.isValid())
        throw DbError::fromEngine(error);
    return names;
}

Database::~Database() {
    {
        QSqlDatabase d = QSqlDatabase::database(name_, false);
        if (d.isOpen())
            d.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Database::handle() const {
    return QSqlDatabase::database(name_, false);
}

Rows Database::query(const QString& sql, const QVariantList& values) const {
    QSqlQuery q(handle());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DbError::fromEngine(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DbError::fromEngine(q.lastError());
    Rows rows;
    while (q.next())
        rows.push_back(q.record());
    if (q.lastError().isValid())
        throw DbError::fromEngine(q.lastError());
    return rows;
}

QVariant Database::scalar(const QString& sql, const QVariantList& values) const {
    const Rows rows = query(sql, values);
    if (rows.isEmpty() || rows.front().count() == 0)
        return {};
    return rows.front().value(0);
}

int Database::exec(const QString& sql, const QVariantList& values) {
    QSqlQuery q(handle());
    if (!q.prepare(sql))
        throw DbError::fromEngine(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DbError::fromEngine(q.lastError());
    const QVariant id = q.lastInsertId();
    if (id.isValid())
        lastInsertId_ = id.toLongLong();
    return q.numRowsAffected();
}

void Database::begin() {
    if (!handle().transaction())
        throw DbError::fromEngine(handle().lastError());
}

void Database::commit() {
    if (!handle().commit())
        throw DbError::fromEngine(handle().lastError());
}

void Database::rollback() {
    handle().rollback();
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
    return ok ? static_cast<int>(d) : 0;
}

} // namespace db
