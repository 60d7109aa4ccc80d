#include "manager/staff_roster.h"
#include "test_db.h"

#include <QTest>

using namespace manager;

namespace {

// Room 001 with two A (one of them a woman) and a B, room 002 with a female A, two outside
// supervisors and a paper checker; another project's people must never show.
struct RosterDb : TestDb {
    int p = addProject();
    RosterDb() {
        addStaff(p, u"监考员"_qs, u"001"_qs, u"甲"_qs, u"张　三"_qs, u"女"_qs);
        addStaff(p, u"监考员"_qs, u"001"_qs, u"甲"_qs, u"李　四"_qs);
        addStaff(p, u"监考员"_qs, u"001"_qs, u"乙"_qs, u"王　五"_qs);
        addStaff(p, u"监考员"_qs, u"002"_qs, u"甲"_qs, u"赵　六"_qs, u"女"_qs);
        addStaff(p, u"场外监考"_qs, u"001"_qs, u"场外监考"_qs, u"钱　七"_qs);
        addStaff(p, u"场外监考"_qs, u"002"_qs, u"场外监考"_qs, u"孙　八"_qs);
        addStaff(p, u"验卷"_qs, u"001"_qs, u"验卷"_qs, u"周　九"_qs);
        addStaff(addProject(), u"监考员"_qs, u"001"_qs, u"甲"_qs, u"外　人"_qs);
    }
    RecordSource source(RosterCategory c, RosterSubset s = RosterSubset::All) {
        return RecordSource(*db, rosterDefinition(p, c, s));
    }
};

} // namespace

class TestStaffRoster : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void views_data();
    void views();
    void checksInOrder_data();
    void checksInOrder();
    void savedNormalised_data();
    void savedNormalised();
    void summaryCountsGroups();
    void modifyKeepsTheCategory();
};

void TestStaffRoster::views_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("subset");
    QTest::addColumn<int>("count");
    const int inv = int(RosterCategory::Invigilators), duty = int(RosterCategory::Duties);
    QTest::newRow("invigilators") << inv << 0 << 4;
    QTest::newRow("A only") << inv << 1 << 3;
    QTest::newRow("B only") << inv << 2 << 1;
    QTest::newRow("both duties") << duty << 0 << 3;
    QTest::newRow("outside only") << duty << 1 << 2;
    QTest::newRow("paper check only") << duty << 2 << 1;
}

void TestStaffRoster::views() {
    QFETCH(int, category);
    QFETCH(int, subset);
    RosterDb t;
    QTEST(t.source(RosterCategory(category), RosterSubset(subset)).count(), "count");
}

void TestStaffRoster::checksInOrder_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("duty");
    QTest::addColumn<QString>("focus"); // empty: accepted
    QTest::addColumn<QString>("unit");
    const int inv = int(RosterCategory::Invigilators), duty = int(RosterCategory::Duties);
    QTest::newRow("no number before anything") << inv << ""
                                               << ""
                                               << ""
                                               << ""
                                               << "Txt编号" << QString();
    QTest::newRow("no name") << inv << "1"
                             << ""
                             << "男"
                             << "甲"
                             << "Txt姓名" << QString();
    QTest::newRow("blanks for a number") << inv << " \u3000"
                                         << "张三"
                                         << "男"
                                         << "甲"
                                         << "Txt编号" << QString();
    QTest::newRow("name of 31 characters") << inv << "1" << QString(31, u'长') << "男"
                                           << "甲"
                                           << "Txt姓名" << QString();
    QTest::newRow("name of 30 characters") << inv << "1" << QString(30, u'长') << "男"
                                           << "甲"
                                           << "" << QString();
    QTest::newRow("unit of 101 characters") << inv << "1"
                                            << "张三"
                                            << "男"
                                            << "甲"
                                            << "Txt单位" << QString(101, u'单');
    QTest::newRow("unit of 100 characters") << inv << "1"
                                            << "张三"
                                            << "男"
                                            << "甲"
                                            << "" << QString(100, u'单');
    QTest::newRow("sex typed") << inv << "1"
                               << "张三"
                               << "m"
                               << "甲"
                               << "Cmb性别" << QString();
    QTest::newRow("invigilator with a duty") << inv << "1"
                                             << "张三"
                                             << "女"
                                             << "验卷"
                                             << "Cmb安排" << QString();
    QTest::newRow("outside supervisor as A") << duty << "1"
                                             << "张三"
                                             << "女"
                                             << "甲"
                                             << "Cmb安排" << QString();
    QTest::newRow("invigilator B") << inv << "1"
                                   << "张三"
                                   << "女"
                                   << "乙"
                                   << "" << QString();
    QTest::newRow("paper checker") << duty << "1"
                                   << "张三"
                                   << "男"
                                   << "验卷"
                                   << "" << QString();
}

void TestStaffRoster::checksInOrder() {
    QFETCH(int, category);
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, sex);
    QFETCH(QString, duty);
    QFETCH(QString, focus);
    QFETCH(QString, unit);
    const std::optional<FieldError> e =
        checkRoster({number, name, sex, duty, unit, {}, {}}, RosterCategory(category));
    QCOMPARE(e ? e->focus : QString(), focus);
}

void TestStaffRoster::savedNormalised_data() {
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("storedNumber");
    QTest::addColumn<QString>("storedName");
    QTest::newRow("7 at 3, two characters") << 3 << "7"
                                            << "张 三"
                                            << "007"
                                            << "张　三";
    QTest::newRow("123 at 2, three characters") << 2 << "123"
                                                << "欧 阳 修"
                                                << "23"
                                                << "欧阳修";
    QTest::newRow("full-width 8 with blanks") << 3 << " ８ "
                                              << "李四"
                                              << "008"
                                              << "李　四";
    QTest::newRow("7 at 5, a quote") << 5 << "7"
                                     << "O'Neil"
                                     << "0007"
                                     << "O'Neil";
}

void TestStaffRoster::savedNormalised() {
    QFETCH(int, digits);
    QFETCH(QString, number);
    QFETCH(QString, name);
    RosterDb t;
    const RosterInput typed{number, name, u"男"_qs, u"甲"_qs, u"一'中"_qs, u"139'0"_qs, u"ID'1"_qs};
    const RosterInput saved = normalisedRoster(typed, digits);
    QTEST(saved.number, "storedNumber");
    QTEST(saved.name, "storedName");
    RecordSource source = t.source(RosterCategory::Invigilators);
    const int id = source.insert(newRosterFields(saved, t.p, RosterCategory::Invigilators));
    const db::Row row = t.db->query(u"select * from 人员安排 where 编号=?"_qs, {id}).front();
    QCOMPARE(shownRoster(row), saved);
    QCOMPARE(db::text(row, u"分类"_qs), u"监考员"_qs);
}

void TestStaffRoster::summaryCountsGroups() {
    RosterDb t;
    QCOMPARE(
        rosterSummary(*t.db, t.p),
        u"考场数: 2\r\n 甲监考: 2(2女)\r\n 乙监考: 1(0女)\r\n场　外: 2\r\n验　卷: 1\r\n可XLS批量导入！"_qs);
}

void TestStaffRoster::modifyKeepsTheCategory() {
    RosterDb t;
    RecordSource outside = t.source(RosterCategory::Duties, RosterSubset::Second);
    RecordPager pager(12);
    const Page page = readPage(outside, pager);
    RosterInput in = shownRoster(page.current());
    in.duty = u"验卷"_qs;
    QVERIFY(!checkRoster(in, RosterCategory::Duties));
    QVERIFY(outside.update(page.currentId(), rosterFields(normalisedRoster(in, 3), t.p)));
    QCOMPARE(outside.count(), 2);
    const db::Row row = t.db->query(u"select * from 人员安排 where 编号=?"_qs, {page.currentId()}).front();
    QCOMPARE(db::text(row, u"分类"_qs), u"场外监考"_qs);
    QCOMPARE(db::text(row, u"工作任务"_qs), u"验卷"_qs);

    // Added in the same category, the chosen duty is the category.
    const int id = outside.insert(newRosterFields(normalisedRoster(in, 3), t.p, RosterCategory::Duties));
    QCOMPARE(t.db->scalar(u"select 分类 from 人员安排 where 编号=?"_qs, {id}).toString(), u"验卷"_qs);
}

QTEST_GUILESS_MAIN(TestStaffRoster)
#include "test_staff_roster.moc"
