#pragma once

#include "common/services.h"
#include "manager/password_change.h"

#include <QDialog>

class QLineEdit;

namespace manager::ui {

// 修改密码: replaces the management password after checking the old one; the login of the
// same run then takes the new one.
class Frm密码 : public QDialog {
public:
    Frm密码(common::RunState& state, common::Services& services, QWidget* parent = nullptr);

private:
    void change();
    QLineEdit* box(PasswordBox which) const;

    QLineEdit* oldPasswordEdit_;
    QLineEdit* newPasswordEdit_;
    QLineEdit* newPasswordAgainEdit_;

    common::RunState& state_;
    common::Services& services_;
};

} // namespace manager::ui
