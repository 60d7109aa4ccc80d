#pragma once

#include "cli/command_line.h"

// `examdb backup`: a consistent SQLite copy of the database a folder uses, the file or the
// server, that opens as Exam.mdb.
namespace cli {

Command backupCommand();

} // namespace cli
