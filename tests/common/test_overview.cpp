#include "common/overview.h"
#include "db/schema.h"
#include "test_db.h"

#include <QTest>

using namespace common;

namespace {

const QString R = QString(50, QLatin1Char('-'));

QString head(const QString& exam, const QString& site, const QString& address, const QString& person,
             const QString& phone) {
    return "\n Vardel             监考员随机编排系统\n" + R + "\n 考试名称: " + exam +
           "\n 考点名称: " + site + "\n 考点地点: " + address + "\n 负 责 人: " + person + "  " + phone +
           "\n" + R;
}

QString counts(int rooms, int a, int aFemale, int b, int bFemale) {
    return QStringLiteral("\n 考室数量: %1\n 监考员甲: %2(其中%3女)\n 监考员乙: %4(其中%5女)\n")
               .arg(rooms)
               .arg(a)
               .arg(aFemale)
               .arg(b)
               .arg(bFemale) +
           R;
}

const QString kDrawTail = "\n 修改以上数据请在系统设置模块操作!\n 建议屏幕分辨率1024*768\n" + R +
                          "\n 抽签过程全程公开，结果当场保存，欢迎监督。\n" + R + "\n 祝考试顺利！";

} // namespace

class TestOverview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawProgramText();
    void managerProgramText();
    void staffCounts_data();
    void staffCounts();
    void dutyParameterLines_data();
    void dutyParameterLines();
    void missingProjectKeepsMembers();
    void projectDataOnly();
    void storedRuleValues_data();
    void storedRuleValues();
};

void TestOverview::drawProgramText() {
    TestDb t;
    const int p = t.addProject(QStringLiteral("2026年中考"), QStringLiteral("一中考点"));
    t.db->exec(QStringLiteral(
                   "update 考点设置 set 考点地点='文化路1号', 负责人='张三', 联系电话='123' where 编号=?"),
               {p});
    t.addSubject(p, QStringLiteral("数学"), QStringLiteral("2026-06-20 14:30:00"), 120);
    t.addSubject(p, QStringLiteral("语文"), QStringLiteral("2026-06-20 08:30:00"), 150);
    t.addRoom(p, QStringLiteral("001"), QStringLiteral("甲一"), QStringLiteral("乙一"));
    t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("002"), QStringLiteral("甲"),
               QStringLiteral("甲二"), QStringLiteral("女"));
    t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("002"), QStringLiteral("乙"),
               QStringLiteral("乙二"));
    RunState s;
    s.DQXM = p;
    const Overview o = 读参数(*t.db, s, OverviewProgram::Draw);
    QVERIFY(o.projectFound);
    const QString expected = head("2026年中考", "一中考点", "文化路1号", "张三", "123") +
                             "\n 语文　2026-06-20 08:30:00　150分钟\n 数学　2026-06-20 14:30:00　120分钟\n" +
                             R + counts(2, 2, 1, 2, 0) + kDrawTail;
    QCOMPARE(o.text, expected);
    QCOMPARE(s.SubjectTable.size(), 2);
    QCOMPARE(s.SubjectTable[0].subject, QStringLiteral("语文"));
    QCOMPARE(s.KSS, 2);
    QVERIFY(!s.StaffMismatch);
    QCOMPARE(s.project.examName, QStringLiteral("2026年中考"));
    QCOMPARE(s.project.rowsPerPage, 25);
}

void TestOverview::managerProgramText() {
    TestDb t;
    const int p = t.addProject(QStringLiteral("高考"), QStringLiteral("二中"));
    t.db->exec(QStringLiteral("update 考点设置 set 抽签模式=1, 最大性别组合=1, 场外与验卷抽签=1, "
                              "允许抽签时修改参数=0 where 编号=?"),
               {p});
    t.addStaff(p, QStringLiteral("场外监考"), QStringLiteral("01"), {}, QStringLiteral("场外一"));
    t.addStaff(p, QStringLiteral("验卷"), QStringLiteral("01"), {}, QStringLiteral("验卷一"));
    t.addStaff(p, QStringLiteral("验卷"), QStringLiteral("02"), {}, QStringLiteral("验卷二"));
    RunState s;
    s.DQXM = p;
    const Overview o = 读参数(*t.db, s, OverviewProgram::Manager);
    const QString expected =
        head("高考", "二中", "", "", "") + "\n 未见考试科目与时间安排！\n" + R + counts(0, 0, 0, 0, 0) +
        "\n 场外监考: 1\n 验　　卷: 2\n" + R +
        "\n 监考员抽签模式: 仅抽乙不动甲\n 监考员重回考室: 未限制\n 已搭档监考员再搭档: 未限制"
        "\n 异性组合: 尽量避免\n 异校组合: 未限制\n 抽场外: 同步抽签\n 抽验卷: 同步抽签"
        "\n 抽签时修改参数: 不允许\n" +
        R + "\n 监考员抽签与打印等在抽签模块操作!\n" + R + "\n 抽签过程全程公开，结果当场保存，欢迎监督。\n" +
        R + "\n 祝考试顺利！";
    QCOMPARE(o.text, expected);
}

void TestOverview::staffCounts_data() {
    QTest::addColumn<int>("rooms");
    QTest::addColumn<int>("withB");
    QTest::addColumn<bool>("twoAInFirst");
    QTest::addColumn<QString>("countText");
    QTest::addColumn<bool>("mismatch");
    QTest::newRow("12 rooms, 11 B") << 12 << 11 << false << counts(12, 12, 0, 11, 0) << true;
    QTest::newRow("two A in one group count once") << 3 << 3 << true << counts(3, 3, 0, 3, 0) << false;
    QTest::newRow("no invigilators") << 0 << 0 << false << counts(0, 0, 0, 0, 0) << false;
}

void TestOverview::staffCounts() {
    QFETCH(int, rooms);
    QFETCH(int, withB);
    QFETCH(bool, twoAInFirst);
    QFETCH(QString, countText);
    QFETCH(bool, mismatch);
    TestDb t;
    const int p = t.addProject();
    for (int i = 1; i <= rooms; ++i) {
        const QString room = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        t.addStaff(p, QStringLiteral("监考员"), room, QStringLiteral("甲"), QStringLiteral("甲%1").arg(i));
        if (i <= withB)
            t.addStaff(p, QStringLiteral("监考员"), room, QStringLiteral("乙"),
                       QStringLiteral("乙%1").arg(i));
    }
    if (twoAInFirst)
        t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("001"), QStringLiteral("甲"),
                   QStringLiteral("又一个甲"), QStringLiteral("女"));
    RunState s;
    s.DQXM = p;
    const Overview o = 读参数(*t.db, s, OverviewProgram::Draw);
    const QString expectedCounts = twoAInFirst ? counts(3, 3, 1, 3, 0) : countText;
    QVERIFY2(o.text.contains(expectedCounts), qPrintable(o.text));
    QCOMPARE(s.StaffMismatch, mismatch);
    QCOMPARE(s.KSS, rooms);
}

void TestOverview::dutyParameterLines_data() {
    QTest::addColumn<int>("dutyDraw");
    QTest::addColumn<int>("allowReturn");
    QTest::addColumn<QString>("lines");
    QTest::newRow("outside only")
        << 2 << 1
        << " 监考员重回考室: 未限制\n 已搭档监考员再搭档: 未限制\n 异性组合: 未限制\n "
           "异校组合: 未限制\n 抽场外: 同步抽签\n 抽验卷: 不抽签";
    QTest::newRow("checkers only")
        << 3 << 1
        << " 监考员重回考室: 未限制\n 已搭档监考员再搭档: 未限制\n 异性组合: 未限制\n "
           "异校组合: 未限制\n 抽场外: 不抽签\n 抽验卷: 同步抽签";
    QTest::newRow("return undecided")
        << 0 << 2
        << " 监考员重回考室: 不允许\n 已搭档监考员再搭档: 未限制\n 异性组合: 未限制\n "
           "异校组合: 未限制\n 抽场外: 不抽签\n 抽验卷: 不抽签";
}

void TestOverview::dutyParameterLines() {
    QFETCH(int, dutyDraw);
    QFETCH(int, allowReturn);
    QFETCH(QString, lines);
    ProjectSettings s;
    s.dutyDraw = DutyDraw(dutyDraw);
    s.allowReturn = RuleState(allowReturn);
    s.allowRepartner = RuleState::On;
    s.drawMode = DrawMode(7);
    const QString block = parameterBlock(s);
    QCOMPARE(block, " 监考员抽签模式: 仅抽甲不动乙\n" + lines + "\n 抽签时修改参数: 不允许");
}

void TestOverview::missingProjectKeepsMembers() {
    TestDb t;
    RunState s;
    s.DQXM = 99;
    s.project.examName = QStringLiteral("旧名称");
    const Overview o = 读参数(*t.db, s, OverviewProgram::Draw);
    QVERIFY(!o.projectFound);
    QCOMPARE(s.project.examName, QStringLiteral("旧名称"));
    QCOMPARE(s.project.textColour, QStringLiteral("0,0,0"));
    QCOMPARE(s.project.backColour, QStringLiteral("255,255,0"));
    QVERIFY(o.text.contains(QStringLiteral("\n 考试名称: 旧名称\n")));
}

void TestOverview::projectDataOnly() {
    TestDb t;
    db::insertTemplateTimetables(*t.db);
    const int coloured = t.addProject();
    const int plain = t.addProject(QStringLiteral("无颜色"));
    t.db->exec(QStringLiteral("update 考点设置 set 文字色='1,2,3', 底色='4,5,6' where 编号=?"), {coloured});
    t.db->exec(QStringLiteral("update 考点设置 set 文字色=null, 底色=null where 编号=?"), {plain});
    RunState s;
    s.DQXM = coloured;
    读参数(*t.db, s, OverviewProgram::Draw);
    QCOMPARE(s.project.textColour + u'/' + s.project.backColour, QStringLiteral("1,2,3/4,5,6"));
    s.DQXM = plain;
    读参数(*t.db, s, OverviewProgram::Draw);
    QCOMPARE(s.project.textColour + u'/' + s.project.backColour, QStringLiteral("0,0,0/255,255,0"));
    // Without a current project the standard timetables are not its subjects.
    s.DQXM = 0;
    读参数(*t.db, s, OverviewProgram::Draw);
    QVERIFY(s.SubjectTable.isEmpty());
}

void TestOverview::storedRuleValues_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("read");
    // A file migrated from the older system, or edited by hand, may hold its "true", -1.
    QTest::newRow("-1, the older true") << -1 << int(RuleState::On);
    QTest::newRow("5") << 5 << int(RuleState::On);
    QTest::newRow("2, decided at the draw") << 2 << int(RuleState::Undecided);
    QTest::newRow("0") << 0 << int(RuleState::Off);
}

void TestOverview::storedRuleValues() {
    QFETCH(int, stored);
    QFETCH(int, read);
    TestDb t;
    RunState s;
    s.DQXM = t.addProject();
    t.db->exec(QStringLiteral(
                   "update 考点设置 set 允许重回原考室=?, 允许甲乙再搭档=?, 最大性别组合=?, 最大异校搭档=?"),
               {stored, stored, stored, stored});
    QVERIFY(readProjectSettings(*t.db, s));
    for (const RuleState r : {s.project.allowReturn, s.project.allowRepartner, s.project.fewerSameGender,
                              s.project.fewerSameUnit})
        QCOMPARE(int(r), read);
}

QTEST_GUILESS_MAIN(TestOverview)
#include "test_overview.moc"
