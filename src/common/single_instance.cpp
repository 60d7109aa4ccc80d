#include "common/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

namespace common {

namespace {

// The user's own folder for such files. /tmp is shared by every user of the machine: a lock
// left there by one user's crashed program cannot be removed by the next user, who would then
// be told the program is running when it is not. Windows' temporary folder is the user's own.
QString lockFolder() {
#ifndef Q_OS_WIN
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
#endif
    return QDir::tempPath();
}

} // namespace

SingleInstance::SingleInstance(const QString& programName, const QString& programFolder) {
    const QByteArray key =
        QCryptographicHash::hash(QDir(programFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    lock_ = std::make_unique<QLockFile>(
        QDir(lockFolder())
            .filePath(programName + QLatin1Char('-') + QString::fromLatin1(key) + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return lock_->tryLock(0);
}

} // namespace common
