#include "draw_fixtures.h"
#include "fakes.h"

#include "draw/draw_texts.h"

#include <QTest>

using namespace common;
using namespace engine;

using namespace fixture;

Q_DECLARE_METATYPE(QVector<HistoryRow>)

namespace {

// Duty history rows (序号 j, 甲 partner row) of `batches` saved draws, row j given row j+s.
QVector<HistoryRow> dutyShifted(int n, const QList<int>& shifts) {
    QVector<HistoryRow> rows;
    for (int s : shifts)
        for (int j = 1; j <= n; ++j)
            rows.push_back({j, (j - 1 + s) % n + 1, 0});
    return rows;
}

QString key(const QVector<int>& p) {
    QString s;
    for (int j = 1; j < p.size(); ++j)
        s += QString::number(p[j]) + QLatin1Char(',');
    return s;
}

// The duty draw as the rules state it, scans and all: the reference for the distribution.
QVector<int> literalDuty(int n, const QVector<HistoryRow>& history, RandomSource& random) {
    QVector<int> p(n + 1, 0);
    int counter = 0;
restart:
    p.fill(0);
    for (int j = 1; j <= n; ++j) {
        for (;;) {
            if (++counter > n * 10) {
                counter = 0;
                goto restart;
            }
            const int r = random.index(n);
            bool refused = false;
            for (int k = 1; k <= n; ++k)
                refused = refused || p[k] == r;
            for (const HistoryRow& h : history)
                refused = refused || (h.seq == j && h.a == r);
            if (!refused) {
                p[j] = r;
                break;
            }
        }
    }
    return p;
}

WorkingSet supervised(int rooms_, const QStringList& scopes) {
    WorkingSet ws = rooms(rooms_);
    for (int k = 0; k < scopes.size(); ++k)
        addSupervisor(ws, QStringLiteral("场外%1").arg(k + 1), scopes[k]);
    return ws;
}

} // namespace

class TestDutyDraw : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawKeepsItsRules_data();
    void drawKeepsItsRules();
    void drawFollowsTheLiteralRules();
    void uniformWithoutHistory();
    void impossibleIsReported_data();
    void impossibleIsReported();
    void roomDuties_data();
    void roomDuties();
    void engineDrawsTheSupervisors_data();
    void engineDrawsTheSupervisors();
};

void TestDutyDraw::drawKeepsItsRules_data() {
    QTest::addColumn<int>("people");
    QTest::addColumn<QVector<HistoryRow>>("history");
    QTest::addColumn<int>("check1");
    QTest::addColumn<int>("check");
    QTest::addColumn<bool>("identity");
    QTest::addColumn<bool>("historyRespected");
    QTest::newRow("drawn, history respected") << 6 << dutyShifted(6, {1, 2, 3, 4}) << 0 << 1 << false << true;
    QTest::newRow("returns allowed") << 6 << dutyShifted(6, {1, 2, 3, 4}) << 1 << 1 << false << false;
    QTest::newRow("grey return box allows") << 6 << dutyShifted(6, {1, 2, 3, 4}) << 2 << 1 << false << false;
    QTest::newRow("not drawn") << 6 << dutyShifted(6, {1}) << 0 << 0 << true << false;
    QTest::newRow("grey duty box: not drawn") << 6 << dutyShifted(6, {1}) << 0 << 2 << true << false;
    // With two people no history counts, even when handed some.
    QTest::newRow("two people") << 2 << dutyShifted(2, {1}) << 0 << 1 << false << false;
    QTest::newRow("nobody") << 0 << QVector<HistoryRow>{} << 0 << 1 << true << true;
}

void TestDutyDraw::drawKeepsItsRules() {
    QFETCH(int, people);
    QFETCH(QVector<HistoryRow>, history);
    QFETCH(int, check1);
    QFETCH(int, check);
    QFETCH(bool, identity);
    QFETCH(bool, historyRespected);
    FixedRandom random(31);
    bool repeated = false;
    for (int draw = 0; draw < 2000; ++draw) {
        QVector<int> p;
        const DrawResult r = drawDuty(people, history, RuleState(check1), RuleState(check), random, p);
        QCOMPARE(r.status, DrawStatus::Done);
        QVERIFY(isPermutation(p, people));
        for (int j = 1; j <= people && identity; ++j)
            QCOMPARE(p[j], j);
        for (const HistoryRow& h : history)
            repeated = repeated || p[h.seq] == h.a;
    }
    QCOMPARE(!repeated, historyRespected || identity);
}

void TestDutyDraw::drawFollowsTheLiteralRules() {
    // Rows with many refused partners make the attempt counter restart often.
    const QVector<HistoryRow> history{{1, 2, 0}, {1, 3, 0}, {1, 4, 0}, {2, 1, 0}, {2, 3, 0}, {4, 1, 0},
                                      {4, 2, 0}, {4, 3, 0}, {5, 5, 0}, {5, 4, 0}, {3, 5, 0}};
    FixedRandom r1(41), r2(42);
    QMap<QString, int> fast, reference;
    for (int draw = 0; draw < 20000; ++draw) {
        QVector<int> p;
        QCOMPARE(drawDuty(5, history, RuleState::Off, RuleState::On, r1, p).status, DrawStatus::Done);
        ++fast[key(p)];
        ++reference[key(literalDuty(5, history, r2))];
    }
    const auto [chi, dof] = chiSquareTwoSample(fast, reference);
    QVERIFY(dof > 3);
    QVERIFY2(chi < chiSquareLimit(dof),
             qPrintable(QStringLiteral("chi-square %1 with %2 degrees").arg(chi).arg(dof)));
}

void TestDutyDraw::uniformWithoutHistory() {
    FixedRandom random(43);
    QMap<QString, int> seen;
    for (int draw = 0; draw < 24 * 500; ++draw) {
        QVector<int> p;
        QCOMPARE(drawDuty(4, {}, RuleState::Off, RuleState::On, random, p).status, DrawStatus::Done);
        ++seen[key(p)];
    }
    QCOMPARE(seen.size(), 24);
    const double chi = chiSquareUniform(QVector<int>(seen.cbegin(), seen.cend()));
    QVERIFY2(chi < chiSquareLimit(23), qPrintable(QString::number(chi)));
}

void TestDutyDraw::impossibleIsReported_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("paper checkers") << QStringLiteral("验卷")
                                    << draw_text::dutyReturn(QStringLiteral("验卷"));
    QTest::newRow("outside supervisors")
        << QStringLiteral("场外监考") << draw_text::dutyReturn(QStringLiteral("场外监考"));
    QTest::newRow("kind not named") << QString() << draw_text::dutyReturn(QString());
}

// Rows 1 and 2 have had partners 1 and 2 already: both are left with partner 3 only.
void TestDutyDraw::impossibleIsReported() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QVector<HistoryRow> history{{1, 1, 0}, {1, 2, 0}, {2, 1, 0}, {2, 2, 0}};
    FixedRandom random;
    QVector<int> p{0, 7, 7, 7};
    const DrawResult r = kind.isNull() ? drawDuty(3, history, RuleState::Off, RuleState::On, random, p)
                                       : drawDuty(kind, 3, history, RuleState::Off, RuleState::On, random, p);
    QCOMPARE(r.status, DrawStatus::Impossible);
    QCOMPARE(r.reason, reason);
    QCOMPARE(p, (QVector<int>{0, 7, 7, 7})); // left alone
    // the same history with returns allowed is fine
    QCOMPARE(drawDuty(kind, 3, history, RuleState::On, RuleState::On, random, p).status, DrawStatus::Done);
}

void TestDutyDraw::roomDuties_data() {
    QTest::addColumn<QStringList>("scopes");
    QTest::addColumn<QVector<int>>("perm");
    QTest::addColumn<QStringList>("expected"); // rooms 001..005; "-" for a room left as it was
    QTest::newRow("own scopes") << QStringList{"001,002", "003"} << QVector<int>{0, 1, 2}
                                << QStringList{"场外1", "场外1", "场外2", "-", "-"};
    QTest::newRow("scopes swapped") << QStringList{"001,002", "003"} << QVector<int>{0, 2, 1}
                                    << QStringList{"场外2", "场外2", "场外1", "-", "-"};
    QTest::newRow("shared room: the last wins") << QStringList{"001,002", "002,003"} << QVector<int>{0, 1, 2}
                                                << QStringList{"场外1", "场外2", "场外2", "-", "-"};
    QTest::newRow("pieces untrimmed") << QStringList{"003, 005,004", ""} << QVector<int>{0, 1, 2}
                                      << QStringList{"-", "-", "场外1", "场外1", "-"};
    QTest::newRow("number not in the list")
        << QStringList{"3,5,012"} << QVector<int>{0, 1} << QStringList{"-", "-", "-", "-", "-"};
}

void TestDutyDraw::roomDuties() {
    QFETCH(QStringList, scopes);
    QFETCH(QVector<int>, perm);
    QFETCH(QStringList, expected);
    const WorkingSet ws = supervised(5, scopes);
    QVector<QString> column(6, QStringLiteral("-"));
    assignRoomDuties(ws, perm, column);
    QCOMPARE(column.size(), 6);
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(column[i], expected[i - 1]);
}

void TestDutyDraw::engineDrawsTheSupervisors_data() {
    QTest::addColumn<int>("check5");
    QTest::newRow("drawn") << 1;
    QTest::newRow("not drawn") << 0;
}

void TestDutyDraw::engineDrawsTheSupervisors() {
    QFETCH(int, check5);
    WorkingSet ws = supervised(6, {"001,002", "003", "004", "005,006"});
    ws.rooms[1].supervisor = QStringLiteral("之前");
    const QVector<HistoryRow> history = dutyShifted(4, {1, 2});
    FixedRandom random(17);
    DrawEngine engine(ws, random);
    QCOMPARE(engine.roomSupervisors()[1], QStringLiteral("之前"));
    QCOMPARE(engine.begin(settings(0, {0, 1, 0, 0, check5, 0}), {}, history).status, DrawStatus::NotYet);
    QSet<QString> seen;
    for (int draw = 0; draw < 500; ++draw) {
        QCOMPARE(next(engine).status, DrawStatus::Done);
        const QVector<int>& p = engine.candidate().supervisor;
        QVERIFY(isPermutation(p, 4));
        QVector<QString> expected(7);
        assignRoomDuties(ws, p, expected);
        QCOMPARE(engine.roomSupervisors().mid(1), expected.mid(1));
        for (const HistoryRow& h : history)
            QVERIFY(check5 != 1 || p[h.seq] != h.a);
        seen.insert(key(p));
    }
    QCOMPARE(seen.size() > 1, check5 == 1);
}

QTEST_GUILESS_MAIN(TestDutyDraw)
#include "test_duty_draw.moc"
