#pragma once

#include "cli/command_line.h"
#include "common/failure.h"

#include <QDateTime>
#include <QString>

// `examdb init`: a new database file in a program folder.
namespace cli {

struct InitOptions {
    QString folder; // the file goes to folder/Db/Exam.mdb
    bool demo = false;
    bool force = false;
};

// Creates folder/Db/Exam.mdb (with a demo project when asked) and says what it made. An
// existing file is replaced only when forced, together with what lies beside it.
common::Result<QString> initDatabase(const InitOptions& options, const QDateTime& now);

Command initCommand();

} // namespace cli
