#pragma once

#include "workbook/sheet.h"

#include <QString>

// Why a workbook cannot be read, as the operator reads it below a refusal.
namespace workbook {

inline const QString kFileUnreadableDetail = QStringLiteral("无法读取文件“%1”。");
inline const QString kNotXlsDetail = QStringLiteral("文件不是Excel 97-2003工作簿（.xls）。");
inline const QString kXlsxNamedXlsDetail =
    QStringLiteral("文件实际是Excel 2007及以后版本的工作簿，请把扩展名改为.xlsx后再导入。");
inline const QString kXlsNamedXlsxDetail =
    QStringLiteral("文件实际是Excel 97-2003工作簿，请把扩展名改为.xls后再导入。");
inline const QString kOldExcelDetail =
    QStringLiteral("这是Excel 5.0/95格式的工作簿，请另存为Excel 97-2003工作簿（.xls）后再导入。");
inline const QString kNotXlsxDetail = QStringLiteral("文件不是Excel工作簿（.xlsx）。");
inline const QString kPasswordDetail = QStringLiteral("工作簿设有密码保护，请取消密码后再导入。");
inline const QString kDamagedDetail = QStringLiteral("工作簿已损坏，无法读取。");
inline const QString kZipEntryTooLargeDetail = QStringLiteral("工作簿中的“%1”解压后超过%2 MB。");
inline const QString kSheetTooLargeDetail =
    QStringLiteral("工作表“%1”的数据区域过大（超过%2行或%3个单元格）。");
inline QString sheetTooLargeDetail(const QString& sheet) {
    return kSheetTooLargeDetail.arg(sheet, QString::number(kMaxSheetRows), QString::number(kMaxSheetCells));
}
inline const QString kCsvEncodingDetail = QStringLiteral("CSV文件中有无法识别的文字编码。");
inline const QString kCsvQuoteDetail = QStringLiteral("CSV文件第%1行的引号没有闭合。");

} // namespace workbook
