#pragma once

#include <QString>

namespace db {

enum class FileKind { Missing, Sqlite, Access, Empty, Foreign };

// Looks at the first bytes of the file: an exam database is an SQLite file; an Access
// file of the older system, an empty file or anything else is refused, never opened.
FileKind probeFile(const QString& path);

// The message for a file that is there but cannot be used.
QString refusalText(FileKind kind);

// True when the file or its folder cannot be written: then the programs open the file
// read-only and refuse every write.
bool isReadOnlyLocation(const QString& path);

// "Db/Exam.mdb" below the program folder.
QString databasePath(const QString& programFolder);

} // namespace db
