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
// demo, a ready project. Refuses to replace an existing file unless forced. In a folder that
// its group may write (the installed package's) the group may write the file too.
InitResult initDatabase(const InitOptions& options, const QDateTime& now);

// The same at `path` itself, whatever options.folder says (examdb without FOLDER, where the
// data folder's order chooses the place).
InitResult initDatabase(const QString& path, const InitOptions& options, const QDateTime& now);

} // namespace db
