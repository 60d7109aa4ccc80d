#pragma once

#include "db/database.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The rows of one exam database copied into another: the file to a server (examdb server copy),
// the file or the server to a new file (examdb backup). Where the two engines differ (the
// server's typed columns, how each keeps the next 编号) is settled here.
namespace db {

// The tables a copy carries: the six of every exam database, the certificates, the deletion
// records and the draw ledger, whose rows keep their 序号 and digests.
const QStringList& copiedTables();

// What a copy from `from` into `to` (which has the schema) would leave behind: tables of
// `from` other than copiedTables() ("表") and columns that `to`'s table lacks ("表.列"). The
// engine's own tables (sqlite_sequence) hold nothing of ours.
QStringList notCopied(const Database& from, const Database& to);

struct CopiedTable {
    QString table;
    qint64 rows = 0;
};

// Copies the rows of copiedTables() from `from` into the same, empty tables of `to`: the
// columns both have, in 编号 order, with their 编号. `to` then numbers new rows after the
// highest number `from` ever gave, also to a row deleted since, so that a deleted project's
// number is never given again. Runs in the callers' transactions: a snapshot of `from`
// (beginSnapshot) and a write transaction of `to`. A value that a typed column of the server
// cannot take is a DbError of kind BadValue that names the table, the column and the row's 编号.
QVector<CopiedTable> copyRows(const Database& from, Database& to);

// Whether the database has the table to copy.
bool holdsTable(const Database& db, const QString& table);

qint64 rowCount(const Database& db, const QString& table);

} // namespace db
