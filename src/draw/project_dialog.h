#pragma once

#include "common/run_state.h"
#include "common/services.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace draw {

// Switches the project the draw program works on, for this run only: only state.DQXM
// changes, nothing is written.
class Frm选项目 : public QDialog {
public:
    Frm选项目(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

    QLabel* promptLabel;
    QComboBox* Cmb考点;
    QPushButton* okButton;
    QLabel* noteLabel;
    QLabel* seeSettingsLabel;

private:
    void choose();

    common::RunState& state_;
};

} // namespace draw
