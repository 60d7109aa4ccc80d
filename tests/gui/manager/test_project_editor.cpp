#include "common/run_state.h"
#include "fake_dialogs.h"
#include "manager/ui/project_editor.h"
#include "test_db.h"

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
    void setCurrentWritesTheFirstSettingsRow();
    void readOnlyRefusesEveryWrite();
    void withoutLoginOnlySetCurrent();
    void databaseErrorIsOneMessage();
};

void TestProjectEditor::addWithDrawParameters() {
    Fixture f;
    Frm项目& w = f.open();
    QVERIFY(!w.Cmd删除->isEnabled());
    QCOMPARE(w.grid->rowText(0), u"1.2026年中考\n   城关一中考点"_qs);

    w.Cmd追加->click();
    QCOMPARE(w.Cmd追加->text(), u"确定"_qs);
    QCOMPARE(w.Cmd修改->text(), u"放弃"_qs);
    QVERIFY(w.texts[u"Txt考试名称"_qs]->text().isEmpty());
    w.texts[u"Txt考试名称"_qs]->setText(u"2027年'高考'"_qs);
    w.texts[u"Txt考点名称"_qs]->setText(u"二中"_qs);
    w.combos[u"Cmb抽签模式"_qs]->setCurrentText(u"仅抽甲不动乙"_qs);
    w.combos[u"Cmb考场号位"_qs]->setEditText(u"4位"_qs);
    w.Txt背景[0]->selectAll();
    QTest::keyClicks(w.Txt背景[0], u"256"_qs);
    QCOMPARE(f.s.prompter.last(), u"请输入0-255之间的数字！"_qs);
    QCOMPARE(w.Txt背景[0]->text(), u"255"_qs);
    w.Cmd追加->click();

    QCOMPARE(f.projects(), 2);
    const db::Row row = f.project(w.grid->rowText(0).section(QLatin1Char('.'), 0, 0).toInt());
    QCOMPARE(db::text(row, u"考试名称"_qs), u"2027年'高考'"_qs);
    QCOMPARE(db::integer(row, u"抽签模式"_qs), 2);
    QCOMPARE(db::integer(row, u"考场号位数"_qs), 4);
    QCOMPARE(db::text(row, u"底色"_qs), u"255,255,0"_qs);
    QCOMPARE(db::text(row, u"创建时间"_qs), u"2026-06-07 09:00:00"_qs);
    QCOMPARE(db::integer(row, u"单位代码"_qs), 1);
    QCOMPARE(w.combos[u"Cmb抽签模式"_qs]->currentText(), u"仅抽甲不动乙"_qs);
    QCOMPARE(w.Cmd追加->text(), u"追加"_qs);
    QVERIFY(w.Cmd删除->isEnabled());
}

void TestProjectEditor::deleteKeepsTheLastProject() {
    Fixture f;
    f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    Frm项目& w = f.open();
    QVERIFY(w.Cmd删除->isEnabled());
    w.Cmd追加->click();
    QVERIFY(!w.Cmd删除->isEnabled());
    w.Cmd修改->click(); // 放弃
    QVERIFY(w.Cmd删除->isEnabled());

    f.s.prompter.answers = {false, true};
    w.Cmd删除->click();
    QCOMPARE(f.projects(), 2);
    QCOMPARE(f.s.prompter.said.back().title, u"警告"_qs);
    w.Cmd删除->click();
    QCOMPARE(f.projects(), 1);
    QVERIFY(!w.Cmd删除->isEnabled());
}

void TestProjectEditor::setCurrentWritesTheFirstSettingsRow() {
    Fixture f;
    const int second = f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    Frm项目& w = f.open();
    QVERIFY(!w.Command1->isEnabled());
    QTest::mouseClick(w.grid->row(1), Qt::LeftButton);
    QCOMPARE(w.texts[u"Txt考试名称"_qs]->text(), u"第二项目"_qs);
    QVERIFY(w.Command1->isEnabled());
    w.Command1->click();
    QCOMPARE(f.s.prompter.last(), u"已经将当前项目设置为 #%1"_qs.arg(second));
    QCOMPARE(f.state.DQXM, second);
    QCOMPARE(f.t.db->scalar(u"select 当前项目 from 系统设置 order by 编号 limit 1"_qs).toInt(), second);
    QVERIFY(!w.Command1->isEnabled());
}

void TestProjectEditor::readOnlyRefusesEveryWrite() {
    Fixture f;
    f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    f.t.db.reset();
    const QByteArray before = fileHash(f.t.path());
    f.t.db = std::make_unique<db::Database>(f.t.path(), db::Database::Mode::ReadOnly);
    f.state.db = f.t.db.get();
    f.state.ZD = true;
    Frm项目& w = f.open();
    QTest::mouseClick(w.grid->row(1), Qt::LeftButton);
    f.s.prompter.answers = {true};
    for (QPushButton* b : {w.Cmd追加, w.Cmd修改, w.Cmd删除, w.Command1}) {
        QVERIFY(b->isEnabled());
        b->click();
        QCOMPARE(f.s.prompter.last(), common::readOnlyWriteText());
    }
    QCOMPARE(f.s.prompter.said.size(), 4);
    QCOMPARE(f.state.DQXM, f.first);
    w.close();
    f.w.reset();
    QCOMPARE(fileHash(f.t.path()), before);
}

void TestProjectEditor::withoutLoginOnlySetCurrent() {
    Fixture f;
    f.t.addProject(u"第二项目"_qs, u"二中"_qs);
    f.state.LoginSucceeded = false;
    Frm项目& w = f.open();
    QTest::mouseClick(w.grid->row(1), Qt::LeftButton);
    QVERIFY(!w.Cmd追加->isEnabled() && !w.Cmd修改->isEnabled() && !w.Cmd删除->isEnabled());
    QVERIFY(w.Command1->isEnabled());
}

void TestProjectEditor::databaseErrorIsOneMessage() {
    Fixture f;
    Frm项目& w = f.open();
    f.t.db->exec(u"drop table 考点设置"_qs);
    w.Cmd修改->click();
    QCOMPARE(f.s.prompter.said.size(), 1);
    QVERIFY(f.s.prompter.last().startsWith(u"数据没有保存！"_qs));
    QCOMPARE(f.s.prompter.said.back().icon, common::Prompter::Icon::Critical);
}

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
