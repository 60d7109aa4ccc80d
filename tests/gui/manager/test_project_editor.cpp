#include "common/run_state.h"
#include "editor_fixture.h"
#include "fake_dialogs.h"
#include "manager/ui/project_editor.h"
#include "test_db.h"

#include <QAccessible>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace manager;
using namespace manager::ui;

namespace {

struct ProjectControls : EditorControls {
    using EditorControls::EditorControls;
    QPushButton* setCurrentButton = control<QPushButton>(&w, u"Command1"_qs);
    QList<QLineEdit*> Txt前景 = controlArray<QLineEdit>(&w, u"Txt前景"_qs);
    QList<QLineEdit*> Txt背景 = controlArray<QLineEdit>(&w, u"Txt背景"_qs);
    // The names and the draw parameters, by objectName: Txt考试名称, Cmb抽签模式 ...
    QLineEdit* text(const QString& name) const { return control<QLineEdit>(&w, name); }
    QComboBox* combo(const QString& name) const { return control<QComboBox>(&w, name); }
};

struct Fixture {
    TestDb t;
    FakeServices s;
    int first = t.addProject(u"2026年中考"_qs, u"城关一中考点"_qs);
    common::RunState state = t.runState(first);
    std::unique_ptr<Frm项目> w;

    Fixture() { state.XTID = 1; }
    Frm项目& open() {
        w = std::make_unique<Frm项目>(state, s.services);
        return *w;
    }
    int projects() { return t.db->scalar(u"select count(*) from 考点设置"_qs).toInt(); }
    db::Row project(int id) { return t.db->query(u"select * from 考点设置 where 编号=?"_qs, {id}).front(); }
};

QByteArray fileHash(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

} // namespace

class TestProjectEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addWithDrawParameters();
    void deleteKeepsTheLastProject();
    void unitBoxesTakeOnlyTheirList_data();
    void unitBoxesTakeOnlyTheirList();
    void setCurrentWritesTheActiveSettingsRow();
    void fieldsAreNamedByTheirOwnLabels();
    void readOnlyRefusesEveryWrite();
    void withoutLoginOnlySetCurrent();
    void databaseErrorIsOneMessage();
};

void TestProjectEditor::addWithDrawParameters() {
    Fixture f;
    const ProjectControls c(f.open());
    QVERIFY(!c.Cmd删除->isEnabled());
    QCOMPARE(c.grid->rowText(0), u"1.2026年中考\n   城关一中考点"_qs);

    c.Cmd追加->click();
    QCOMPARE(c.Cmd追加->text(), u"确定"_qs);
    QCOMPARE(c.Cmd修改->text(), u"放弃"_qs);
    QVERIFY(c.text(u"Txt考试名称"_qs)->text().isEmpty());
    c.text(u"Txt考试名称"_qs)->setText(u"2027年'高考'"_qs);
    c.text(u"Txt考点名称"_qs)->setText(u"二中"_qs);
    c.combo(u"Cmb抽签模式"_qs)->setCurrentText(u"仅抽甲不动乙"_qs);
    c.combo(u"Cmb考场号位"_qs)->setEditText(u"4位"_qs);
    c.Txt背景[0]->selectAll();
    QTest::keyClicks(c.Txt背景[0], u"256"_qs);
    QCOMPARE(f.s.prompter.last(), u"请输入0-255之间的数字！"_qs);
    QCOMPARE(c.Txt背景[0]->text(), u"255"_qs);
    c.Cmd追加->click();

    QCOMPARE(f.projects(), 2);
    const db::Row row = f.project(c.grid->rowText(0).section(QLatin1Char('.'), 0, 0).toInt());
    QCOMPARE(db::text(row, u"考试名称"_qs), u"2027年'高考'"_qs);
    QCOMPARE(db::integer(row, u"抽签模式"_qs), 2);
    QCOMPARE(db::integer(row, u"考场号位数"_qs), 4);
    QCOMPARE(db::text(row, u"底色"_qs), u"255,255,0"_qs);
    QCOMPARE(db::text(row, u"创建时间"_qs), u"2026-06-07 09:00:00"_qs);
    QCOMPARE(db::integer(row, u"单位代码"_qs), 1);
    QCOMPARE(c.combo(u"Cmb抽签模式"_qs)->currentText(), u"仅抽甲不动乙"_qs);
    QCOMPARE(c.Cmd追加->text(), u"追加"_qs);
    QVERIFY(c.Cmd删除->isEnabled());
}

void TestProjectEditor::deleteKeepsTheLastProject() {
    Fixture f;
    f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    const ProjectControls c(f.open());
    QVERIFY(c.Cmd删除->isEnabled());
    c.Cmd追加->click();
    QVERIFY(!c.Cmd删除->isEnabled());
    c.Cmd修改->click(); // 放弃
    QVERIFY(c.Cmd删除->isEnabled());

    f.s.prompter.answers = {false, true};
    c.Cmd删除->click();
    QCOMPARE(f.projects(), 2);
    QCOMPARE(f.s.prompter.said.back().title, u"警告"_qs);
    c.Cmd删除->click();
    QCOMPARE(f.projects(), 1);
    QVERIFY(!c.Cmd删除->isEnabled());
}

// 考场号位数 and 报表行数: an item of the list, or its bare number, stored as an integer;
// anything else is refused and nothing is written.
void TestProjectEditor::unitBoxesTakeOnlyTheirList_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("stored");
    const QString digits = u"考场号位数请在列表中选择！"_qs, rows = u"报表行数请在列表中选择！"_qs;
    QTest::newRow("letters") << u"Cmb考场号位"_qs << u"abc"_qs << digits << 3;
    QTest::newRow("empty") << u"Cmb考场号位"_qs << QString() << digits << 3;
    QTest::newRow("6 digits") << u"Cmb考场号位"_qs << u"6位"_qs << digits << 3;
    QTest::newRow("bare 4") << u"Cmb考场号位"_qs << u" 4"_qs << QString() << 4;
    QTest::newRow("0 rows") << u"Cmb报表行"_qs << u"0"_qs << rows << 25;
    QTest::newRow("41 rows") << u"Cmb报表行"_qs << u"41行"_qs << rows << 25;
    QTest::newRow("15 rows") << u"Cmb报表行"_qs << u"15行"_qs << QString() << 15;
}

void TestProjectEditor::unitBoxesTakeOnlyTheirList() {
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    QFETCH(int, stored);
    Fixture f;
    const ProjectControls c(f.open());
    c.combo(control)->setEditText(typed);
    c.Cmd修改->click();
    QCOMPARE(f.s.prompter.said.size(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty())
        QCOMPARE(f.s.prompter.last(), refusal);
    const QString column = control == u"Cmb考场号位"_qs ? u"考场号位数"_qs : u"默认行1"_qs;
    const QString type = f.t.server ? u"pg_typeof(%1)::text"_qs : u"typeof(%1)"_qs;
    const db::Row row =
        f.t.db
            ->query(u"select %1 as t, %2 as v from 考点设置 where 编号=?"_qs.arg(type.arg(column), column),
                    {f.first})
            .front();
    QCOMPARE(db::text(row, u"t"_qs), u"integer"_qs);
    QCOMPARE(db::integer(row, u"v"_qs), stored);
}

void TestProjectEditor::setCurrentWritesTheActiveSettingsRow() {
    Fixture f;
    // The run started on the second settings row; the first is no longer active.
    db::insertSystemSettings(*f.t.db, u"第二单位"_qs);
    f.t.db->exec(u"update 系统设置 set 状态='停用' where 编号=1"_qs);
    f.state.XTID = 2;
    const int second = f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    const ProjectControls c(f.open());
    QVERIFY(!c.setCurrentButton->isEnabled());
    QTest::mouseClick(c.grid->row(1), Qt::LeftButton);
    QCOMPARE(c.text(u"Txt考试名称"_qs)->text(), u"第二项目"_qs);
    QVERIFY(c.setCurrentButton->isEnabled());
    c.setCurrentButton->click();
    QCOMPARE(f.s.prompter.last(), u"已经将当前项目设置为 #%1"_qs.arg(second));
    QCOMPARE(f.state.DQXM, second);
    QCOMPARE(f.t.db->scalar(u"select 当前项目 from 系统设置 where 状态='正常' order by 编号"_qs).toInt(),
             second);
    QCOMPARE(f.t.db->scalar(u"select 当前项目 from 系统设置 where 编号=1"_qs).toInt(), 1);
    QVERIFY(!c.setCurrentButton->isEnabled());
}

void TestProjectEditor::readOnlyRefusesEveryWrite() {
    Fixture f;
    f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    f.t.db.reset();
    const QByteArray before = fileHash(f.t.path());
    f.t.db = std::make_unique<db::Database>(f.t.path(), db::Database::Mode::ReadOnly);
    f.state.db = f.t.db.get();
    f.state.ZD = true;
    const ProjectControls c(f.open());
    QTest::mouseClick(c.grid->row(1), Qt::LeftButton);
    f.s.prompter.answers = {true};
    for (QPushButton* b : {c.Cmd追加, c.Cmd修改, c.Cmd删除, c.setCurrentButton}) {
        QVERIFY(b->isEnabled());
        b->click();
        QCOMPARE(f.s.prompter.last(), common::readOnlyWriteText());
    }
    QCOMPARE(f.s.prompter.said.size(), 4);
    QCOMPARE(f.state.DQXM, f.first);
    f.w->close();
    f.w.reset();
    QCOMPARE(fileHash(f.t.path()), before);
}

void TestProjectEditor::withoutLoginOnlySetCurrent() {
    Fixture f;
    f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    f.state.LoginSucceeded = false;
    const ProjectControls c(f.open());
    QTest::mouseClick(c.grid->row(1), Qt::LeftButton);
    QVERIFY(!c.Cmd追加->isEnabled() && !c.Cmd修改->isEnabled() && !c.Cmd删除->isEnabled());
    QVERIFY(c.setCurrentButton->isEnabled());
}

void TestProjectEditor::databaseErrorIsOneMessage() {
    Fixture f;
    const ProjectControls c(f.open());
    f.t.db->exec(u"drop table 考点设置"_qs);
    c.Cmd修改->click();
    QCOMPARE(f.s.prompter.said.size(), 1);
    QVERIFY(f.s.prompter.last().startsWith(u"数据没有保存！"_qs));
    QCOMPARE(f.s.prompter.said.back().icon, common::Prompter::Icon::Critical);
}

// A screen reader names a field by its own label, never by the group box around it.
void TestProjectEditor::fieldsAreNamedByTheirOwnLabels() {
    Fixture f;
    const ProjectControls c(f.open());
    const auto name = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    // A list box is announced with its value and its labels: its own beside its group's.
    QStringList labels;
    for (const auto& [label, relation] :
         QAccessible::queryAccessibleInterface(c.combo(u"Cmb考场号位"_qs))->relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    QVERIFY2(labels.contains(u"考场号位数:"_qs), qPrintable(labels.join(u',')));
    QCOMPARE(name(c.Txt前景[0]), u"文字颜色红"_qs);
    QCOMPARE(name(c.Txt背景[2]), u"背景颜色蓝"_qs);
}

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
