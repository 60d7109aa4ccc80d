#pragma once

#include <QDateTime>
#include <QString>

namespace db {

// Creates a new exam database at `path`, in an existing folder where no file of that name
// is: schema, settings row, template timetables and, with `demo`, a ready project. All in one
// transaction. Gives the demo project's number (0 without); DbError when the engine fails.
int createDatabase(const QString& path, bool demo, const QDateTime& now);

} // namespace db
