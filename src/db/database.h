#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVector>

#include <stdexcept>

namespace db {

// Every failure of the database becomes this exception, carrying the engine's own text.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

using Row = QSqlRecord;
using Rows = QVector<QSqlRecord>;

// One connection to the exam database file. Each opener (main window, dialog, report
// writer) has its own, under a name of its own, and closes it when it is destroyed.
class Database {
public:
    enum class Mode { ReadWrite, ReadOnly };

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

private:
    void open();

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

// Text of a column, empty for NULL.
QString text(const Row& row, const QString& column);
// Integer of a column, 0 for NULL or text that is no number.
int integer(const Row& row, const QString& column);

} // namespace db
