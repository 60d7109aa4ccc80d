#include "common/data_folder.h"

#include "db/database.h"
#include "db/db_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace common {

std::optional<InstalledPlace> installedPlace(const QString& programFolder) {
    const QString mark = QDir(programFolder).filePath(kInstalledMark);
    if (!QFileInfo(mark).isFile())
        return std::nullopt;
    QSettings settings(mark, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("installed"));
    // The folder the package was installed in, not wherever a copy of its files was unpacked:
    // a copy is a portable folder.
    const QString installedIn =
        QFileInfo(settings.value(QStringLiteral("programs")).toString()).canonicalFilePath();
    if (installedIn.isEmpty() || installedIn != QFileInfo(programFolder).canonicalFilePath())
        return std::nullopt;
    return InstalledPlace{settings.value(QStringLiteral("package")).toString(),
                          settings.value(QStringLiteral("data")).toString(),
                          settings.value(QStringLiteral("help")).toString()};
}

QString dataFolder(const QString& programFolder) {
    if (const QString named = qEnvironmentVariable("EXAM_DATA_DIR"); !named.isEmpty())
        return QDir(named).absolutePath();
    if (const std::optional<InstalledPlace> place = installedPlace(programFolder))
        return place->dataFolder;
    return QDir(programFolder).absoluteFilePath(QStringLiteral("Db"));
}

QString databaseFile(const QString& programFolder) {
    return db::dataFileIn(dataFolder(programFolder));
}

QString documentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/考务报表");
}

QString reportFolder(const QString& programFolder) {
    if (installedPlace(programFolder))
        return documentsFolder();
    const QString beside = QDir(programFolder).absoluteFilePath(QStringLiteral("Report"));
    const QFileInfo report(beside);
    // Where the program folder can be written, Report/ belongs there; a file in its way is
    // reported when the report is written, never worked around.
    if ((report.isDir() && report.isWritable()) || QFileInfo(QDir(programFolder).absolutePath()).isWritable())
        return beside;
    return documentsFolder();
}

QString userFilesFolder(const QString& programFolder) {
    const QFileInfo folder(QDir(programFolder).absolutePath());
    // A folder that is gone is no reason to write elsewhere: the write fails and says so.
    if (!installedPlace(programFolder) && (folder.isWritable() || !folder.exists()))
        return folder.absoluteFilePath();
    const QString documents = documentsFolder();
    QDir().mkpath(documents);
    return documents;
}

QString helpFolder(const QString& programFolder) {
    if (const std::optional<InstalledPlace> place = installedPlace(programFolder))
        return place->helpFolder;
    return QDir(programFolder).absoluteFilePath(QStringLiteral("help"));
}

QString databaseStatusText(const RunState& state) {
    return QStringLiteral("数据库：") + (state.db ? state.db->describe() : db::describeDataFile(state.MyDb));
}

} // namespace common
