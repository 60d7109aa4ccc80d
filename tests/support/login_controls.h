#pragma once

#include "controls.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

// The controls of the programs' login, as the operator meets them.
struct LoginControls {
    QLineEdit* user;
    QLineEdit* password;
    QPushButton* ok;
    QPushButton* cancel;

    explicit LoginControls(const QDialog& login)
        : user(control<QLineEdit>(&login, QStringLiteral("txtUserName"))),
          password(control<QLineEdit>(&login, QStringLiteral("txtPassword"))),
          ok(control<QPushButton>(&login, QStringLiteral("cmdOK"))),
          cancel(control<QPushButton>(&login, QStringLiteral("cmdCancel"))) {}

    // Types `typed` as the password and presses 确定.
    void logIn(const QString& typed) const {
        password->setText(typed);
        ok->click();
    }
};
