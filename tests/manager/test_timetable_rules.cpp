#include "manager/timetable_rules.h"
#include "test_db.h"

#include <QTest>

using namespace manager;

class TestTimetableRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checks_data();
    void checks();
    void storedAsTypedIsNormalised();
    void fillCopiesEveryStandardRow();
};

void TestTimetableRules::checks_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("message"); // 0 accepted, else the check that refuses
    const QString day = QStringLiteral("2026-6-7 9:00");
    QTest::newRow("30 minutes") << "语文" << day << "30" << 0;
    QTest::newRow("180 minutes") << "语文" << day << "180" << 0;
    QTest::newRow("29.5 minutes") << "语文" << day << "29.5" << 6;
    QTest::newRow("180.5 minutes") << "语文" << day << "180.5" << 5;
    QTest::newRow("non-numeric duration") << "语文" << day << "两小时" << 4;
    QTest::newRow("empty duration") << "语文" << day << "" << 4;
    QTest::newRow("nan is no number") << "语文" << day << "nan" << 4;
    QTest::newRow("empty subject") << ""
                                   << ""
                                   << "" << 1;
    QTest::newRow("slash") << "语/数" << day << "90" << 2;
    QTest::newRow("colon") << "语:数" << day << "90" << 2;
    QTest::newRow("double quote") << "语\"数" << day << "90" << 2;
    QTest::newRow("leading space") << " 语文" << day << "90" << 2;
    QTest::newRow("trailing space") << "语文 " << day << "90" << 0;
    QTest::newRow("100 characters") << QString(100, u'科') << day << "90" << 0;
    QTest::newRow("101 characters") << QString(101, u'科') << day << "90" << 7;
    QTest::newRow("quote mark") << "理'综" << day << "90" << 0;
    QTest::newRow("the example start") << "语文"
                                       << "2005-6-7 9:00"
                                       << "90" << 0;
    QTest::newRow("month 13") << "语文"
                              << "2005-13-7 9:00"
                              << "90" << 3;
    QTest::newRow("empty start") << "语文"
                                 << ""
                                 << "90" << 3;
}

void TestTimetableRules::checks() {
    QFETCH(QString, subject);
    QFETCH(QString, start);
    QFETCH(QString, minutes);
    QFETCH(int, message);
    const QVector<FieldError> expected = {
        {u"科目为必填项目！"_qs, u"Txt科目"_qs},
        {u"科目中存在不能用作文件名的字符，将导致无法输出报表！"_qs, u"Txt科目"_qs},
        {u"开考时间必须常规日期格式！\n\n比如: 2005-6-7 9:00"_qs, u"Txt开考时间"_qs},
        {u"持续时间必须为数字！"_qs, u"Txt持续时间"_qs},
        {u"考试时间不会超过180分钟哦？！如确实需要，请定制软件。"_qs, u"Txt持续时间"_qs},
        {u"考试时间不会小于30分钟哦？！时间应该是以分钟为单位。"_qs, u"Txt持续时间"_qs},
        {u"科目不能超过100个字符！"_qs, u"Txt科目"_qs},
    };
    const std::optional<FieldError> e = checkTimetable({subject, start, minutes});
    if (message == 0)
        QVERIFY2(!e, qPrintable(e ? e->text : QString()));
    else
        QCOMPARE(e, std::optional<FieldError>(expected[message - 1]));
}

void TestTimetableRules::storedAsTypedIsNormalised() {
    TestDb t;
    const int p = t.addProject();
    t.db->exec(
        u"insert into 时间安排 (项目编号, 科目, 开考时间, 时长, 分类) values (?, '模板', '2026-01-01 08:00:00', 60, '中考')"_qs,
        {p});
    RecordSource source(*t.db, timetableDefinition(p));
    source.insert(timetableFields({u"理'综"_qs, u"2005-6-7 9:00"_qs, u"90.5"_qs}, p));
    RecordPager pager(5);
    const Page page = readPage(source, pager);
    QCOMPARE(pager.count(), 1);
    QCOMPARE(page.rows.front(), u"1.  理'综  2005-06-07 09:00:00  90.5分钟"_qs);
    const TimetableInput shown = shownTimetable(page.current());
    QCOMPARE(shown.subject, u"理'综"_qs);
    QVERIFY(!checkTimetable(shown));
}

void TestTimetableRules::fillCopiesEveryStandardRow() {
    TestDb t;
    db::insertTemplateTimetables(*t.db);
    // More rows than a fixed table of 100 would take, and a leap day.
    for (int i = 0; i < 110; ++i)
        t.db->exec(
            u"insert into 时间安排 (项目编号, 科目, 开考时间, 时长, 分类) values (0, ?, '2026-07-01 08:00:00', 60, '高考')"_qs,
            {QStringLiteral("加试%1").arg(i)});
    t.db->exec(
        u"insert into 时间安排 (项目编号, 科目, 开考时间, 时长, 分类) values (0, '闰日', '2024-02-29 08:00:00', 60, '高考')"_qs);
    const int standard = t.db->scalar(u"select count(*) from 时间安排 where 分类='高考'"_qs).toInt();
    const int p = t.addProject();
    QCOMPARE(fillFromStandard(*t.db, p, StandardTimetable::Gaokao, 2031), standard);

    const db::Rows rows =
        t.db->query(u"select * from 时间安排 where 项目编号=? order by 开考时间, 编号"_qs, {p});
    QCOMPARE(rows.size(), standard);
    QCOMPARE(db::text(rows[0], u"开考时间"_qs), u"2031-02-28 08:00:00"_qs);
    QCOMPARE(db::text(rows[1], u"科目"_qs), u"语文"_qs);
    QCOMPARE(db::text(rows[1], u"开考时间"_qs), u"2031-06-07 09:00:00"_qs);
    QCOMPARE(db::text(rows[1], u"时长"_qs), u"150"_qs);
    QCOMPARE(
        t.db->scalar(u"select count(*) from 时间安排 where 项目编号=? and 分类 is not null"_qs, {p}).toInt(),
        0);
    QCOMPARE(t.db->scalar(u"select count(*) from 时间安排 where 项目编号=? and 科目='物理'"_qs, {p}).toInt(),
             1);
}

QTEST_GUILESS_MAIN(TestTimetableRules)
#include "test_timetable_rules.moc"
