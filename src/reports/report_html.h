#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The frame every report file shares: markup constants, cells, page breaks and the file itself.
namespace reports {

inline const QString MetaLine =
    QStringLiteral("<meta http-equiv='Content-Type' content='text/html; charset=gb2312'>");
inline const QString TitleOpen = QStringLiteral("<div align=center><span class=bt>");
inline const QString GridTableOpen = QStringLiteral(
    "<table width=100%  border=0 cellspacing=0 cellpadding=3 style='border:1px #666666 solid;'>");
inline const QString GridCellStyle = QStringLiteral(
    " style='BORDER-right: rgb(100,100,100) 1px groove; BORDER-bottom: rgb(100,100,100) 1px groove'>");
inline const QString GridCellOpen = QStringLiteral("<td") + GridCellStyle;
inline const QString PageBreakDiv = QStringLiteral(
    "<div style='height: 1px; font-size: 1px; vertical-align: middle; page-break-before: always; "
    "background-color: rgb(192, 192, 192);'></div>");

// Our own line in the comment and in the footers.
inline const QString kCredit = QStringLiteral("考点监考员随机编排系统");
// "Now" in the reports: short date and long time.
inline const QString kNowFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The value, or "&nbsp;" when it is empty, so that an empty cell keeps its borders.
QString ChkNull(const QString& value);
// Data from the database as element text: "&", "<" and ">" escaped, so a name can never
// turn into markup, and control characters other than tab, CR and LF left out. Quotes need
// nothing in element text.
QString htmlText(const QString& value);

QString headerCell(const QString& caption);
// A header cell spanning rows or columns: `span` is e.g. "rowspan='2'".
QString spanHeaderCell(const QString& span, const QString& caption);
QString dataCell(const QString& value);
// The first cell of a row in the paged reports; it fixes the row's height.
QString heightCell(int height, const QString& value);

// Row height in pixels for `rowsPerPage` data rows on a page.
int rowHeight(int rowsPerPage);

// Line 1 of every report.
QString commentLine(const QString& fields);
// 打印样式: the six lines of the style block.
QStringList 打印样式();

// The most a subject takes of a report file name (UTF-8 bytes; UTF-16 units on Windows):
// the project number, the report's words, ".htm" and the safe save's temporary ending
// still fit in the 255 of the file systems.
inline constexpr int kMaxSubjectInFileName = 200;

// `text` made fit to stand inside a file name on every system we run on: each of
// \ / : * ? " < > |, tab, CR and LF becomes "_", other control characters are left out, and
// a text too long is cut to its start followed by "~" and 8 hex digits of the SHA-1 of the
// whole text.
QString safeFileName(const QString& text);

// The lines of one report file, in order.
class HtmlReport {
public:
    // The head every report file starts with: the comment line with `commentFields`,
    // MetaLine and the style block.
    void frame(const QString& commentFields);
    void line(const QString& text) { lines_ << text; }
    void lines(const QStringList& texts) { lines_ << texts; }
    // Called after data row `row` (from 1) of `count`: a full page is closed and, when rows
    // follow, a page break and the repeated `heading` open the next one. The last table is
    // closed by the caller, so a last row that fills its page gets neither a second
    // "</table>" nor a heading over nothing. `rowsPerPage` below 1 means one long page.
    void pageBreakAfter(int row, int count, int rowsPerPage, const QStringList& heading);

    // Every line ended by CR LF, encoded in GB18030 (GBK for every GBK character, and
    // still a valid encoding for the names GBK cannot hold).
    QByteArray bytes() const;

private:
    QStringList lines_;
};

// The end of every report: path written or what went wrong, in words for the operator.
// The path of a written report, or why none was written.
using ReportResult = base::Result<QString>;

// Writes `report` as `fileName` into common::reportFolder(programFolder) (`programFolder` ends
// in a separator), creating the folder. The file is replaced whole or not at all.
ReportResult saveReport(const QString& programFolder, const QString& fileName, const HtmlReport& report);

} // namespace reports
