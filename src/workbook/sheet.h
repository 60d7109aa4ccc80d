#pragma once

#include "base/result.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace workbook {

// One sheet as a person sees it: every cell as the text that was typed, the first row holding
// the headers. Trailing empty cells of a row are left out.
struct Sheet {
    QString name;
    QVector<QStringList> rows;

    QString cell(int row, int column) const {
        if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size())
            return {};
        return rows[row][column];
    }
};

// The formats a workbook is read from.
enum class Format { Xls, Xlsx, Csv };

// "XLS", "XLSX", "CSV": how the operator's messages name the format.
QString formatName(Format format);

// The sheets a reader was asked for that the file holds (a sheet that is not there is no
// failure here; staging decides).
struct Workbook {
    QVector<Sheet> sheets;

    const Sheet* sheet(const QString& name) const {
        for (const Sheet& s : sheets) {
            if (s.name == name)
                return &s;
        }
        return nullptr;
    }
};

// What a reader gives back: the workbook, or why the file cannot be read at all.
using WorkbookContent = base::Result<Workbook>;

// Bounds that keep a damaged or hostile file from taking the machine's memory or time. A
// roster of 1,000 people is a few hundred kilobytes in any of the formats.
inline constexpr qint64 kMaxFileBytes = qint64(32) << 20;
inline constexpr qint64 kMaxZipEntryBytes = qint64(64) << 20;
inline constexpr int kMaxZipEntries = 10000;
inline constexpr int kMaxSheetRows = 65536;
inline constexpr qint64 kMaxSheetCells = 1000000; // rows x columns up to the last filled cell

} // namespace workbook
