#include "workbook/xls_writer.h"

#include "workbook/compound_file.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace workbook {

namespace {

constexpr int kMaxRecordData = 8224;
constexpr int kStyleFormats = 15;   // XF 0-14: the style formats every workbook carries
constexpr int kRowsPerBlock = 32;   // rows whose ROW records precede their cells
constexpr quint16 kRowHeight = 285; // twips: 14.25 pt, the height 11-point CJK text needs
const QString kFontName = QStringLiteral("宋体");

// Little-endian record data.
class Bytes {
public:
    Bytes& u8(int v) {
        data_.append(char(v & 0xFF));
        return *this;
    }
    Bytes& u16(int v) {
        char b[2];
        qToLittleEndian(quint16(v), b);
        data_.append(b, 2);
        return *this;
    }
    Bytes& u32(quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        data_.append(b, 4);
        return *this;
    }
    Bytes& f64(double v) {
        char b[8];
        qToLittleEndian(v, b);
        data_.append(b, 8);
        return *this;
    }
    Bytes& utf16(const QString& text) {
        for (const QChar c : text)
            u16(c.unicode());
        return *this;
    }
    // XLUnicodeString, always stored as UTF-16.
    Bytes& longString(const QString& text) { return u16(int(text.size())).u8(1).utf16(text); }
    // ShortXLUnicodeString: one-byte character count.
    Bytes& shortString(const QString& text) { return u8(int(text.size())).u8(1).utf16(text); }
    const QByteArray& data() const { return data_; }
    qsizetype size() const { return data_.size(); }

private:
    QByteArray data_;
};

void record(QByteArray& out, quint16 type, const QByteArray& data = {}) {
    Bytes header;
    header.u16(type).u16(int(data.size()));
    out += header.data();
    out += data;
}

void record(QByteArray& out, quint16 type, const Bytes& data) {
    record(out, type, data.data());
}

QByteArray bof(int type) {
    QByteArray out;
    record(out, 0x0809, Bytes().u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0).u32(6));
    return out;
}

Bytes font(bool bold) {
    Bytes b;
    b.u16(220)
        .u16(0)
        .u16(0x7FFF)
        .u16(bold ? 700 : 400)
        .u16(0)
        .u8(0)
        .u8(0)
        .u8(134)
        .u8(0)
        .shortString(kFontName);
    return b;
}

// type: 0xFFF5 for a style format, 0x0001 for a cell format (locked, parent style 0).
Bytes xf(int font, int numberFormat, quint16 type, int usedAttributes) {
    Bytes b;
    b.u16(font).u16(numberFormat).u16(type).u8(0x20).u8(0).u8(0).u8(usedAttributes).u32(0).u32(0).u16(0x20C0);
    return b;
}

} // namespace

int XlsWriter::cellFormat(int numberFormat, bool bold) {
    for (qsizetype i = 0; i < formats_.size(); ++i) {
        if (formats_[i].numberFormat == numberFormat && formats_[i].bold == bold)
            return kDefaultFormat + 1 + int(i);
    }
    if (numberFormat == kGeneral && !bold)
        return kDefaultFormat;
    formats_.push_back({numberFormat, bold});
    return kDefaultFormat + int(formats_.size());
}

int XlsWriter::addSheet(const QString& name) {
    sheets_.push_back({name.left(31), {}, {}});
    return int(sheets_.size()) - 1;
}

void XlsWriter::setColumn(int sheet, int column, double width, int format) {
    sheets_[sheet].columns[column] = {width, format};
}

void XlsWriter::put(int sheet, int row, int column, Cell cell) {
    Q_ASSERT(row >= 0 && row < 65536 && column >= 0 && column < 256);
    sheets_[sheet].cells[quint32(row) << 8 | quint32(column)] = cell;
}

void XlsWriter::setText(int sheet, int row, int column, const QString& text, int format) {
    Cell c;
    c.kind = Cell::Kind::Text;
    c.format = quint16(format);
    const QString stored = text.left(32767);
    auto it = stringIndex_.constFind(stored);
    if (it == stringIndex_.constEnd()) {
        it = stringIndex_.insert(stored, int(strings_.size()));
        strings_.push_back(stored);
    }
    c.string = *it;
    ++stringUses_;
    put(sheet, row, column, c);
}

void XlsWriter::setNumber(int sheet, int row, int column, double value, int format) {
    Cell c;
    c.kind = Cell::Kind::Number;
    c.number = value;
    c.format = quint16(format);
    put(sheet, row, column, c);
}

void XlsWriter::setBoolean(int sheet, int row, int column, bool value, int format) {
    Cell c;
    c.kind = Cell::Kind::Boolean;
    c.number = value ? 1 : 0;
    c.format = quint16(format);
    put(sheet, row, column, c);
}

QByteArray XlsWriter::sharedStrings(qint64 streamOffset) const {
    // Strings run on into CONTINUE records; a string's header is never split, and its
    // characters continue after a one-byte flag that repeats the UTF-16 encoding.
    QVector<QByteArray> parts;
    QByteArray current;
    Bytes counts;
    counts.u32(quint32(stringUses_)).u32(quint32(strings_.size()));
    current = counts.data();
    qint64 recordStart = streamOffset;
    auto startNewRecord = [&] {
        parts.push_back(current);
        recordStart += 4 + current.size();
        current.clear();
    };
    const int perBucket = std::max(8, int((strings_.size() + 127) / 128));
    Bytes buckets;
    for (qsizetype i = 0; i < strings_.size(); ++i) {
        const QString& s = strings_[i];
        if (current.size() + 3 + (s.isEmpty() ? 0 : 2) > kMaxRecordData)
            startNewRecord();
        if (i % perBucket == 0)
            buckets.u32(quint32(recordStart + 4 + current.size())).u16(int(4 + current.size())).u16(0);
        current += Bytes().u16(int(s.size())).u8(1).data();
        for (const QChar c : s) {
            if (current.size() + 2 > kMaxRecordData) {
                startNewRecord();
                current.append(char(1));
            }
            current += Bytes().u16(c.unicode()).data();
        }
    }
    parts.push_back(current);

    QByteArray out;
    for (qsizetype i = 0; i < parts.size(); ++i)
        record(out, i == 0 ? 0x00FC : 0x003C, parts[i]);
    Bytes extsst;
    extsst.u16(perBucket);
    record(out, 0x00FF, extsst.data() + buckets.data());
    return out;
}

QByteArray XlsWriter::globals(const QVector<quint32>& sheetOffsets) const {
    QByteArray out = bof(0x0005);
    record(out, 0x00E1, Bytes().u16(0x04B0)); // INTERFACEHDR
    record(out, 0x00C1, Bytes().u16(0));      // MMS
    record(out, 0x00E2);                      // INTERFACEEND
    Bytes access;
    access.longString(QStringLiteral("Morvek"));
    QByteArray accessData = access.data();
    accessData.append(QByteArray(112 - accessData.size(), ' '));
    record(out, 0x005C, accessData);          // WRITEACCESS
    record(out, 0x0042, Bytes().u16(0x04B0)); // CODEPAGE: UTF-16
    record(out, 0x0161, Bytes().u16(0));      // DSF
    Bytes tabs;
    for (qsizetype i = 0; i < sheets_.size(); ++i)
        tabs.u16(int(i) + 1);
    record(out, 0x013D, tabs);            // TABID
    record(out, 0x009C, Bytes().u16(14)); // FNGROUPCOUNT
    for (const quint16 type : {0x0019, 0x0012, 0x0013, 0x01AF, 0x01BC, 0x0040, 0x008D})
        record(out, type, Bytes().u16(0)); // no protection, no backup, objects shown
    record(out, 0x003D, Bytes().u16(0).u16(0).u16(16384).u16(8192).u16(0x0038).u16(0).u16(0).u16(1).u16(600));
    record(out, 0x0022, Bytes().u16(0)); // DATEMODE: 1900
    record(out, 0x000E, Bytes().u16(1)); // PRECISION: as displayed off
    record(out, 0x01B7, Bytes().u16(0)); // REFRESHALL
    record(out, 0x00DA, Bytes().u16(0)); // BOOKBOOL
    // Fonts 0-3 plain (index 4 does not exist in the format), font 5 bold.
    for (int i = 0; i < 5; ++i)
        record(out, 0x0031, font(i == 4));
    record(out, 0x00E0, xf(0, 0, 0xFFF5, 0x00));
    for (int i = 1; i < kStyleFormats; ++i)
        record(out, 0x00E0, xf(0, 0, 0xFFF5, 0xF4));
    record(out, 0x00E0, xf(0, 0, 0x0001, 0x00));
    for (const CellFormat& f : formats_) {
        const int used = (f.numberFormat != kGeneral ? 0x04 : 0) | (f.bold ? 0x08 : 0);
        record(out, 0x00E0, xf(f.bold ? 5 : 0, f.numberFormat, 0x0001, used));
    }
    record(out, 0x0293, Bytes().u16(0x8000).u8(0).u8(0xFF)); // STYLE: Normal
    record(out, 0x0160, Bytes().u16(1));                     // USESELFS
    for (qsizetype i = 0; i < sheets_.size(); ++i)
        record(out, 0x0085, Bytes().u32(sheetOffsets.value(i)).u8(0).u8(0).shortString(sheets_[i].name));
    record(out, 0x008C, Bytes().u16(86).u16(86)); // COUNTRY: China
    out += sharedStrings(out.size());
    record(out, 0x000A);
    return out;
}

QByteArray XlsWriter::sheetStream(int sheet, bool first) const {
    const SheetData& s = sheets_[sheet];
    QByteArray out = bof(0x0010);
    record(out, 0x000C, Bytes().u16(100));                    // CALCCOUNT
    record(out, 0x000D, Bytes().u16(1));                      // CALCMODE: automatic
    record(out, 0x000F, Bytes().u16(1));                      // REFMODE: A1
    record(out, 0x0011, Bytes().u16(0));                      // ITERATION
    record(out, 0x0010, Bytes().f64(0.001));                  // DELTA
    record(out, 0x005F, Bytes().u16(1));                      // SAVERECALC
    record(out, 0x002A, Bytes().u16(0));                      // PRINTHEADERS
    record(out, 0x002B, Bytes().u16(0));                      // PRINTGRIDLINES
    record(out, 0x0082, Bytes().u16(1));                      // GRIDSET
    record(out, 0x0080, Bytes().u16(0).u16(0).u16(0).u16(0)); // GUTS
    record(out, 0x0225, Bytes().u16(0).u16(kRowHeight));      // DEFAULTROWHEIGHT
    record(out, 0x0081, Bytes().u16(0x04C1));                 // WSBOOL
    record(out, 0x0055, Bytes().u16(8));                      // DEFCOLWIDTH
    for (const auto& [column, c] : s.columns) {
        const int width = std::clamp(int(std::lround(c.width * 256)), 0, 0xFFFF);
        record(out, 0x007D, Bytes().u16(column).u16(column).u16(width).u16(c.format).u16(0).u16(0));
    }

    int firstRow = 0, lastRow = -1, firstColumn = 0, lastColumn = -1;
    if (!s.cells.empty()) {
        firstRow = int(s.cells.begin()->first >> 8);
        lastRow = int(s.cells.rbegin()->first >> 8);
        firstColumn = 255;
        for (const auto& [key, cell] : s.cells) {
            firstColumn = std::min(firstColumn, int(key & 0xFF));
            lastColumn = std::max(lastColumn, int(key & 0xFF));
        }
    }
    record(
        out, 0x0200,
        Bytes().u32(quint32(firstRow)).u32(quint32(lastRow + 1)).u16(firstColumn).u16(lastColumn + 1).u16(0));

    auto it = s.cells.begin();
    while (it != s.cells.end()) {
        // One block: the ROW records of up to 32 rows, then their cells.
        const int blockEnd = (int(it->first >> 8) / kRowsPerBlock + 1) * kRowsPerBlock;
        auto blockStop = s.cells.lower_bound(quint32(blockEnd) << 8);
        for (auto r = it; r != blockStop;) {
            const int row = int(r->first >> 8);
            const auto rowStop = s.cells.lower_bound(quint32(row + 1) << 8);
            const int lastInRow = int(std::prev(rowStop)->first & 0xFF);
            record(out, 0x0208,
                   Bytes()
                       .u16(row)
                       .u16(int(r->first & 0xFF))
                       .u16(lastInRow + 1)
                       .u16(kRowHeight)
                       .u16(0)
                       .u16(0)
                       .u32(0x000F0100));
            r = rowStop;
        }
        for (; it != blockStop; ++it) {
            const int row = int(it->first >> 8), column = int(it->first & 0xFF);
            const Cell& c = it->second;
            switch (c.kind) {
            case Cell::Kind::Text:
                record(out, 0x00FD, Bytes().u16(row).u16(column).u16(c.format).u32(quint32(c.string)));
                break;
            case Cell::Kind::Number:
                record(out, 0x0203, Bytes().u16(row).u16(column).u16(c.format).f64(c.number));
                break;
            case Cell::Kind::Boolean:
                record(out, 0x0205,
                       Bytes().u16(row).u16(column).u16(c.format).u8(c.number != 0 ? 1 : 0).u8(0));
                break;
            }
        }
    }
    // Grid lines, headers and zeros shown; the first sheet selected and on top.
    record(out, 0x023E,
           Bytes().u16(first ? 0x06B6 : 0x00B6).u16(0).u16(0).u16(0x40).u16(0).u16(0).u16(0).u32(0));
    record(out, 0x000A);
    return out;
}

QByteArray XlsWriter::workbookStream() const {
    QVector<QByteArray> sheetStreams;
    for (qsizetype i = 0; i < sheets_.size(); ++i)
        sheetStreams.push_back(sheetStream(int(i), i == 0));
    // The globals hold the stream offset of each sheet, and their own size does not depend on
    // the offsets: one pass to measure, one to write.
    QVector<quint32> offsets(sheets_.size(), 0);
    quint32 position = quint32(globals(offsets).size());
    for (qsizetype i = 0; i < sheets_.size(); ++i) {
        offsets[i] = position;
        position += quint32(sheetStreams[i].size());
    }
    QByteArray out = globals(offsets);
    for (const QByteArray& s : sheetStreams)
        out += s;
    return out;
}

QByteArray XlsWriter::file() const {
    return writeCompoundFile(QStringLiteral("Workbook"), workbookStream());
}

} // namespace workbook
