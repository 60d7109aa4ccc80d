#include "db/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>

namespace db {

namespace {

std::atomic<int> connectionCounter{0};

QString errorText(const QSqlError& error) {
    QString t = error.databaseText();
    if (t.isEmpty())
        t = error.text();
    return t;
}

} // namespace

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
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    d.setDatabaseName(path_);
    if (mode_ == Mode::ReadOnly)
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    else
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!d.open())
        throw DbError(errorText(d.lastError()));
    if (mode_ == Mode::ReadWrite) {
        query(QStringLiteral("pragma journal_mode=wal"));
        return;
    }
    try {
        query(QStringLiteral("select count(*) from sqlite_master"));
    } catch (const DbError&) {
        // A WAL file in a folder we may not write to cannot get its shared-memory index.
        // Nobody can change the file from here either, so read it as an immutable file.
        d.close();
        d.setDatabaseName(QStringLiteral("file:%1?immutable=1")
                              .arg(QString::fromUtf8(QUrl::toPercentEncoding(path_, "/"))));
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        if (!d.open())
            throw DbError(errorText(d.lastError()));
        query(QStringLiteral("select count(*) from sqlite_master"));
    }
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
        throw DbError(errorText(q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DbError(errorText(q.lastError()));
    Rows rows;
    while (q.next())
        rows.push_back(q.record());
    if (q.lastError().isValid())
        throw DbError(errorText(q.lastError()));
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
        throw DbError(errorText(q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DbError(errorText(q.lastError()));
    const QVariant id = q.lastInsertId();
    if (id.isValid())
        lastInsertId_ = id.toLongLong();
    return q.numRowsAffected();
}

void Database::begin() {
    if (!handle().transaction())
        throw DbError(errorText(handle().lastError()));
}

void Database::commit() {
    if (!handle().commit())
        throw DbError(errorText(handle().lastError()));
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
