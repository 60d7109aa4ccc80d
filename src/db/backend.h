#pragma once

#include "db/database.h"
#include "db/table_spec.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {

// What the embedded file and the database server do differently, behind one interface:
// Database picks one when it opens and never asks which it has. Both take the same statements
// ('?' placeholders, values always bound) and give rows the same shape; their errors arrive as
// DbError in the operator's words.
class Backend {
public:
    virtual ~Backend() = default;

    // Runs one statement; `changed` receives the rows it changed, `inserted` an insert's new 编号.
    virtual Rows run(const QString& sql, const QVariantList& values, int* changed, qint64* inserted) = 0;
    // A write transaction holding the writers' lock; a read-only snapshot; their end.
    virtual void begin() = 0;
    virtual void beginSnapshot() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;

    // How this backend spells a column's type in a table's definition.
    virtual QString typeName(ColumnType type) const = 0;
    virtual QStringList tables() = 0;
    virtual QStringList columns(const QString& table) = 0;
    // Whether `table` can be read, where the table list may not show it.
    virtual bool holdsTable(const QString& table) = 0;
    // The engine's damage check; the server keeps its own and finds nothing here.
    virtual QStringList damage() = 0;
    // A copy of the file into `target`; the server has no file to copy.
    virtual void vacuumInto(const QString& target) = 0;
    // Stamps the database as ours where it carries a mark (the file's application_id).
    virtual void markAsOurs() = 0;

    // The connection may only read, though it was asked to write (a server account's rights),
    // and why, in the operator's words.
    virtual bool mayOnlyRead() const = 0;
    virtual QString accountNote() const = 0;
    // "host（数据库 name）" of a server, empty for the file.
    virtual QString server() const = 0;
    // The status line's words for where the data live.
    virtual QString describe() const = 0;
    // The accounts (superusers aside) that may change or delete the rows of `table`; the file
    // has no accounts.
    virtual QStringList rewriters(const QString& table) = 0;

    // The highest 编号 ever given in `table`, and new numbers after `last`: what a copy keeps.
    virtual qint64 lastNumber(const QString& table) = 0;
    virtual void continueNumbering(const QString& table, qint64 last) = 0;
    // A value copied from another database as this one's typed column must take it.
    virtual QVariant copiedValue(const QVariant& value) const = 0;
};

// The backends, opened; DbError when they cannot be.
std::unique_ptr<Backend> openFileBackend(const QString& path, Database::Mode mode);
std::unique_ptr<Backend> openServerBackend(const QString& connection, Database::Mode mode);

} // namespace db
