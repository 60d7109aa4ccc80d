#include "manager/edit_mode.h"
#include "manager/project_form.h"
#include "manager/record_pager.h"
#include "manager/record_source.h"
#include "manager/staff_roster.h"
#include "test_db.h"

#include <QTest>

using namespace manager;

class TestRecordGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pager_data();
    void pager();
    void editMode_data();
    void editMode();
    void pageReadsTheRecordsAtTheScrollPosition();
    void writesAreBoundAndLimitedToTheProject();
};

// Each case sets a count and a scroll position, then does one thing to the grid:
// "click i", "delete", "add" or "count n" (the count read at the next refresh).
void TestRecordGrid::pager_data() {
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("top");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expectedTop");
    QTest::addColumn<int>("expectedRows");
    QTest::addColumn<int>("expectedCount");
    QTest::newRow("no records") << 5 << 0 << 1 << "" << 1 << 0 << 0;
    QTest::newRow("N+1 from the second") << 5 << 6 << 2 << "" << 2 << 5 << 6;
    QTest::newRow("N+1 at the last") << 5 << 6 << 6 << "" << 6 << 1 << 6;
    QTest::newRow("click on an empty row") << 5 << 6 << 6 << "click 2" << 6 << 1 << 6;
    QTest::newRow("click row 3 from record 7") << 5 << 20 << 7 << "click 3" << 10 << 5 << 20;
    QTest::newRow("click row 0") << 5 << 20 << 7 << "click 0" << 7 << 5 << 20;
    QTest::newRow("delete the only record") << 5 << 1 << 1 << "delete" << 1 << 0 << 0;
    QTest::newRow("delete goes back to the first") << 12 << 30 << 17 << "delete" << 1 << 12 << 29;
    QTest::newRow("add goes to the last") << 12 << 30 << 1 << "add" << 31 << 1 << 31;
    QTest::newRow("count shrinks below the position") << 5 << 10 << 9 << "count 3" << 3 << 1 << 3;
    QTest::newRow("beyond 16 bits") << 12 << 40000 << 39990 << "" << 39990 << 11 << 40000;
}

void TestRecordGrid::pager() {
    QFETCH(int, pageSize);
    QFETCH(int, count);
    QFETCH(int, top);
    QFETCH(QString, action);
    RecordPager p(pageSize);
    p.setCount(count);
    p.setTop(top);
    const QStringList words = action.split(QLatin1Char(' '));
    if (words[0] == QLatin1String("click")) {
        QCOMPARE(p.clickRow(words[1].toInt()), words[1].toInt() < p.rows());
    } else if (action == QLatin1String("delete")) {
        p.afterDelete();
    } else if (action == QLatin1String("add")) {
        p.setCount(p.count() + 1);
        p.toLast();
    } else if (words[0] == QLatin1String("count")) {
        p.setCount(words[1].toInt());
    }
    QTEST(p.top(), "expectedTop");
    QTEST(p.rows(), "expectedRows");
    QTEST(p.count(), "expectedCount");
    QCOMPARE(p.hasCurrent(), p.rows() > 0);
    QCOMPARE(p.scrollEnabled(), p.count() > 0);
    QCOMPARE(p.scrollMaximum(), p.count());
}

// Presses of 追加 ("a") and 修改 ("m") from the normal state.
void TestRecordGrid::editMode_data() {
    QTest::addColumn<QString>("presses");
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<bool>("hasRecord");
    QTest::addColumn<int>("lastAction");
    QTest::addColumn<QString>("captions");
    QTest::addColumn<QString>("enabled"); // add, modify, delete as "1"/"0"
    using A = EditMode::Action;
    QTest::newRow("normal") << "" << true << true << -1 << "追加/修改"
                            << "111";
    QTest::newRow("not logged in") << "" << false << true << -1 << "追加/修改"
                                   << "000";
    QTest::newRow("enter add") << "a" << true << true << int(A::EnterAdd) << "确定/放弃"
                               << "110";
    QTest::newRow("confirm keeps adding until added")
        << "aa" << true << true << int(A::ConfirmAdd) << "确定/放弃"
        << "110";
    QTest::newRow("cancel") << "am" << true << true << int(A::CancelAdd) << "追加/修改"
                            << "111";
    QTest::newRow("modify") << "m" << true << true << int(A::Modify) << "追加/修改"
                            << "111";
    QTest::newRow("empty view, adding enables modify")
        << "a" << true << false << int(A::EnterAdd) << "确定/放弃"
        << "110";
    QTest::newRow("empty view") << "" << true << false << -1 << "追加/修改"
                                << "100";
}

void TestRecordGrid::editMode() {
    QFETCH(QString, presses);
    QFETCH(bool, loggedIn);
    QFETCH(bool, hasRecord);
    EditMode mode;
    int last = -1;
    for (const QChar c : presses)
        last = int(c == QLatin1Char('a') ? mode.pressAdd() : mode.pressModify());
    QTEST(last, "lastAction");
    QTEST(QString(mode.addCaption() + QLatin1Char('/') + mode.modifyCaption()), "captions");
    QCOMPARE(mode.modifyCancels(), mode.adding());
    const EditMode::Buttons b = mode.buttons(loggedIn, hasRecord);
    QTEST(QString(QString::number(b.add) + QString::number(b.modify) + QString::number(b.remove)), "enabled");
}

void TestRecordGrid::pageReadsTheRecordsAtTheScrollPosition() {
    TestDb t;
    for (int i = 1; i <= 7; ++i)
        t.addProject(QStringLiteral("考试%1").arg(i), QStringLiteral("考点%1").arg(i));
    const RecordSource source(*t.db, projectDefinition());
    RecordPager pager(5);
    readPage(source, pager);
    pager.setTop(6);
    const Page page = readPage(source, pager);
    QCOMPARE(pager.count(), 7);
    QCOMPARE(page.currentId(), 6);
    QCOMPARE(page.rows, (QStringList{u"6.考试6\n   考点6"_qs, u"7.考试7\n   考点7"_qs, {}, {}, {}}));

    t.db->exec(u"delete from 考点设置"_qs);
    const Page empty = readPage(source, pager);
    QCOMPARE(empty.rows, QStringList(5));
    QCOMPARE(pager.top(), 1);
    QVERIFY(!empty.hasCurrent());
}

void TestRecordGrid::writesAreBoundAndLimitedToTheProject() {
    TestDb t;
    const int p1 = t.addProject(), p2 = t.addProject();
    t.addStaff(p1, u"监考员"_qs, u"001"_qs, u"甲"_qs, u"张三"_qs);
    t.addStaff(p2, u"监考员"_qs, u"001"_qs, u"甲"_qs, u"李四"_qs);
    RecordSource roster(*t.db, rosterDefinition(p1, RosterCategory::Invigilators, RosterSubset::All));
    const int otherProjects = t.db->scalar(u"select 编号 from 人员安排 where 项目编号=?"_qs, {p2}).toInt();
    roster.remove(otherProjects);
    QCOMPARE(t.db->scalar(u"select count(*) from 人员安排"_qs).toInt(), 2);

    const QString quoted = u"O'Neil'); drop table 人员安排; --"_qs;
    const int id = roster.insert({{u"项目编号"_qs, p1}, {u"分类"_qs, u"监考员"_qs}, {u"姓名"_qs, quoted}});
    QCOMPARE(t.db->scalar(u"select 姓名 from 人员安排 where 编号=?"_qs, {id}).toString(), quoted);
    QVERIFY(roster.update(id, {{u"来源单位"_qs, quoted}}));
    QCOMPARE(t.db->scalar(u"select 来源单位 from 人员安排 where 编号=?"_qs, {id}).toString(), quoted);
    QVERIFY(!roster.update(9999, {{u"姓名"_qs, u"x"_qs}}));
    QCOMPARE(roster.count(), 2);

    // A write that fails leaves nothing behind and says why.
    QVERIFY_THROWS_EXCEPTION(db::DbError, roster.insert({{u"姓名"_qs, u"x"_qs}, {u"没有这列"_qs, 1}}));
    QCOMPARE(roster.count(), 2);
}

QTEST_GUILESS_MAIN(TestRecordGrid)
#include "test_record_grid.moc"
