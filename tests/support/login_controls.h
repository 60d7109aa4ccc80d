#pragma once

#include "controls.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

// The controls of the programs' login, as the operator meets them.
struct LoginControls {
    const QDialog& login;
    QLineEdit* user = control<QLineEdit>(&login, QStringLiteral("txtUserName"));
    QLineEdit* password = control<QLineEdit>(&login, QStringLiteral("txtPassword"));
    QPushButton* ok = control<QPushButton>(&login, QStringLiteral("cmdOK"));
    QPushButton* cancel = control<QPushButton>(&login, QStringLiteral("cmdCancel"));

    explicit LoginControls(const QDialog& d) : login(d) {}

    // Types `typed` as the password and presses 确定.
    void logIn(const QString& typed) const {
        password->setText(typed);
        ok->click();
    }
};
