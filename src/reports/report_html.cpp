#include "reports/report_html.h"

#include "common/data_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>

namespace reports {

namespace {

// The longest file name the common file systems take (NTFS, ext4, APFS, FAT's long names).
constexpr int kMaxFileName = 255;
// QSaveFile writes beside the target under the target's name and a ".XXXXXX" ending first.
constexpr int kSaveFileEnding = 7;

bool isLineSpace(QChar c) {
    return c == u'\t' || c == u'\r' || c == u'\n';
}

// NUL, bell, escape and their kin: nothing a browser or a file system should see.
bool isControl(QChar c) {
    return c.category() == QChar::Other_Control && !isLineSpace(c);
}

// How long a name is where it counts: UTF-16 units on Windows, encoded bytes elsewhere.
int nameLength(const QString& name) {
#if defined(Q_OS_WIN)
    return static_cast<int>(name.size());
#else
    return static_cast<int>(QFile::encodeName(name).size());
#endif
}

} // namespace

QString ChkNull(const QString& value) {
    return value.isEmpty() ? QStringLiteral("&nbsp;") : value;
}

QString htmlText(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (isControl(c))
            continue;
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
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (forbidden.contains(c) || isLineSpace(c))
            out += u'_';
        else if (!isControl(c))
            out += c;
    }
    if (nameLength(out) <= kMaxSubjectInFileName)
        return out;
    // The start stays readable; the digest of the whole text keeps two long subjects that
    // begin alike apart, and the same subject always gets the same name.
    const QString tag =
        u'~' + QString::fromLatin1(
                   QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    while (!out.isEmpty() && nameLength(out) + nameLength(tag) > kMaxSubjectInFileName) {
        out.chop(1);
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
    }
    return out + tag;
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
    const QString folder = common::reportFolder(programFolder);
    const QString path = folder + u'/' + fileName;
    if (nameLength(fileName) + kSaveFileEnding > kMaxFileName)
        return base::failure(QStringLiteral("报表文件名过长，无法写入：\n") + fileName +
                             QStringLiteral("\n请缩短科目名称后重试！"));
    if (!QDir().mkpath(folder))
        return base::failure(QStringLiteral("无法创建报表目录：\n") + QDir::toNativeSeparators(folder) +
                             QStringLiteral("\n请检查该位置是否存在同名文件或是否有写入权限！"));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(report.bytes());
        if (file.commit())
            return path;
    }
    return base::failure(QStringLiteral("无法写入报表文件：\n") + QDir::toNativeSeparators(path) + u'\n' +
                         file.errorString() + QStringLiteral("\n请关闭正在使用该文件的程序或检查写入权限！"));
}

} // namespace reports
