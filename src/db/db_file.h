#pragma once

#include <QString>
#include <QStringList>

namespace db {

// What the first bytes of a file say it is. OtherSqlite and LookAlike are SQLite files that a
// look inside (requireExamFile) found lacking the tables, or the columns, of the exam database.
// NotRegular is a folder, a pipe or a device at the database's path: never opened, since
// reading a pipe waits for a writer that never comes.
// Unreadable: the account may not read the file, or not enter its folder.
enum class FileKind {
    Missing,
    Unreadable,
    Sqlite,
    Access,
    Empty,
    Foreign,
    OtherSqlite,
    LookAlike,
    NotRegular
};

// Looks at the first bytes of the file: an exam database is an SQLite file; an Access
// file of the older system, an empty file or anything else is refused, never opened.
// It reads the file with a plain handle, so it must run before the process has a connection
// to the file: closing that handle would drop the connection's locks.
// `header`, when given, receives the first bytes read (the file's 100-byte header).
FileKind probeFile(const QString& path, QByteArray* header = nullptr);

// The mark every exam database carries in its header (PRAGMA application_id, bytes 68-71):
// set when a file is made, and on the first open for writing of a file from before the mark.
// It stands in every version of the first page, so a half-written main file still shows it.
constexpr quint32 kApplicationId = 0x4A4B4351; // "JKCQ"
bool carriesOurMark(const QByteArray& header);

// The message for a file that cannot be used; with `path`, an unreadable file's message names
// the permission that is missing (permissionText) on a line of its own.
QString refusalText(FileKind kind, const QString& path = {});

// What the current account may do with a database file, from the permissions of the file and
// its folder (on Windows: the file's read-only attribute and a trial file in the folder). A
// file that is not there is one that cannot be made when its folder cannot be written.
enum class Access { Granted, Missing, NoRead, NoWriteFile, NoWriteFolder };
Access fileAccess(const QString& path);

// True when the file or its folder cannot be written: then the programs open the file
// read-only and refuse every write.
bool isReadOnlyLocation(const QString& path);

// True when `folder` lies on a network file system (NFS, SMB/CIFS, ...). SQLite's WAL keeps
// its index in shared memory, which two machines cannot share, so such a file keeps the
// rollback journal instead.
bool isNetworkLocation(const QString& folder);

// Replaces the probe behind isNetworkLocation (nullptr: the real one) and gives back the
// previous one. Only tests do this, to stand for a network drive they cannot mount.
using NetworkProbe = bool (*)(const QString& folder);
NetworkProbe setNetworkProbe(NetworkProbe probe);

// What a read-only open does after the plain open failed with SQLite's extended result
// `code`, given the size of the "-wal" file beside the database (0 when there is none).
// Immutable: nothing waits in the WAL, so the main file alone is the whole truth.
// RefuseWal: committed saves wait in the WAL and cannot be read here; reading the main file
// alone would show an older state.   Fail: the error is something else and stands.
enum class ReadOnlyRoute { Fail, Immutable, RefuseWal };
ReadOnlyRoute readOnlyRoute(int code, qint64 walBytes);

// The database file's name in a data folder; server::kFileName names a server instead.
inline constexpr char kDatabaseFileName[] = "Exam.mdb";

// The one choice of the data file: Exam.server in `dataFolder` when there is one (the
// database is on a server), else Exam.mdb.
QString dataFileIn(const QString& dataFolder);
// The same below a program folder: "Db/Exam.server" or "Db/Exam.mdb".
QString databasePath(const QString& programFolder);
// Where the data file leads, for the status line: the file, or "服务器 …" as its
// Exam.server names it.
QString describeDataFile(const QString& path);
// What the data file `path` is before anything opens it: probeFile for a file; Sqlite for an
// Exam.server, whose database is looked at once connected.
FileKind probeDataFile(const QString& path);

} // namespace db
