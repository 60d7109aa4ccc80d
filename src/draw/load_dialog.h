#pragma once

#include "common/prompter.h"
#include "common/run_state.h"
#include "db/database.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;

// The entry that brings back the arrangement before any draw.
inline const QString kInitialEntry = QStringLiteral("初始数据 # 考前初始安排数据");
inline const QString kInitialSubject = QStringLiteral("初始数据");

// Lists the current project's saved draws to load one, and deletes saved draws.
class Frm加载数据 : public QDialog {
public:
    Frm加载数据(RunState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~Frm加载数据() override;

    QLabel* Label1;
    QComboBox* Cmb项目;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;

    // The entry chosen with 确定; stays empty when the dialog is cancelled or closed.
    QString JZX;
    // The subject of that entry ("初始数据" for the initial arrangement).
    QString JZKM;

private:
    void fillList();
    void deleteChosen();

    RunState& state_;
    Prompter& prompter_;
    std::unique_ptr<db::Database> db_;
};
