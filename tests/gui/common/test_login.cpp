#include "common/startup.h"
#include "common/ui/login_dialog.h"
#include "db/password_hash.h"
#include "fake_dialogs.h"
#include "login_controls.h"
#include "test_db.h"

#include <QPushButton>
#include <QTest>

using namespace common;
using namespace common::ui;

// The login of both programs: exact comparison by derivation, and a password stored as plain
// text by an older version replaced by its derivation at the first login that may write.
class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void comparison_data();
    void comparison();
    void skippingKeepsTheFlag();
    void laterSuccessEnablesTheButtonAgain();
};

void TestLogin::comparison_data() {
    QTest::addColumn<bool>("plain"); // the row holds the password as plain text, as older versions wrote it
    QTest::addColumn<QString>("storedPassword");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("plainAfter"); // the row still holds it as plain text afterwards
    QTest::newRow("match") << false << "admin" << false << "admin"
                           << "admin" << true << false;
    QTest::newRow("trailing blank") << false << "admin" << false << "admin"
                                    << "admin " << false << false;
    QTest::newRow("user with a trailing blank") << false << "admin" << false << "admin "
                                                << "admin" << false << false;
    QTest::newRow("letter case") << false << "admin" << false << "admin"
                                 << "Admin" << false << false;
    QTest::newRow("wrong user") << false << "admin" << false << "root"
                                << "admin" << false << false;
    QTest::newRow("empty stored password") << false << "" << false << "admin"
                                           << "" << true << false;
    QTest::newRow("empty typed password") << false << "admin" << false << "admin"
                                          << "" << false << false;
    QTest::newRow("plain: logs in and is replaced by its derivation") << true << "Se cret" << false << "admin"
                                                                      << "Se cret" << true << false;
    QTest::newRow("plain: a wrong password leaves it") << true << "admin" << false << "admin"
                                                       << "admin " << false << true;
    QTest::newRow("plain: letter case") << true << "Secret" << false << "admin"
                                        << "secret" << false << true;
    QTest::newRow("plain, read-only database: logs in, left as it is") << true << "admin" << true << "admin"
                                                                       << "admin" << true << true;
}

void TestLogin::comparison() {
    QFETCH(bool, plain);
    QFETCH(QString, storedPassword);
    QFETCH(bool, readOnly);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, ok);
    QFETCH(bool, plainAfter);
    TestDb t;
    t.db->exec(QStringLiteral("update 系统设置 set 密码=?"),
               {plain ? storedPassword : db::hashPassword(storedPassword)});
    RunState s = t.runState(0);
    s.LoginSucceeded = false;
    QVERIFY(readActiveSettings(*t.db, s));
    QVERIFY(db::isPasswordHash(s.YhMm)); // the plain text is not kept
    s.ZD = readOnly;
    FakeServices f;
    FakePrompter& prompter = f.prompter;
    QPushButton button;
    button.setEnabled(!ok);
    FrmLogin login(s, f.services, &button, kDrawLoginCaption);
    const LoginControls c(login);
    QCOMPARE(login.windowTitle(), QStringLiteral("抽签登录"));
    QCOMPARE(c.user->text(), QStringLiteral("admin"));
    QVERIFY(c.password->text().isEmpty());
    c.user->setText(user);
    c.password->setText(password);
    c.ok->click();
    QCOMPARE(s.LoginSucceeded, ok);
    QCOMPARE(button.isEnabled(), ok);
    QVERIFY(c.password->text().isEmpty());
    if (ok) {
        QVERIFY(prompter.said.isEmpty());
        QCOMPARE(login.result(), int(QDialog::Accepted));
    } else {
        QCOMPARE(prompter.said.size(), 1);
        QCOMPARE(prompter.last(),
                 QStringLiteral("你输入的用户名或密码错误！\n\n你依然可以进入系统，但无法保存任何数据！"));
        QCOMPARE(prompter.said[0].title, QStringLiteral("密码"));
    }
    const QString after = t.db->scalar(QStringLiteral("select 密码 from 系统设置")).toString();
    QCOMPARE(after == storedPassword, plainAfter);
    if (!plainAfter)
        QVERIFY2(db::isPasswordHash(after) && db::passwordMatches(after, storedPassword), qPrintable(after));
}

void TestLogin::skippingKeepsTheFlag() {
    RunState s;
    s.Yhm = QStringLiteral("admin");
    FakeServices f;
    QPushButton button;
    FrmLogin login(s, f.services, &button, kManagerLoginCaption);
    QCOMPARE(login.windowTitle(), QStringLiteral("数据管理登录"));
    LoginControls(login).cancel->click();
    QVERIFY(!s.LoginSucceeded);
    QVERIFY(button.isEnabled());
    s.LoginSucceeded = true;
    FrmLogin again(s, f.services, &button, kDrawLoginCaption);
    LoginControls(again).cancel->click();
    QVERIFY(s.LoginSucceeded);
}

void TestLogin::laterSuccessEnablesTheButtonAgain() {
    RunState s;
    s.Yhm = QStringLiteral("admin");
    s.YhMm = db::hashPassword(QStringLiteral("pass"));
    FakeServices f;
    QPushButton button;
    FrmLogin login(s, f.services, &button, kDrawLoginCaption);
    const LoginControls c(login);
    c.logIn(QStringLiteral("wrong"));
    QVERIFY(!button.isEnabled());
    c.logIn(QStringLiteral("pass"));
    QVERIFY(button.isEnabled());
    QVERIFY(s.LoginSucceeded);
}

QTEST_MAIN(TestLogin)
#include "test_login.moc"
