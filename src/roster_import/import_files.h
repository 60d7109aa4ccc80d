#pragma once

#include <QString>
#include <QStringList>

// The file chooser of the import window without its widgets: which volumes, folders and
// files it lists, the path it builds, and when the import may start.
namespace roster_import {

// The formats the import reads, as the file list's patterns.
QStringList importFilePatterns();

// Whether the import reads the file at `path`, by its extension in any case.
bool isImportableFile(const QString& path);

// The folder and the file chosen in it. Without a file it is the folder with a separator,
// which no import accepts, so a new folder disables 导入数据 until a file is picked.
QString chosenPath(const QString& folder, const QString& file);

// 导入数据 after a choice: off for a file the import cannot read; on for one it reads once
// the operator has logged in; without a login it keeps its state (disabled from the start).
bool importButtonEnabled(const QString& path, bool loggedIn, bool enabledNow);

// The roots to choose from: the drives on Windows, the root and mounted volumes elsewhere,
// and always the volume of `folder`, so the chooser can show where it starts.
QStringList volumeRoots(const QString& folder);

// The root of the volume `folder` lies on.
QString volumeRootOf(const QString& folder);

// The subfolders of `folder` by name, with ".." first unless it is a root.
QStringList subfolderEntries(const QString& folder);

// The importable files of `folder` by name.
QStringList importableFiles(const QString& folder);

// The folder an entry of subfolderEntries leads to, clean and absolute.
QString enterFolder(const QString& folder, const QString& entry);

} // namespace roster_import
