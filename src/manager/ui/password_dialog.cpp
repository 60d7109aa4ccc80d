#include "manager/ui/password_dialog.h"

#include "common/ui/action_runner.h"
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace manager::ui {

Frm密码::Frm密码(common::RunState& state, common::Services& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("Frm密码"));
    setWindowTitle(QStringLiteral("修改密码"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const auto password = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromUtf8(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMinimumWidth(200);
        return edit;
    };
    oldPasswordEdit_ = password("Text1");
    newPasswordEdit_ = password("Text2");
    newPasswordAgainEdit_ = password("Text3");
    auto* okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("Command2"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("旧密码:"), oldPasswordEdit_);
    form->addRow(QStringLiteral("新密码:"), newPasswordEdit_);
    form->addRow(QStringLiteral("再输入一次:"), newPasswordAgainEdit_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(form);
    layout->addSpacing(10);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, [this] { change(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });
}

QLineEdit* Frm密码::box(PasswordBox which) const {
    switch (which) {
    case PasswordBox::Old:
        return oldPasswordEdit_;
    case PasswordBox::New:
        return newPasswordEdit_;
    case PasswordBox::Again:
        return newPasswordAgainEdit_;
    case PasswordBox::None:
        break;
    }
    return nullptr;
}

void Frm密码::change() {
    if (const std::optional<PasswordRefusal> r = checkPasswordChange(
            {oldPasswordEdit_->text(), newPasswordEdit_->text(), newPasswordAgainEdit_->text()}, state_)) {
        QLineEdit* edit = box(r->box);
        services_.prompter.message(
            this, r->text, edit ? common::Prompter::Icon::Information : common::Prompter::Icon::Critical);
        if (edit && r->clear)
            edit->clear();
        if (edit)
            edit->setFocus();
        return;
    }
    bool saved = false;
    if (!common::ui::attemptAction(
            services_.prompter, this,
            [&] { saved = savePassword(common::runDatabase(state_), state_, newPasswordEdit_->text()); },
            QStringLiteral("密码没有修改！")))
        return;
    if (saved) {
        services_.prompter.message(this, kPasswordSavedText, common::Prompter::Icon::Information);
        accept();
    } else {
        services_.prompter.message(this, kPasswordNotSavedText, common::Prompter::Icon::Warning);
        reject();
    }
}

} // namespace manager::ui
