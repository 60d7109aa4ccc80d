#include "workbook/xls_reader.h"

#include "workbook/cell_text.h"
#include "workbook/workbook_texts.h"
#include "workbook/xls_sanitiser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <freexl.h>

namespace workbook {

namespace {

// Closes the FreeXL handle on every path; FreeXL wants it closed even after a failed open.
class FreeXlHandle {
public:
    ~FreeXlHandle() { freexl_close(handle_); }
    const void** out() { return &handle_; }
    const void* get() const { return handle_; }

private:
    const void* handle_ = nullptr;
};

QString cellText(const FreeXL_CellValue& v) {
    switch (v.type) {
    case FREEXL_CELL_INT:
        return QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return numberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(v.value.text_value);
    default:
        return {};
    }
}

bool readSheet(const void* handle, unsigned short index, Sheet& sheet) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, index) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        return false;
    for (unsigned int r = 0; r < rows; ++r) {
        QStringList row;
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                return false;
            row.push_back(cellText(v));
        }
        while (!row.isEmpty() && row.back().isEmpty())
            row.pop_back();
        sheet.rows.push_back(row);
    }
    while (!sheet.rows.isEmpty() && sheet.rows.back().isEmpty())
        sheet.rows.pop_back();
    return true;
}

} // namespace

WorkbookContent readXls(const QByteArray& file, const QStringList& wantedSheets) {
    WorkbookContent content;
    const SanitisedWorkbook clean = sanitiseXls(file, wantedSheets);
    if (!clean.failure.isEmpty()) {
        return base::failure(clean.failure);
    }
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/roster-XXXXXX.xls"));
    if (!copy.open() || copy.write(clean.file) != clean.file.size() || !copy.flush()) {
        return base::failure(kFileUnreadableDetail.arg(copy.fileName()));
    }
    copy.close();

    FreeXlHandle handle;
    unsigned int sheetCount = 0;
    if (freexl_open(QFile::encodeName(copy.fileName()).constData(), handle.out()) != FREEXL_OK ||
        freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK) {
        return base::failure(kDamagedDetail);
    }
    for (unsigned int i = 0; i < sheetCount; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.get(), static_cast<unsigned short>(i), &name) != FREEXL_OK) {
            return base::failure(kDamagedDetail);
        }
        Sheet sheet;
        sheet.name = QString::fromUtf8(name);
        if (!wantedSheets.contains(sheet.name))
            continue;
        if (!readSheet(handle.get(), static_cast<unsigned short>(i), sheet)) {
            return base::failure(kDamagedDetail);
        }
        content->sheets.push_back(sheet);
    }
    return content;
}

} // namespace workbook
