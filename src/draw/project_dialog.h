#pragma once

#include "common/prompter.h"
#include "common/run_state.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// Switches the project the draw program works on, for this run only: only state.DQXM
// changes, nothing is written.
class Frm选项目 : public QDialog {
public:
    // `prompter` reports a database that cannot be read; message boxes when null.
    explicit Frm选项目(RunState& state, QWidget* parent = nullptr, Prompter* prompter = nullptr);

    QLabel* Label1;
    QComboBox* Cmb考点;
    QPushButton* Command1;
    QLabel* Label2;
    QLabel* Label3;

private:
    void choose();

    RunState& state_;
};
