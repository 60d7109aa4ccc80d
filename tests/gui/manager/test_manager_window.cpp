#include "controls.h"
#include "fake_dialogs.h"
#include "login_controls.h"
#include "manager/ui/manager_window.h"
#include "test_db.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace manager::ui;

namespace {

struct Fixture {
    TestDb t;
    FakeServices s;
    int project = t.addProject(u"2026年中考"_qs, u"城关一中考点"_qs);
    std::unique_ptr<common::SingleInstance> instance;
    std::unique_ptr<Frm管理> w;

    Fixture() {
        t.setCurrentProject(project);
        t.addRoom(project, u"001"_qs, u"张三"_qs, u"李四"_qs);
    }
    // Logs in with `password` whenever the login is shown; empty skips it.
    void loginWith(const QString& password) {
        s.dialogs.handlers[u"FrmLogin"_qs] = [password](QDialog& d) {
            if (password.isEmpty())
                return int(QDialog::Rejected);
            LoginControls(d).logIn(password);
            return d.result();
        };
    }
    Frm管理::Start start() {
        instance = std::make_unique<common::SingleInstance>(u"Morvek"_qs, t.folder());
        w = std::make_unique<Frm管理>(s.services);
        return w->startUp(t.folder(), *instance);
    }
    QString overview() const { return control<QPlainTextEdit>(w.get(), u"Txt基本情况"_qs)->toPlainText(); }
    QPushButton* button(const QString& name) const { return control<QPushButton>(w.get(), name); }
};

} // namespace

class TestManagerWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startUpPaths_data();
    void startUpPaths();
    void editorButtonSequence_data();
    void editorButtonSequence();
    void otherButtons();
    void missingProjectDisablesItsButtons();
};

void TestManagerWindow::startUpPaths_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<bool>("login");
    QTest::addColumn<QString>("overviewStart");
    QTest::newRow("normal") << "" << true << QStringList() << true << "\n Vardel";
    QTest::newRow("second instance") << "running" << false << QStringList{u"程序已经运行，不能再次装载！"_qs}
                                     << false << "";
    QTest::newRow("missing") << "missing" << false << QStringList{u"数据库文件未找到，程序无法正常运行！"_qs}
                             << false << "";
    QTest::newRow("foreign")
        << "foreign" << false
        << QStringList{u"数据库文件不是本系统的数据库（格式无法识别），程序无法正常运行！"_qs} << false << "";
    QTest::newRow("read-only")
        << "read-only" << true
        << QStringList{u"请检查数据库文件是否只读或当前位置无写入权限！\n"
                       u"数据库文件设为只读，请先把它改为可写入\n（不可写入的文件：%1）"_qs}
        << true << "\n Vardel";
    QTest::newRow("no active row") << "inactive" << true << QStringList() << false << "无可用项目";
}

void TestManagerWindow::startUpPaths() {
    QFETCH(QString, setup);
    QFETCH(QStringList, said);
    Fixture f;
    for (QString& text : said)
        text.replace(u"%1"_qs, QDir::toNativeSeparators(f.t.path()));
    common::SingleInstance other(u"Morvek"_qs, f.t.folder());
    if (setup == u"running")
        QVERIFY(other.acquire());
    if (setup == u"inactive")
        f.t.db->exec(u"update 系统设置 set 状态='停用'"_qs);
    f.t.db.reset();
    if (setup == u"missing")
        QVERIFY(QFile::remove(f.t.path()));
    if (setup == u"foreign") {
        QFile file(f.t.path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("something else entirely");
    }
    if (setup == u"read-only")
        QFile::setPermissions(f.t.path(), QFileDevice::ReadOwner);
    f.loginWith(u"admin"_qs);

    QTEST(f.start() == Frm管理::Start::Run, "runs");
    QStringList texts;
    for (const FakePrompter::Said& s : f.s.prompter.said)
        texts << s.text;
    QCOMPARE(texts, said);
    QTEST(f.s.dialogs.ran.contains(u"FrmLogin"_qs), "login");
    QFETCH(QString, overviewStart);
    QVERIFY(f.overview().startsWith(overviewStart));
    if (setup != u"running")
        QCOMPARE(f.w->windowTitle(), u"Vardel V17.6.2"_qs);
    if (setup.isEmpty())
        QVERIFY(f.overview().contains(u" 监考员抽签模式: 甲乙独立抽签"_qs));
}

void TestManagerWindow::editorButtonSequence_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("change"); // what the operator saves in the editor
    QTest::addColumn<QString>("shown");  // how the rebuilt overview shows it
    QTest::newRow("projects") << "Command1"
                              << "Frm项目"
                              << "update 考点设置 set 考试名称='2026年秋季考试'"
                              << " 考试名称: 2026年秋季考试";
    QTest::newRow("timetable") << "Cmd时间"
                               << "Frm时间设置"
                               << "insert into 时间安排 (项目编号, 科目, 开考时间, 时长) values (1, '数学', "
                                  "'2026-06-20 08:30:00', 120)"
                               << " 数学　2026-06-20 08:30:00　120分钟";
    QTest::newRow("roster")
        << "Command3"
        << "Frm监考员"
        << "insert into 人员安排 (项目编号, 分类, 分组号, 姓名) values (1, '验卷', '001', '周九')"
        << " 验　　卷: 1";
    QTest::newRow("import")
        << "Command2"
        << "Frm数据导入"
        << "insert into 人员安排 (项目编号, 分类, 分组号, 姓名) values (1, '场外监考', '001', '吴十')"
        << " 场外监考: 1";
}

// Login when not logged in, the editor, the overview rebuilt; logged in, straight to the editor.
void TestManagerWindow::editorButtonSequence() {
    QFETCH(QString, button);
    QFETCH(QString, editor);
    QFETCH(QString, change);
    Fixture f;
    QCOMPARE(f.project, 1);
    f.loginWith({});
    QCOMPARE(f.start(), Frm管理::Start::Run);
    QVERIFY(!f.w->state.LoginSucceeded);
    f.s.dialogs.handlers[editor] = [&f, change](QDialog&) {
        f.t.db->exec(change);
        return int(QDialog::Accepted);
    };
    f.loginWith(u"admin"_qs);
    QPushButton* b = f.button(button);
    b->click();
    QCOMPARE(f.s.dialogs.ran, (QStringList{u"FrmLogin"_qs, u"FrmLogin"_qs, editor}));
    QFETCH(QString, shown);
    QVERIFY2(f.overview().contains(shown), qPrintable(f.overview()));

    b->click();
    QCOMPARE(f.s.dialogs.ran.size(), 4);
    QCOMPARE(f.s.dialogs.ran.back(), editor);
}

void TestManagerWindow::otherButtons() {
    Fixture f;
    f.loginWith({});
    f.start();
    f.w->show();
    f.button(u"Command5"_qs)->click(); // 修改管理密码
    QCOMPARE(f.s.dialogs.ran, (QStringList{u"FrmLogin"_qs, u"Frm密码"_qs}));

    f.s.shell.startResult = false;
    QPushButton* drawProgram = f.button(u"Command4"_qs);
    drawProgram->click();
    QCOMPARE(f.s.prompter.last(),
             u"没找到（%1）文件！"_qs.arg(QFileInfo(f.s.shell.started.back()).fileName()));
    QVERIFY(!f.w->isMinimized());
    f.s.shell.startResult = true;
    drawProgram->click();
    QCOMPARE(QFileInfo(f.s.shell.started.back()).completeBaseName(), u"Vardel"_qs);
    QVERIFY(f.w->isMinimized());
}

void TestManagerWindow::missingProjectDisablesItsButtons() {
    Fixture f;
    f.t.setCurrentProject(99);
    f.loginWith(u"admin"_qs);
    f.start();
    // 数据导入, 人员管理 and 打开抽签程序 need a project; 项目管理 and 修改管理密码 do not.
    for (const QString& name : {u"Command2"_qs, u"Command3"_qs, u"Command4"_qs, u"Cmd时间"_qs})
        QVERIFY2(!f.button(name)->isEnabled(), qPrintable(name));
    QVERIFY(f.button(u"Command1"_qs)->isEnabled() && f.button(u"Command5"_qs)->isEnabled());
}

QTEST_MAIN(TestManagerWindow)
#include "test_manager_window.moc"
