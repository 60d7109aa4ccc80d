#include "workbook/xls_sanitiser.h"

#include "workbook/cell_text.h"
#include "workbook/compound_file.h"
#include "workbook/sheet.h"
#include "workbook/workbook_texts.h"
#include "workbook/xls_writer.h"

#include <QHash>
#include <QVector>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <optional>

namespace workbook {

namespace {

constexpr int kMaxRecordData = 8224;
constexpr int kMaxFormatRecords = 5000;
constexpr int kMaxXfRecords = 10000;
constexpr double kDays1900To1904 = 1462;
// FreeXL misreads a shared string that runs over more than one CONTINUE record; text up to this
// length never does. No roster cell is anywhere near it.
constexpr int kMaxCellText = 4000;

enum RecordType : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBiff5 = 0x0500;
constexpr quint16 kGlobalsBof = 0x0005;
constexpr quint16 kWorksheetBof = 0x0010;

// Ends the reading of a file found damaged or not readable here; the reader gives its detail back
// as a base::Failure.
struct Unreadable {
    QString detail;
};

quint16 u16(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.data() + at);
}
quint32 u32(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.data() + at);
}
double f64(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<double>(b.data() + at);
}

double rkValue(quint32 rk) {
    double v = 0;
    if (rk & 0x02) {
        v = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100.0 : v;
}

QString booleanText(char value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString errorText(int code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#ERROR!");
    }
}

struct Record {
    quint16 type = 0;
    QByteArrayView data;
};

// Walks the records of the workbook stream from a position; every header and length is
// checked against the stream.
class RecordCursor {
public:
    RecordCursor(QByteArrayView stream, qsizetype position) : stream_(stream), pos_(position) {}

    Record next() {
        if (pos_ < 0 || pos_ + 4 > stream_.size())
            throw Unreadable{kDamagedDetail};
        Record r;
        r.type = u16(stream_, pos_);
        const quint16 length = u16(stream_, pos_ + 2);
        if (length > kMaxRecordData || pos_ + 4 + length > stream_.size())
            throw Unreadable{kDamagedDetail};
        r.data = stream_.sliced(pos_ + 4, length);
        pos_ += 4 + length;
        return r;
    }
    std::optional<Record> peek() const {
        RecordCursor copy = *this;
        if (pos_ + 4 > stream_.size())
            return std::nullopt;
        return copy.next();
    }

private:
    QByteArrayView stream_;
    qsizetype pos_;
};

void require(bool condition) {
    if (!condition)
        throw Unreadable{kDamagedDetail};
}

// An XLUnicodeString inside one record: character count of `countBytes` bytes, flags, the
// optional run and extension counts, then 8-bit or UTF-16 characters.
QString unicodeString(QByteArrayView d, qsizetype at, int countBytes) {
    require(at + countBytes + 1 <= d.size());
    const int count = countBytes == 1 ? quint8(d[at]) : u16(d, at);
    const quint8 flags = quint8(d[at + countBytes]);
    qsizetype p = at + countBytes + 1;
    if (flags & 0x08)
        p += 2;
    if (flags & 0x04)
        p += 4;
    const bool wide = flags & 0x01;
    require(p + qsizetype(count) * (wide ? 2 : 1) <= d.size());
    QString s(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        s[i] = wide ? QChar(u16(d, p + 2 * i)) : QChar(quint8(d[p + i]));
    return s;
}

// The shared strings: an SST record and its CONTINUE records read as one sequence, where a
// string's characters that run into the next record resume after a fresh encoding flag.
class SharedStringReader {
public:
    explicit SharedStringReader(QVector<QByteArrayView> parts) : parts_(std::move(parts)) {}

    QStringList read() {
        const quint32 unique = u32At(4);
        skip(8);
        QStringList strings;
        for (quint32 i = 0; i < unique && !atEnd(); ++i) {
            const int count = u8() | u8() << 8;
            const quint8 flags = u8();
            const int runs = (flags & 0x08) ? (u8() | u8() << 8) : 0;
            quint32 extension = 0;
            if (flags & 0x04) {
                for (int b = 0; b < 4; ++b)
                    extension |= quint32(u8()) << (8 * b);
            }
            strings.push_back(characters(count, flags & 0x01));
            skip(qint64(runs) * 4 + extension);
        }
        return strings;
    }

private:
    bool atEnd() {
        while (part_ < parts_.size() && offset_ == parts_[part_].size()) {
            ++part_;
            offset_ = 0;
        }
        return part_ >= parts_.size();
    }
    quint8 u8() {
        require(!atEnd());
        return quint8(parts_[part_][offset_++]);
    }
    quint32 u32At(qsizetype at) {
        require(!parts_.isEmpty() && parts_[0].size() >= at + 4);
        return u32(parts_[0], at);
    }
    void skip(qint64 n) {
        while (n > 0) {
            require(!atEnd());
            const qint64 step = std::min<qint64>(n, parts_[part_].size() - offset_);
            offset_ += step;
            n -= step;
        }
    }
    QString characters(int count, bool wide) {
        QString s;
        s.reserve(count);
        while (s.size() < count) {
            if (offset_ == parts_[part_].size()) {
                ++part_;
                offset_ = 0;
                require(part_ < parts_.size() && !parts_[part_].isEmpty());
                wide = quint8(parts_[part_][offset_++]) & 0x01;
                continue;
            }
            if (wide) {
                require(parts_[part_].size() - offset_ >= 2);
                s.append(QChar(u16(parts_[part_], offset_)));
                offset_ += 2;
            } else {
                s.append(QChar(quint8(parts_[part_][offset_++])));
            }
        }
        return s;
    }

    QVector<QByteArrayView> parts_;
    qsizetype part_ = 0;
    qsizetype offset_ = 0;
};

struct SheetEntry {
    QString name;
    quint32 offset = 0;
};

class Sanitiser {
public:
    Sanitiser(QByteArrayView stream, const QStringList& wanted) : stream_(stream), wanted_(wanted) {}

    SanitisedWorkbook run() {
        SanitisedWorkbook result;
        try {
            readGlobals();
            for (const SheetEntry& s : sheets_)
                result.sheetNames.push_back(s.name);
            for (const QString& name : wanted_) {
                const qsizetype i = result.sheetNames.indexOf(name);
                if (i >= 0)
                    copySheet(sheets_[i]);
            }
            result.file = writer_.file();
        } catch (const Unreadable& f) {
            result.sheetNames.clear();
            result.failure = f.detail;
        }
        return result;
    }

private:
    void readGlobals() {
        RecordCursor cursor(stream_, 0);
        const Record bof = cursor.next();
        require(bof.type == kBof && bof.data.size() >= 4);
        if (u16(bof.data, 0) == kBiff5)
            throw Unreadable{kOldExcelDetail};
        require(u16(bof.data, 0) == kBiff8 && u16(bof.data, 2) == kGlobalsBof);
        for (Record r = cursor.next(); r.type != kEof; r = cursor.next()) {
            switch (r.type) {
            case kFilePass:
                throw Unreadable{kPasswordDetail};
            case kDateMode:
                require(r.data.size() >= 2);
                date1904_ = u16(r.data, 0) != 0;
                break;
            case kFormat:
                require(r.data.size() >= 2 && formats_.size() < kMaxFormatRecords);
                formats_.insert(u16(r.data, 0), unicodeString(r.data, 2, 2));
                break;
            case kXf:
                require(r.data.size() >= 4 && xfFormats_.size() < kMaxXfRecords);
                xfFormats_.push_back(u16(r.data, 2));
                break;
            case kBoundSheet:
                readBoundSheet(r.data);
                break;
            case kSst: {
                QVector<QByteArrayView> parts{r.data};
                while (const std::optional<Record> next = cursor.peek()) {
                    if (next->type != kContinue)
                        break;
                    parts.push_back(cursor.next().data);
                }
                strings_ = SharedStringReader(parts).read();
                break;
            }
            default:
                break;
            }
        }
    }

    void readBoundSheet(QByteArrayView d) {
        require(d.size() >= 8);
        // Chart, macro and dialog sheets hold no rows to import.
        if (quint8(d[5]) != 0)
            return;
        sheets_.push_back({unicodeString(d, 6, 1), u32(d, 0)});
    }

    NumberFormatKind formatKind(quint16 xf) const {
        if (xf >= xfFormats_.size())
            return NumberFormatKind::Plain;
        const quint16 id = xfFormats_[xf];
        const auto custom = formats_.constFind(id);
        return custom != formats_.constEnd() ? classifyNumberFormat(*custom) : builtinNumberFormatKind(id);
    }

    // A cell holding empty text (paste-values, exporters writing "" for an empty field) shows
    // nothing, so it stays an empty cell: FreeXL lists no sheets of a copy with an empty string.
    void putText(int row, int column, const QString& text) {
        if (!text.isEmpty())
            writer_.setText(sheet_, row, column, text.left(kMaxCellText));
    }

    void putNumber(int row, int column, quint16 xf, double value) {
        const NumberFormatKind kind = formatKind(xf);
        if (!std::isfinite(value) || kind == NumberFormatKind::Text ||
            ((kind == NumberFormatKind::Date || kind == NumberFormatKind::DateTime) &&
             !isDateSerial(value))) {
            putText(row, column, numberText(value));
            return;
        }
        int format = XlsWriter::kDefaultFormat;
        if (kind == NumberFormatKind::Date)
            format = writer_.cellFormat(XlsWriter::kDateFormat);
        else if (kind == NumberFormatKind::DateTime)
            format = writer_.cellFormat(XlsWriter::kDateTimeFormat);
        else if (kind == NumberFormatKind::Time)
            format = writer_.cellFormat(XlsWriter::kTimeFormat);
        // The copy counts days in the 1900 system; a 1904 workbook's dates move by four years.
        if (date1904_ && (kind == NumberFormatKind::Date || kind == NumberFormatKind::DateTime))
            value += kDays1900To1904;
        writer_.setNumber(sheet_, row, column, value, format);
    }

    void copySheet(const SheetEntry& entry) {
        sheet_ = writer_.addSheet(entry.name);
        lastRow_ = lastColumn_ = pendingRow_ = -1;
        RecordCursor cursor(stream_, entry.offset);
        const Record bof = cursor.next();
        require(bof.type == kBof && bof.data.size() >= 4 && u16(bof.data, 2) == kWorksheetBof);
        for (int depth = 1; depth > 0;) {
            const Record r = cursor.next();
            if (r.type == kBof)
                ++depth; // an embedded chart: its records are not cells of the sheet
            else if (r.type == kEof)
                --depth;
            else if (depth == 1)
                copyCell(r);
        }
        if (lastRow_ >= kMaxSheetRows || qint64(lastRow_ + 1) * (lastColumn_ + 1) > kMaxSheetCells)
            throw Unreadable{sheetTooLargeDetail(entry.name)};
    }

    std::pair<int, int> cellAt(QByteArrayView d, int minimumSize) {
        require(d.size() >= minimumSize);
        const int row = u16(d, 0), column = u16(d, 2);
        require(column < 256);
        lastRow_ = std::max(lastRow_, row);
        lastColumn_ = std::max(lastColumn_, column);
        return {row, column};
    }

    void copyCell(const Record& r) {
        const QByteArrayView d = r.data;
        switch (r.type) {
        case kLabelSst: {
            const auto [row, column] = cellAt(d, 10);
            const quint32 index = u32(d, 6);
            require(index < quint32(strings_.size()));
            putText(row, column, strings_[qsizetype(index)]);
            break;
        }
        case kLabel:
        case kRString: {
            const auto [row, column] = cellAt(d, 8);
            putText(row, column, unicodeString(d, 6, 2));
            break;
        }
        case kNumber: {
            const auto [row, column] = cellAt(d, 14);
            putNumber(row, column, u16(d, 4), f64(d, 6));
            break;
        }
        case kRk: {
            const auto [row, column] = cellAt(d, 10);
            putNumber(row, column, u16(d, 4), rkValue(u32(d, 6)));
            break;
        }
        case kMulRk: {
            require(d.size() >= 12 && (d.size() - 6) % 6 == 0);
            const int count = int((d.size() - 6) / 6);
            const auto [row, first] = cellAt(d, 12);
            require(u16(d, d.size() - 2) == first + count - 1 && first + count - 1 < 256);
            lastColumn_ = std::max(lastColumn_, first + count - 1);
            for (int i = 0; i < count; ++i)
                putNumber(row, first + i, u16(d, 4 + 6 * i), rkValue(u32(d, 6 + 6 * i)));
            break;
        }
        case kBoolErr: {
            const auto [row, column] = cellAt(d, 8);
            putText(row, column, d[7] ? errorText(quint8(d[6])) : booleanText(d[6]));
            break;
        }
        case kFormula: {
            // The cached result; a text result follows in a STRING record.
            const auto [row, column] = cellAt(d, 20);
            if (u16(d, 12) != 0xFFFF) {
                putNumber(row, column, u16(d, 4), f64(d, 6));
            } else if (d[6] == 0) {
                pendingRow_ = row;
                pendingColumn_ = column;
            } else if (d[6] == 1) {
                putText(row, column, booleanText(d[8]));
            } else if (d[6] == 2) {
                putText(row, column, errorText(quint8(d[8])));
            }
            break;
        }
        case kString:
            if (pendingRow_ >= 0) {
                putText(pendingRow_, pendingColumn_, unicodeString(d, 0, 2));
                pendingRow_ = -1;
            }
            break;
        default:
            break;
        }
    }

    QByteArrayView stream_;
    QStringList wanted_;
    bool date1904_ = false;
    QHash<quint16, QString> formats_;
    QVector<quint16> xfFormats_;
    QStringList strings_;
    QVector<SheetEntry> sheets_;
    XlsWriter writer_;
    // The sheet being copied.
    int sheet_ = 0;
    int lastRow_ = -1, lastColumn_ = -1;
    int pendingRow_ = -1, pendingColumn_ = -1; // a formula whose text is still to come
};

} // namespace

SanitisedWorkbook sanitiseXls(const QByteArray& file, const QStringList& wantedSheets) {
    SanitisedWorkbook result;
    const CompoundFileReader container(file);
    if (!container.isValid()) {
        // A container's signature with a broken inside is a damaged workbook, not another file.
        result.failure = file.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") ? kDamagedDetail : kNotXlsDetail;
        return result;
    }
    if (container.hasStream(QStringLiteral("EncryptionInfo"))) {
        result.failure = kPasswordDetail;
        return result;
    }
    const std::optional<QByteArray> stream = container.stream(QStringLiteral("Workbook"));
    if (!stream) {
        result.failure = container.hasStream(QStringLiteral("Book"))       ? kOldExcelDetail
                         : container.hasStream(QStringLiteral("Workbook")) ? kDamagedDetail
                                                                           : kNotXlsDetail;
        return result;
    }
    return Sanitiser(*stream, wantedSheets).run();
}

} // namespace workbook
