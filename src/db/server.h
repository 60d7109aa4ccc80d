#pragma once

#include "db/db_error.h"
#include "db/table_spec.h"

#include <QString>
#include <QStringList>

// The database server: where the exam database lives in a PostgreSQL database that the PCs
// of a centre share, named by Db/Exam.server instead of the file Db/Exam.mdb. What differs
// from the embedded file (the statements that make tables, the stored form of dates, how an
// inserted row's number comes back, the engine's errors) is translated here and nowhere else.
namespace db::server {

// The file beside Exam.mdb that switches the programs to a server.
inline constexpr char kFileName[] = "Exam.server";

// True for the path of an Exam.server file.
bool isServerPath(const QString& path);

// The libpq connection string held in an Exam.server file: its first line that is neither
// empty nor a comment ("#..."). A password in it, or a missing file, is a DbError: passwords
// belong in libpq's own password file.
QString readConnection(const QString& serverFile);
// Writes `connection` as the file's one line, after a comment on what it is; false when the
// file cannot be written.
bool writeConnection(const QString& serverFile, const QString& connection);
// The same check for a connection string given on the command line: empty when it can be
// used, else why not.
QString connectionProblem(const QString& connection);

// "host（数据库 dbname）" of a connection string, with libpq's defaults for what it leaves
// out, for the status line and messages.
QString describe(const QString& connection);

// The statement as the server takes it: an insert into one of the exam database's tables gives
// back the new row's key.
QString translate(const QString& sql);

// A column's type on the server. Texts compare and sort by their characters' code points, as in
// the file, whatever the server's own language setting; a duration may be typed with a fraction
// of a minute, which the file keeps; dates and times are timestamps.
QString typeName(ColumnType type);

// The server's error in the operator's words: `state` its SQLSTATE (empty when there is none),
// `text` its message, `connecting` whether it came while connecting; `server` is describe() of
// the connection.
DbError error(const QString& state, const QString& text, bool connecting, const QString& server);

// An account that may only read the exam database, and one that may not even read it: named
// as an account, with the rights to ask the server's administrator for.
QString readOnlyAccountText(const QString& account, const QString& server);
QString rightlessAccountText(const QString& account, const QString& server);

// The statements that list the current schema's tables and a table's columns.
QString tablesSql();
QString columnsSql();

// A key for the lock every writer takes for its transaction, so that saves follow one
// another and a batch number is never given twice.
inline constexpr qint64 kWriteLock = 0x4558414d44524157; // "EXAMDRAW"

} // namespace db::server
