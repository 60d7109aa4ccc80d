#pragma once

#include "db/db_error.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace db {

using Row = QSqlRecord;
using Rows = QVector<QSqlRecord>;

// One connection to the exam database file. Each opener (main window, dialog, report
// writer) has its own, under a name of its own, and closes it when it is destroyed.
//
// ReadWrite opens an existing exam database. Before anything may write to it, the file is
// looked at read-only: a file that is not one (another program's SQLite file, a damaged one)
// is refused with DbError and left exactly as it was. The journal is WAL, or the rollback
// journal on a network drive, with synchronous=FULL so a confirmed save survives a power cut.
// ReadOnly never creates or changes a file, and never shows an older state than the last
// save: where that state cannot be read it refuses instead.
// Create opens or creates a file without the look (examdb init, test fixtures).
class Database {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    explicit Database(const QString& path, Mode mode = Mode::ReadWrite);
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

    bool readOnly() const { return mode_ == Mode::ReadOnly; }
    const QString& path() const { return path_; }
    QSqlDatabase handle() const;

    void begin();
    void commit();
    void rollback();

    // The names of the file's tables.
    QStringList tables() const;

private:
    void open();
    void openReadOnly(QSqlDatabase& d);
    void chooseJournal();

    QString path_;
    QString name_;
    Mode mode_;
    qint64 lastInsertId_ = -1;
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

// Looks at the file read-only and refuses (DbError of kind Refused, with refusalText) what is
// not an exam database: no SQLite file, or one without requiredTables(). Nothing is written,
// locked or rolled back. A write-mode open does this first by itself.
void requireExamFile(const QString& path);

// Text of a column, empty for NULL.
QString text(const Row& row, const QString& column);
// Integer of a column, 0 for NULL or text that is no number.
int integer(const Row& row, const QString& column);

} // namespace db
