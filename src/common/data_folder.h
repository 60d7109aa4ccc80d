#pragma once

#include "common/run_state.h"

#include <QString>

#include <optional>

namespace common {

// The mark the installed package puts beside its programs: an INI file that names the folder
// the programs were installed in and the places they use instead of it.
inline const QString kInstalledMark = QStringLiteral("installed.ini");

// What the mark says, for programs that stand where it says they were installed.
struct InstalledPlace {
    QString package;    // the Debian package
    QString dataFolder; // the database of the whole machine
    QString helpFolder; // the operator's guide
};

// The one rule of where the programs keep their files. Programs that stand in the folder their
// mark names are installed: their own folder is never a data, report or template folder, for
// any user, root included. Everything else (the build tree, a copied or unpacked folder,
// Windows) is a portable folder that keeps its files beside the programs.
std::optional<InstalledPlace> installedPlace(const QString& programFolder);

// The folder that holds Exam.mdb: the folder named by EXAM_DATA_DIR; else the machine's data
// folder for installed programs, Db/ beside the programs for a portable folder.
QString dataFolder(const QString& programFolder);

// Exam.server in dataFolder(programFolder) when there is one (the database is on a server),
// else Exam.mdb there.
QString databaseFile(const QString& programFolder);

// 考务报表/ in the user's documents folder (whatever the desktop calls it).
QString documentsFolder();

// Where reports are written: documentsFolder() for installed programs; Report/ beside the
// programs of a portable folder, or documentsFolder() when that folder cannot be written.
// `programFolder` may end in a separator.
QString reportFolder(const QString& programFolder);

// Where the programs put files the operator asked for (the import template): the program
// folder of a portable folder that can be written, else documentsFolder(), made if need be.
QString userFilesFolder(const QString& programFolder);

// The folder of the operator's guide (index.html): help/ beside the programs, or where the
// package put it.
QString helpFolder(const QString& programFolder);

// The status line of the main windows that says which database the run uses: the file, or
// the server's host and database name.
QString databaseStatusText(const RunState& state);

} // namespace common
