#include "manager/roster_file.h"

#include "manager/csv_reader.h"
#include "manager/import_texts.h"
#include "manager/xls_reader.h"
#include "manager/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace manager {

namespace {

// What a path names that is no regular file: reading a FIFO would wait for a writer for ever,
// and a folder or a device holds no roster.
QString fileKindName(const QString& path) {
    std::error_code failed;
    const auto status = std::filesystem::status(std::filesystem::path(path.toStdU16String()), failed);
    switch (status.type()) {
    case std::filesystem::file_type::directory:
        return QStringLiteral("文件夹");
    case std::filesystem::file_type::fifo:
        return QStringLiteral("命名管道（FIFO）");
    case std::filesystem::file_type::socket:
        return QStringLiteral("套接字");
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character:
        return QStringLiteral("设备");
    case std::filesystem::file_type::not_found:
        return QStringLiteral("指向不存在文件的链接");
    default:
        return QStringLiteral("特殊文件");
    }
}

} // namespace

QString formatName(RosterFormat format) {
    switch (format) {
    case RosterFormat::Xls:
        return QStringLiteral("XLS");
    case RosterFormat::Xlsx:
        return QStringLiteral("XLSX");
    case RosterFormat::Csv:
        return QStringLiteral("CSV");
    }
    return {};
}

RosterFile readRosterFile(const QString& path, const QStringList& wantedSheets) {
    RosterFile r;
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        r.format = RosterFormat::Xlsx;
    else if (suffix == QLatin1String("csv"))
        r.format = RosterFormat::Csv;
    else if (suffix != QLatin1String("xls")) {
        r.content.failure = kUnknownFormatDetail;
        return r;
    }
    if (!info.isFile()) {
        r.content.failure =
            info.exists() || info.isSymLink()
                ? kNotRegularFileDetail.arg(QDir::toNativeSeparators(path), fileKindName(path))
                : kFileMissingDetail.arg(QDir::toNativeSeparators(path));
        return r;
    }
    if (info.size() > kMaxFileBytes) {
        r.content.failure = kFileTooLargeDetail.arg(kMaxFileBytes >> 20);
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.content.failure = kFileUnreadableDetail.arg(path);
        return r;
    }
    const QByteArray bytes = f.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        r.content.failure = kFileTooLargeDetail.arg(kMaxFileBytes >> 20);
        return r;
    }
    switch (r.format) {
    case RosterFormat::Xls:
        r.content = bytes.startsWith("PK\x03\x04") ? WorkbookContent{{}, kXlsxNamedXlsDetail}
                                                   : readXls(bytes, wantedSheets);
        break;
    case RosterFormat::Xlsx:
        r.content = readXlsx(bytes, wantedSheets);
        break;
    case RosterFormat::Csv:
        r.content = readCsv(bytes, info.fileName());
        break;
    }
    return r;
}

} // namespace manager
