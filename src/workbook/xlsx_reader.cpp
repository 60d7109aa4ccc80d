#include "workbook/xlsx_reader.h"

#include "workbook/cell_text.h"
#include "workbook/compound_file.h"
#include "workbook/workbook_texts.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QXmlStreamReader>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <optional>

namespace workbook {

namespace {

constexpr int kMaxColumns = 16384;
constexpr qint64 kReadChunk = 64 * 1024;

// Ends the reading of a file found damaged or not readable here; the reader gives its detail back
// as a base::Failure.
struct Unreadable {
    QString detail;
};

[[noreturn]] void fail(const QString& detail = kDamagedDetail) {
    throw Unreadable{detail};
}

// Every token of every part goes through here: a document type declaration (the door to
// entity expansion) or malformed XML ends the reading.
QXmlStreamReader::TokenType nextToken(QXmlStreamReader& xml) {
    const QXmlStreamReader::TokenType t = xml.readNext();
    if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference || xml.hasError())
        fail();
    return t;
}

bool startOf(const QXmlStreamReader& xml, QLatin1StringView name) {
    return xml.tokenType() == QXmlStreamReader::StartElement && xml.name() == name;
}

bool endOf(const QXmlStreamReader& xml, QLatin1StringView name) {
    return xml.tokenType() == QXmlStreamReader::EndElement && xml.name() == name;
}

QString attribute(const QXmlStreamReader& xml, QLatin1StringView name) {
    return xml.attributes().value(name).toString();
}

// The text of an <si> or <is> element: its <t> runs, without the phonetic guides (<rPh>)
// that East Asian Excel adds.
QString richText(QXmlStreamReader& xml, QLatin1StringView element) {
    QString text;
    int phonetic = 0;
    while (nextToken(xml) != QXmlStreamReader::EndDocument && !endOf(xml, element)) {
        if (startOf(xml, QLatin1StringView("rPh")))
            ++phonetic;
        else if (endOf(xml, QLatin1StringView("rPh")))
            --phonetic;
        else if (startOf(xml, QLatin1StringView("t")) && phonetic == 0)
            text += xml.readElementText();
    }
    return text;
}

struct Relationship {
    QString type;
    QString target; // a path inside the package
};

QString resolve(const QString& base, const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(base.isEmpty() ? target : base + QLatin1Char('/') + target);
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

// QuaZip probes positions past the end of a damaged zip; a buffer that says no quietly.
class QuietBuffer : public QBuffer {
public:
    using QBuffer::QBuffer;
    bool seek(qint64 pos) override { return pos <= size() && QBuffer::seek(pos); }
};

class Package {
public:
    explicit Package(const QByteArray& file) : file_(file), buffer_(&file_), zip_(&buffer_) {}

    bool open() { return zip_.open(QuaZip::mdUnzip) && zip_.getEntriesCount() <= kMaxZipEntries; }

    // The entry's bytes, or nullopt when there is none; an entry that is too large, encrypted
    // or damaged ends the reading.
    std::optional<QByteArray> entry(const QString& path) {
        if (!zip_.setCurrentFile(path, QuaZip::csInsensitive))
            return std::nullopt;
        QuaZipFileInfo64 info;
        if (!zip_.getCurrentFileInfo(&info))
            fail();
        if (info.flags & 0x0001)
            fail(kPasswordDetail);
        if (info.uncompressedSize > quint64(kMaxZipEntryBytes))
            fail(kZipEntryTooLargeDetail.arg(path, QString::number(kMaxZipEntryBytes >> 20)));
        QuaZipFile f(&zip_);
        if (!f.open(QIODevice::ReadOnly))
            fail();
        QByteArray data;
        while (true) {
            const QByteArray chunk = f.read(kReadChunk);
            if (chunk.isEmpty())
                break;
            data += chunk;
            if (data.size() > kMaxZipEntryBytes)
                fail(kZipEntryTooLargeDetail.arg(path, QString::number(kMaxZipEntryBytes >> 20)));
        }
        f.close();
        if (f.getZipError() != UNZ_OK)
            fail();
        return data;
    }

    QHash<QString, Relationship> relationships(const QString& part) {
        const QString relsPath =
            resolve(folderOf(part),
                    QStringLiteral("_rels/") + part.section(QLatin1Char('/'), -1) + QStringLiteral(".rels"));
        QHash<QString, Relationship> out;
        const std::optional<QByteArray> data = entry(relsPath);
        if (!data)
            return out;
        QXmlStreamReader xml(*data);
        while (nextToken(xml) != QXmlStreamReader::EndDocument) {
            if (startOf(xml, QLatin1StringView("Relationship")) &&
                attribute(xml, QLatin1StringView("TargetMode")) != QLatin1String("External"))
                out.insert(attribute(xml, QLatin1StringView("Id")),
                           {attribute(xml, QLatin1StringView("Type")),
                            resolve(folderOf(part), attribute(xml, QLatin1StringView("Target")))});
        }
        return out;
    }

private:
    QByteArray file_;
    QuietBuffer buffer_;
    QuaZip zip_;
};

std::optional<QString> targetOfType(const QHash<QString, Relationship>& rels, QLatin1StringView typeSuffix) {
    for (const Relationship& r : rels) {
        if (r.type.endsWith(typeSuffix))
            return r.target;
    }
    return std::nullopt;
}

class XlsxReader {
public:
    explicit XlsxReader(const QByteArray& file) : package_(file) {}

    WorkbookContent read(const QStringList& wanted) {
        WorkbookContent content;
        if (!package_.open())
            return base::failure(kDamagedDetail); // a zip's signature, but no readable zip
        try {
            const QString workbook =
                targetOfType(package_.relationships(QString()), QLatin1StringView("/officeDocument"))
                    .value_or(QStringLiteral("xl/workbook.xml"));
            const QHash<QString, Relationship> rels = package_.relationships(workbook);
            readStrings(targetOfType(rels, QLatin1StringView("/sharedStrings")));
            readStyles(targetOfType(rels, QLatin1StringView("/styles")));
            for (const auto& [name, id] : readSheetList(workbook)) {
                if (!wanted.contains(name) || content->sheet(name))
                    continue;
                const auto rel = rels.constFind(id);
                if (rel == rels.constEnd())
                    fail();
                content->sheets.push_back(readSheet(name, rel->target));
            }
        } catch (const Unreadable& f) {
            return base::failure(f.detail);
        }
        return content;
    }

private:
    QVector<std::pair<QString, QString>> readSheetList(const QString& workbook) {
        const std::optional<QByteArray> data = package_.entry(workbook);
        if (!data)
            fail(kNotXlsxDetail);
        QVector<std::pair<QString, QString>> sheets;
        QXmlStreamReader xml(*data);
        while (nextToken(xml) != QXmlStreamReader::EndDocument) {
            if (startOf(xml, QLatin1StringView("workbookPr"))) {
                const QString v = attribute(xml, QLatin1StringView("date1904"));
                date1904_ = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (startOf(xml, QLatin1StringView("sheet"))) {
                QString id;
                for (const QXmlStreamAttribute& a : xml.attributes()) {
                    if (a.name() == QLatin1String("id"))
                        id = a.value().toString();
                }
                sheets.push_back({attribute(xml, QLatin1StringView("name")), id});
            }
        }
        return sheets;
    }

    void readStrings(const std::optional<QString>& part) {
        const std::optional<QByteArray> data = part ? package_.entry(*part) : std::nullopt;
        if (!data)
            return;
        QXmlStreamReader xml(*data);
        while (nextToken(xml) != QXmlStreamReader::EndDocument) {
            if (startOf(xml, QLatin1StringView("si")))
                strings_.push_back(richText(xml, QLatin1StringView("si")));
        }
    }

    void readStyles(const std::optional<QString>& part) {
        const std::optional<QByteArray> data = part ? package_.entry(*part) : std::nullopt;
        if (!data)
            return;
        QXmlStreamReader xml(*data);
        bool cellFormats = false;
        while (nextToken(xml) != QXmlStreamReader::EndDocument) {
            if (startOf(xml, QLatin1StringView("numFmt")))
                numberFormats_.insert(attribute(xml, QLatin1StringView("numFmtId")).toInt(),
                                      attribute(xml, QLatin1StringView("formatCode")));
            else if (startOf(xml, QLatin1StringView("cellXfs")))
                cellFormats = true;
            else if (endOf(xml, QLatin1StringView("cellXfs")))
                cellFormats = false;
            else if (cellFormats && startOf(xml, QLatin1StringView("xf")))
                styleFormats_.push_back(attribute(xml, QLatin1StringView("numFmtId")).toInt());
        }
    }

    NumberFormatKind styleKind(int style) const {
        const int id = styleFormats_.value(style, 0);
        const auto custom = numberFormats_.constFind(id);
        return custom != numberFormats_.constEnd() ? classifyNumberFormat(*custom)
                                                   : builtinNumberFormatKind(id);
    }

    QString numberCell(const QString& raw, int style) const {
        const NumberFormatKind kind = styleKind(style);
        bool ok = false;
        const double v = raw.toDouble(&ok);
        if (kind == NumberFormatKind::Text || !ok)
            return raw;
        if (kind == NumberFormatKind::Time ||
            ((kind == NumberFormatKind::Date || kind == NumberFormatKind::DateTime) && isDateSerial(v)))
            return serialDateText(v, kind, date1904_);
        return numberText(v);
    }

    QString cellValue(QXmlStreamReader& xml) const {
        const QString type = attribute(xml, QLatin1StringView("t"));
        const int style = attribute(xml, QLatin1StringView("s")).toInt();
        QString raw;
        bool inline_ = false;
        while (nextToken(xml) != QXmlStreamReader::EndDocument && !endOf(xml, QLatin1StringView("c"))) {
            if (startOf(xml, QLatin1StringView("v"))) {
                raw = xml.readElementText();
            } else if (startOf(xml, QLatin1StringView("is"))) {
                raw = richText(xml, QLatin1StringView("is"));
                inline_ = true;
            } else if (xml.tokenType() == QXmlStreamReader::StartElement) {
                xml.skipCurrentElement(); // the formula itself and anything else
            }
        }
        if (inline_ || type == QLatin1String("str") || type == QLatin1String("inlineStr") ||
            type == QLatin1String("e"))
            return raw;
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = raw.toInt(&ok);
            if (!ok || index < 0 || index >= strings_.size())
                fail();
            return strings_[index];
        }
        if (type == QLatin1String("b"))
            return raw == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        if (type == QLatin1String("d"))
            return raw.replace(QLatin1Char('T'), QLatin1Char(' '));
        return raw.isEmpty() ? raw : numberCell(raw, style);
    }

    // "B12" -> row 11, column 1.
    static bool parseReference(const QString& ref, int& row, int& column) {
        int c = 0;
        qsizetype i = 0;
        for (; i < ref.size() && ref[i].isLetter() && i < 3; ++i)
            c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        bool ok = false;
        const int r = ref.mid(i).toInt(&ok);
        if (i == 0 || !ok || r < 1 || c > kMaxColumns)
            return false;
        row = r - 1;
        column = c - 1;
        return true;
    }

    Sheet readSheet(const QString& name, const QString& part) {
        const std::optional<QByteArray> data = package_.entry(part);
        if (!data)
            fail();
        Sheet sheet;
        sheet.name = name;
        const QString tooLarge = sheetTooLargeDetail(name);
        QXmlStreamReader xml(*data);
        int row = -1, column = -1, lastColumn = -1;
        while (nextToken(xml) != QXmlStreamReader::EndDocument) {
            if (startOf(xml, QLatin1StringView("row"))) {
                bool ok = false;
                const int r = attribute(xml, QLatin1StringView("r")).toInt(&ok);
                row = ok && r >= 1 ? r - 1 : row + 1;
                column = -1;
            } else if (startOf(xml, QLatin1StringView("c"))) {
                const QString ref = attribute(xml, QLatin1StringView("r"));
                if (ref.isEmpty() || !parseReference(ref, row, column))
                    ++column;
                row = std::max(row, 0);
                const QString text = cellValue(xml);
                if (text.isEmpty())
                    continue;
                lastColumn = std::max(lastColumn, column);
                if (row >= kMaxSheetRows ||
                    qint64(std::max<qsizetype>(row + 1, sheet.rows.size())) * (lastColumn + 1) >
                        kMaxSheetCells)
                    fail(tooLarge);
                if (sheet.rows.size() <= row)
                    sheet.rows.resize(row + 1);
                QStringList& cells = sheet.rows[row];
                if (cells.size() <= column)
                    cells.resize(column + 1);
                cells[column] = text;
            }
        }
        return sheet;
    }

    Package package_;
    QStringList strings_;
    QHash<int, QString> numberFormats_;
    QVector<int> styleFormats_;
    bool date1904_ = false;
};

} // namespace

WorkbookContent readXlsx(const QByteArray& file, const QStringList& wantedSheets) {
    if (!file.startsWith("PK\x03\x04")) {
        const CompoundFileReader container(file);
        return base::failure(!container.isValid()                                    ? kNotXlsxDetail
                             : container.hasStream(QStringLiteral("EncryptionInfo")) ? kPasswordDetail
                                                                                     : kXlsNamedXlsxDetail);
    }
    return XlsxReader(file).read(wantedSheets);
}

} // namespace workbook
