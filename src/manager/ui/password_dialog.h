#pragma once

#include "common/services.h"
#include "manager/password_change.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace manager::ui {

// 修改密码: replaces the management password after checking the old one; the login of the
// same run then takes the new one.
class Frm密码 : public QDialog {
public:
    Frm密码(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

    QLineEdit* Text1; // old password
    QLineEdit* Text2; // new password
    QLineEdit* Text3; // new password again
    QPushButton* Command1;
    QPushButton* Command2;

private:
    void change();
    QLineEdit* box(PasswordBox which) const;

    common::RunState& state_;
    common::Services& services_;
};

} // namespace manager::ui
