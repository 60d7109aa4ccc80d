#pragma once

#include <QDateTime>
#include <QString>

namespace db {

class Database;

// What a new exam database starts with, in the caller's transaction: the schema, the settings
// row, the template timetables and, with `demo`, a ready project (its number; 0 without).
int initialiseDatabase(Database& db, bool demo, const QDateTime& now);

// Creates a new exam database at `path`, in an existing folder where no file of that name
// is: schema, settings row, template timetables and, with `demo`, a ready project. All in one
// transaction. Gives the demo project's number (0 without); DbError when the engine fails.
int createDatabase(const QString& path, bool demo, const QDateTime& now);

} // namespace db
