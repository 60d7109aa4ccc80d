#include "controls.h"
#include "fake_dialogs.h"
#include "report_fixture.h"
#include "reports/ui/report_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace common;
using namespace reports;
using namespace reports::ui;

namespace {

// The report window's controls, as the operator meets them.
struct ReportControls {
    const Frm报表& w;
    QComboBox* list = control<QComboBox>(&w, QStringLiteral("Cmb报表"));
    QCheckBox* dutiesOnly = control<QCheckBox>(&w, QStringLiteral("Check1"));
    QPushButton* ok = control<QPushButton>(&w, QStringLiteral("Command1"));
    explicit ReportControls(const Frm报表& window) : w(window) {}
};

QStringList items(const QComboBox* box) {
    QStringList l;
    for (int i = 0; i < box->count(); ++i)
        l << box->itemText(i);
    return l;
}

// Three saved draws of the project (several rows each), one of another project.
void addDraws(ReportFixture& f) {
    f.addDrawRooms(QStringLiteral("数学"), QStringLiteral("2026-06-07 15:00:00"), 2);
    f.addDrawRooms(QStringLiteral("英语"), QStringLiteral("2026-06-08 09:00:00"), 2);
    f.addDrawRooms(QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 2);
    f.t.db->exec(QStringLiteral("insert into 抽签总表 (项目编号, 分类, 分组号, 科目, 时间) values "
                                "(?, '监考员', '001', '别项', '2026-06-09 09:00:00')"),
                 {f.project + 1});
    f.t.addRoom(f.project, QStringLiteral("001"), QStringLiteral("张一"), QStringLiteral("李一"));
}

} // namespace

class TestReportWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsDrawsNewestFirst();
    void withoutDrawsNothingIsChosen();
    void dispatch_data();
    void dispatch();
    void subjectWithHashIsKept();
    void folderThatCannotBeMadeIsSaid();
    void browserThatCannotOpenIsSaid();
    void unreadableDatabaseIsSaid();
};

void TestReportWindow::listsDrawsNewestFirst() {
    ReportFixture f;
    addDraws(f);
    FakeServices fs;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    QCOMPARE(items(c.list),
             (QStringList{QStringLiteral("英语 # 2026-06-08 09:00:00"),
                          QStringLiteral("数学 # 2026-06-07 15:00:00"),
                          QStringLiteral("语文 # 2026-06-07 09:00:00"), QStringLiteral("初始安排数据")}));
    QCOMPARE(c.list->currentIndex(), 0);
    QCOMPARE(c.list->currentText(), QStringLiteral("英语 # 2026-06-08 09:00:00"));
    QVERIFY(!c.dutiesOnly->isChecked());
}

void TestReportWindow::withoutDrawsNothingIsChosen() {
    ReportFixture f;
    FakeServices fs;
    FakePrompter& prompter = fs.prompter;
    FakeShell& shell = fs.shell;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    QCOMPARE(items(c.list), QStringList{QStringLiteral("初始安排数据")});
    QCOMPARE(c.list->currentText(), QString());
    c.ok->click();
    QVERIFY(shell.opened.isEmpty());
    QVERIFY(prompter.said.isEmpty());
}

void TestReportWindow::dispatch_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("onlyDuties");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("marker");
    QTest::newRow("latest draw: conclusion") << 0 << false << false << "-抽签结论（英语）.htm"
                                             << " 监考员安排";
    QTest::newRow("older draw: duties") << 2 << true << false << "-场外与验卷（语文）.htm"
                                        << "场外与验卷安排  （语文）";
    QTest::newRow("initial: base data") << 3 << false << false << "-基础数据.htm"
                                        << "（初始安排数据）";
    QTest::newRow("initial: duties") << 3 << true << false << "-场外与验卷（初始数据）.htm"
                                     << "场外与验卷安排  （初始数据）";
    QTest::newRow("read-only database") << 1 << false << true << "-抽签结论（数学）.htm"
                                        << "科目:数学";
}

void TestReportWindow::dispatch() {
    QFETCH(int, entry);
    QFETCH(bool, onlyDuties);
    QFETCH(bool, readOnly);
    QFETCH(QString, file);
    QFETCH(QString, marker);
    ReportFixture f;
    addDraws(f);
    f.state.ZD = readOnly;
    FakeServices fs;
    FakePrompter& prompter = fs.prompter;
    FakeShell& shell = fs.shell;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    c.list->setCurrentIndex(entry);
    c.dutiesOnly->setChecked(onlyDuties);
    c.ok->click();
    QCOMPARE(prompter.said.size(), 0);
    QCOMPARE(shell.opened, QStringList{f.reportPath(file)});
    QVERIFY(readReport(f.reportPath(file)).contains(marker));
}

void TestReportWindow::subjectWithHashIsKept() {
    ReportFixture f;
    f.addDrawRooms(QStringLiteral("理#综"), QStringLiteral("2026-06-09 09:00:00"), 3);
    FakeServices fs;
    FakeShell& shell = fs.shell;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    QCOMPARE(c.list->currentText(), QStringLiteral("理#综 # 2026-06-09 09:00:00"));
    c.ok->click();
    const QString path = f.reportPath(QStringLiteral("-抽签结论（理#综）.htm"));
    QCOMPARE(shell.opened, QStringList{path});
    const QString text = readReport(path);
    QVERIFY(text.contains(
        QStringLiteral("科目:理#综</td><td align=right class=xx>抽签时间:2026-06-09 09:00:00")));
    QVERIFY(text.contains(QStringLiteral("'>003</td>")));
}

void TestReportWindow::folderThatCannotBeMadeIsSaid() {
    ReportFixture f;
    addDraws(f);
    QFile blocker(f.state.MyPath + QStringLiteral("Report"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FakeServices fs;
    FakePrompter& prompter = fs.prompter;
    FakeShell& shell = fs.shell;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    for (int entry : {0, 3}) {
        prompter.said.clear();
        c.list->setCurrentIndex(entry);
        c.ok->click();
        QVERIFY(shell.opened.isEmpty());
        QCOMPARE(prompter.said.size(), 1);
        QCOMPARE(prompter.said[0].icon, Prompter::Icon::Critical);
        QVERIFY2(prompter.said[0].text.startsWith(QStringLiteral("无法创建报表目录：")),
                 qPrintable(prompter.last()));
    }
}

void TestReportWindow::browserThatCannotOpenIsSaid() {
    ReportFixture f;
    addDraws(f);
    FakeServices fs;
    FakePrompter& prompter = fs.prompter;
    fs.shell.openResult = false;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    c.ok->click();
    QCOMPARE(prompter.said.size(), 1);
    QVERIFY(prompter.last().startsWith(QStringLiteral("报表已生成，但无法自动打开：")));
    QVERIFY(QFile::exists(f.reportPath(QStringLiteral("-抽签结论（英语）.htm"))));
}

void TestReportWindow::unreadableDatabaseIsSaid() {
    ReportFixture f;
    f.t.db->exec(QStringLiteral("drop table 抽签总表"));
    FakeServices fs;
    FakePrompter& prompter = fs.prompter;
    FakeShell& shell = fs.shell;
    Frm报表 w(f.state, fs.services);
    const ReportControls c(w);
    QCOMPARE(items(c.list), QStringList{QStringLiteral("初始安排数据")});
    QTRY_COMPARE(prompter.said.size(), 1);
    QVERIFY(prompter.last().startsWith(QStringLiteral("无法读取已保存的抽签数据：")));

    // The roster is still there: the base data can be written.
    c.list->setCurrentIndex(0);
    c.ok->click();
    QCOMPARE(shell.opened, QStringList{f.reportPath(QStringLiteral("-基础数据.htm"))});
}

QTEST_MAIN(TestReportWindow)
#include "test_report_window.moc"
