#include "roster_import/roster_file.h"

#include "roster_import/import_texts.h"
#include "workbook/csv_reader.h"
#include "workbook/xls_reader.h"
#include "workbook/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace roster_import {

using workbook::Format;

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

// A CSV file holds one category of people: a header row with "监考员甲" is 监考员; otherwise
// the file name decides by containing "验卷", "场外监考" or "监考员" (looked for in that order).
QString categoryOf(const workbook::Sheet& sheet, const QString& fileName) {
    if (!sheet.rows.isEmpty() && sheet.rows.front().contains(QStringLiteral("监考员甲")))
        return QStringLiteral("监考员");
    const QString base = QFileInfo(fileName).completeBaseName();
    for (const QString& name :
         {QStringLiteral("验卷"), QStringLiteral("场外监考"), QStringLiteral("监考员")}) {
        if (base.contains(name))
            return name;
    }
    return {};
}

} // namespace

RosterFile readRosterFile(const QString& path, const QStringList& wantedSheets) {
    RosterFile r;
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        r.format = Format::Xlsx;
    else if (suffix == QLatin1String("csv"))
        r.format = Format::Csv;
    else if (suffix != QLatin1String("xls")) {
        r.content = base::failure(kUnknownFormatDetail);
        return r;
    }
    if (!info.isFile()) {
        r.content =
            base::failure(info.exists() || info.isSymLink()
                              ? kNotRegularFileDetail.arg(QDir::toNativeSeparators(path), fileKindName(path))
                              : kFileMissingDetail.arg(QDir::toNativeSeparators(path)));
        return r;
    }
    if (info.size() > workbook::kMaxFileBytes) {
        r.content = base::failure(kFileTooLargeDetail.arg(workbook::kMaxFileBytes >> 20));
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.content = base::failure(workbook::kFileUnreadableDetail.arg(path));
        return r;
    }
    const QByteArray bytes = f.read(workbook::kMaxFileBytes + 1);
    if (bytes.size() > workbook::kMaxFileBytes) {
        r.content = base::failure(kFileTooLargeDetail.arg(workbook::kMaxFileBytes >> 20));
        return r;
    }
    switch (r.format) {
    case Format::Xls:
        r.content = bytes.startsWith("PK\x03\x04")
                        ? workbook::WorkbookContent(base::failure(workbook::kXlsxNamedXlsDetail))
                        : workbook::readXls(bytes, wantedSheets);
        break;
    case Format::Xlsx:
        r.content = workbook::readXlsx(bytes, wantedSheets);
        break;
    case Format::Csv:
        r.content = workbook::readCsv(bytes, info.fileName());
        if (r.content) {
            workbook::Sheet& sheet = r.content->sheets.front();
            sheet.name = categoryOf(sheet, info.fileName());
            if (sheet.name.isEmpty())
                r.content = base::failure(kCsvCategoryDetail);
        }
        break;
    }
    return r;
}

} // namespace roster_import
