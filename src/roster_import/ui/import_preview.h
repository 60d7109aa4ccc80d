#pragma once

#include "roster_import/roster_staging.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace roster_import::ui {

// Lists what the import will write, one tab per ticked category, each row coloured by its
// problems. Warnings are accepted with 继续导入; a roster with errors can only be closed.
class Frm导入预览 : public QDialog {
public:
    explicit Frm导入预览(const StagedRoster& staged, QWidget* parent = nullptr);

    QLabel* Lbl人数;
    QLabel* Lbl问题;
    QCheckBox* Chk问题行; // 只显示有问题的行
    QTabWidget* Tab分类;  // one table per category, objectName "Grid" + the category's name
    QPushButton* Cmd继续;
    QPushButton* Cmd取消;
};

} // namespace roster_import::ui
