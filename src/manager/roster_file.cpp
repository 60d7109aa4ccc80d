#include "manager/roster_file.h"

#include "manager/csv_reader.h"
#include "manager/import_texts.h"
#include "manager/xls_reader.h"
#include "manager/xlsx_reader.h"

#include <QFile>
#include <QFileInfo>

namespace manager {

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
        r.content.failure = kFileMissingDetail.arg(path);
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
