#include "db/db_file.h"

#include "db/db_error.h"
#include "db/server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <atomic>

#if defined(Q_OS_WIN)
#include <QTemporaryFile>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <unistd.h>
#if defined(Q_OS_LINUX)
#include <sys/vfs.h>
#endif
#endif

namespace db {

namespace {

#if defined(Q_OS_WIN)

bool realNetworkProbe(const QString& folder) {
    QString native = QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath());
    if (native.startsWith(QLatin1String("\\\\?\\UNC\\"), Qt::CaseInsensitive))
        return true;
    if (native.startsWith(QLatin1String("\\\\?\\")))
        native = native.mid(4);
    if (native.startsWith(QLatin1String("\\\\")))
        return true;                     // \\server\share
    const QString root = native.left(3); // "Z:\"
    return GetDriveTypeW(reinterpret_cast<const wchar_t*>(root.utf16())) == DRIVE_REMOTE;
}

#else

// The file system type names that QStorageInfo reports for network mounts where no closer
// probe exists (FUSE on Linux, the BSDs and macOS).
bool isNetworkTypeName(const QByteArray& type) {
    static const char* const kNames[] = {
        "nfs",        "nfs4",          "smbfs",           "cifs",       "smb3", "afpfs", "webdav",
        "fuse.sshfs", "fuse.smbnetfs", "fuse.gvfsd-fuse", "fuse.rclone"};
    for (const char* name : kNames) {
        if (type == name)
            return true;
    }
    return false;
}

#if defined(Q_OS_LINUX)

bool realNetworkProbe(const QString& folder) {
    struct statfs fs {};
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return false;
    switch (static_cast<quint32>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x564C:     // NCP
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x73757245: // Coda
    case 0x01021997: // 9P (also the Windows drives of WSL)
    case 0x00C36400: // Ceph
        return true;
    case 0x65735546: // FUSE: local (NTFS drives) or remote (sshfs); its subtype tells
        return isNetworkTypeName(QStorageInfo(folder).fileSystemType());
    default:
        return false;
    }
}

#else

bool realNetworkProbe(const QString& folder) {
    return isNetworkTypeName(QStorageInfo(folder).fileSystemType());
}

#endif
#endif

std::atomic<NetworkProbe> networkProbe{nullptr};

#if defined(Q_OS_WIN)
bool canMakeFileIn(const QFileInfo& folder) {
    QTemporaryFile probe(folder.absoluteFilePath() + QStringLiteral("/XXXXXX.tmp"));
    return probe.open();
}
#endif

} // namespace

FileKind probeFile(const QString& path, QByteArray* header) {
    const QFileInfo info(path);
    if (!info.exists())
        return fileAccess(path) == Access::NoRead ? FileKind::Unreadable : FileKind::Missing;
    if (!info.isFile())
        return FileKind::NotRegular;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fileAccess(path) == Access::NoRead ? FileKind::Unreadable : FileKind::Foreign;
    const QByteArray head = f.read(100);
    if (header)
        *header = head;
    if (head.isEmpty())
        return FileKind::Empty;
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return FileKind::Sqlite;
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return FileKind::Access;
    return FileKind::Foreign;
}

bool carriesOurMark(const QByteArray& header) {
    if (header.size() < 72)
        return false;
    const auto byte = [&header](int i) { return quint32(quint8(header.at(i))); };
    return (byte(68) << 24 | byte(69) << 16 | byte(70) << 8 | byte(71)) == kApplicationId;
}

QString refusalText(FileKind kind, const QString& path) {
    switch (kind) {
    case FileKind::Unreadable:
        return QStringLiteral("数据库文件无法读取，程序无法正常运行！") +
               (path.isEmpty() ? QString() : u'\n' + permissionText(path));
    case FileKind::Access:
        return QStringLiteral("数据库文件是Access格式（旧版系统的数据文件），本程序无法使用！\n"
                              "请用 examdb init 创建新的数据库，再在数据管理程序中导入人员名单。");
    case FileKind::Empty:
        return QStringLiteral(
            "数据库文件是空文件，程序无法正常运行！\n请用 examdb init --force 重新创建数据库。");
    case FileKind::Foreign:
        return QStringLiteral("数据库文件不是本系统的数据库（格式无法识别），程序无法正常运行！");
    case FileKind::OtherSqlite:
        return QStringLiteral("数据库文件不是本系统的数据库（缺少所需的数据表），程序无法正常运行！\n"
                              "文件未作任何改动。");
    case FileKind::LookAlike:
        return QStringLiteral("数据库文件不是本系统的数据库（数据表缺少所需的字段），程序无法正常运行！\n"
                              "文件未作任何改动。");
    case FileKind::NotRegular:
        return QStringLiteral("数据库文件 Exam.mdb 不是普通文件（是文件夹、管道或设备），程序无法正常运行！\n"
                              "请用 examdb init 在 Db 文件夹中创建数据库。");
    case FileKind::Missing:
        return QStringLiteral("数据库文件未找到，程序无法正常运行！");
    case FileKind::Sqlite:
        break;
    }
    return {};
}

Access fileAccess(const QString& path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
#if defined(Q_OS_WIN)
    if (!info.exists())
        return folder.isDir() && !canMakeFileIn(folder) ? Access::NoWriteFolder : Access::Missing;
    if (!info.isReadable())
        return Access::NoRead;
    // The read-only attribute; a folder's means nothing to Windows, whether it takes the
    // engine's journal beside the file is found out by making a file there.
    if (!(info.permissions() & QFileDevice::WriteOwner))
        return Access::NoWriteFile;
    return canMakeFileIn(folder) ? Access::Granted : Access::NoWriteFolder;
#else
    // access() adds what the current user may do (root passes it regardless of the bits, and
    // the owner's write bit is the file's read-only attribute, hence both tests); the engine
    // writes its journal beside the file, so the folder counts.
    // The reason access() gives, 0 when it allows.
    const auto denial = [](const QFileInfo& f, int what) {
        const QByteArray name = QFile::encodeName(f.absoluteFilePath());
        return ::access(name.constData(), what) == 0 ? 0 : errno;
    };
    const auto writable = [&denial](const QFileInfo& f) {
        return (f.permissions() & QFileDevice::WriteOwner) && denial(f, W_OK) == 0;
    };
    if (const int why = denial(info, F_OK); why != 0) {
        // A folder the account may not enter hides whether the file is there.
        if (why == EACCES)
            return Access::NoRead;
        return folder.isDir() && !writable(folder) ? Access::NoWriteFolder : Access::Missing;
    }
    if (denial(info, R_OK) != 0)
        return Access::NoRead;
    if (!writable(info))
        return Access::NoWriteFile;
    return writable(folder) ? Access::Granted : Access::NoWriteFolder;
#endif
}

bool isReadOnlyLocation(const QString& path) {
    // What the server lets an account do is asked once connected (Database::readOnly).
    if (server::isServerPath(path))
        return false;
    return fileAccess(path) != Access::Granted;
}

bool isNetworkLocation(const QString& folder) {
    const NetworkProbe probe = networkProbe.load();
    return probe ? probe(folder) : realNetworkProbe(folder);
}

NetworkProbe setNetworkProbe(NetworkProbe probe) {
    return networkProbe.exchange(probe);
}

ReadOnlyRoute readOnlyRoute(int code, qint64 walBytes) {
    constexpr int kReadOnly = 8, kCantOpen = 14, kReadOnlyRollback = 8 | (3 << 8);
    // A hot journal is an interrupted save: the main file may be half written.
    if (code == kReadOnlyRollback)
        return ReadOnlyRoute::Fail;
    // The shared-memory index cannot be made where nobody may write.
    if ((code & 0xff) == kReadOnly || (code & 0xff) == kCantOpen)
        return walBytes > 0 ? ReadOnlyRoute::RefuseWal : ReadOnlyRoute::Immutable;
    return ReadOnlyRoute::Fail;
}

QString dataFileIn(const QString& dataFolder) {
    const QDir folder(dataFolder);
    const QString server = folder.filePath(QLatin1String(server::kFileName));
    return QFileInfo(server).isFile() ? server : folder.filePath(QLatin1String(kDatabaseFileName));
}

QString databasePath(const QString& programFolder) {
    return dataFileIn(QDir(programFolder).filePath(QStringLiteral("Db")));
}

QString describeDataFile(const QString& path) {
    if (server::isServerPath(path)) {
        try {
            return QStringLiteral("服务器 ") + server::describe(server::readConnection(path));
        } catch (const DbError&) {
            // The file cannot be used; the start-up says why.
        }
    }
    return QDir::toNativeSeparators(path);
}

FileKind probeDataFile(const QString& path) {
    return server::isServerPath(path) ? FileKind::Sqlite : probeFile(path);
}

} // namespace db
