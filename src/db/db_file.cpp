#include "db/db_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace db {

FileKind probeFile(const QString& path) {
    QFile f(path);
    if (!f.exists())
        return FileKind::Missing;
    if (!f.open(QIODevice::ReadOnly))
        return FileKind::Foreign;
    const QByteArray head = f.read(32);
    if (head.isEmpty())
        return FileKind::Empty;
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return FileKind::Sqlite;
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return FileKind::Access;
    return FileKind::Foreign;
}

QString refusalText(FileKind kind) {
    switch (kind) {
    case FileKind::Access:
        return QStringLiteral("数据库文件是Access格式（旧版系统的数据文件），本程序无法使用！\n"
                              "请用 examdb init 创建新的数据库，再在数据管理程序中导入人员名单。");
    case FileKind::Empty:
        return QStringLiteral(
            "数据库文件是空文件，程序无法正常运行！\n请用 examdb init --force 重新创建数据库。");
    case FileKind::Foreign:
        return QStringLiteral("数据库文件不是本系统的数据库（格式无法识别），程序无法正常运行！");
    case FileKind::Missing:
        return QStringLiteral("数据库文件未找到，程序无法正常运行！");
    case FileKind::Sqlite:
        break;
    }
    return {};
}

bool isReadOnlyLocation(const QString& path) {
    const QFileInfo info(path);
    // The owner's write bit is the file's read-only attribute; access() adds what the
    // current user may do (root passes it regardless of the bits, hence both tests).
    if (!(info.permissions() & QFileDevice::WriteOwner))
        return true;
    const QByteArray local = QFile::encodeName(info.absoluteFilePath());
    if (::access(local.constData(), W_OK) != 0)
        return true;
    // The engine writes its journal beside the file, so the folder must be writable too.
    const QFileInfo folder(info.absolutePath());
    if (!(folder.permissions() & QFileDevice::WriteOwner))
        return true;
    return ::access(QFile::encodeName(folder.absoluteFilePath()).constData(), W_OK) != 0;
}

QString databasePath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Db/Exam.mdb"));
}

} // namespace db
