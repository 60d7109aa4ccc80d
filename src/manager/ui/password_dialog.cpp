#include "manager/ui/password_dialog.h"

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
    Text1 = password("Text1");
    Text2 = password("Text2");
    Text3 = password("Text3");
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("取消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("旧密码:"), Text1);
    form->addRow(QStringLiteral("新密码:"), Text2);
    form->addRow(QStringLiteral("再输入一次:"), Text3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(form);
    layout->addSpacing(10);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, [this] { change(); });
    connect(Command2, &QPushButton::clicked, this, [this] { reject(); });
}

QLineEdit* Frm密码::box(PasswordBox which) const {
    switch (which) {
    case PasswordBox::Old:
        return Text1;
    case PasswordBox::New:
        return Text2;
    case PasswordBox::Again:
        return Text3;
    case PasswordBox::None:
        break;
    }
    return nullptr;
}

void Frm密码::change() {
    if (const std::optional<PasswordRefusal> r =
            checkPasswordChange({Text1->text(), Text2->text(), Text3->text()}, state_)) {
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
    try {
        saved = savePassword(common::runDatabase(state_), state_, Text2->text());
    } catch (const db::DbError& e) {
        services_.prompter.message(this, QStringLiteral("密码没有修改！\n") + e.text(),
                                   common::Prompter::Icon::Critical);
        return;
    }
    if (saved) {
        services_.prompter.message(this, kPasswordSavedText, common::Prompter::Icon::Information);
        accept();
    } else {
        services_.prompter.message(this, kPasswordNotSavedText, common::Prompter::Icon::Warning);
        reject();
    }
}

} // namespace manager::ui
