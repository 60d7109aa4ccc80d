#pragma once

#include "db/db_error.h"
#include "db/table_spec.h"

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

namespace db {

using Row = QSqlRecord;
using Rows = QVector<QSqlRecord>;

// One connection to the exam database: the file, or a PostgreSQL server when the path is an
// Exam.server file naming one (db/server.h); both take the same statements. A program opens one at start-up
// and every window shares it (RunState::db); a command opens one for its run.
//
// ReadWrite opens an existing exam database. Before anything may write to it, the file is
// looked at read-only: a file that is not one (another program's SQLite file, a look-alike,
// a damaged one) is refused with DbError and left exactly as it was, with nothing beside it. The journal is
// WAL, or the rollback journal on a network drive, with synchronous=FULL so a confirmed save survives a power
// cut. ReadOnly never changes what the file holds, and never shows an older state than the last save:
// where that state cannot be read it refuses instead; where the folder can be written it opens as the
// writers do, with the engine refusing its writes, so that it leaves no WAL or index behind. Create opens or
// creates a file without the look (examdb init, test fixtures).
class Backend;

class Database {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    explicit Database(const QString& path, Mode mode = Mode::ReadWrite);
    // A server named by its connection string rather than by an Exam.server file.
    struct Server {
        QString connection;
    };
    Database(const Server& server, Mode mode);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Values are always bound ('?' placeholders), never pasted into the statement.
    Rows query(const QString& sql, const QVariantList& values = {}) const;
    // First column of the first row, or an invalid QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& values = {}) const;
    // Runs a statement that returns no rows; gives the number of rows it changed.
    int exec(const QString& sql, const QVariantList& values = {});
    qint64 lastInsertId() const { return lastInsertId_; }
    // Inserts `rows` (each one value per column) a few hundred values per statement: on the
    // server one round trip for many rows instead of one for each.
    void insertRows(const QString& table, const QStringList& columns, const QVector<QVariantList>& rows);

    // A server account without the right to write opens read-only, as a read-only file does.
    bool readOnly() const { return mode_ == Mode::ReadOnly; }
    // Why a server account opened read-only, in the operator's words with what to ask the
    // server's administrator for; empty otherwise.
    QString accountNote() const;
    const QString& path() const { return path_; }
    // The server's host and database name (server::describe), empty for the file.
    QString server() const;
    // Where the data live, for the status line: the file, or "服务器 …".
    QString describe() const;

    // A write transaction: it takes the write lock at once (BEGIN IMMEDIATE; on the server a
    // lock every writer takes), waiting for another program's save up to the busy timeout.
    // Reads need none.
    void begin();
    // A transaction that only reads, and reads the database as it stood at its first
    // statement whatever others save meanwhile: one consistent state for a copy or a backup.
    // Ended by commit() or rollback().
    void beginSnapshot();
    void commit();
    void rollback();
    bool inTransaction() const { return inTransaction_; }

    // The names of the database's tables, and a table's columns in their order.
    QStringList tables() const;
    QStringList columns(const QString& table) const;
    // How this database spells a column's type in a table's definition.
    QString typeName(ColumnType type) const;
    // Whether `table` can be read (a file from before it lacks it).
    bool holdsTable(const QString& table) const;
    // What the file's own check finds damaged (empty when nothing); the server keeps its own.
    QStringList damage() const;
    // A copy of the file as it stands, made by the engine into `target` (a new file); also
    // through a connection that refuses writes, since the file itself is only read.
    void vacuumInto(const QString& target);
    // Marks a new database as ours (the file's application_id; nothing on the server).
    void markAsOurs();
    // The accounts (superusers aside) that could change or delete the rows of `table`.
    QStringList rewriters(const QString& table) const;
    // The highest 编号 ever given in `table`, and new numbers after `last`; a value copied
    // from another database as this one's columns must take it.
    qint64 lastNumber(const QString& table) const;
    void continueNumbering(const QString& table, qint64 last);
    QVariant copiedValue(const QVariant& value) const;

private:
    // What every open does once its backend is connected: the account's rights, the upgrade.
    void opened();

    QString path_;
    Mode mode_;
    std::unique_ptr<Backend> backend_;
    qint64 lastInsertId_ = -1;
    bool inTransaction_ = false;
};

// All or nothing: rolls back unless commit() was reached.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db) { db_.begin(); }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

// Several reads that see the database in one state, whatever others save meanwhile: a
// snapshot (beginSnapshot) for their duration, or the caller's transaction when one is open.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Database& db) : db_(db), own_(!db.inTransaction()) {
        if (own_)
            db_.beginSnapshot();
    }
    ~ReadSnapshot() {
        if (own_)
            db_.rollback();
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Database& db_;
    bool own_;
};

// Looks at the file and refuses (DbError of kind Refused, with refusalText) what is not an exam
// database: no regular file, no SQLite file, one without requiredTables() or their columns; a
// damaged one with kind Corrupt. A file without our mark (kApplicationId) is looked at read-only:
// nothing is written, locked or rolled back, and no -wal, -shm or -journal appears. A marked file
// with saves in its WAL or an interrupted save is read through the engine, which joins the WAL or
// rolls the save back as the program's own open would. Opening a Database does this first by itself, unless
// the process already holds a connection to the file: then the file was looked at, and reading it with a
// handle of its own would drop that connection's locks.
void requireExamFile(const QString& path);

// Text of a column, empty for NULL.
QString text(const Row& row, const QString& column);
// Integer of a column, 0 for NULL or text that is no number; a stored number beyond the range
// of int (1e10, inf) is a DbError of kind BadValue naming the table and column.
int integer(const Row& row, const QString& column);

} // namespace db
