#pragma once

#include <QDateTime>
#include <QString>

namespace db {

struct InitOptions {
    QString folder; // program folder; the file goes to folder/Db/Exam.mdb
    bool demo = false;
    bool force = false;
};

struct InitResult {
    bool ok = false;
    QString message; // what was done, or why not
};

// Creates a new exam database: schema, settings row, template timetables and, with
// demo, a ready project. Refuses to replace an existing file unless forced.
InitResult initDatabase(const InitOptions& options, const QDateTime& now);

} // namespace db
