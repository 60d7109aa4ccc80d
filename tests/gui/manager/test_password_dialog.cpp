#include "common/startup.h"
#include "common/ui/login_dialog.h"
#include "db/password_hash.h"
#include "fake_dialogs.h"
#include "login_controls.h"
#include "manager/ui/password_dialog.h"
#include "test_db.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace manager::ui;

namespace {

struct Fixture {
    TestDb t;
    FakeServices s;
    common::RunState state = t.runState(t.addProject());
    Fixture() {
        common::readActiveSettings(*t.db, state);
        state.LoginSucceeded = false;
    }
    // The login of the same run, typing `password`.
    bool login(const QString& password) {
        s.dialogs.handlers[u"FrmLogin"_qs] = [password](QDialog& d) {
            LoginControls(d).logIn(password);
            return d.result();
        };
        return common::ui::askLogin(state, s.services, nullptr, common::ui::kManagerLoginCaption, nullptr);
    }
};

// The password change's controls, as the operator meets them.
struct PasswordControls {
    const Frm密码& w;
    QLineEdit* oldPassword = control<QLineEdit>(&w, u"Text1"_qs);
    QLineEdit* newPassword = control<QLineEdit>(&w, u"Text2"_qs);
    QLineEdit* newPasswordAgain = control<QLineEdit>(&w, u"Text3"_qs);
    QPushButton* ok = control<QPushButton>(&w, u"Command1"_qs);
    explicit PasswordControls(const Frm密码& window) : w(window) {}
};

} // namespace

class TestPasswordDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusalClearsAndFocusesItsBox();
    void newPasswordLogsInTheSameRun();
    void withoutActiveRowNothingChanges();
};

void TestPasswordDialog::refusalClearsAndFocusesItsBox() {
    Fixture f;
    Frm密码 w(f.state, f.s.services);
    const PasswordControls c(w);
    w.show();
    QApplication::setActiveWindow(&w);
    c.oldPassword->setText(u"Admin"_qs);
    c.newPassword->setText(u"abcd"_qs);
    c.ok->click();
    QCOMPARE(f.s.prompter.last(), u"旧密码不正确！"_qs);
    QCOMPARE(f.s.prompter.said.back().icon, common::Prompter::Icon::Information);
    QVERIFY(f.s.prompter.said.back().title.isEmpty());
    QVERIFY(c.oldPassword->text().isEmpty());
    QCOMPARE(c.newPassword->text(), u"abcd"_qs);
    QCOMPARE(QApplication::focusWidget(), c.oldPassword);
}

void TestPasswordDialog::newPasswordLogsInTheSameRun() {
    Fixture f;
    Frm密码 w(f.state, f.s.services);
    const PasswordControls c(w);
    c.oldPassword->setText(u"admin"_qs);
    c.newPassword->setText(u"n'ew1"_qs);
    c.newPasswordAgain->setText(u"n'ew1"_qs);
    c.ok->click();
    QCOMPARE(f.s.prompter.last(), u"密码被成功修改！"_qs);
    QCOMPARE(w.result(), int(QDialog::Accepted));

    QVERIFY(!f.login(u"admin"_qs));
    QVERIFY(f.login(u"n'ew1"_qs));
    const QString stored = f.t.db->scalar(u"select 密码 from 系统设置"_qs).toString();
    QVERIFY2(db::isPasswordHash(stored) && db::passwordMatches(stored, u"n'ew1"_qs), qPrintable(stored));
}

void TestPasswordDialog::withoutActiveRowNothingChanges() {
    Fixture f;
    f.t.db->exec(u"update 系统设置 set 状态='停用'"_qs);
    Frm密码 w(f.state, f.s.services);
    const PasswordControls c(w);
    c.oldPassword->setText(u"admin"_qs);
    c.newPassword->setText(u"abcd"_qs);
    c.newPasswordAgain->setText(u"abcd"_qs);
    c.ok->click();
    QCOMPARE(f.s.prompter.last(), manager::kPasswordNotSavedText);
    QVERIFY(db::passwordMatches(f.state.YhMm, u"admin"_qs));
    QVERIFY(f.login(u"admin"_qs));
}

QTEST_MAIN(TestPasswordDialog)
#include "test_password_dialog.moc"
