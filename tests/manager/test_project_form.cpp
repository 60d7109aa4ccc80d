#include "manager/project_form.h"
#include "test_db.h"

#include <QTest>

using namespace manager;

namespace {

// The form a new project starts from: the fields of an existing project.
ProjectForm formOf(TestDb& t, int project, common::RunState& state) {
    return shownProject(t.db->query(u"select * from 考点设置 where 编号=?"_qs, {project}).front(), state);
}

db::Row added(TestDb& t, const ProjectForm& form, int settingsId = 1, const QDateTime& now = {}) {
    RecordSource source(*t.db, projectDefinition());
    const int id = source.insert(newProject(form, settingsId, now));
    return t.db->query(u"select * from 考点设置 where 编号=?"_qs, {id}).front();
}

} // namespace

class TestProjectForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void comboStoredAndShownBack_data();
    void comboStoredAndShownBack();
    void valuesTheEditorNeverWrites();
    void colourBoxes_data();
    void colourBoxes();
    void nullColoursShowTheDefaults();
    void newProjectColumnsAndQuotes();
    void requiredNamesInOrder();
    void setCurrentWritesTheActiveSettingsRow();
    void setCurrentWithoutSettingsRowSaysSo();
};

void TestProjectForm::comboStoredAndShownBack_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("only A drawn") << "Cmb抽签模式"
                                  << "仅抽甲不动乙" << QVariant(2) << "仅抽甲不动乙";
    QTest::newRow("only B drawn") << "Cmb抽签模式"
                                  << "仅抽乙不动甲" << QVariant(1) << "仅抽乙不动甲";
    QTest::newRow("independent") << "Cmb抽签模式"
                                 << "甲乙独立抽签" << QVariant(0) << "甲乙独立抽签";
    QTest::newRow("back to own room") << "Cmb重回考室"
                                      << "允许" << QVariant(1) << "允许";
    QTest::newRow("no partner again") << "Cmb再搭档"
                                      << "不允许" << QVariant(0) << "不允许";
    QTest::newRow("fewer same-sex pairs") << "Cmb性别搭档"
                                          << "减少同性别搭档" << QVariant(1) << "减少同性别搭档";
    QTest::newRow("units unlimited") << "Cmb异校搭档"
                                     << "不限制" << QVariant(0) << "不限制";
    QTest::newRow("fewer same-unit pairs") << "Cmb异校搭档"
                                           << "减少同单位搭档" << QVariant(1) << "减少同单位搭档";
    QTest::newRow("no changes while drawing") << "Cmb修改参数"
                                              << "不允许抽签时修改" << QVariant(0) << "不允许抽签时修改";
    QTest::newRow("both duties") << "Cmb抽场外"
                                 << "同步抽签" << QVariant(1) << "同步抽签";
    QTest::newRow("outside only") << "Cmb抽场外"
                                  << "只抽场外监考" << QVariant(2) << "只抽场外监考";
    QTest::newRow("paper check only") << "Cmb抽场外"
                                      << "只抽验卷" << QVariant(3) << "只抽验卷";
    QTest::newRow("4 digits") << "Cmb考场号位"
                              << "4位" << QVariant(4) << "4位";
    QTest::newRow("typed without unit") << "Cmb考场号位"
                                        << "5" << QVariant(5) << "5位";
    QTest::newRow("report rows") << "Cmb报表行"
                                 << "32行" << QVariant(32) << "32行";
}

void TestProjectForm::comboStoredAndShownBack() {
    QFETCH(QString, control);
    QFETCH(QString, chosen);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    TestDb t;
    common::RunState state;
    ProjectForm form = formOf(t, t.addProject(), state);
    form.values[control] = chosen;
    const db::Row row = added(t, form);
    const ComboRule* rule = nullptr;
    for (const ComboRule& r : projectCombos())
        rule = r.control == control ? &r : rule;
    QVERIFY(rule);
    QCOMPARE(row.value(rule->column).toInt(), stored.toInt());
    QCOMPARE(shownProject(row, state).values.value(control), shown);
}

void TestProjectForm::valuesTheEditorNeverWrites() {
    TestDb t;
    const int p = t.addProject();
    t.db->exec(
        u"update 考点设置 set 抽签模式=7, 允许重回原考室=2, 允许抽签时修改参数=5, 场外与验卷抽签=9 where 编号=?"_qs,
        {p});
    common::RunState state;
    const ProjectForm form = formOf(t, p, state);
    QCOMPARE(form.values.value(u"Cmb抽签模式"_qs), u"仅抽甲不动乙"_qs);
    QCOMPARE(form.values.value(u"Cmb重回考室"_qs), u"允许"_qs);
    QCOMPARE(form.values.value(u"Cmb修改参数"_qs), u"不允许抽签时修改"_qs);
    QCOMPARE(form.values.value(u"Cmb抽场外"_qs), u"只抽验卷"_qs);
}

void TestProjectForm::colourBoxes_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("resetTo");
    const int text = int(ColourKind::Text), back = int(ColourKind::Background);
    QTest::newRow("0") << text << 0 << "0" << true << "0";
    QTest::newRow("255") << back << 2 << "255" << true << "0";
    QTest::newRow("256 in background red") << back << 0 << "256" << false << "255";
    QTest::newRow("256 in background blue") << back << 2 << "256" << false << "0";
    QTest::newRow("negative") << text << 1 << "-1" << false << "0";
    QTest::newRow("cleared") << back << 1 << "" << false << "255";
    QTest::newRow("letters") << text << 2 << "abc" << false << "0";
    QTest::newRow("fraction") << back << 0 << "12.5" << false << "255";
}

void TestProjectForm::colourBoxes() {
    QFETCH(int, kind);
    QFETCH(int, index);
    QFETCH(QString, typed);
    QTEST(validColourComponent(typed), "valid");
    QTEST(defaultColourComponent(ColourKind(kind), index), "resetTo");
}

void TestProjectForm::nullColoursShowTheDefaults() {
    TestDb t;
    const int a = t.addProject(), b = t.addProject(), c = t.addProject(), d = t.addProject();
    t.db->exec(u"update 考点设置 set 文字色='1,2,3', 底色='4,5,6' where 编号=?"_qs, {a});
    t.db->exec(u"update 考点设置 set 文字色=null, 底色=null where 编号=?"_qs, {b});
    t.db->exec(u"update 考点设置 set 文字色='', 底色='' where 编号=?"_qs, {c});
    t.db->exec(u"update 考点设置 set 文字色='9,9', 底色=null where 编号=?"_qs, {d});
    common::RunState state;
    formOf(t, a, state);
    const ProjectForm afterA = formOf(t, b, state);
    QCOMPARE(afterA.text, (Colour{u"0"_qs, u"0"_qs, u"0"_qs}));
    QCOMPARE(afterA.background, (Colour{u"255"_qs, u"255"_qs, u"0"_qs}));
    const ProjectForm empty = formOf(t, c, state);
    QCOMPARE(empty.text, (Colour{u"0"_qs, u"0"_qs, u"0"_qs}));
    QCOMPARE(empty.background, (Colour{u"255"_qs, u"255"_qs, u"0"_qs}));
    const ProjectForm twoParts = formOf(t, d, state);
    QCOMPARE(twoParts.text, (Colour{u"9"_qs, u"9"_qs, u"0"_qs}));
    QCOMPARE(twoParts.background, (Colour{u"255"_qs, u"255"_qs, u"0"_qs}));
}

void TestProjectForm::newProjectColumnsAndQuotes() {
    TestDb t;
    common::RunState state;
    ProjectForm form = formOf(t, t.addProject(), state);
    for (const TextRule& r : projectTexts())
        form.values[r.control] = u"O'Brien's "_qs + r.label;
    form.text = {u"10"_qs, u"20"_qs, u"30"_qs};
    const QDateTime now(QDate(2026, 6, 7), QTime(8, 5, 9));
    const db::Row row = added(t, form, 7, now);
    QCOMPARE(shownProject(row, state).values, form.values);
    QCOMPARE(db::text(row, u"文字色"_qs), u"10,20,30"_qs);
    QCOMPARE(db::integer(row, u"分屏显示"_qs), 1);
    QCOMPARE(db::text(row, u"状态"_qs), u"正常"_qs);
    QCOMPARE(db::text(row, u"创建时间"_qs), u"2026-06-07 08:05:09"_qs);
    QCOMPARE(db::integer(row, u"单位代码"_qs), 7);

    // A modify leaves the columns only an add writes.
    RecordSource source(*t.db, projectDefinition());
    const int id = db::integer(row, u"编号"_qs);
    QVERIFY(source.update(id, storedProject(form)));
    QCOMPARE(t.db->scalar(u"select 单位代码 from 考点设置 where 编号=?"_qs, {id}).toInt(), 7);
}

void TestProjectForm::requiredNamesInOrder() {
    ProjectForm form;
    QCOMPARE(checkProject(form), (FieldError{u"考试名称为必填项目！"_qs, u"Txt考试名称"_qs}));
    form.values[u"Txt考试名称"_qs] = QString(101, u'考');
    QCOMPARE(checkProject(form), (FieldError{u"考试名称不能超过100个字符！"_qs, u"Txt考试名称"_qs}));
    form.values[u"Txt考试名称"_qs] = QString(100, u'考');
    QCOMPARE(checkProject(form), (FieldError{u"考点名称为必填项目！"_qs, u"Txt考点名称"_qs}));
    form.values[u"Txt考点名称"_qs] = u"一中"_qs;
    QCOMPARE(checkProject(form), (FieldError{u"考场号位数请在列表中选择！"_qs, u"Cmb考场号位"_qs}));
    form.values[u"Cmb考场号位"_qs] = u"3位"_qs;
    form.values[u"Cmb报表行"_qs] = u"25行"_qs;
    QVERIFY(!checkProject(form));
}

// The row every program reads is the active one, whatever rows stand before it.
void TestProjectForm::setCurrentWritesTheActiveSettingsRow() {
    TestDb t;
    db::insertSystemSettings(*t.db, u"第二单位"_qs);
    t.db->exec(u"update 系统设置 set 状态='停用' where 编号=1"_qs);
    common::RunState state;
    state.XTID = 2;
    QVERIFY(setCurrentProject(*t.db, state, 42));
    QCOMPARE(state.DQXM, 42);
    QCOMPARE(t.db->scalar(u"select 当前项目 from 系统设置 where 编号=1"_qs).toInt(), 1);
    QCOMPARE(t.db->scalar(u"select 当前项目 from 系统设置 where 编号=2"_qs).toInt(), 42);
    QCOMPARE(currentProjectSetText(42), u"已经将当前项目设置为 #42"_qs);
    // A row made inactive since the start: nothing written, and the run keeps its project.
    state.XTID = 1;
    QVERIFY(!setCurrentProject(*t.db, state, 7));
    QCOMPARE(state.DQXM, 42);
    QCOMPARE(t.db->scalar(u"select 当前项目 from 系统设置 where 编号=1"_qs).toInt(), 1);
}

void TestProjectForm::setCurrentWithoutSettingsRowSaysSo() {
    TestDb t;
    t.db->exec(u"delete from 系统设置"_qs);
    common::RunState state;
    state.DQXM = 3;
    QVERIFY(!setCurrentProject(*t.db, state, 42));
    QCOMPARE(state.DQXM, 3);
}

QTEST_GUILESS_MAIN(TestProjectForm)
#include "test_project_form.moc"
