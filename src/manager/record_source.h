#pragma once

#include "db/database.h"
#include "manager/record_pager.h"

#include <QStringList>

#include <functional>

namespace manager {

// One column written by an editor, with its value (bound, never pasted into the statement).
struct Field {
    QString column;
    QVariant value;
};
using Fields = QVector<Field>;

// The value written for `column`, or an invalid QVariant.
QVariant fieldValue(const Fields& fields, const QString& column);

// What an editor reads and writes. `from` is a table name or a parenthesised view with an
// alias, with '?' placeholders bound from `fromValues`; counts and pages read it in `order`.
struct SourceDefinition {
    QString table;
    QString from;
    QVariantList fromValues;
    QString order;
    // Deletes are "delete from <table> where <removeWhere>", the key bound last.
    QString removeWhere = QStringLiteral("编号=?");
    QVariantList removeValues;
    // The grid's text of a record at 1-based position `position` in the order.
    std::function<QString(const db::Row& row, int position)> rowText;
};

// One editor's table: counting, paging and the three writes, each write one transaction.
// Failures raise db::DbError.
class RecordSource {
public:
    RecordSource(db::Database& db, SourceDefinition definition);

    int count() const;
    // `n` records from position `top` (1-based) on.
    db::Rows page(int top, int n) const;
    QString rowText(const db::Row& row, int position) const;
    static int id(const db::Row& row);

    void remove(int id);
    // The new record's 编号.
    int insert(const Fields& fields);
    // False when no record has that 编号 any more.
    bool update(int id, const Fields& fields);

    // Another view of the table (the roster's category and subset).
    void setDefinition(SourceDefinition definition) { def_ = std::move(definition); }
    db::Database& database() { return db_; }

private:
    db::Database& db_;
    SourceDefinition def_;
};

// One refresh of a grid: what the N rows show and the current record.
struct Page {
    QStringList rows; // always N texts, empty past the last record
    db::Rows records; // the records on the page; records[0] is the current one
    bool hasCurrent() const { return !records.isEmpty(); }
    const db::Row& current() const { return records.front(); }
    int currentId() const { return hasCurrent() ? RecordSource::id(current()) : 0; }
};

// Counts, brings the pager's count up to date and reads its page.
Page readPage(const RecordSource& source, RecordPager& pager);

} // namespace manager
