#include "db/copy_rows.h"

#include "db/db_file.h"
#include "db/schema.h"

#include <algorithm>
#include <limits>

namespace db {

namespace {

const QString kNumber = QStringLiteral("编号");
// Rows read at a time, and values in one insert (the file takes at most 999).
constexpr int kPage = 500;
constexpr int kValuesPerInsert = 900;

QString insertSql(const QString& table, const QStringList& columns, qsizetype rows) {
    QStringList names;
    for (const QString& c : columns)
        names << quotedName(c);
    const QString tuple = QLatin1Char('(') +
                          QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
                          QLatin1Char(')');
    return QStringLiteral("insert into %1 (%2) values ")
               .arg(quotedName(table), names.join(QStringLiteral(", "))) +
           QStringList(rows, tuple).join(QStringLiteral(", "));
}

// Runs `sql` in a savepoint of the server's transaction and undoes it; false when the server
// refused a value.
bool serverTakes(Database& to, const QString& sql, const QVariantList& values, QString* detail) {
    to.exec(QStringLiteral("savepoint copy_probe"));
    try {
        to.exec(sql, values);
    } catch (const DbError& e) {
        to.exec(QStringLiteral("rollback to savepoint copy_probe"));
        if (e.kind() != ErrorKind::BadValue)
            throw;
        *detail = e.detail();
        return false;
    }
    to.exec(QStringLiteral("rollback to savepoint copy_probe"));
    return true;
}

// The server refused `rows` as a whole: the first value it refuses on its own.
DbError refusedValue(Database& to, const QString& table, const QStringList& columns, const Rows& rows,
                     const DbError& refused) {
    for (const Row& row : rows) {
        for (int i = 0; i < columns.size(); ++i) {
            const QVariant v = row.value(i);
            QString detail;
            if (v.isNull() ||
                serverTakes(to, insertSql(table, {columns.at(i)}, 1), {to.copiedValue(v)}, &detail))
                continue;
            QString shown = v.toString();
            if (shown.size() > 40)
                shown = shown.left(40) + QStringLiteral("…");
            return DbError(
                ErrorKind::BadValue,
                QStringLiteral(
                    "数据库服务器不接受数据表“%1”中编号为 %2 的行的“%3”：“%4”不是该字段能保存的值。")
                    .arg(table, row.value(kNumber).toString(), columns.at(i), shown),
                detail);
        }
    }
    return refused;
}

void insertRows(Database& to, const QString& table, const QStringList& columns, const Rows& rows) {
    const QString sql = insertSql(table, columns, rows.size());
    QVariantList values;
    values.reserve(rows.size() * columns.size());
    for (const Row& row : rows)
        for (int i = 0; i < columns.size(); ++i)
            values << to.copiedValue(row.value(i));
    // A refused statement ends the server's transaction; the savepoint keeps it open to find
    // the value that was refused. The file takes any value.
    to.exec(QStringLiteral("savepoint copy_rows"));
    try {
        to.exec(sql, values);
    } catch (const DbError& e) {
        if (e.kind() != ErrorKind::BadValue)
            throw;
        to.exec(QStringLiteral("rollback to savepoint copy_rows"));
        throw refusedValue(to, table, columns, rows, e);
    }
    to.exec(QStringLiteral("release savepoint copy_rows"));
}

qint64 copyTable(const Database& from, Database& to, const QString& table, const QStringList& columns) {
    QStringList names;
    for (const QString& c : columns)
        names << quotedName(c);
    const QString select = QStringLiteral("select %1 from %2 where 编号 > ? order by 编号 limit ?")
                               .arg(names.join(QStringLiteral(", ")), quotedName(table));
    const int perInsert = std::max(1, kValuesPerInsert / int(columns.size()));
    qint64 copied = 0;
    // The server's 编号 is a 32-bit integer, as the programs' numbers are.
    QVariant after = std::numeric_limits<int>::min();
    for (;;) {
        const Rows page = from.query(select, {after, kPage});
        for (qsizetype at = 0; at < page.size(); at += perInsert)
            insertRows(to, table, columns, page.mid(at, perInsert));
        copied += page.size();
        if (page.size() < kPage)
            return copied;
        after = page.back().value(kNumber);
    }
}

} // namespace

bool holdsTable(const Database& db, const QString& table) {
    return db.holdsTable(table);
}

const QStringList& copiedTables() {
    static const QStringList tables = schemaTableNames();
    return tables;
}

QStringList notCopied(const Database& from, const Database& to) {
    QStringList left;
    for (const QString& table : from.tables()) {
        if (table.startsWith(QLatin1String("sqlite_")))
            continue;
        if (!copiedTables().contains(table)) {
            left << table;
            continue;
        }
        const QStringList known = to.columns(table);
        for (const QString& column : from.columns(table)) {
            if (!known.contains(column))
                left << table + QLatin1Char('.') + column;
        }
    }
    return left;
}

QVector<CopiedTable> copyRows(const Database& from, Database& to) {
    QVector<CopiedTable> copied;
    for (const QString& table : copiedTables()) {
        CopiedTable done{table, 0};
        if (holdsTable(from, table)) {
            const QStringList theirs = from.columns(table);
            QStringList columns;
            for (const QString& c : to.columns(table)) {
                if (theirs.contains(c))
                    columns << c;
            }
            // The server shows no columns of a table the account may not read.
            if (columns.isEmpty())
                throw DbError(
                    ErrorKind::Refused,
                    QStringLiteral("读不到数据表“%1”的字段：数据库账户可能无权读取这张表。").arg(table), {});
            done.rows = copyTable(from, to, table, columns);
            to.continueNumbering(table, from.lastNumber(table));
        }
        copied << done;
    }
    return copied;
}

qint64 rowCount(const Database& db, const QString& table) {
    return db.scalar(QStringLiteral("select count(*) from ") + quotedName(table)).toLongLong();
}

} // namespace db
