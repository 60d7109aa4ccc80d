#include "common/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool QtShell::openFile(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

bool QtShell::startProgram(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    return QProcess::startDetached(path, {}, info.absolutePath());
}

QString siblingProgramPath(const QString& programFolder, const QString& baseName) {
#ifdef Q_OS_WIN
    const QString name = baseName + QStringLiteral(".exe");
#else
    const QString name = baseName;
#endif
    return QDir(programFolder).filePath(name);
}
