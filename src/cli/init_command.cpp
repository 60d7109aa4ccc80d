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

QString existsText(const QString& path) {
    return QStringLiteral("%1 已存在，未作改动（用 --force 重新创建）。").arg(path);
}

int runInit(const QCommandLineParser& p, const Context& c) {
    const QString database = databaseArgument(p, 0, c);
    // A folder that uses a server is never switched back (nor its Exam.server deleted) by a
    // command that makes a file, with --force or not.
    if (db::server::isServerPath(database)) {
        c.io.err << QStringLiteral("%1 已指定数据库服务器，未作改动。examdb init 只创建数据库文件；"
                                   "如要改回使用数据库文件，请先删除 Exam.server。")
                        .arg(database)
                 << '\n';
        return kRefused;
    }
    // The machine's data folder is the package's to make, for its group: one made by whoever
    // runs init would shut the group out.
    const std::optional<common::InstalledPlace> place = common::installedPlace(c.programFolder);
    if (place && QDir::cleanPath(QFileInfo(database).absolutePath()) == QDir::cleanPath(place->dataFolder) &&
        !QFileInfo(place->dataFolder).isDir()) {
        c.io.err << QStringLiteral("考务数据文件夹 %1 不存在。它由软件包在安装时建立，"
                                   "请让管理员运行 sudo dpkg-reconfigure %2 重新建立，未作任何改动。")
                        .arg(QDir::toNativeSeparators(place->dataFolder), place->package)
                 << '\n';
        return kCouldNotRun;
    }
    const InitOptions options{database, p.isSet(QStringLiteral("demo")), p.isSet(QStringLiteral("force"))};
    if (QFileInfo::exists(options.path) && !options.force) {
        c.io.err << existsText(options.path) << '\n';
        return kRefused;
    }
    const base::Result<QString> made = initDatabase(options, c.now);
    if (!made) {
        c.io.err << made.error().text() << '\n';
        return kCouldNotRun;
    }
    c.io.out << *made << '\n';
    return kDone;
}

} // namespace

base::Result<QString> initDatabase(const InitOptions& options, const QDateTime& now) {
    const QString& path = options.path;
    if (QFileInfo::exists(path)) {
        if (!options.force)
            return base::failure(existsText(path));
        // A journal left beside the old file would be taken for the new one's and played into it.
        for (const QString& suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
            if (QFileInfo::exists(path + suffix) && !QFile::remove(path + suffix))
                return base::failure(QStringLiteral("无法删除 %1。").arg(path + suffix),
                                     db::permissionText(path + suffix));
        }
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return base::failure(QStringLiteral("无法创建文件夹 %1。").arg(folder));
    int project = 0;
    try {
        project = db::createDatabase(path, options.demo, now);
    } catch (const db::DbError& e) {
        return base::failure(QStringLiteral("创建数据库失败："), e.text());
    }
    // The creator's umask would leave the file to its creator alone; SQLite gives the journal
    // files beside it the file's own permissions, so this one change serves every member.
    if (QFileInfo(folder).permissions().testFlag(QFile::WriteGroup))
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadGroup | QFile::WriteGroup);
    const QString extra = project ? QStringLiteral("，含演示项目 %1（30个考场）").arg(project) : QString();
    return QStringLiteral("已创建 %1%2。登录用户名 admin，密码 admin。").arg(path, extra);
}

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
            runInit};
}

} // namespace cli
