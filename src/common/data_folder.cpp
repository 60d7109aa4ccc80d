#include "common/data_folder.h"

#include "db/database.h"
#include "db/server.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace common {

QString dataFolder(const QString& programFolder, const QString& named, const QString& machineFolder) {
    if (!named.isEmpty())
        return QDir(named).absolutePath();
    const QString beside = QDir(programFolder).absoluteFilePath(QStringLiteral("Db"));
    if (QFileInfo(beside).isDir())
        return beside;
    if (!machineFolder.isEmpty() && QFileInfo(machineFolder).isDir())
        return machineFolder;
    return beside;
}

QString machineDataFolder(const QString& programFolder) {
#if defined(EXAM_MACHINE_DATA_DIR) && defined(EXAM_INSTALLED_PROGRAM_DIR)
    const QString installed = QStringLiteral(EXAM_INSTALLED_PROGRAM_DIR);
    const QFileInfo here(programFolder);
    if (QDir::cleanPath(here.absoluteFilePath()) == installed ||
        (here.exists() && here.canonicalFilePath() == QFileInfo(installed).canonicalFilePath()))
        return QStringLiteral(EXAM_MACHINE_DATA_DIR);
#else
    Q_UNUSED(programFolder)
#endif
    return {};
}

QString dataFolder(const QString& programFolder) {
    return dataFolder(programFolder, qEnvironmentVariable("EXAM_DATA_DIR"), machineDataFolder(programFolder));
}

QString databaseFile(const QString& programFolder) {
    const QDir folder(dataFolder(programFolder));
    const QString server = folder.filePath(QLatin1String(db::server::kFileName));
    return QFileInfo(server).isFile() ? server : folder.filePath(QStringLiteral("Exam.mdb"));
}

QString reportFolder(const QString& programFolder) {
    const QString beside = QDir(programFolder).absoluteFilePath(QStringLiteral("Report"));
    const QFileInfo report(beside);
    // Where the program folder can be written, Report/ belongs there; a file in its way is
    // reported when the report is written, never worked around.
    if ((report.isDir() && report.isWritable()) || QFileInfo(QDir(programFolder).absolutePath()).isWritable())
        return beside;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/考务报表");
}

QString userFilesFolder(const QString& programFolder) {
    const QFileInfo folder(QDir(programFolder).absolutePath());
    // A folder that is gone is no reason to write elsewhere: the write fails and says so.
    if (folder.isWritable() || !folder.exists())
        return folder.absoluteFilePath();
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/考务报表");
    QDir().mkpath(documents);
    return documents;
}

QString databaseStatusText(const RunState& state) {
    if (state.db && state.db->isServer())
        return QStringLiteral("数据库：服务器 ") + state.db->server();
    if (db::server::isServerPath(state.MyDb)) {
        try {
            return QStringLiteral("数据库：服务器 ") +
                   db::server::describe(db::server::readConnection(state.MyDb));
        } catch (const db::DbError&) {
            // The file cannot be used; the start-up says why.
        }
    }
    return QStringLiteral("数据库：") + QDir::toNativeSeparators(state.MyDb);
}

} // namespace common
