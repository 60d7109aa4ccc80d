#include "test_db.h"

#include "store/working_set.h"

#include <QTest>

using namespace engine;

namespace {

const QString kInvigilator = QStringLiteral("监考员");
const QString kA = QStringLiteral("甲");
const QString kB = QStringLiteral("乙");

QString key(const TallyRow& row) {
    return row.key.isNull() ? QStringLiteral("<NULL>") : row.key.toString();
}

QMap<QString, int> tally(const QVector<TallyRow>& rows) {
    QMap<QString, int> out;
    for (const TallyRow& r : rows)
        out.insert(key(r), r.count);
    return out;
}

} // namespace

class TestWorkingSet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roomsAreSortedAsText();
    void invigilatorsFillTheirColumns();
    void missingAndSurplusInvigilators();
    void talliesKeepNullKeys();
    void dutyLists();
    void otherProjectsAndKindsStayOut();
    void emptyProject();
};

void TestWorkingSet::roomsAreSortedAsText() {
    TestDb t;
    const int p = t.addProject();
    for (const char* room : {"9", "10", "2"})
        t.addRoom(p, QString::fromUtf8(room), QStringLiteral("甲") + room, QStringLiteral("乙") + room);
    const WorkingSet ws = loadWorkingSet(*t.db, p);
    QCOMPARE(ws.roomCount(), 3);
    QCOMPARE(ws.rooms[1].room(), QStringLiteral("10"));
    QCOMPARE(ws.rooms[2].room(), QStringLiteral("2"));
    QCOMPARE(ws.rooms[3].room(), QStringLiteral("9"));
    QCOMPARE(ws.rooms[1].aName(), QStringLiteral("甲10"));
    QCOMPARE(ws.rooms[3].bName(), QStringLiteral("乙9"));
}

void TestWorkingSet::invigilatorsFillTheirColumns() {
    TestDb t;
    const int p = t.addProject();
    t.addStaff(p, kInvigilator, QStringLiteral("001"), kA, QStringLiteral("O'Neil"), QStringLiteral("女"),
               QStringLiteral("二中"));
    t.addStaff(p, kInvigilator, QStringLiteral("001"), kB, QStringLiteral("李四"), QVariant(), QVariant());
    const WorkingSet ws = loadWorkingSet(*t.db, p);
    QCOMPARE(ws.roomCount(), 1);
    const RosterRow& r = ws.rooms[1];
    QCOMPARE(r.col[1].toString(), QStringLiteral("O'Neil"));
    QCOMPARE(r.col[2].toString(), QStringLiteral("女"));
    QCOMPARE(r.col[3].toString(), QStringLiteral("二中"));
    QCOMPARE(r.col[4].toString(), QStringLiteral("13900000000"));
    QCOMPARE(r.col[5].toString(), QStringLiteral("ID-O'Neil"));
    QCOMPARE(r.col[6].toString(), QStringLiteral("李四"));
    QVERIFY(r.col[7].isNull()); // NULL stays NULL: it equals nothing in the draw
    QVERIFY(r.col[8].isNull());
    QVERIFY(r.supervisor.isEmpty());
}

void TestWorkingSet::missingAndSurplusInvigilators() {
    TestDb t;
    const int p = t.addProject();
    t.addStaff(p, kInvigilator, QStringLiteral("001"), kB, QStringLiteral("只有乙"));
    t.addStaff(p, kInvigilator, QStringLiteral("002"), kA, QStringLiteral("只有甲"));
    t.addStaff(p, kInvigilator, QStringLiteral("003"), kA, QStringLiteral("先来的甲"));
    t.addStaff(p, kInvigilator, QStringLiteral("003"), kA, QStringLiteral("后来的甲"));
    t.addStaff(p, kInvigilator, QStringLiteral("004"), QStringLiteral("丙"), QStringLiteral("丙某"));
    const WorkingSet ws = loadWorkingSet(*t.db, p);
    QCOMPARE(ws.roomCount(), 4); // a room with only an odd duty still counts
    QVERIFY(ws.rooms[1].col[1].isNull());
    QCOMPARE(ws.rooms[1].bName(), QStringLiteral("只有乙"));
    QCOMPARE(ws.rooms[2].aName(), QStringLiteral("只有甲"));
    QVERIFY(ws.rooms[2].col[6].isNull());
    QCOMPARE(ws.rooms[3].aName(), QStringLiteral("后来的甲"));
    QVERIFY(ws.rooms[4].col[1].isNull() && ws.rooms[4].col[6].isNull());
}

// Two B invigilators of different sexes and one without: three rows, one with a NULL key.
void TestWorkingSet::talliesKeepNullKeys() {
    TestDb t;
    const int p = t.addProject();
    t.addStaff(p, kInvigilator, QStringLiteral("001"), kB, QStringLiteral("乙1"), QStringLiteral("男"),
               QStringLiteral("一中"));
    t.addStaff(p, kInvigilator, QStringLiteral("002"), kB, QStringLiteral("乙2"), QStringLiteral("女"),
               QVariant());
    t.addStaff(p, kInvigilator, QStringLiteral("003"), kB, QStringLiteral("乙3"), QVariant(), QVariant());
    t.addStaff(p, kInvigilator, QStringLiteral("003"), kA, QStringLiteral("甲3"), QStringLiteral("女"),
               QStringLiteral("三中"));
    const WorkingSet ws = loadWorkingSet(*t.db, p);
    QCOMPARE(tally(ws.genderTally), (QMap<QString, int>{{"男", 1}, {"女", 1}, {"<NULL>", 1}}));
    QCOMPARE(tally(ws.unitTally), (QMap<QString, int>{{"一中", 1}, {"<NULL>", 2}}));
}

void TestWorkingSet::dutyLists() {
    TestDb t;
    const int p = t.addProject();
    t.addRoom(p, QStringLiteral("001"), QStringLiteral("甲"), QStringLiteral("乙"));
    t.addStaff(p, QStringLiteral("场外监考"), QStringLiteral("2"), {}, QStringLiteral("王五"), QVariant(),
               QVariant(), QVariant());
    t.addStaff(p, QStringLiteral("场外监考"), QStringLiteral("1"), {}, QStringLiteral("赵六"),
               QStringLiteral("男"), QStringLiteral("一中"), QStringLiteral("001,002"));
    t.addStaff(p, QStringLiteral("验卷"), QStringLiteral("1"), {}, QStringLiteral("钱七"),
               QStringLiteral("女"), QStringLiteral("二中"), QStringLiteral("003"));
    const WorkingSet ws = loadWorkingSet(*t.db, p);
    QCOMPARE(ws.supervisorCount(), 2);
    const DutyRow& first = ws.supervisors[1];
    QCOMPARE(first.row, QStringLiteral("1"));
    QCOMPARE(first.room, QStringLiteral("1"));
    QCOMPARE(first.name, QStringLiteral("赵六"));
    QCOMPARE(first.sex, QStringLiteral("男"));
    QCOMPARE(first.unit, QStringLiteral("一中"));
    QCOMPARE(first.scope, QStringLiteral("001,002"));
    QCOMPARE(first.id, QStringLiteral("ID-赵六"));
    const DutyRow& second = ws.supervisors[2];
    QCOMPARE(second.row, QStringLiteral("2"));
    QCOMPARE(second.name, QStringLiteral("王五"));
    QVERIFY(second.sex.isEmpty() && second.unit.isEmpty() && second.scope.isEmpty());
    const QVector<DutyRow> checkers = loadDutyList(*t.db, p, QStringLiteral("验卷"));
    QCOMPARE(checkers.size(), 2);
    QCOMPARE(checkers[1].name, QStringLiteral("钱七"));
    QCOMPARE(checkers[1].scope, QStringLiteral("003"));
}

void TestWorkingSet::otherProjectsAndKindsStayOut() {
    TestDb t;
    const int p = t.addProject();
    const int other = t.addProject(QStringLiteral("别的考试"));
    t.addRoom(p, QStringLiteral("001"), QStringLiteral("甲1"), QStringLiteral("乙1"));
    t.addRoom(other, QStringLiteral("002"), QStringLiteral("甲2"), QStringLiteral("乙2"));
    t.addStaff(p, QStringLiteral("场外监考"), QStringLiteral("003"), kA, QStringLiteral("场外甲"));
    const WorkingSet ws = loadWorkingSet(*t.db, p);
    QCOMPARE(ws.roomCount(), 1);
    QCOMPARE(ws.rooms[1].room(), QStringLiteral("001"));
    QCOMPARE(ws.genderTally.size(), 1);
    QCOMPARE(ws.genderTally[0].count, 1);
    QCOMPARE(ws.supervisorCount(), 1);
}

void TestWorkingSet::emptyProject() {
    TestDb t;
    const WorkingSet ws = loadWorkingSet(*t.db, t.addProject());
    QCOMPARE(ws.roomCount(), 0);
    QCOMPARE(ws.supervisorCount(), 0);
    QVERIFY(ws.genderTally.isEmpty() && ws.unitTally.isEmpty());
}

QTEST_GUILESS_MAIN(TestWorkingSet)
#include "test_working_set.moc"
