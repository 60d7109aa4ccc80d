#include "workbook/sheet.h"

namespace workbook {

QString formatName(Format format) {
    switch (format) {
    case Format::Xls:
        return QStringLiteral("XLS");
    case Format::Xlsx:
        return QStringLiteral("XLSX");
    case Format::Csv:
        return QStringLiteral("CSV");
    }
    return {};
}

} // namespace workbook
