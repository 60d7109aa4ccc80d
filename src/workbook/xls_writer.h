#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <map>

namespace workbook {

// Writes Excel 97-2003 workbooks (BIFF8 in a compound file): sheets of text, number and
// true/false cells, bold or not, with a built-in number format per cell and per column. Enough
// for the import template and for workbooks made from data, and nothing more.
class XlsWriter {
public:
    // The cell format every cell gets unless told otherwise: general number format, plain font.
    static constexpr int kDefaultFormat = 15;
    // Built-in number formats.
    static constexpr int kGeneral = 0;
    static constexpr int kTextFormat = 49; // "@": what is typed stays text
    static constexpr int kDateFormat = 14;
    static constexpr int kTimeFormat = 21;
    static constexpr int kDateTimeFormat = 22;

    // The cell format for a built-in number format, bold or not; the same pair gives the same
    // format.
    int cellFormat(int numberFormat, bool bold = false);

    // Sheets keep the order they are added in; the first one is shown when the file opens.
    int addSheet(const QString& name);
    // Width in characters; the format applies to cells typed into the column later.
    void setColumn(int sheet, int column, double width, int format);
    void setText(int sheet, int row, int column, const QString& text, int format = kDefaultFormat);
    void setNumber(int sheet, int row, int column, double value, int format = kDefaultFormat);
    void setBoolean(int sheet, int row, int column, bool value, int format = kDefaultFormat);

    QByteArray workbookStream() const;
    QByteArray file() const;

private:
    struct Cell {
        enum class Kind { Text, Number, Boolean } kind = Kind::Text;
        double number = 0;
        int string = 0;
        quint16 format = kDefaultFormat;
    };
    struct Column {
        double width = 0;
        int format = kDefaultFormat;
    };
    struct SheetData {
        QString name;
        std::map<int, Column> columns;
        std::map<quint32, Cell> cells; // key: row << 8 | column, so the map runs in row order
    };
    struct CellFormat {
        int numberFormat;
        bool bold;
    };

    void put(int sheet, int row, int column, Cell cell);
    QByteArray globals(const QVector<quint32>& sheetOffsets) const;
    QByteArray sheetStream(int sheet, bool first) const;
    QByteArray sharedStrings(qint64 streamOffset) const;

    QVector<SheetData> sheets_;
    QVector<CellFormat> formats_;
    QStringList strings_;
    QHash<QString, int> stringIndex_;
    int stringUses_ = 0;
};

} // namespace workbook
