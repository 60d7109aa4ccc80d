#pragma once

#include "controls.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// The controls of the draw program's dialogs, as the operator meets them.

struct LoadControls { // Frm加载数据
    QComboBox* list;
    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* remove;
    explicit LoadControls(const QDialog& d)
        : list(control<QComboBox>(&d, QStringLiteral("Cmb项目"))),
          ok(control<QPushButton>(&d, QStringLiteral("Command1"))),
          cancel(control<QPushButton>(&d, QStringLiteral("Command2"))),
          remove(control<QPushButton>(&d, QStringLiteral("Command3"))) {}
};

struct SaveControls { // Frm保存
    QRadioButton* invigilatorsOnly;
    QRadioButton* withDuties;
    QPushButton* save;
    QPushButton* discard;
    explicit SaveControls(const QDialog& d)
        : invigilatorsOnly(control<QRadioButton>(&d, QStringLiteral("Option1"))),
          withDuties(control<QRadioButton>(&d, QStringLiteral("Option2"))),
          save(control<QPushButton>(&d, QStringLiteral("Command2"))),
          discard(control<QPushButton>(&d, QStringLiteral("Command1"))) {}
};

struct ProjectChoiceControls { // Frm选项目
    QComboBox* list;
    QPushButton* ok;
    explicit ProjectChoiceControls(const QDialog& d)
        : list(control<QComboBox>(&d, QStringLiteral("Cmb考点"))),
          ok(control<QPushButton>(&d, QStringLiteral("Command1"))) {}
};
