#include "roster_import/import_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace roster_import {

namespace {

const QString kUp = QStringLiteral("..");

} // namespace

QStringList importFilePatterns() {
    return {QStringLiteral("*.xls"), QStringLiteral("*.xlsx"), QStringLiteral("*.csv")};
}

bool isImportableFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") ||
           suffix == QLatin1String("csv");
}

QString chosenPath(const QString& folder, const QString& file) {
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + file;
    return folder + QLatin1Char('/') + file;
}

bool importButtonEnabled(const QString& path, bool loggedIn, bool enabledNow) {
    if (!isImportableFile(path))
        return false;
    return loggedIn || enabledNow;
}

QString volumeRootOf(const QString& folder) {
    const QStorageInfo volume(folder);
    if (volume.isValid())
        return volume.rootPath();
    // A folder that does not exist (any more) has no volume; its path still names the root.
    QDir dir(QDir::cleanPath(QDir(folder).absolutePath()));
    while (!dir.isRoot() && dir.cdUp()) {
    }
    return dir.absolutePath();
}

QStringList volumeRoots(const QString& folder) {
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives())
        roots << drive.absoluteFilePath();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Single files mounted into a container are volumes too, but nothing to browse.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots << volume.rootPath();
    }
    roots << volumeRootOf(folder);
    roots.removeDuplicates();
    roots.sort(Qt::CaseInsensitive);
    return roots;
}

QStringList subfolderEntries(const QString& folder) {
    const QDir dir(folder);
    QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    if (!dir.isRoot())
        entries.prepend(kUp);
    return entries;
}

QStringList importableFiles(const QString& folder) {
    return QDir(folder).entryList(importFilePatterns(), QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QString enterFolder(const QString& folder, const QString& entry) {
    return QDir::cleanPath(QDir(folder).absoluteFilePath(entry));
}

} // namespace roster_import
