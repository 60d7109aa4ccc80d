#include "common/ui/login_dialog.h"

#include "common/startup.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace common::ui {

FrmLogin::FrmLogin(RunState& state, Services& services, QPushButton* switchedButton, const QString& caption,
                   QWidget* parent)
    : QDialog(parent), state_(state), services_(services), switchedButton_(switchedButton) {
    setObjectName(QStringLiteral("FrmLogin"));
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    txtUserName = new QLineEdit(state.Yhm, this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("跳过"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* form = new QFormLayout;
    form->addRow(new QLabel(QStringLiteral("用户名称:"), this), txtUserName);
    form->addRow(new QLabel(QStringLiteral("密码:"), this), txtPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    if (!state.Yhm.isEmpty())
        txtPassword->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, [this] { tryLogin(); });
    // Skipping and closing by the frame leave LoginSucceeded as it was.
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
}

void FrmLogin::tryLogin() {
    const bool matches = credentialsMatch(state_, txtUserName->text(), txtPassword->text());
    // Held no longer than the comparison.
    txtPassword->clear();
    if (matches) {
        state_.LoginSucceeded = true;
        if (switchedButton_)
            switchedButton_->setEnabled(true);
        accept();
        return;
    }
    services_.prompter.message(
        this, QStringLiteral("你输入的用户名或密码错误！\n\n你依然可以进入系统，但无法保存任何数据！"),
        Prompter::Icon::Information, QStringLiteral("密码"));
    if (switchedButton_)
        switchedButton_->setEnabled(false);
    txtPassword->setFocus();
}

bool askLogin(RunState& state, Services& services, QPushButton* switchedButton, const QString& caption,
              QWidget* parent) {
    FrmLogin login(state, services, switchedButton, caption, parent);
    services.dialogs.run(login);
    return state.LoginSucceeded;
}

} // namespace common::ui
