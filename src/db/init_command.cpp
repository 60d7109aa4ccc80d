#include "db/init_command.h"

#include "db/database.h"
#include "db/db_file.h"
#include "db/demo_data.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace db {

InitResult initDatabase(const InitOptions& options, const QDateTime& now) {
    return initDatabase(databasePath(options.folder), options, now);
}

InitResult initDatabase(const QString& path, const InitOptions& options, const QDateTime& now) {
    InitResult r;
    if (QFileInfo::exists(path)) {
        if (!options.force) {
            r.message = QStringLiteral("%1 已存在，未作改动（用 --force 重新创建）。").arg(path);
            return r;
        }
        // A journal left beside the old file would be taken for the new one's and played into it.
        for (const QString& suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
            if (QFileInfo::exists(path + suffix) && !QFile::remove(path + suffix)) {
                r.message = QStringLiteral("无法删除 %1。").arg(path + suffix);
                return r;
            }
        }
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        r.message = QStringLiteral("无法创建文件夹 %1。").arg(QFileInfo(path).absolutePath());
        return r;
    }
    try {
        Database db(path, Database::Mode::Create);
        Transaction tx(db);
        createSchema(db);
        insertSystemSettings(db, QStringLiteral("城关镇教育办公室"));
        insertTemplateTimetables(db);
        QString extra;
        if (options.demo) {
            const int project = insertDemoProject(db, now);
            extra = QStringLiteral("，含演示项目 %1（30个考场）").arg(project);
        }
        tx.commit();
        r.ok = true;
        r.message = QStringLiteral("已创建 %1%2。登录用户名 admin，密码 admin。").arg(path, extra);
    } catch (const DbError& e) {
        r.message = QStringLiteral("创建数据库失败：%1").arg(e.text());
    }
    // The creator's umask would leave the file to its creator alone; SQLite gives the journal
    // files beside it the file's own permissions, so this one change serves every member.
    const QFile::Permissions folder = QFileInfo(QFileInfo(path).absolutePath()).permissions();
    if (r.ok && folder.testFlag(QFile::WriteGroup))
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadGroup | QFile::WriteGroup);
    return r;
}

} // namespace db
