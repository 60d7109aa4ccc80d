#include "reports/report_html.h"

#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>

namespace reports {

QString ChkNull(const QString& value) {
    return value.isEmpty() ? QStringLiteral("&nbsp;") : value;
}

QString htmlText(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return out;
}

QString headerCell(const QString& caption) {
    return GridCellOpen + caption + QStringLiteral("</td>");
}

QString spanHeaderCell(const QString& span, const QString& caption) {
    return QStringLiteral("<td ") + span + GridCellStyle + caption + QStringLiteral("</td>");
}

QString dataCell(const QString& value) {
    return GridCellOpen + ChkNull(htmlText(value)) + QStringLiteral("</td>");
}

QString heightCell(int height, const QString& value) {
    return QStringLiteral("<td height=") + QString::number(height) + GridCellStyle +
           ChkNull(htmlText(value)) + QStringLiteral("</td>");
}

int rowHeight(int rowsPerPage) {
    if (rowsPerPage > 35)
        return 18;
    if (rowsPerPage > 30)
        return 24;
    if (rowsPerPage > 25)
        return 28;
    if (rowsPerPage > 20)
        return 34;
    return 45;
}

QString commentLine(const QString& fields) {
    // With ">" escaped, no subject can end the comment early.
    return QStringLiteral("<!--抽签程序自动报表 ") + kCredit + u' ' + htmlText(fields) +
           QStringLiteral("-->");
}

QStringList 打印样式() {
    return {
        QStringLiteral("<style type='text/css'><!--"),
        QStringLiteral("body,td,th {font-size: 13px;}"),
        QStringLiteral(".bt {font-family: '黑体';font-size: 20px;}"),
        QStringLiteral(".xx {font-family: '黑体';font-size: 16px;}"),
        QStringLiteral(".pageEnd {page-break-after:always}"),
        QStringLiteral("--></style>"),
    };
}

QString safeFileName(const QString& text) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || forbidden.contains(c))
            c = u'_';
    }
    return out;
}

void HtmlReport::frame(const QString& commentFields) {
    line(commentLine(commentFields));
    line(MetaLine);
    lines(打印样式());
}

void HtmlReport::pageBreakAfter(int row, int count, int rowsPerPage, const QStringList& heading) {
    if (rowsPerPage < 1 || row % rowsPerPage != 0 || row >= count)
        return;
    lines_ << QStringLiteral("</table>") << PageBreakDiv << heading;
}

QByteArray HtmlReport::bytes() const {
    QString text;
    for (const QString& l : lines_) {
        text += l;
        text += QStringLiteral("\r\n");
    }
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

ReportResult saveReport(const QString& programFolder, const QString& fileName, const HtmlReport& report) {
    ReportResult result;
    const QString folder = programFolder + QStringLiteral("Report");
    result.path = folder + u'/' + fileName;
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("无法创建报表目录：\n") + QDir::toNativeSeparators(folder) +
                       QStringLiteral("\n请检查该位置是否存在同名文件或是否有写入权限！");
        return result;
    }
    QSaveFile file(result.path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(report.bytes());
        if (file.commit()) {
            result.ok = true;
            return result;
        }
    }
    result.error = QStringLiteral("无法写入报表文件：\n") + QDir::toNativeSeparators(result.path) + u'\n' +
                   file.errorString() + QStringLiteral("\n请关闭正在使用该文件的程序或检查写入权限！");
    return result;
}

} // namespace reports
