#pragma once

#include "common/run_state.h"
#include "common/services.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace common::ui {

// The login of both window programs. It keeps nobody out: it only decides
// state.LoginSucceeded, which every saving path consults, and switches the one
// main-window button that needs a login (`switchedButton`, may be null).
class FrmLogin : public QDialog {
public:
    FrmLogin(RunState& state, Services& services, QPushButton* switchedButton, const QString& caption,
             QWidget* parent = nullptr);

private:
    void tryLogin();

    QLineEdit* txtUserName;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    RunState& state_;
    Services& services_;
    QPushButton* switchedButton_;
};

// Shows the login modally and gives state.LoginSucceeded afterwards.
bool askLogin(RunState& state, Services& services, QPushButton* switchedButton, const QString& caption,
              QWidget* parent);

inline const QString kDrawLoginCaption = QStringLiteral("抽签登录");
inline const QString kManagerLoginCaption = QStringLiteral("数据管理登录");

} // namespace common::ui
