#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace roster_import {

// The empty workbook sites fill in for the import: sheets 监考员, 场外监考 and 验卷 with their
// header rows (the ID-number column before the unit, as sites know it). The group-number,
// ID-number and telephone columns are formatted as text, down to the cells not yet typed, so
// that an 18-digit ID number stays exact and "007" keeps its zeros.
QByteArray importTemplateWorkbook();

// Saves the template as 空表_yyyyMMddHHmmss.xls in the program folder and gives its path; a
// file of the same name (two clicks in one second) is replaced. A half-written file never
// stays behind; a failure is kTemplateFailedText.
base::Result<QString> writeImportTemplate(const QString& programFolder, const QDateTime& now);

// "“空表_….xls”成功创建在程序安装目录！", or with the folder named where it is another.
QString templateCreatedText(const QString& path, const QString& programFolder);

} // namespace roster_import
