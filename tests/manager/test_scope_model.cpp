#include "manager/scope_model.h"
#include "test_db.h"

#include <QTest>

using namespace manager;

namespace {

QString room(int k) {
    return QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
}

// Rooms 001 to `rooms` with their invigilators, and `supervisors` outside supervisors with
// group numbers 001, 002, ... and the scopes given (the rest have none).
struct ScopeDb : TestDb {
    int p = addProject();
    ScopeDb(int rooms, int supervisors, const QStringList& scopes = {}) {
        db::Transaction batch(*db);
        for (int k = 1; k <= rooms; ++k)
            addRoom(p, room(k), QStringLiteral("甲%1").arg(k), QStringLiteral("乙%1").arg(k));
        for (int j = 1; j <= supervisors; ++j)
            addStaff(p, u"场外监考"_qs, room(j), u"场外监考"_qs, QStringLiteral("场外%1").arg(j), u"男"_qs,
                     u"一中"_qs, j <= scopes.size() ? QVariant(scopes[j - 1]) : QVariant());
        batch.commit();
    }
    QString scopeOf(int supervisor) {
        return db
            ->scalar(u"select 责任范围 from 人员安排 where 分类='场外监考' and 姓名=?"_qs,
                     {QStringLiteral("场外%1").arg(supervisor)})
            .toString();
    }
};

QString ticked(const QVector<RoomBox>& boxes) {
    QStringList out;
    for (const RoomBox& b : boxes) {
        if (b.ticked)
            out << b.room;
    }
    return out.join(QLatin1Char(','));
}

QVector<bool> ticks(const QVector<RoomBox>& boxes) {
    QVector<bool> out;
    for (const RoomBox& b : boxes)
        out << b.ticked;
    return out;
}

} // namespace

class TestScopeModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scopeTicksItsRooms();
    void roomsOfOthersAreNeverSaved();
    void oneToOneNeedsOnePersonPerRoom_data();
    void oneToOneNeedsOnePersonPerRoom();
    void emptyCategory();
    void scopesAreListsNotText();
    void roomsBeyondTheGridAreKept();
};

void TestScopeModel::scopeTicksItsRooms() {
    ScopeDb t(12, 2, {u"003,004"_qs});
    ScopeModel m(*t.db, t.p);
    m.refresh();
    QCOMPARE(m.rooms().size(), 12);
    QCOMPARE(m.page().rows.front(), u"001 场外1 男"_qs);
    QCOMPARE(ticked(m.boxes()), u"003,004"_qs);
    QVERIFY(m.editEnabled());

    // The second supervisor: nothing ticked, 003 and 004 taken.
    QVERIFY(m.pager().clickRow(1));
    m.refresh();
    QCOMPARE(ticked(m.boxes()), QString());
    QVERIFY(!m.boxes()[2].enabled && !m.boxes()[3].enabled && m.boxes()[4].enabled);

    // Saving with nothing ticked stores an empty scope.
    m.save(ticks(m.boxes()));
    QCOMPARE(t.scopeOf(2), QString());
}

void TestScopeModel::roomsOfOthersAreNeverSaved() {
    ScopeDb t(12, 2, {{}, u"005"_qs});
    ScopeModel m(*t.db, t.p);
    m.refresh();
    QVector<bool> boxes = ticks(m.boxes());
    ScopeModel::selectAll(boxes);
    m.save(boxes);
    QCOMPARE(t.scopeOf(1), u"001,002,003,004,006,007,008,009,010,011,012"_qs);
    QCOMPARE(t.scopeOf(2), u"005"_qs);

    ScopeModel::invert(boxes);
    boxes[4] = true; // 005, ticked by hand while disabled
    m.save(boxes);
    QCOMPARE(t.scopeOf(1), QString());
}

void TestScopeModel::oneToOneNeedsOnePersonPerRoom_data() {
    QTest::addColumn<int>("supervisors");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("12 for 12 rooms") << 12 << true;
    QTest::newRow("11 for 12 rooms") << 11 << false;
}

void TestScopeModel::oneToOneNeedsOnePersonPerRoom() {
    QFETCH(int, supervisors);
    ScopeDb t(12, supervisors, {u"009"_qs});
    ScopeModel m(*t.db, t.p);
    m.pager().setTop(3);
    m.refresh();
    QTEST(m.oneToOneEnabled(), "enabled");
    if (!m.oneToOneEnabled())
        return;
    m.oneToOne();
    for (int j = 1; j <= supervisors; ++j)
        QCOMPARE(t.scopeOf(j), room(j));
    QCOMPARE(m.pager().top(), 1);
    QCOMPARE(ticked(m.boxes()), u"001"_qs);
}

void TestScopeModel::emptyCategory() {
    ScopeDb t(12, 3);
    ScopeModel m(*t.db, t.p);
    m.setCategory(DutyCategory::PaperCheck);
    m.refresh();
    QCOMPARE(m.people(), 0);
    QVERIFY(!m.editEnabled());
    QCOMPARE(m.boxes().size(), 12);
    for (const RoomBox& b : m.boxes())
        QVERIFY(!b.enabled && !b.ticked);
    QCOMPARE(scopeHeading(m.category()), u"验卷责任范围"_qs);
}

void TestScopeModel::scopesAreListsNotText() {
    TestDb t;
    const int p = t.addProject();
    for (const QString& r : {u"1"_qs, u"10"_qs, u"11"_qs})
        t.addRoom(p, r, u"甲"_qs + r, u"乙"_qs + r);
    t.addStaff(p, u"场外监考"_qs, u"1"_qs, u"场外监考"_qs, u"场外甲"_qs, u"男"_qs, u"一中"_qs, u"10, 11"_qs);
    t.addStaff(p, u"场外监考"_qs, u"2"_qs, u"场外监考"_qs, u"场外乙"_qs, u"男"_qs, u"一中"_qs, u"10,11"_qs);
    ScopeModel m(*t.db, p);
    m.refresh();
    QCOMPARE(ticked(m.boxes()), u"10,11"_qs);
    QVERIFY(m.boxes()[0].enabled);
}

void TestScopeModel::roomsBeyondTheGridAreKept() {
    ScopeDb t(170, 1, {u"001,165"_qs});
    ScopeModel m(*t.db, t.p);
    m.refresh();
    QCOMPARE(m.boxes().size(), ScopeModel::kGridPlaces);
    QVERIFY(m.overflowText().contains(u"170"_qs));
    QVector<bool> boxes = ticks(m.boxes());
    boxes[1] = true;
    m.save(boxes);
    QCOMPARE(t.scopeOf(1), u"001,002,165"_qs);
}

QTEST_GUILESS_MAIN(TestScopeModel)
#include "test_scope_model.moc"
