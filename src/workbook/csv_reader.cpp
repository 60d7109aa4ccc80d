#include "workbook/csv_reader.h"

#include "workbook/workbook_texts.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <optional>

namespace workbook {

namespace {

std::optional<QString> decode(const QByteArray& file) {
    if (file.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(file).sliced(3));
        return decoder.hasError() ? std::nullopt : std::optional(text);
    }
    for (const auto& [bom, encoding] : {std::pair{QByteArrayView("\xFF\xFE"), QStringConverter::Utf16LE},
                                        std::pair{QByteArrayView("\xFE\xFF"), QStringConverter::Utf16BE}}) {
        if (file.startsWith(bom)) {
            QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
            const QString text = decoder.decode(QByteArrayView(file).sliced(2));
            return decoder.hasError() ? std::nullopt : std::optional(text);
        }
    }
    // Stateless: a sequence cut off at the end of the file counts as an error, not as pending.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(file);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    if (!gb18030.isValid())
        return std::nullopt;
    const QString chinese = gb18030.decode(file);
    return gb18030.hasError() ? std::nullopt : std::optional(chinese);
}

QChar detectSeparator(QStringView text) {
    int commas = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tabs;
    }
    return tabs > commas ? QLatin1Char('\t') : QLatin1Char(',');
}

} // namespace

WorkbookContent readCsv(const QByteArray& file, const QString& fileName) {
    WorkbookContent content;
    const std::optional<QString> decoded = decode(file);
    if (!decoded) {
        return base::failure(kCsvEncodingDetail);
    }
    QStringView text(*decoded);
    QChar separator = detectSeparator(text);
    if (text.startsWith(QLatin1String("sep=")) && text.size() > 4) {
        separator = text[4];
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
        text = lineEnd < 0 ? QStringView() : text.mid(lineEnd + 1);
    }

    Sheet sheet;
    QStringList row;
    QString field;
    bool quoted = false;
    int line = 1, quoteLine = 0, widest = 0;
    auto endRow = [&] {
        row.push_back(field);
        field.clear();
        while (!row.isEmpty() && row.back().isEmpty())
            row.pop_back();
        widest = std::max(widest, int(row.size()));
        sheet.rows.push_back(row);
        row.clear();
        return sheet.rows.size() <= kMaxSheetRows && qint64(sheet.rows.size()) * widest <= kMaxSheetCells;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                continue; // a line break inside a cell is "\n", as spreadsheets keep it
            } else if (c != QLatin1Char('"')) {
                field += c;
                line += c == QLatin1Char('\n');
            } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            quoteLine = line;
        } else if (c == separator) {
            row.push_back(field);
            field.clear();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            if (!endRow()) {
                return base::failure(sheetTooLargeDetail(fileName));
            }
        } else {
            field += c;
        }
    }
    if (quoted) {
        return base::failure(kCsvQuoteDetail.arg(quoteLine));
    }
    if ((!field.isEmpty() || !row.isEmpty()) && !endRow()) {
        return base::failure(sheetTooLargeDetail(fileName));
    }
    while (!sheet.rows.isEmpty() && sheet.rows.back().isEmpty())
        sheet.rows.pop_back();

    sheet.name = QFileInfo(fileName).completeBaseName();
    content->sheets.push_back(sheet);
    return content;
}

} // namespace workbook
