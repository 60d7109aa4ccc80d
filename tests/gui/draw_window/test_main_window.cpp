#include "common/single_instance.h"
#include "common/ui/login_dialog.h"
#include "dialog_controls.h"
#include "draw_window/main_window.h"
#include "fake_dialogs.h"
#include "login_controls.h"
#include "test_db.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace common;
using namespace common::ui;
using namespace draw;

namespace {

// The main window's controls, found by name once it stands.
struct Controls {
    const QWidget& w;
    QPlainTextEdit* Txt基本情况 = control<QPlainTextEdit>(&w, QStringLiteral("Txt基本情况"));
    QLabel* clockLabel = control<QLabel>(&w, QStringLiteral("Label3"));
    QCheckBox* autoSubjectBox = control<QCheckBox>(&w, QStringLiteral("Check1"));
    QComboBox* Cmb科目 = control<QComboBox>(&w, QStringLiteral("Cmb科目"));
    QPushButton* Cmd抽签 = control<QPushButton>(&w, QStringLiteral("Cmd抽签"));
    QPushButton* reportsButton = control<QPushButton>(&w, QStringLiteral("Command3"));
    QPushButton* switchProjectButton = control<QPushButton>(&w, QStringLiteral("Command2"));
    QPushButton* managerProgramButton = control<QPushButton>(&w, QStringLiteral("Command1"));
    QPushButton* countdownProgramButton = control<QPushButton>(&w, QStringLiteral("Command4"));
    QTimer* clockTimer = control<QTimer>(&w, QStringLiteral("Timer1"));
    QLabel* databaseLabel = control<QLabel>(&w, QStringLiteral("LblDatabase"));
    explicit Controls(const QWidget& window) : w(window) {}
};

struct Fixture {
    TestDb t;
    FakeServices fake;
    FakePrompter& prompter = fake.prompter;
    FakeShell& shell = fake.shell;
    FakeClock& clock = fake.clock;
    int project = 0;
    int logins = 0;
    std::unique_ptr<Frm参数> w;
    std::optional<Controls> c;

    explicit Fixture(int rooms = 3) {
        project = t.addProject(QStringLiteral("中考"), QStringLiteral("一中"));
        t.setCurrentProject(project);
        for (int i = 1; i <= rooms; ++i)
            t.addRoom(project, QStringLiteral("00%1").arg(i), QStringLiteral("甲%1").arg(i),
                      QStringLiteral("乙%1").arg(i));
        t.addSubject(project, QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 120);
        t.addSubject(project, QStringLiteral("数学"), QStringLiteral("2026-06-07 15:00:00"), 120);
    }
    Frm参数::Start start(std::function<void(FrmLogin&)> driver = {}) {
        w = std::make_unique<Frm参数>(fake.services);
        c.emplace(*w);
        answerLogin(driver);
        return w->startUp(t.folder());
    }
    void answerLogin(std::function<void(FrmLogin&)> driver) {
        fake.dialogs.handlers[QStringLiteral("FrmLogin")] = [this, driver](QDialog& d) {
            ++logins;
            if (driver)
                driver(static_cast<FrmLogin&>(d));
            return d.result();
        };
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normalStartUp();
    void refusedFiles_data();
    void refusedFiles();
    void readOnlyDatabase();
    void noActiveSettingsRow();
    void lowestActiveSettingsRowWins();
    void emptyProjectDisablesDraw();
    void staffWarningStaysOnTheClockLine();
    void automaticAndManualSubject();
    void failedLoginDisablesSystemSettings();
    void siblingPrograms();
    void projectChoiceRebuildsOverview();
    void windowsOpenAndMissingHelpIsSaid();
    void secondInstanceIsRefused();
};

void TestMainWindow::normalStartUp() {
    Fixture f;
    f.clock.t = QDateTime(QDate(2026, 6, 7), QTime(8, 30));
    QCOMPARE(f.start([](FrmLogin& l) {
        QCOMPARE(l.windowTitle(), QStringLiteral("抽签登录"));
        LoginControls(l).logIn(QStringLiteral("admin"));
    }),
             Frm参数::Start::Run);
    QCOMPARE(f.logins, 1);
    QVERIFY(f.w->state.LoginSucceeded);
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Vardel V17.6.3"));
    QVERIFY(f.w->state.MyPath.endsWith(QLatin1Char('/')));
    QCOMPARE(f.w->state.MyDb, f.t.path());
    QCOMPARE(f.c->databaseLabel->text(), QStringLiteral("数据库：") + QDir::toNativeSeparators(f.t.path()));
    QVERIFY(!f.w->state.ZD);
    QCOMPARE(f.w->state.DWMC, QStringLiteral("测试单位"));
    QCOMPARE(f.w->state.KSS, 3);
    QVERIFY(f.c->Txt基本情况->toPlainText().contains(QStringLiteral(" 考试名称: 中考")));
    QVERIFY(f.c->Cmd抽签->isEnabled());
    QCOMPARE(f.c->Cmb科目->count(), 2);
    QCOMPARE(f.w->state.DQKM, QStringLiteral("语文"));
    QCOMPARE(f.c->Cmb科目->currentText(), QStringLiteral("语文"));
    // The long date immediately followed by the 12-hour time, the long date as Quillet's.
    QCOMPARE(f.c->clockLabel->text(), QStringLiteral("2026年6月7日上午 08:30:00"));
    QVERIFY(f.c->clockTimer->isActive());
    QCOMPARE(f.c->clockTimer->interval(), 500);
    QVERIFY(f.prompter.said.isEmpty());
}

void TestMainWindow::refusedFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QByteArray access(64, '\0');
    access.replace(4, 15, "Standard Jet DB");
    QTest::newRow("missing") << QByteArray("-") << QStringLiteral("数据库文件未找到，程序无法正常运行！");
    QTest::newRow("access file") << access << QStringLiteral("Access格式");
    QTest::newRow("garbage") << QByteArray("not a database at all") << QStringLiteral("不是本系统的数据库");
}

void TestMainWindow::refusedFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    Fixture f;
    f.t.db.reset();
    QFile::remove(f.t.path());
    if (content != "-") {
        QFile file(f.t.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QCOMPARE(f.start(), Frm参数::Start::Quit);
    QCOMPARE(f.logins, 0);
    QCOMPARE(f.prompter.said.size(), 1);
    QVERIFY2(f.prompter.last().contains(message), qPrintable(f.prompter.last()));
    QCOMPARE(f.prompter.said[0].title, QStringLiteral("致命错误"));
    QCOMPARE(f.prompter.said[0].icon, Prompter::Icon::Warning);
    if (content != "-" && content != "not a database at all")
        QCOMPARE(QFile(f.t.path()).size(), qint64(content.size())); // left as it was
}

void TestMainWindow::readOnlyDatabase() {
    Fixture f;
    f.t.db.reset();
    QFile::setPermissions(f.t.path(), QFile::ReadOwner | QFile::ReadGroup);
    QCOMPARE(f.start(), Frm参数::Start::Run);
    QVERIFY(f.w->state.ZD);
    QCOMPARE(f.prompter.said.size(), 1);
    // The warning, then the read-only mark the account may take off itself.
    QCOMPARE(f.prompter.last(), QStringLiteral("请检查数据库文件是否只读或当前位置无写入权限！\n"
                                               "数据库文件设为只读，请先把它改为可写入\n（不可写入的文件：") +
                                    QDir::toNativeSeparators(f.t.path()) + QStringLiteral("）"));
    QCOMPARE(f.w->state.KSS, 3);
    QFile::setPermissions(f.t.path(), QFile::ReadOwner | QFile::WriteOwner);
}

void TestMainWindow::noActiveSettingsRow() {
    Fixture f;
    f.t.db->exec(QStringLiteral("update 系统设置 set 状态='停用'"));
    QCOMPARE(f.start(), Frm参数::Start::Run);
    QCOMPARE(f.logins, 0);
    QCOMPARE(f.c->Txt基本情况->toPlainText(), QStringLiteral("无可用项目"));
    QCOMPARE(f.w->state.DQXM, 0);
    QVERIFY(f.c->Cmd抽签->isEnabled()); // design state
}

void TestMainWindow::lowestActiveSettingsRowWins() {
    Fixture f;
    const int other = f.t.addProject(QStringLiteral("另一个"));
    f.t.db->exec(
        QStringLiteral("insert into 系统设置 (状态, 当前项目, 用户名, 密码) values ('正常', ?, 'x', 'y')"),
        {other});
    f.start();
    QCOMPARE(f.w->state.DQXM, f.project);
    QCOMPARE(f.w->state.Yhm, QStringLiteral("admin"));
}

void TestMainWindow::emptyProjectDisablesDraw() {
    Fixture f(0);
    f.start();
    QCOMPARE(f.w->state.KSS, 0);
    QVERIFY(!f.c->Cmd抽签->isEnabled());
    QVERIFY(!f.w->state.StaffMismatch);
}

void TestMainWindow::staffWarningStaysOnTheClockLine() {
    Fixture f;
    f.t.addStaff(f.project, QStringLiteral("监考员"), QStringLiteral("004"), QStringLiteral("甲"),
                 QStringLiteral("甲4"));
    f.start();
    QVERIFY(f.w->state.StaffMismatch);
    QVERIFY(f.c->Cmd抽签->isEnabled());
    f.w->tick();
    QCOMPARE(f.c->clockLabel->text(), QStringLiteral("监考员设置有误，请注意提示信息！"));
}

void TestMainWindow::automaticAndManualSubject() {
    Fixture f;
    f.clock.t = QDateTime(QDate(2026, 6, 7), QTime(7, 0, 59));
    f.start();
    QCOMPARE(f.w->state.DQKM, QStringLiteral("非考试时间"));
    QVERIFY(!f.c->Cmb科目->isEnabled());
    f.clock.t = QDateTime(QDate(2026, 6, 7), QTime(13, 1));
    f.w->tick();
    QCOMPARE(f.w->state.DQKM, QStringLiteral("数学"));
    QCOMPARE(f.c->clockLabel->text(), QStringLiteral("2026年6月7日下午 01:01:00"));
    f.c->autoSubjectBox->setChecked(false);
    QVERIFY(f.c->Cmb科目->isEnabled());
    f.c->Cmb科目->setEditText(QStringLiteral("补考's科目"));
    f.w->tick();
    QCOMPARE(f.w->state.DQKM, QStringLiteral("补考's科目"));
}

void TestMainWindow::failedLoginDisablesSystemSettings() {
    Fixture f;
    f.start([](FrmLogin& l) {
        const LoginControls c(l);
        c.logIn(QStringLiteral("nope"));
        c.cancel->click();
    });
    QVERIFY(!f.w->state.LoginSucceeded);
    QVERIFY(!f.c->managerProgramButton->isEnabled());
    f.answerLogin([](FrmLogin& l) { LoginControls(l).logIn(QStringLiteral("admin")); });
    f.w->showLogin(f.w.get());
    QVERIFY(f.c->managerProgramButton->isEnabled());
    QVERIFY(f.w->state.LoginSucceeded);
}

void TestMainWindow::siblingPrograms() {
    Fixture f;
    f.start();
    f.c->countdownProgramButton->click();
    QCOMPARE(f.shell.started.size(), 1);
    QVERIFY(f.shell.started[0].startsWith(f.w->state.MyPath));
    QVERIFY(f.prompter.said.isEmpty());
    f.shell.startResult = false;
    f.c->managerProgramButton->click();
#ifdef Q_OS_WIN
    QCOMPARE(f.prompter.last(), QStringLiteral("没找到（Morvek.exe）文件！"));
#else
    QCOMPARE(f.prompter.last(), QStringLiteral("没找到（Morvek）文件！"));
#endif
    QCOMPARE(f.prompter.said.back().icon, Prompter::Icon::Information);
}

void TestMainWindow::projectChoiceRebuildsOverview() {
    Fixture f;
    const int other = f.t.addProject(QStringLiteral("高考"), QStringLiteral("二中"));
    f.start();
    f.fake.dialogs.handlers[QStringLiteral("Frm选项目")] = [&](QDialog& d) {
        const ProjectChoiceControls c(d);
        c.list->setCurrentIndex(c.list->findText(QString::number(other), Qt::MatchStartsWith));
        c.ok->click();
        return d.result();
    };
    f.c->switchProjectButton->click();
    QVERIFY(f.c->Txt基本情况->toPlainText().contains(QStringLiteral(" 考试名称: 高考")));
    QCOMPARE(f.w->state.KSS, 0);
    QVERIFY(!f.c->Cmd抽签->isEnabled());
    QCOMPARE(f.c->Cmb科目->count(), 0);
    // The choice lives in this run only.
    QCOMPARE(f.t.db->scalar(QStringLiteral("select 当前项目 from 系统设置")).toInt(), f.project);
}

void TestMainWindow::windowsOpenAndMissingHelpIsSaid() {
    Fixture f;
    f.start();
    f.c->reportsButton->click();
    f.c->Cmd抽签->click();
    QCOMPARE(f.fake.dialogs.ran,
             (QStringList{QStringLiteral("FrmLogin"), QStringLiteral("Frm报表"), QStringLiteral("Frm抽签")}));
    QVERIFY(f.prompter.said.isEmpty());
    f.w->openHelp();
    QCOMPARE(f.prompter.last(), QStringLiteral("没找到帮助文件（help/index.html）！"));
    QDir(f.t.folder()).mkpath(QStringLiteral("help"));
    QFile help(QDir(f.t.folder()).filePath(QStringLiteral("help/index.html")));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    f.w->openHelp();
    QCOMPARE(f.shell.opened.size(), 1);
}

void TestMainWindow::secondInstanceIsRefused() {
    QTemporaryDir a, b;
    SingleInstance first(QStringLiteral("VardelTest"), a.path());
    QVERIFY(first.acquire());
    SingleInstance second(QStringLiteral("VardelTest"), a.path());
    QVERIFY(!second.acquire());
    SingleInstance elsewhere(QStringLiteral("VardelTest"), b.path());
    QVERIFY(elsewhere.acquire());
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
