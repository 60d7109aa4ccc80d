#include "cli/backup_command.h"

#include "cli/copy_check.h"
#include "db/copy_rows.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace cli {

namespace {

// The backup as it is written: a file of its own beside the backup's name, which becomes the
// backup only when complete. Whatever is left of it (and of SQLite's journals beside it) goes
// when the backup fails.
class PartFile {
public:
    explicit PartFile(const QString& target) : target_(target) {
        QTemporaryFile f(target + QStringLiteral(".XXXXXX.part"));
        f.setAutoRemove(false);
        // SQLite opens it next; this handle must be closed first, or closing it later would
        // drop SQLite's locks on the file.
        if (f.open())
            path_ = f.fileName();
    }
    ~PartFile() {
        if (path_.isEmpty() || done_)
            return;
        for (const QString& suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
            QFile::remove(path_ + suffix);
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const QString& path() const { return path_; }
    // Gives the part the backup's name; never replaces a file that appeared there meanwhile.
    bool complete() {
        done_ = QFile::rename(path_, target_);
        return done_;
    }

private:
    QString target_, path_;
    bool done_ = false;
};

// The file as it stands in one moment, copied by the engine itself.
CopyCheck backupFile(db::Database& from, const QString& part) {
    if (const QStringList damage = from.damage(); !damage.isEmpty())
        throw db::DbError(db::ErrorKind::Corrupt, QStringLiteral("数据库文件已损坏，无法备份。"),
                          db::damageDetail(damage));
    from.vacuumInto(part);
    db::Database copy(part, db::Database::Mode::ReadOnly);
    return checkCopy(copy);
}

// The server's rows as they stood when the copy began: one read-only snapshot.
CopyCheck backupServer(db::Database& from, const QString& part, QStringList& left) {
    db::Database copy(part, db::Database::Mode::Create);
    from.beginSnapshot();
    CopyCheck check;
    {
        db::Transaction tx(copy);
        db::createSchema(copy);
        left = db::notCopied(from, copy);
        db::copyRows(from, copy);
        check = checkCopy(copy, &from);
        if (!check.difference.isEmpty())
            return check;
        tx.commit();
    }
    from.rollback();
    // One file that stands alone, with nothing waiting in a WAL beside it.
    copy.exec(QStringLiteral("pragma journal_mode=delete"));
    return check;
}

// A backup written into the database's own folder (the package's shared folder) is for the same
// people as the database: it takes the file's group and mode. Elsewhere it stays its maker's
// alone, as it was made; so it does when its maker may not give it that group.
void shareLikeTheDatabase(const QString& part, const QString& target, const QString& source) {
    const auto folderOf = [](const QString& path) {
        return QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    };
    if (folderOf(target) != folderOf(source))
        return;
#if defined(Q_OS_UNIX)
    if (::chown(QFile::encodeName(part).constData(), uid_t(-1), gid_t(QFileInfo(source).groupId())) != 0)
        return;
#else
        // No file group: the permissions the file inherits from the folder already say who may read it.
#endif
    constexpr QFile::Permissions kReadWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    QFile::setPermissions(part, QFile::permissions(source) & kReadWrite);
}

Outcome runBackup(const QCommandLineParser& p, const Context& c) {
    QTextStream& out = c.io.out;
    const QFileInfo target(p.positionalArguments().at(0));
    if (target.exists() || target.isSymLink())
        return stop(kRefused, QStringLiteral("%1 已存在，未作改动。请给备份另取一个文件名。")
                                  .arg(QDir::toNativeSeparators(target.filePath())));
    const QString source = databaseArgument(p, 1, c);
    if (const db::FileKind kind = db::probeDataFile(source); kind != db::FileKind::Sqlite)
        // An unreadable file's message names the file or folder that refuses it.
        return stop(kCouldNotRun,
                    db::refusalText(kind, source) + (kind == db::FileKind::Unreadable
                                                         ? QString()
                                                         : u' ' + QDir::toNativeSeparators(source)));
    db::Database from(source, db::Database::Mode::ReadOnly);
    PartFile part(target.absoluteFilePath());
    if (part.path().isEmpty())
        return stop(kCouldNotRun, QStringLiteral("无法在 %1 中写入备份文件，未作改动。")
                                      .arg(QDir::toNativeSeparators(target.absolutePath())));
    // The database says where its rows live: a server's are copied row by row, a file by the engine.
    const bool onServer = !from.server().isEmpty();
    QStringList left;
    const CopyCheck check = onServer ? backupServer(from, part.path(), left) : backupFile(from, part.path());
    if (!check.difference.isEmpty())
        return stop(kRefused, QStringLiteral("备份后核对不符，未写入备份：") + check.difference);
    // What the programs would refuse is no backup.
    db::requireExamFile(part.path());
    shareLikeTheDatabase(part.path(), target.absoluteFilePath(), source);
    if (!part.complete())
        return stop(
            kCouldNotRun,
            QStringLiteral("无法把备份写成 %1，未作改动。").arg(QDir::toNativeSeparators(target.filePath())));
    out << QStringLiteral("已备份到 %1：%2。")
               .arg(QDir::toNativeSeparators(target.filePath()), copySummary(check))
        << '\n';
    if (onServer)
        out << QStringLiteral("数据取自数据库服务器 %1 的同一时刻。").arg(from.server()) << '\n';
    if (!left.isEmpty())
        out << QStringLiteral("未备份本系统以外的数据表或字段：") << left.join(QStringLiteral("、")) << '\n';
    out << QStringLiteral("要使用这个备份，把它改名为 Exam.mdb 放进程序的 Db 文件夹（并移走 Exam.server）。")
        << '\n';
    return kDone;
}

} // namespace

Command backupCommand() {
    return {
        QStringLiteral("backup"),
        QStringLiteral("FILE [FOLDER]"),
        QStringLiteral(
            "把 FOLDER 使用的数据库（Db/Exam.mdb，或 Db/Exam.server 指定的服务器；不给 FOLDER 时：\n"
            "程序使用的数据库）同一时刻的 SQLite 副本写入 FILE，FILE 不能已存在。副本可作为 Exam.mdb 使用。\n"
            "备份失败时不留下任何文件；数据库只读取，不改动。写入数据库所在的文件夹时，\n"
            "副本取数据库文件的组和权限，其他位置只有备份者本人可读写。"),
        {},
        1,
        2,
        runBackup,
        QStringLiteral("备份未完成，未写入任何文件：")};
}

} // namespace cli
