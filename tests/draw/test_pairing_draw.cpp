#include "draw_fixtures.h"
#include "fakes.h"
#include "literal_draw.h"

#include "draw/draw_texts.h"

#include <QTest>

using namespace common;
using namespace engine;

using namespace fixture;

Q_DECLARE_METATYPE(DrawSettings)
Q_DECLARE_METATYPE(QVector<HistoryRow>)

namespace {

// Two sexes, three units, spread so that the mixing rules have work to do.
WorkingSet mixedRooms(int n) {
    return rooms(
        n,
        [](int k) {
            return Person{k % 2 ? "男" : "女", k % 3 == 0 ? "一中" : k % 3 == 1 ? "二中" : "三中"};
        },
        [](int k) {
            return Person{k % 3 ? "女" : "男", k % 2 ? "一中" : "二中"};
        });
}

QString key(const Candidate& c) {
    QString s;
    for (int i = 1; i < c.a.size(); ++i)
        s += QString::number(c.a[i]) + QLatin1Char(',');
    s += QLatin1Char('|');
    for (int i = 1; i < c.b.size(); ++i)
        s += QString::number(c.b[i]) + QLatin1Char(',');
    return s;
}

QString key(const QVector<int>& a, const QVector<int>& b) {
    return key(Candidate{a, b, {}});
}

} // namespace

class TestPairingDraw : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parameterCode_data();
    void parameterCode();
    void everyCandidateKeepsTheRules_data();
    void everyCandidateKeepsTheRules();
    void maleBWaitsForTheFemaleBs_data();
    void maleBWaitsForTheFemaleBs();
    void unitRuleNeverRefusesWithinOneUnit();
    void genderCountDropsEvenWhenTheUnitRuleRefuses();
    void followsTheLiteralRules_data();
    void followsTheLiteralRules();
    void impossibleOnlyWhenTheRulesFindNothing();
    void uniformWithoutRules();
    void impossibleIsReported_data();
    void impossibleIsReported();
    void stopReloadRechecksTheHistory();
    void workIsSliced();
    void noRooms();
};

void TestPairingDraw::parameterCode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("checks");
    QTest::addColumn<QString>("code");
    QTest::newRow("only B, supervisors") << 1 << QList<int>{0, 0, 0, 0, 1, 0} << "1000010";
    QTest::newRow("all checked") << 0 << QList<int>{1, 1, 1, 1, 1, 1} << "0111111";
    QTest::newRow("grey box") << 2 << QList<int>{2, 0, 1, 0, 0, 2} << "2201002";
}

void TestPairingDraw::parameterCode() {
    QFETCH(int, mode);
    QFETCH(QList<int>, checks);
    QFETCH(QString, code);
    DrawSettings s;
    s.mode = static_cast<DrawMode>(mode);
    for (int k = 0; k < kRuleCount; ++k)
        s.rules[k] = static_cast<RuleState>(checks[k]);
    QCOMPARE(s.parameterCode(), code);
}

void TestPairingDraw::everyCandidateKeepsTheRules_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("mixed");
    QTest::addColumn<DrawSettings>("s");
    QTest::addColumn<QVector<HistoryRow>>("history");
    QTest::addColumn<bool>("expectReturns"); // grey boxes restrict nothing: returns must occur

    const std::array<int, 6> strict{0, 0, 1, 1, 0, 0};
    QTest::newRow("both drawn, no history")
        << 20 << true << settings(0, strict) << QVector<HistoryRow>{} << false;
    QTest::newRow("both drawn, four batches")
        << 20 << true << settings(0, strict) << shifted(20, {1, 2, 3, 4}) << false;
    QTest::newRow("only B drawn") << 12 << true << settings(1, strict)
                                  << shifted(12, {1, 2, 3, 4}, {5, 6, 7, 8}) << false;
    QTest::newRow("only A drawn") << 12 << true << settings(2, strict) << shifted(12, {1, 2, 3, 4}) << false;
    QTest::newRow("neither drawn") << 8 << true << settings(7, strict) << shifted(8, {1, 2}) << false;
    QTest::newRow("grey boxes") << 8 << true << settings(0, {2, 2, 2, 2, 0, 0}) << shifted(8, {1, 2, 3, 4})
                                << true;
    QTest::newRow("five rooms, one way left")
        << 5 << false << settings(0, strict) << shifted(5, {1, 2, 3, 4}, {2, 4, 1, 3}) << false;
}

void TestPairingDraw::everyCandidateKeepsTheRules() {
    QFETCH(int, n);
    QFETCH(bool, mixed);
    QFETCH(DrawSettings, s);
    QFETCH(QVector<HistoryRow>, history);
    QFETCH(bool, expectReturns);
    const WorkingSet ws = mixed ? mixedRooms(n) : rooms(n);
    FixedRandom random(7);
    DrawEngine engine(ws, random);
    QCOMPARE(engine.begin(s, history, {}).status, DrawStatus::NotYet);
    const bool drawsA = int(s.mode) == 0 || int(s.mode) == 2, drawsB = int(s.mode) == 0 || int(s.mode) == 1;
    bool returned = false;
    for (int draw = 0; draw < 2000; ++draw) {
        QCOMPARE(next(engine).status, DrawStatus::Done);
        const Candidate& c = engine.candidate();
        QVERIFY(isPermutation(c.a, n));
        QVERIFY(isPermutation(c.b, n));
        for (int i = 1; i <= n; ++i) {
            if (!drawsA)
                QCOMPARE(c.a[i], i);
            if (!drawsB)
                QCOMPARE(c.b[i], i);
        }
        for (const HistoryRow& h : history) {
            const bool aBack = drawsA && c.a[h.seq] == h.a, bBack = drawsB && c.b[h.seq] == h.b;
            returned = returned || aBack || bBack;
            if (int(s.rules[0]) == 0)
                QVERIFY2(!aBack && !bBack, "someone returned to a history room");
            if (int(s.rules[1]) == 0 && drawsB)
                for (int i = 1; i <= n; ++i)
                    QVERIFY2(c.a[i] != h.a || c.b[i] != h.b, "a history pair met again");
        }
    }
    QCOMPARE(returned, expectReturns);
}

void TestPairingDraw::maleBWaitsForTheFemaleBs_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("both drawn") << 0;
    QTest::newRow("only B drawn") << 1;
}

// Every A is male and B person 3 the only male B: he is refused while a female B is
// unplaced, so he always ends up in the last room.
void TestPairingDraw::maleBWaitsForTheFemaleBs() {
    QFETCH(int, mode);
    const WorkingSet ws = rooms(3, {}, [](int k) { return Person{k == 3 ? "男" : "女", "一中"}; });
    FixedRandom random(11);
    DrawEngine engine(ws, random);
    QCOMPARE(engine.begin(settings(mode, {1, 1, 1, 0, 0, 0}), {}, {}).status, DrawStatus::NotYet);
    for (int draw = 0; draw < 1000; ++draw) {
        QCOMPARE(next(engine).status, DrawStatus::Done);
        QCOMPARE(engine.candidate().b[3], 3);
    }
}

// With one unit for everybody the unit rule never refuses, so the same random numbers give
// the same candidates with and without it.
void TestPairingDraw::unitRuleNeverRefusesWithinOneUnit() {
    const WorkingSet ws = rooms(
        10,
        [](int k) {
            return Person{k % 2 ? "男" : "女", "一中"};
        },
        [](int k) {
            return Person{k % 3 ? "男" : "女", "一中"};
        });
    const QVector<HistoryRow> history = shifted(10, {1, 2});
    FixedRandom r1(5), r2(5);
    DrawEngine with(ws, r1), without(ws, r2);
    QCOMPARE(with.begin(settings(0, {0, 0, 1, 1, 0, 0}), history, {}).status, DrawStatus::NotYet);
    QCOMPARE(without.begin(settings(0, {0, 0, 1, 0, 0, 0}), history, {}).status, DrawStatus::NotYet);
    for (int draw = 0; draw < 500; ++draw) {
        QCOMPARE(next(with).status, DrawStatus::Done);
        QCOMPARE(next(without).status, DrawStatus::Done);
        QCOMPARE(key(with.candidate()), key(without.candidate()));
    }
}

// Room 1 (male A of 一中): B 1 is female but of 一中 too, so the unit rule refuses her, after
// the gender rule has already counted her off. That empties the female count and lets the
// male B 2 through, the only way this draw can succeed.
void TestPairingDraw::genderCountDropsEvenWhenTheUnitRuleRefuses() {
    const WorkingSet ws = rooms(
        2,
        [](int k) {
            return Person{"男", k == 1 ? "一中" : "三中"};
        },
        [](int k) {
            return Person{k == 1 ? "女" : "男", k == 1 ? "一中" : "二中"};
        });
    FixedRandom random(3);
    DrawEngine engine(ws, random);
    QCOMPARE(engine.begin(settings(1, {1, 1, 1, 1, 0, 0}), {}, {}).status, DrawStatus::NotYet);
    for (int draw = 0; draw < 200; ++draw) {
        QCOMPARE(next(engine).status, DrawStatus::Done);
        QCOMPARE(engine.candidate().b, (QVector<int>{0, 2, 1}));
    }
}

namespace {

WorkingSet literalInstance(int instance) {
    static const Person mixedA[] = {{"男", "一中"}, {"女", "二中"}, {"男", "一中"}, {"女", "一中"}};
    static const Person mixedB[] = {{"女", "二中"}, {"女", "二中"}, {"男", "二中"}, {"女", "二中"}};
    static const Person driftA[] = {
        {"男", "一中"}, {"男", "二中"}, {"女", "一中"}, {"女", "二中"}, {"男", "一中"}};
    static const Person driftB[] = {
        {"女", "一中"}, {"男", "二中"}, {"女", "二中"}, {"男", "一中"}, {nullptr, "一中"}};
    switch (instance) {
    case 0:
        return rooms(
            4, [](int k) { return mixedA[k - 1]; }, [](int k) { return mixedB[k - 1]; });
    case 1:
        return rooms(
            5, [](int k) { return driftA[k - 1]; }, [](int k) { return driftB[k - 1]; });
    default:
        return rooms(6);
    }
}

} // namespace

void TestPairingDraw::followsTheLiteralRules_data() {
    QTest::addColumn<int>("instance");
    QTest::addColumn<DrawSettings>("s");
    QTest::addColumn<QVector<HistoryRow>>("history");
    QTest::newRow("both drawn, all rules") << 0 << settings(0, {0, 0, 1, 1, 0, 0}) << shifted(4, {1}, {3});
    // Room 1 (male, 一中): B 1 is counted off as a female each time the unit rule refuses her,
    // until the male B 2 is let through; the B without a sex keeps "other sexes" above 0.
    QTest::newRow("only B, the sex count drifts")
        << 1 << settings(1, {1, 1, 1, 1, 0, 0}) << QVector<HistoryRow>{};
    // Six rooms: a former person is redrawn in rooms 1 and 2 and restarts the A step in rooms 3 to 6.
    QTest::newRow("A restart near the end")
        << 2 << settings(2, {0, 0, 0, 0, 0, 0})
        << QVector<HistoryRow>{{1, 2, 0}, {2, 1, 0}, {2, 3, 0}, {3, 5, 0}, {5, 1, 0}, {6, 6, 0}, {6, 3, 0}};
}

// The engine draws differently from the literal rules (tables, direct choices, early
// restarts), but what comes out must be distributed the same way.
void TestPairingDraw::followsTheLiteralRules() {
    QFETCH(int, instance);
    QFETCH(DrawSettings, s);
    QFETCH(QVector<HistoryRow>, history);
    const WorkingSet ws = literalInstance(instance);
    constexpr int kDraws = 20000;
    FixedRandom r1(21), r2(22);
    DrawEngine engine(ws, r1);
    QCOMPARE(engine.begin(s, history, {}).status, DrawStatus::NotYet);
    LiteralDraw literal(ws, s, history, r2);
    QMap<QString, int> fast, reference;
    QVector<int> a, b;
    for (int draw = 0; draw < kDraws; ++draw) {
        const DrawResult made = next(engine);
        QVERIFY2(made.status == DrawStatus::Done, qPrintable(made.reason));
        ++fast[key(engine.candidate())];
        QVERIFY2(literal.draw(a, b), "the literal rules ran past their step cap");
        ++reference[key(a, b)];
    }
    const auto [chi, dof] = chiSquareTwoSample(fast, reference);
    QVERIFY(dof >= 7);
    QVERIFY2(chi < chiSquareLimit(dof),
             qPrintable(QStringLiteral("chi-square %1 with %2 degrees").arg(chi).arg(dof)));
}

// Small random centres with random history, rules and data (NULL sexes and units included):
// the engine calls a draw impossible only where the literal rules find nothing either, and
// where it does not, it delivers.
void TestPairingDraw::impossibleOnlyWhenTheRulesFindNothing() {
    SeededRandom dice(777);
    const char* sexes[] = {"男", "女", nullptr};
    const char* units[] = {"一中", "二中", "三中", nullptr};
    int impossible = 0;
    for (int trial = 0; trial < 600; ++trial) {
        const int n = 2 + dice.index(4);
        QVector<Person> a(n + 1), b(n + 1);
        for (int k = 1; k <= n; ++k) {
            a[k] = {sexes[dice.index(3) - 1], units[dice.index(4) - 1]};
            b[k] = {sexes[dice.index(3) - 1], units[dice.index(4) - 1]};
        }
        const WorkingSet ws = rooms(
            n, [&](int k) { return a[k]; }, [&](int k) { return b[k]; });
        QVector<HistoryRow> history;
        for (int batch = dice.index(3) - 1; batch > 0; --batch)
            for (int i = 1; i <= n; ++i)
                history.push_back({i, dice.index(n), dice.index(n)});
        const DrawSettings s = settings(dice.index(2) - 1, {dice.index(2) - 1, dice.index(2) - 1,
                                                            dice.index(2) - 1, dice.index(2) - 1, 0, 0});
        FixedRandom r1(trial), r2(trial + 100000);
        DrawEngine engine(ws, r1);
        engine.setWorkLimits(400'000, 5'000'000);
        const QByteArray where = QByteArray("trial ") + QByteArray::number(trial);
        if (engine.begin(s, history, {}).status == DrawStatus::Impossible) {
            ++impossible;
            QVector<int> la, lb;
            QVERIFY2(!LiteralDraw(ws, s, history, r2, 300'000).draw(la, lb), where.constData());
        } else {
            QVERIFY2(next(engine).status == DrawStatus::Done, where.constData());
        }
    }
    QVERIFY(impossible > 20); // the sample must hold both kinds
}

// Without history or mixing rules every arrangement is equally likely, A and B independently.
void TestPairingDraw::uniformWithoutRules() {
    const WorkingSet ws = mixedRooms(4);
    FixedRandom random(99);
    DrawEngine engine(ws, random);
    QCOMPARE(engine.begin(settings(0, {1, 1, 0, 0, 0, 0}), {}, {}).status, DrawStatus::NotYet);
    QMap<QString, int> joint;
    QVector<int> roomPerson(16, 0);
    for (int draw = 0; draw < 24 * 24 * 40; ++draw) {
        QCOMPARE(next(engine).status, DrawStatus::Done);
        const Candidate& c = engine.candidate();
        ++joint[key(c)];
        for (int i = 1; i <= 4; ++i)
            ++roomPerson[(i - 1) * 4 + c.b[i] - 1];
    }
    QCOMPARE(joint.size(), 24 * 24);
    const double chiJoint = chiSquareUniform(QVector<int>(joint.cbegin(), joint.cend()));
    QVERIFY2(chiJoint < chiSquareLimit(24 * 24 - 1), qPrintable(QString::number(chiJoint)));
    // Each draw fills a whole row and column of the room-person table, which spreads the
    // statistic over (n-1)^2 degrees with the factor n/(n-1).
    const double chiRooms = chiSquareUniform(roomPerson) * 3 / 4;
    QVERIFY2(chiRooms < chiSquareLimit(9), qPrintable(QString::number(chiRooms)));
}

namespace {

// Five rooms whose last saved draws put A (and B) persons 1 to 3 into rooms 3 to 5 in turn:
// those three persons are left with rooms 1 and 2 only.
QVector<HistoryRow> fiveRoomsNoWayBack() {
    QVector<HistoryRow> rows;
    for (int batch = 0; batch < 3; ++batch) {
        for (int j = 0; j < 3; ++j) {
            const int person = (j + batch) % 3 + 1;
            rows.push_back({3 + j, person, person});
        }
        rows.push_back({1, 4 + batch % 2, 4 + batch % 2});
        rows.push_back({2, 5 - batch % 2, 5 - batch % 2});
    }
    rows += shifted(5, {1});
    return rows;
}

struct ImpossibleCase {
    WorkingSet ws;
    DrawSettings s;
    QVector<HistoryRow> history, supervisorHistory;
    QString reason;
    bool atBegin;
};

QVector<ImpossibleCase> impossibleCases() {
    QVector<ImpossibleCase> cases;
    const QVector<HistoryRow> noWayBack = fiveRoomsNoWayBack();
    cases.push_back({rooms(5), settings(0, {0, 1, 0, 0, 0, 0}), noWayBack, {}, draw_text::aReturn(), true});
    cases.push_back({rooms(5), settings(1, {0, 1, 0, 0, 0, 0}), noWayBack, {}, draw_text::bReturn(), true});
    cases.push_back({rooms(1), settings(0, {0, 1, 0, 0, 0, 0}), {{1, 1, 1}}, {}, draw_text::aReturn(), true});
    cases.push_back(
        {rooms(2), settings(1, {1, 0, 0, 0, 0, 0}), {{1, 1, 1}, {2, 1, 2}}, {}, draw_text::partner(), true});
    // Room 1 may not have B 1 again (return) nor meet B 2 again (partner); each rule alone is fine.
    cases.push_back({rooms(2),
                     settings(1, {0, 0, 0, 0, 0, 0}),
                     {{1, 0, 1}, {0, 1, 2}},
                     {},
                     draw_text::returnAndPartner(),
                     true});
    // One arrangement each is left for A and B, and it pairs everybody with a former partner.
    cases.push_back({rooms(5),
                     settings(0, {0, 0, 0, 0, 0, 0}),
                     shifted(5, {1, 2, 3, 4}),
                     {},
                     draw_text::returnAndPartner(),
                     true});
    // Room 1 (male A of 一中): B 1 has no sex but is of 一中, B 2 male; the B without a sex
    // keeps the count of "other" sexes above 0 for ever.
    cases.push_back({rooms(
                         2,
                         [](int k) {
                             return Person{k == 1 ? "男" : "女", k == 1 ? "一中" : "三中"};
                         },
                         [](int k) {
                             return Person{k == 1 ? nullptr : "男", k == 1 ? "一中" : "二中"};
                         }),
                     settings(1, {1, 1, 1, 1, 0, 0}),
                     {},
                     {},
                     draw_text::mixing(true, true),
                     true});
    WorkingSet supervised = rooms(3);
    for (int k = 1; k <= 3; ++k)
        addSupervisor(supervised, QStringLiteral("场外%1").arg(k), QStringLiteral("00%1").arg(k));
    cases.push_back({supervised,
                     settings(0, {0, 1, 0, 0, 1, 0}),
                     {},
                     {{1, 1, 0}, {1, 2, 0}, {2, 1, 0}, {2, 2, 0}},
                     draw_text::dutyReturn(QStringLiteral("场外监考")),
                     true});
    // Every A is of 一中; B 1 has no unit, so the count of other units never drops to 0 and
    // the other B (一中) are refused wherever they come: only B 1 is ever placed.
    auto oneUnit = [](int n) {
        return rooms(n, {}, [](int k) { return Person{"男", k == 1 ? nullptr : "一中"}; });
    };
    cases.push_back(
        {oneUnit(2), settings(1, {1, 1, 0, 1, 0, 0}), {}, {}, draw_text::mixing(false, true), true});
    cases.push_back(
        {oneUnit(2), settings(0, {1, 1, 0, 1, 0, 0}), {}, {}, draw_text::mixing(false, true), true});
    // Too many A arrangements to try them all before the run: the bound ends it.
    cases.push_back(
        {oneUnit(9),
         settings(0, {1, 1, 0, 1, 0, 0}),
         {},
         {},
         draw_text::tooTight({QStringLiteral("最大异校搭档")}, {QStringLiteral("取消“最大异校搭档”")}),
         false});
    return cases;
}

} // namespace

void TestPairingDraw::impossibleIsReported_data() {
    QTest::addColumn<int>("index");
    const char* names[] = {"A cannot avoid the old rooms",   "B cannot avoid the old rooms",
                           "one room, one person",           "partners only",
                           "return and partner together",    "one way left pairs old partners",
                           "mixing rules block room 1",      "supervisors cannot avoid their scopes",
                           "unit rule blocks, only B drawn", "unit rule blocks, both drawn",
                           "unit rule blocks, nine rooms"};
    for (int k = 0; k < 11; ++k)
        QTest::newRow(names[k]) << k;
}

void TestPairingDraw::impossibleIsReported() {
    QFETCH(int, index);
    const ImpossibleCase c = impossibleCases()[index];
    FixedRandom random(1);
    DrawEngine engine(c.ws, random);
    engine.setWorkLimits(100'000, 2'000'000);
    const DrawResult started = engine.begin(c.s, c.history, c.supervisorHistory);
    const DrawResult result = c.atBegin ? started : next(engine, 1000);
    QCOMPARE(started.status, c.atBegin ? DrawStatus::Impossible : DrawStatus::NotYet);
    QCOMPARE(result.status, DrawStatus::Impossible);
    QCOMPARE(result.reason, c.reason);
    // and it stays so: no candidate appears later
    QCOMPARE(engine.generate(1).status, DrawStatus::Impossible);
    QVERIFY(engine.candidate().a.isEmpty());
}

void TestPairingDraw::stopReloadRechecksTheHistory() {
    const WorkingSet ws = rooms(5);
    FixedRandom random(4);
    DrawEngine engine(ws, random);
    const DrawSettings s = settings(0, {0, 1, 0, 0, 0, 0});
    QCOMPARE(engine.begin(s, shifted(5, {1}), {}).status, DrawStatus::NotYet);
    QCOMPARE(next(engine).status, DrawStatus::Done);
    const DrawResult reloaded = engine.setPairingHistory(fiveRoomsNoWayBack());
    QCOMPARE(reloaded.status, DrawStatus::Impossible);
    QCOMPARE(reloaded.reason, draw_text::aReturn());
    QCOMPARE(engine.generate(1).status, DrawStatus::Impossible);
    QCOMPARE(engine.setPairingHistory({}).status, DrawStatus::NotYet);
    QCOMPARE(next(engine).status, DrawStatus::Done);
}

void TestPairingDraw::workIsSliced() {
    const WorkingSet ws = mixedRooms(60);
    FixedRandom random(8);
    DrawEngine engine(ws, random);
    engine.setWorkLimits(25, 50'000'000);
    QCOMPARE(engine.begin(settings(0, {0, 0, 1, 1, 0, 0}), shifted(60, {1, 2, 3, 4}), {}).status,
             DrawStatus::NotYet);
    int calls = 0;
    DrawResult r;
    do {
        r = engine.generate(1);
        ++calls;
    } while (r.status == DrawStatus::NotYet && calls < 100000);
    QCOMPARE(r.status, DrawStatus::Done);
    QCOMPARE(r.candidates, 1);
    QVERIFY2(calls >= 4, "the A and B steps of 60 rooms alone take 120 units");
    engine.setWorkLimits(1'000'000, 50'000'000);
    r = engine.generate(5);
    QCOMPARE(r.status, DrawStatus::Done);
    QCOMPARE(r.candidates, 5);
}

void TestPairingDraw::noRooms() {
    const WorkingSet ws = rooms(0);
    FixedRandom random;
    DrawEngine engine(ws, random);
    QCOMPARE(engine.begin(settings(0, {0, 0, 1, 1, 1, 1}), {{1, 1, 1}}, {}).status, DrawStatus::NotYet);
    const DrawResult r = engine.generate(3);
    QCOMPARE(r.status, DrawStatus::Done);
    QCOMPARE(engine.candidate().a, QVector<int>{0});
    QCOMPARE(engine.candidate().b, QVector<int>{0});
}

QTEST_GUILESS_MAIN(TestPairingDraw)
#include "test_pairing_draw.moc"
