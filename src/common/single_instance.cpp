#include "common/single_instance.h"

#include <QCryptographicHash>
#include <QDir>

namespace common {

SingleInstance::SingleInstance(const QString& programName, const QString& programFolder) {
    const QByteArray key =
        QCryptographicHash::hash(QDir(programFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(
        programName + QLatin1Char('-') + QString::fromLatin1(key) + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return lock_->tryLock(0);
}

} // namespace common
