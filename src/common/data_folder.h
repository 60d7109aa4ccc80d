#pragma once

#include "common/run_state.h"

#include <QString>

namespace common {

// The folder that holds Exam.mdb, looked for in this order:
//  1. the folder named by EXAM_DATA_DIR;
//  2. Db/ beside the programs, when it is there (the build tree, a portable folder, Windows);
//  3. the machine-wide folder, for the installed package's programs, when it is there;
//  4. otherwise Db/ beside the programs, where `examdb init` makes it.
QString dataFolder(const QString& programFolder);

// The same order with its two outside inputs given: the value of EXAM_DATA_DIR (empty: unset)
// and the machine-wide folder (empty: none).
QString dataFolder(const QString& programFolder, const QString& named, const QString& machineFolder);

// The machine-wide data folder (/var/lib/<package>) when `programFolder` is the installed
// package's own program folder; empty for a build tree, a portable copy, the tests' folders and
// Windows, which must never reach the machine's database by accident.
QString machineDataFolder(const QString& programFolder);

// Exam.server in dataFolder(programFolder) when there is one (the database is on a server),
// else Exam.mdb there.
QString databaseFile(const QString& programFolder);

// Report/ beside the programs, or 考务报表/ in the user's documents when the program folder
// cannot be written (an installed package). `programFolder` may end in a separator.
QString reportFolder(const QString& programFolder);

// Where the programs put files the operator asked for (the import template): the program
// folder, or 考务报表/ in the user's documents when the program folder cannot be written.
QString userFilesFolder(const QString& programFolder);

// The status line of the main windows that says which database the run uses: the file, or
// the server's host and database name.
QString databaseStatusText(const RunState& state);

} // namespace common
