#include "common/ui/login_dialog.h"
#include "fake_dialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace common;
using namespace common::ui;

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void comparison_data();
    void comparison();
    void skippingKeepsTheFlag();
    void laterSuccessEnablesTheButtonAgain();
};

void TestLogin::comparison_data() {
    QTest::addColumn<QString>("storedUser");
    QTest::addColumn<QString>("storedPassword");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("ok");
    QTest::newRow("match") << "admin"
                           << "admin"
                           << "admin"
                           << "admin" << true;
    QTest::newRow("trailing space") << "admin"
                                    << "admin"
                                    << "admin "
                                    << "admin" << false;
    QTest::newRow("letter case") << "admin"
                                 << "admin"
                                 << "admin"
                                 << "Admin" << false;
    QTest::newRow("wrong user") << "admin"
                                << "admin"
                                << "root"
                                << "admin" << false;
    QTest::newRow("empty stored password") << "admin"
                                           << ""
                                           << "admin"
                                           << "" << true;
    QTest::newRow("empty typed password") << "admin"
                                          << "admin"
                                          << "admin"
                                          << "" << false;
}

void TestLogin::comparison() {
    QFETCH(QString, storedUser);
    QFETCH(QString, storedPassword);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, ok);
    RunState s;
    s.Yhm = storedUser;
    s.YhMm = storedPassword;
    FakeServices f;
    FakePrompter& prompter = f.prompter;
    QPushButton button;
    button.setEnabled(!ok);
    FrmLogin login(s, f.services, &button, kDrawLoginCaption);
    QCOMPARE(login.windowTitle(), QStringLiteral("抽签登录"));
    QCOMPARE(login.txtUserName->text(), storedUser);
    QVERIFY(login.txtPassword->text().isEmpty());
    login.txtUserName->setText(user);
    login.txtPassword->setText(password);
    login.cmdOK->click();
    QCOMPARE(s.LoginSucceeded, ok);
    QCOMPARE(button.isEnabled(), ok);
    if (ok) {
        QVERIFY(prompter.said.isEmpty());
        QCOMPARE(login.result(), int(QDialog::Accepted));
    } else {
        QCOMPARE(prompter.said.size(), 1);
        QCOMPARE(prompter.last(),
                 QStringLiteral("你输入的用户名或密码错误！\n\n你依然可以进入系统，但无法保存任何数据！"));
        QCOMPARE(prompter.said[0].title, QStringLiteral("密码"));
        QVERIFY(login.txtPassword->text().isEmpty());
    }
}

void TestLogin::skippingKeepsTheFlag() {
    RunState s;
    s.Yhm = QStringLiteral("admin");
    FakeServices f;
    QPushButton button;
    FrmLogin login(s, f.services, &button, kManagerLoginCaption);
    QCOMPARE(login.windowTitle(), QStringLiteral("数据管理登录"));
    login.cmdCancel->click();
    QVERIFY(!s.LoginSucceeded);
    QVERIFY(button.isEnabled());
    s.LoginSucceeded = true;
    FrmLogin again(s, f.services, &button, kDrawLoginCaption);
    again.cmdCancel->click();
    QVERIFY(s.LoginSucceeded);
}

void TestLogin::laterSuccessEnablesTheButtonAgain() {
    RunState s;
    s.Yhm = QStringLiteral("admin");
    s.YhMm = QStringLiteral("pass");
    FakeServices f;
    QPushButton button;
    FrmLogin login(s, f.services, &button, kDrawLoginCaption);
    login.txtPassword->setText(QStringLiteral("wrong"));
    login.cmdOK->click();
    QVERIFY(!button.isEnabled());
    login.txtPassword->setText(QStringLiteral("pass"));
    login.cmdOK->click();
    QVERIFY(button.isEnabled());
    QVERIFY(s.LoginSucceeded);
}

QTEST_MAIN(TestLogin)
#include "test_login.moc"
