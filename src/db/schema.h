#pragma once

#include "db/database.h"
#include "db/table_spec.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace db {

// The 分类 values of 监考员信息 and the kinds of 抽签历史 rows besides those three.
inline const QString kInvigilatorCategory = QStringLiteral("监考员");
inline const QString kOutsideCategory = QStringLiteral("场外监考");
inline const QString kPaperCheckCategory = QStringLiteral("验卷");
inline const QString kParametersKind = QStringLiteral("抽签参数");

// A name as a statement spells it (a table, a column, a role), quoted.
QString quotedName(const QString& name);

// Every table of the exam database, the six first, then those added since the first version.
const QVector<Table>& schemaTables();
QStringList schemaTableNames();
// The table named `name`; nullptr for a table of another program.
const Table* schemaTable(const QString& name);

// The six tables an exam database holds, and the columns of each: a file whose tables lack one
// belongs to another program.
const QStringList& requiredTables();
const QHash<QString, QStringList>& requiredColumns();

// Refuses (DbError of kind Refused, with refusalText) a database whose `tables` lack one of the
// six or whose `columnsOf` a table lack one of its columns: the same words for a file and for
// a server's database.
void refuseIncomplete(const std::function<QStringList()>& tables,
                      const std::function<QStringList(const QString&)>& columnsOf);

// Creates the six tables of the exam database, the certificate table, the deletion records and
// the draw ledger (a no-op for tables that exist).
void createSchema(Database& db);

// Makes the tables added since the first version (certificates, deletion records, the ledger)
// in an exam database from before them. Run by every open for writing, so that no save or
// deletion ever makes a table; a database the account may not change stays as it is, and the
// write that needs the table then fails with the database's own words.
void upgradeSchema(Database& db);

// The certificates of the saved draws, one row per batch, beside the six tables
// (docs/draw-certificate.md). Files from before it lack the table until upgradeSchema makes it;
// readers take its absence for "no certificates".
inline const QString kCertificateTable = QStringLiteral("抽签校验");
bool hasCertificateTable(const Database& db);

// What deleting a saved draw removed, one row per deletion (docs/draw-certificate.md), so that
// examdb verify can tell a batch the program deleted from one that went missing.
inline const QString kDeletionTable = QStringLiteral("抽签删除记录");
bool hasDeletionTable(const Database& db);

// The draw ledger: one hash-chained row per stop, save, deletion and pick of the person who
// performs the draw, in the order they happened (docs/draw-certificate.md). Rows are only ever
// appended, under the writers' lock.
inline const QString kLedgerTable = QStringLiteral("抽签记录链");
bool hasLedgerTable(const Database& db);

// On a server, the rights on the ledger: no account, not even its owner, may UPDATE, DELETE or
// TRUNCATE it. `programs`, when not empty, is the account the programs use: it may read and write
// every table and read and append to the ledger. Run by the owner once the tables stand.
void setLedgerRights(Database& db, const QString& programs);
// On a server, the login accounts that could change or delete the ledger's rows: by UPDATE,
// DELETE or TRUNCATE, or as (a member of) its owner, who can grant them back at any time.
// Superusers, who can do anything, are left out; so is the file, which whoever may write it
// may change.
QStringList ledgerRewriters(Database& db);

// The code a supervisor compares with the printed draw conclusion: the first 16 hex digits of
// a result digest, upper case, in four groups of four ("3F2A-9C1B-77E0-D415").
QString certificateCode(const QString& resultDigest);

// The system settings row a new database starts with: user admin, password admin, stored as
// its derivation (db::hashPassword, or `storedPassword` when one was made beforehand).
void insertSystemSettings(Database& db, const QString& unitName, const QString& storedPassword = {});

// The "中考" and "高考" template timetables that the timetable editor copies from.
void insertTemplateTimetables(Database& db);

} // namespace db
