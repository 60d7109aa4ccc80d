#pragma once

#include "base/result.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

class QSqlError;

namespace db {

// What went wrong, as far as the operator can do something about it.
enum class ErrorKind {
    Other,         // no advice beyond the engine's own text
    Busy,          // another program holds the file
    Corrupt,       // damaged, or no database at all
    DiskFull,      //
    ReadOnly,      // the file or its folder refuses writes
    Io,            // the disk or the network failed
    CantOpen,      // the file or its folder cannot be reached
    Schema,        // a table or column is missing: an older or another program's file
    Refused,       // not this system's database; nothing was opened for writing
    UnreadableWal, // saved data waits in "-wal" and cannot be read from this location
    HotJournal,    // an interrupted save must be rolled back before anyone reads the file
    BadValue,      // a stored value the programs cannot use (a number beyond their range)
    Unreachable,   // the database server cannot be reached, or has no such database
    Login,         // the database server refused the user name or password
    NoAnswer,      // the database server did not answer within the session's bound
};

// The kind of an engine error: from SQLite's extended result code when there is one (code
// below 0: none, e.g. an error of the Qt driver), from the engine's text otherwise.
ErrorKind classifyEngineError(int code, const QString& engineText);

// The operator's words for a kind of engine error; empty for Other.
QString operatorWording(ErrorKind kind);

// The engine's own text for the operator's detail line: in Chinese where the text is one the
// operator meets, followed by the engine's words for support ("数据库已被锁定（database is
// locked）"); unknown texts stand as they are.
QString engineTextForOperator(const QString& engineText);

// What the engine's damage check (quick_check) found, for the operator's detail line: the
// damaged pages in Chinese ("第4页损坏"), the engine's own words after them.
QString damageDetail(const QStringList& verdict);

// Why the current account cannot use the database file at `path` (fileAccess), in the
// operator's words: what it may not do and whom to ask, then the file or folder that refuses it;
// when that one's group may do it, joining the group is the advice. Empty when nothing in the
// permissions stands in the way.
QString permissionText(const QString& path);

// Every failure of the database becomes this exception. text() is what a window shows: the
// operator's words, with the engine's own text as a last line for whoever fixes it.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : DbError(ErrorKind::Other, text, {}) {}
    DbError(ErrorKind kind, const QString& wording, const QString& detail);

    // An error reported by the engine or the driver, in the operator's words where known.
    static DbError fromEngine(const QSqlError& error);
    static DbError fromEngine(int code, const QString& engineText);

    const QString& text() const { return text_; }
    // The engine's own text (or the facts behind a refusal), empty when there is none.
    const QString& detail() const { return detail_; }
    ErrorKind kind() const { return kind_; }
    // The error as a public function returns it: the whole text, as a window shows it.
    base::Failure failure() const { return {text_, {}}; }

private:
    ErrorKind kind_;
    QString detail_;
    QString text_;
};

// An engine error on the database file at `path`, with a disk or open failure taken for what it
// most likely is when the database's folder has (almost) no room left: SQLite reports a full
// disk while it makes the "-shm" or grows the "-wal" as an I/O or open failure. A refused write
// or open names the permission the account lacks on a line of its own.
DbError engineError(const QSqlError& error, const QString& path);
// The same decision for a known amount of free space (bytes), for tests.
ErrorKind kindWithFreeSpace(ErrorKind kind, qint64 bytesAvailable);

} // namespace db
