#pragma once

#include "roster_import/roster_staging.h"

#include <QDialog>

namespace roster_import::ui {

// Lists what the import will write, one tab per ticked category, each row coloured by its
// problems. Warnings are accepted with 继续导入; a roster with errors can only be closed.
class Frm导入预览 : public QDialog {
public:
    explicit Frm导入预览(const StagedRoster& staged, QWidget* parent = nullptr);
};

} // namespace roster_import::ui
