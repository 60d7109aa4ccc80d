#pragma once

#include "common/run_state.h"
#include "common/services.h"

#include <QDialog>

class QComboBox;

namespace draw {

// Switches the project the draw program works on, for this run only: only state.DQXM
// changes, nothing is written.
class Frm选项目 : public QDialog {
public:
    Frm选项目(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

private:
    void choose();

    QComboBox* Cmb考点;
    common::RunState& state_;
};

} // namespace draw
