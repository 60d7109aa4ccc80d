#include "cli/init_command.h"

#include "common/data_folder.h"
#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {

// Creates the database file (with a demo project when asked) and says what it made. An
// existing file is replaced only when forced, together with what lies beside it. In a folder
// its group may write (the installed package's shared folder) the group may write the file too.
Outcome runInit(const QCommandLineParser& p, const Context& c) {
    const QString path = databaseArgument(p, 0, c);
    // A folder that uses a server is never switched back (nor its Exam.server deleted) by a
    // command that makes a file, with --force or not. Asked of the path, before any connection:
    // init makes a file and has nothing to connect to.
    if (db::server::isServerPath(path))
        return stop(kRefused, QStringLiteral("%1 已指定数据库服务器，未作改动。examdb init 只创建数据库文件；"
                                             "如要改回使用数据库文件，请先删除 Exam.server。")
                                  .arg(path));
    // The machine's data folder is the package's to make, for its group: one made by whoever
    // runs init would shut the group out.
    const std::optional<common::InstalledPlace> place = common::installedPlace(c.programFolder);
    if (place && QDir::cleanPath(QFileInfo(path).absolutePath()) == QDir::cleanPath(place->dataFolder) &&
        !QFileInfo(place->dataFolder).isDir())
        return stop(kCouldNotRun,
                    QStringLiteral("考务数据文件夹 %1 不存在。它由软件包在安装时建立，"
                                   "请让管理员运行 sudo dpkg-reconfigure %2 重新建立，未作任何改动。")
                        .arg(QDir::toNativeSeparators(place->dataFolder), place->package));
    if (QFileInfo::exists(path)) {
        if (!p.isSet(QStringLiteral("force")))
            return stop(kRefused, QStringLiteral("%1 已存在，未作改动（用 --force 重新创建）。").arg(path));
        // A journal left beside the old file would be taken for the new one's and played into it.
        for (const QString& suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
            if (QFileInfo::exists(path + suffix) && !QFile::remove(path + suffix))
                return stop(kCouldNotRun, QStringLiteral("无法删除 %1。").arg(path + suffix),
                            db::permissionText(path + suffix));
        }
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return stop(kCouldNotRun, QStringLiteral("无法创建文件夹 %1。").arg(folder));
    const int project = db::createDatabase(path, p.isSet(QStringLiteral("demo")), c.now);
    // The creator's umask would leave the file to its creator alone; SQLite gives the journal
    // files beside it the file's own permissions, so this one change serves every member.
    if (QFileInfo(folder).permissions().testFlag(QFile::WriteGroup))
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadGroup | QFile::WriteGroup);
    const QString extra = project ? QStringLiteral("，含演示项目 %1（30个考场）").arg(project) : QString();
    c.io.out << QStringLiteral("已创建 %1%2。登录用户名 admin，密码 admin。").arg(path, extra) << '\n';
    return kDone;
}

} // namespace

Command initCommand() {
    return {QStringLiteral("init"),
            QStringLiteral("[--demo] [--force] [FOLDER]"),
            QStringLiteral(
                "创建 FOLDER/Db/Exam.mdb。不给 FOLDER 时在程序使用的数据文件夹中创建 Exam.mdb：\n"
                "设了 $EXAM_DATA_DIR 时是它；安装的软件包是本机的数据文件夹；其他情况是 examdb 旁边的 Db/。\n"
                "--demo 加入一个演示项目；--force 替换已有的文件。"),
            {QCommandLineOption(QStringLiteral("demo")), QCommandLineOption(QStringLiteral("force"))},
            0,
            1,
            runInit,
            QStringLiteral("创建数据库失败：\n")};
}

} // namespace cli
