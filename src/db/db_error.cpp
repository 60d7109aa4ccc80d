#include "db/db_error.h"

#include "db/db_file.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QStorageInfo>

#if !defined(Q_OS_WIN)
#include <unistd.h>
#endif

namespace db {

namespace {

// SQLite's primary result codes (the low byte of an extended code).
enum : int {
    kError = 1,
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoErr = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADb = 26,
    kReadOnlyRollback = kReadOnly | (3 << 8),
};

ErrorKind kindFromText(const QString& t) {
    const auto has = [&t](const char* s) { return t.contains(QLatin1String(s), Qt::CaseInsensitive); };
    if (has("no such table") || has("no such column") || has("has no column named"))
        return ErrorKind::Schema;
    if (has("is locked") || has("database is busy"))
        return ErrorKind::Busy;
    if (has("malformed") || has("not a database"))
        return ErrorKind::Corrupt;
    if (has("disk is full"))
        return ErrorKind::DiskFull;
    if (has("readonly database") || has("read-only database"))
        return ErrorKind::ReadOnly;
    if (has("disk i/o error"))
        return ErrorKind::Io;
    if (has("unable to open database"))
        return ErrorKind::CantOpen;
    return ErrorKind::Other;
}

} // namespace

ErrorKind classifyEngineError(int code, const QString& engineText) {
    // The generic code says nothing; its text tells a missing table from a typing error.
    if (code < 0 || (code & 0xff) == kError)
        return kindFromText(engineText);
    if (code == kReadOnlyRollback)
        return ErrorKind::HotJournal;
    switch (code & 0xff) {
    case kBusy:
    case kLocked:
        return ErrorKind::Busy;
    case kCorrupt:
    case kNotADb:
        return ErrorKind::Corrupt;
    case kFull:
        return ErrorKind::DiskFull;
    case kReadOnly:
        return ErrorKind::ReadOnly;
    case kIoErr:
        return ErrorKind::Io;
    case kCantOpen:
        return ErrorKind::CantOpen;
    default:
        return ErrorKind::Other;
    }
}

QString operatorWording(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Busy:
        return QStringLiteral("数据库正被其他程序使用（可能正在保存），请稍后重试！");
    case ErrorKind::Corrupt:
        return QStringLiteral("数据库文件已损坏或不是有效的数据库文件，无法读取！\n"
                              "请用备份的数据库文件替换 Db 文件夹中的 Exam.mdb。");
    case ErrorKind::DiskFull:
        return QStringLiteral("磁盘空间已满，数据无法写入！\n请清理数据库所在磁盘后重试。");
    case ErrorKind::ReadOnly:
        return QStringLiteral("数据库为只读属性，无法完成数据写入！\n"
                              "请检查数据库文件及其所在文件夹的写入权限后重新加载程序。");
    case ErrorKind::Io:
        return QStringLiteral("读写数据库文件时磁盘或网络出错！\n请检查磁盘和网络连接后重试。");
    case ErrorKind::CantOpen:
        return QStringLiteral("无法打开数据库文件！\n请检查文件及其所在文件夹是否存在、是否有访问权限。");
    case ErrorKind::Schema:
        return QStringLiteral("数据库中缺少所需的数据表或字段，可能是旧版本或其他程序的数据库文件！");
    case ErrorKind::Refused:
        return QStringLiteral("数据库文件不是本系统的数据库，程序无法使用（文件未作任何改动）！");
    case ErrorKind::UnreadableWal:
        return QStringLiteral("数据库有已保存但尚未并入 Exam.mdb 的数据（在 Exam.mdb-wal 中），"
                              "当前位置不可写入，无法读取这些数据；为免显示过时的结果，程序不再继续。\n"
                              "请在数据库文件夹可写入的位置（或以有写入权限的用户）打开一次抽签程序"
                              "或数据管理程序，再重新打开。");
    case ErrorKind::HotJournal:
        return QStringLiteral("数据库上次保存未完成，需要由可写入的程序先恢复（留有 Exam.mdb-journal）。\n"
                              "请在数据库文件夹可写入的位置（或以有写入权限的用户）打开一次抽签程序"
                              "或数据管理程序，再重新打开。");
    case ErrorKind::Unreachable:
        return QStringLiteral("无法连接数据库服务器！\n请检查网络连接和服务器。");
    case ErrorKind::Login:
        return QStringLiteral("数据库服务器拒绝登录：用户名或密码不正确！");
    case ErrorKind::NoAnswer:
        return QStringLiteral("数据库服务器无响应，操作未完成！\n请检查网络和服务器后重试。");
    case ErrorKind::BadValue:
    case ErrorKind::Other:
        break;
    }
    return {};
}

QString engineTextForOperator(const QString& engineText) {
    // Prefixes of SQLite's and the Qt driver's texts; the rest of the text (a table's name)
    // follows in the engine's words.
    static const struct {
        const char* engine;
        const char* chinese;
    } kTexts[] = {
        {"database is locked", "数据库已被锁定"},
        {"database table is locked", "数据表已被锁定"},
        {"unable to open database file", "无法打开数据库文件"},
        {"database disk image is malformed", "数据库文件已损坏"},
        {"file is not a database", "文件不是数据库"},
        {"database or disk is full", "数据库或磁盘已满"},
        {"attempt to write a readonly database", "试图写入只读的数据库"},
        {"disk I/O error", "磁盘读写错误"},
        {"no such table", "没有此数据表"},
        {"no such column", "没有此字段"},
        {"out of memory", "内存不足"},
        {"interrupted", "操作被中断"},
        {"locking protocol", "文件锁定出错"},
        {"database schema has changed", "数据库结构已改变"},
        {"Parameter count mismatch", "参数个数不符"},
        {"Driver not loaded", "数据库驱动程序未加载"},
        {"Unable to fetch row", "无法读取数据行"},
        {"Unable to execute statement", "无法执行语句"},
        {"cannot start a transaction within a transaction", "事务中不能再开始事务"},
        {"cannot commit - no transaction is active", "没有进行中的事务"},
    };
    for (const auto& t : kTexts) {
        if (engineText.startsWith(QLatin1String(t.engine), Qt::CaseInsensitive))
            return QString::fromUtf8(t.chinese) + QStringLiteral("（") + engineText + QStringLiteral("）");
    }
    return engineText;
}

QString damageDetail(const QStringList& verdict) {
    static const QRegularExpression page(QStringLiteral("\\bPage (\\d+)"));
    QStringList pages;
    for (const QString& line : verdict) {
        for (auto it = page.globalMatch(line); it.hasNext();) {
            const QString number = it.next().captured(1);
            if (!pages.contains(number))
                pages << number;
        }
    }
    const QString found = pages.isEmpty()
                              ? QStringLiteral("数据库结构不完整")
                              : QStringLiteral("第%1页损坏").arg(pages.join(QStringLiteral("、")));
    return found + QStringLiteral("（") + verdict.join(QStringLiteral("；")) + QStringLiteral("）");
}

namespace {

// The outermost folder on the way to `file` that the account may not enter; empty when the
// file itself can be seen.
QString shutFolder(const QFileInfo& file) {
    if (file.exists())
        return {};
    QString shut;
    for (QString at = file.absolutePath();;) {
        if (!QFileInfo(at).isExecutable())
            shut = at;
        const QString up = QFileInfo(at).absolutePath();
        if (up == at)
            return shut;
        at = up;
    }
}

// Whether a write is refused by a read-only mark the account may take off itself: its own file
// or folder, or any as root, which only the owner's write bit stops.
bool mayTakeOffReadOnly(const QFileInfo& refusing) {
#if defined(Q_OS_WIN)
    // Windows refuses a file's writes by its read-only attribute, a folder's by its permissions.
    return !refusing.isDir();
#else
    const uint me = ::geteuid();
    return me == 0 || refusing.ownerId() == me;
#endif
}

} // namespace

QString permissionText(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const Access access = fileAccess(path);
    // The one that refuses, what it refuses and the permission bit of its group that would allow it.
    QFileInfo refusing = file;
    QString what;
    QFileDevice::Permission groupMay = QFileDevice::WriteGroup;
    switch (access) {
    case Access::Granted:
    case Access::Missing:
        return {};
    case Access::NoRead:
        if (const QString shut = shutFolder(file); !shut.isEmpty()) {
            refusing = QFileInfo(shut);
            what = QStringLiteral("无法进入的文件夹");
            groupMay = QFileDevice::ExeGroup;
        } else {
            what = QStringLiteral("无法读取的文件");
            groupMay = QFileDevice::ReadGroup;
        }
        break;
    case Access::NoWriteFile:
        what = QStringLiteral("不可写入的文件");
        break;
    case Access::NoWriteFolder:
        refusing = folder;
        what = QStringLiteral("不可写入的文件夹");
        break;
    }
    const bool reading = access == Access::NoRead;
    const QString where =
        QStringLiteral("\n（%1：%2）").arg(what, QDir::toNativeSeparators(refusing.absoluteFilePath()));
    if (!reading && mayTakeOffReadOnly(refusing))
        return (refusing.isDir() ? QStringLiteral("数据库所在的文件夹") : QStringLiteral("数据库文件")) +
               QStringLiteral("设为只读，请先把它改为可写入") + where;
    const QString group = refusing.exists() ? refusing.group() : QString();
    const QString advice =
        !group.isEmpty() && refusing.permissions().testFlag(groupMay)
            ? QStringLiteral("请让管理员把账户加入 %1 组").arg(group)
            : QStringLiteral("请让管理员为当前账户开放下面这个%1的%2权限")
                  .arg(refusing.isDir() ? QStringLiteral("文件夹") : QStringLiteral("文件"),
                       reading ? QStringLiteral("读取") : QStringLiteral("写入"));
    return QStringLiteral("当前账户没有%1考务数据库的权限，%2")
               .arg(reading ? QStringLiteral("读取") : QStringLiteral("修改"), advice) +
           where;
}

namespace {

QString joinedText(const QString& wording, const QString& detail) {
    if (wording.isEmpty())
        return engineTextForOperator(detail);
    if (detail.isEmpty())
        return wording;
    return wording + QStringLiteral("\n详细信息：") + engineTextForOperator(detail);
}

} // namespace

DbError::DbError(ErrorKind kind, const QString& wording, const QString& detail)
    : std::runtime_error(joinedText(wording, detail).toStdString()), kind_(kind), detail_(detail),
      text_(joinedText(wording, detail)) {}

DbError DbError::fromEngine(const QSqlError& error) {
    QString t = error.databaseText();
    if (t.isEmpty())
        t = error.text();
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return fromEngine(ok ? code : -1, t);
}

DbError DbError::fromEngine(int code, const QString& engineText) {
    const ErrorKind kind = classifyEngineError(code, engineText);
    // The engine calls an interrupted save it may not roll back a write to a read-only file,
    // which is not what stops the reader; the wording names the journal instead.
    return DbError(kind, operatorWording(kind), kind == ErrorKind::HotJournal ? QString() : engineText);
}

ErrorKind kindWithFreeSpace(ErrorKind kind, qint64 bytesAvailable) {
    // Less than the WAL index needs, with room for a page or two of the WAL.
    constexpr qint64 kTooLittle = 256 * 1024;
    if ((kind == ErrorKind::Io || kind == ErrorKind::CantOpen) && bytesAvailable >= 0 &&
        bytesAvailable < kTooLittle)
        return ErrorKind::DiskFull;
    return kind;
}

DbError engineError(const QSqlError& error, const QString& path) {
    DbError e = DbError::fromEngine(error);
    if (e.kind() == ErrorKind::ReadOnly || e.kind() == ErrorKind::CantOpen) {
        if (const QString why = permissionText(path); !why.isEmpty())
            return DbError(e.kind(), operatorWording(e.kind()) + u'\n' + why, e.detail());
    }
    if (e.kind() != ErrorKind::Io && e.kind() != ErrorKind::CantOpen)
        return e;
    const QStorageInfo disk(QFileInfo(path).absolutePath());
    const ErrorKind kind = kindWithFreeSpace(e.kind(), disk.isValid() ? disk.bytesAvailable() : -1);
    return kind == e.kind() ? e : DbError(kind, operatorWording(kind), e.detail());
}

} // namespace db
