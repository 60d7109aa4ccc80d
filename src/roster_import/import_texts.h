#pragma once

#include "workbook/sheet.h"
#include "workbook/workbook_texts.h"

#include <QString>

// The texts of the roster import and the template, as the operator reads them.
namespace roster_import {

// Shown in the import window (Label1).
inline const QString kImportNoticeText =
    QStringLiteral("【说明】请选择准备导入的XLS数据表然后点“导入数据”。请不要动原有样表表头以及工作表标签！"
                   "如果没有样表可点下面按钮自动生成。如果仅导部分项目请在下面钩选。");

// The refusal of a file whose sheets, headers or rows are not as the import expects; for an
// .xls file exactly "准备导入的XLS数据表不符合要求！", for the other formats with their name.
inline QString notAcceptedText(const QString& format) {
    return QStringLiteral("准备导入的") + format + QStringLiteral("数据表不符合要求！");
}

inline const QString kNothingUsableText = QStringLiteral("未见任何符合要求的数据，未修改任何！");
inline const QString kCancelledText = QStringLiteral("已经取消，未修改任何数据！");
inline const QString kImportDoneText = QStringLiteral("完成数据导入！");
// A failure while the roster is being replaced: the transaction was rolled back.
inline const QString kWriteFailedText = QStringLiteral("写入数据库时出错，导入已撤销，未修改任何数据！");

inline const QString kNoCurrentProjectText = QStringLiteral("数据库中没有可用的当前项目，无法导入。");
inline const QString kDatabaseErrorText = QStringLiteral("读写数据库时出错：");

inline const QString kTemplateFailedText =
    QStringLiteral("未成功创建文件！请查看目录的写入权限或重新打开程序再试！");

// Why a file could not be read; shown below the refusal.
inline const QString kFileMissingDetail = QStringLiteral("找不到文件“%1”。");
// A path that exists but is no regular file: "“/tmp/名单.csv”是命名管道（FIFO），不是名单文件。"
inline const QString kNotRegularFileDetail = QStringLiteral("“%1”是%2，不是名单文件。");
// A name the system could not read as UTF-8, each byte that is not UTF-8 written as "\xB2".
inline const QString kNameNotUtf8Detail =
    QStringLiteral("文件名“%1”不是UTF-8编码，无法按这个名字打开；请把文件改名后再导入。");
inline const QString kFileTooLargeDetail = QStringLiteral("文件大于%1 MB，不是可导入的名单。");
inline const QString kUnknownFormatDetail = QStringLiteral("只能导入扩展名为.xls、.xlsx或.csv的文件。");
inline const QString kCsvCategoryDetail =
    QStringLiteral("无法判断CSV文件属于哪一类人员：表头有“监考员甲”的是监考员；"
                   "否则文件名须含“监考员”、“场外监考”或“验卷”。");

// What the staging found wrong with the sheets.
inline const QString kMissingSheetDetail = QStringLiteral("缺少工作表“%1”。");
inline const QString kMissingHeaderDetail = QStringLiteral("工作表“%1”的第一行缺少表头“%2”。");
inline const QString kTooManyPeopleDetail = QStringLiteral("人数超过%1人。");
// A CSV file holds one category; the operator left that one unticked.
inline const QString kCsvNotTickedDetail = QStringLiteral("这是“%1”的CSV文件，但没有勾选“%1”。");

// Replacing 场外监考 or 验卷 clears the scopes their people had.
inline QString scopesClearedText(int people) {
    return QStringLiteral("导入后需重新设置责任范围：") + QString::number(people) + QStringLiteral("人");
}

} // namespace roster_import
