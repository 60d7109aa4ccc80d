#pragma once

#include "common/prompter.h"
#include "common/run_state.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The login of both window programs. It keeps nobody out: it only decides
// state.LoginSucceeded, which every saving path consults, and switches the one
// main-window button that needs a login (`switchedButton`, may be null).
class FrmLogin : public QDialog {
public:
    FrmLogin(RunState& state, Prompter& prompter, QPushButton* switchedButton, const QString& caption,
             QWidget* parent = nullptr);

    QLineEdit* txtUserName;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void tryLogin();

    RunState& state_;
    Prompter& prompter_;
    QPushButton* switchedButton_;
};

inline const QString kDrawLoginCaption = QStringLiteral("抽签登录");
inline const QString kManagerLoginCaption = QStringLiteral("数据管理登录");
