#include "common/shell.h"

#include <QDir>

namespace common {

QString siblingProgramPath(const QString& programFolder, const QString& baseName) {
#ifdef Q_OS_WIN
    const QString name = baseName + QStringLiteral(".exe");
#else
    const QString name = baseName;
#endif
    return QDir(programFolder).filePath(name);
}

} // namespace common
