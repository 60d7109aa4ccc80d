#include "dialog_controls.h"
#include "draw_window/load_dialog.h"
#include "draw_window/project_dialog.h"
#include "fake_dialogs.h"
#include "test_db.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace common;
using namespace draw;

namespace {

// The load list's last entry, as the operator reads it.
const QString kInitialEntry = QStringLiteral("初始数据 # 考前初始安排数据");

struct Env {
    TestDb t;
    FakeServices fake;
    FakePrompter& prompter = fake.prompter;
    RunState st;
    int project = 0;

    Env() {
        project = t.addProject(QStringLiteral("中考"));
        st.MyDb = t.path();
        st.db = t.db.get();
        st.DQXM = project;
        st.project.examName = QStringLiteral("中考");
        st.LoginSucceeded = true;
    }
    void saved(const QString& subject, const QString& time) {
        t.db->exec(QStringLiteral("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号) values (?, ?, "
                                  "?, '监考员', '001')"),
                   {project, subject, time});
        t.db->exec(QStringLiteral("insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) "
                                  "values (?, ?, ?, 1, '监考员', 1, 1, 1)"),
                   {project, subject, time});
    }
    QStringList entries(const QComboBox* box) const {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    int rows(const QString& subject) const {
        return t.db->scalar(QStringLiteral("select count(*) from 抽签总表 where 科目=?"), {subject}).toInt() +
               t.db->scalar(QStringLiteral("select count(*) from 抽签历史 where 科目=?"), {subject}).toInt();
    }
};

} // namespace

class TestDrawDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadListNewestFirst();
    void chooseAndCancel();
    void deleteGuards_data();
    void deleteGuards();
    void deleteRemovesTheSubject();
    void projectChoiceList();
    void projectChoiceText_data();
    void projectChoiceText();
};

void TestDrawDialogs::loadListNewestFirst() {
    Env e;
    Frm加载数据 empty(e.st, e.fake.services);
    QCOMPARE(empty.windowTitle(), QStringLiteral("选择加载项目"));
    QCOMPARE(e.entries(LoadControls(empty).list), QStringList{kInitialEntry});

    e.saved(QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"));
    e.saved(QStringLiteral("数学"), QStringLiteral("2026-06-07 15:00:00"));
    const int other = e.t.addProject(QStringLiteral("另一"));
    e.t.db->exec(QStringLiteral("update 抽签总表 set 项目编号=? where 科目='语文'"), {other});
    e.saved(QStringLiteral("物理"), QStringLiteral("2026-06-06 15:00:00"));
    Frm加载数据 d(e.st, e.fake.services);
    const LoadControls c(d);
    QCOMPARE(e.entries(c.list), (QStringList{QStringLiteral("数学 # 2026-06-07 15:00:00"),
                                             QStringLiteral("物理 # 2026-06-06 15:00:00"), kInitialEntry}));
    QCOMPARE(c.list->currentText(), QStringLiteral("数学 # 2026-06-07 15:00:00"));
}

void TestDrawDialogs::chooseAndCancel() {
    Env e;
    e.saved(QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"));
    Frm加载数据 cancelled(e.st, e.fake.services);
    LoadControls(cancelled).cancel->click();
    QVERIFY(cancelled.JZX.isEmpty());

    Frm加载数据 chosen(e.st, e.fake.services);
    LoadControls(chosen).ok->click();
    QCOMPARE(chosen.JZX, QStringLiteral("语文 # 2026-06-07 09:00:00"));
    QCOMPARE(chosen.JZKM, QStringLiteral("语文"));
}

void TestDrawDialogs::deleteGuards_data() {
    QTest::addColumn<bool>("login");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("initial");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("said");
    QTest::newRow("not logged in") << false << false << false << true << QString();
    QTest::newRow("read-only") << true << true << false << true << readOnlyWriteText();
    QTest::newRow("initial data") << true << false << true << true
                                  << QStringLiteral("初始数据不能在此删除！");
    QTest::newRow("answered No")
        << true << false << false << false
        << QStringLiteral("将删除“语文 # 2026-06-07 09:00:00”，该操作不可恢复！\n是否真的要删除？");
}

void TestDrawDialogs::deleteGuards() {
    QFETCH(bool, login);
    QFETCH(bool, readOnly);
    QFETCH(bool, initial);
    QFETCH(bool, yes);
    QFETCH(QString, said);
    Env e;
    e.saved(QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"));
    e.st.LoginSucceeded = login;
    e.st.ZD = readOnly;
    e.prompter.answers = {yes};
    Frm加载数据 d(e.st, e.fake.services);
    const LoadControls c(d);
    QCOMPARE(c.remove->isEnabled(), login);
    if (initial)
        c.list->setCurrentIndex(1);
    c.remove->click();
    QCOMPARE(e.prompter.last(), said);
    QCOMPARE(e.rows(QStringLiteral("语文")), 2);
}

void TestDrawDialogs::deleteRemovesTheSubject() {
    Env e;
    const QString quoted = QStringLiteral("O'Neil 英语");
    e.saved(quoted, QStringLiteral("2026-06-07 09:00:00"));
    e.saved(QStringLiteral("数学"), QStringLiteral("2026-06-07 15:00:00"));
    e.prompter.answers = {true};
    Frm加载数据 d(e.st, e.fake.services);
    const LoadControls c(d);
    c.list->setCurrentIndex(1);
    c.remove->click();
    QCOMPARE(e.prompter.said.size(), 1);
    QCOMPARE(e.rows(quoted), 0);
    QCOMPARE(e.rows(QStringLiteral("数学")), 2);
    QCOMPARE(e.entries(c.list), (QStringList{QStringLiteral("数学 # 2026-06-07 15:00:00"), kInitialEntry}));
}

void TestDrawDialogs::projectChoiceList() {
    Env e;
    const int second = e.t.addProject(QStringLiteral("高考"));
    const int retired = e.t.addProject(QStringLiteral("旧考试"));
    e.t.db->exec(QStringLiteral("update 考点设置 set 状态='停用' where 编号=?"), {retired});
    e.st.DQXM = retired;
    e.st.project.examName = QStringLiteral("旧考试");
    Frm选项目 d(e.st, e.fake.services);
    const ProjectChoiceControls c(d);
    QCOMPARE(d.windowTitle(), QStringLiteral("选择抽签项目"));
    QCOMPARE(control<QLabel>(&d, QStringLiteral("Label3"))->text(),
             QStringLiteral("　　 具体情况见参数设置相关项目"));
    QCOMPARE(e.entries(c.list), (QStringList{QStringLiteral("%1#.中考").arg(e.project),
                                             QStringLiteral("%1#.高考").arg(second)}));
    // The project in use is shown even when it is no longer offered.
    QCOMPARE(c.list->currentText(), QStringLiteral("%1#.旧考试").arg(retired));
    c.ok->click();
    QCOMPARE(e.st.DQXM, retired);

    Frm选项目 again(e.st, e.fake.services);
    const ProjectChoiceControls other(again);
    other.list->setCurrentIndex(1);
    other.ok->click();
    QCOMPARE(e.st.DQXM, second);
    // For this run only: the stored current project stays.
    QCOMPARE(e.t.db->scalar(QStringLiteral("select 当前项目 from 系统设置")).toInt(), 1);
    QVERIFY(e.prompter.said.isEmpty());
}

void TestDrawDialogs::projectChoiceText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("project");
    QTest::newRow("number before #") << QStringLiteral(" 7 #.任意") << 7;
    QTest::newRow("number without #") << QStringLiteral("8") << 8;
    QTest::newRow("no number") << QStringLiteral("中考") << 1;
    QTest::newRow("text before #") << QStringLiteral("abc#.中考") << 1;
    QTest::newRow("beyond 16 bits") << QStringLiteral("40000#.中考") << 1;
    QTest::newRow("empty") << QString() << 1;
}

void TestDrawDialogs::projectChoiceText() {
    QFETCH(QString, typed);
    QFETCH(int, project);
    Env e;
    QCOMPARE(e.project, 1);
    Frm选项目 d(e.st, e.fake.services);
    const ProjectChoiceControls c(d);
    c.list->setEditText(typed);
    c.ok->click();
    QCOMPARE(e.st.DQXM, project);
}

QTEST_MAIN(TestDrawDialogs)
#include "test_draw_dialogs.moc"
