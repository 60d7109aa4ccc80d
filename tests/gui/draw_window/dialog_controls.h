#pragma once

#include "controls.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>

// The controls of the draw program's dialogs, as the operator meets them.

struct LoadControls { // Frm加载数据
    const QDialog& d;
    QComboBox* list = control<QComboBox>(&d, QStringLiteral("Cmb项目"));
    QPushButton* ok = control<QPushButton>(&d, QStringLiteral("Command1"));
    QPushButton* cancel = control<QPushButton>(&d, QStringLiteral("Command2"));
    QPushButton* remove = control<QPushButton>(&d, QStringLiteral("Command3"));
    explicit LoadControls(const QDialog& dialog) : d(dialog) {}
};

struct SaveControls { // Frm保存
    const QDialog& d;
    QRadioButton* invigilatorsOnly = control<QRadioButton>(&d, QStringLiteral("Option1"));
    QRadioButton* withDuties = control<QRadioButton>(&d, QStringLiteral("Option2"));
    QPushButton* save = control<QPushButton>(&d, QStringLiteral("Command2"));
    QPushButton* discard = control<QPushButton>(&d, QStringLiteral("Command1"));
    explicit SaveControls(const QDialog& dialog) : d(dialog) {}
};

struct ProjectChoiceControls { // Frm选项目
    const QDialog& d;
    QComboBox* list = control<QComboBox>(&d, QStringLiteral("Cmb考点"));
    QPushButton* ok = control<QPushButton>(&d, QStringLiteral("Command1"));
    explicit ProjectChoiceControls(const QDialog& dialog) : d(dialog) {}
};
