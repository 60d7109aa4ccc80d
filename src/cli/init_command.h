#pragma once

#include "base/result.h"
#include "cli/command_line.h"

#include <QDateTime>
#include <QString>

// `examdb init`: a new database file in a program folder.
namespace cli {

struct InitOptions {
    QString path; // the database file to make
    bool demo = false;
    bool force = false;
};

// Creates the database file (with a demo project when asked) and says what it made. An
// existing file is replaced only when forced, together with what lies beside it. In a folder
// its group may write (the installed package's shared folder) the group may write the file too.
base::Result<QString> initDatabase(const InitOptions& options, const QDateTime& now);

Command initCommand();

} // namespace cli
