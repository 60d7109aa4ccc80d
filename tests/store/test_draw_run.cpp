#include "draw_fixtures.h"
#include "fakes.h"
#include "store/draw_run.h"
#include "test_db.h"

#include <QTest>

using namespace engine;

Q_DECLARE_METATYPE(engine::DrawSettings)
Q_DECLARE_METATYPE(QVector<engine::HistoryRow>)

namespace {

constexpr int kSlice = 1000; // ms: generous, so a slow machine never runs out

// A random source that hands out the seed a test chooses and otherwise varies.
class ChosenSeed : public FixedRandom {
public:
    explicit ChosenSeed(std::uint64_t seed, std::uint64_t stream) : FixedRandom(stream), seed_(seed) {}
    std::uint64_t freshSeed() override { return seed_; }

private:
    std::uint64_t seed_;
};

DrawSettings strict() {
    return fixture::settings(0, {0, 0, 1, 1, 1, 0});
}

// Mixed sexes and units, four outside supervisors with a history of their own.
WorkingSet mixedCentre(int n) {
    WorkingSet ws = fixture::rooms(
        n,
        [](int k) {
            return fixture::Person{k % 2 ? "男" : "女", k % 3 ? "一中" : "二中"};
        },
        [](int k) {
            return fixture::Person{k % 3 ? "女" : "男", k % 2 ? "二中" : "三中"};
        });
    for (int j = 1; j <= 4; ++j)
        fixture::addSupervisor(ws, QStringLiteral("外%1").arg(j),
                               QStringLiteral("%1").arg(j, 3, 10, QLatin1Char('0')));
    return ws;
}

} // namespace

class TestDrawRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startTickStop() {
        const WorkingSet ws = fixture::rooms(8);
        FixedRandom random;
        DrawRun run(ws, random);
        QVERIFY(run.saved());
        QCOMPARE(run.start(strict(), fixture::shifted(8, {1}), {}).status, DrawStatus::NotYet);
        QCOMPARE(run.phase(), DrawRun::Phase::Running);
        for (int shown = 1; shown <= 5; ++shown) {
            QCOMPARE(run.tick(kSlice).candidates, 1);
            QCOMPARE(run.counter(), shown);
        }
        const DrawResult stopped = run.stop(fixture::shifted(8, {1, 2}), kSlice);
        QCOMPARE(stopped.candidates, 1);
        QCOMPARE(run.phase(), DrawRun::Phase::Idle);
        QCOMPARE(run.counter(), 5);
        QVERIFY(run.hasResult() && !run.saved());
        // The result keeps the history loaded at stop, not the one of the start.
        const Candidate& c = run.result().candidate;
        for (int i = 1; i <= 8; ++i)
            for (int s : {1, 2})
                QVERIFY(c.a[i] != (i - 1 + s) % 8 + 1 && c.b[i] != (i - 1 + s) % 8 + 1);
        QCOMPARE(run.result().parameterCode(), QStringLiteral("0001110"));
        QCOMPARE(run.tick(kSlice).candidates, 0);
    }

    // The result depends on the inputs and the seed only, however long the animation ran.
    void resultIsAFunctionOfInputsAndSeed() {
        const WorkingSet ws = fixture::rooms(12);
        const QVector<HistoryRow> history = fixture::shifted(12, {1, 3});
        Candidate first;
        for (int ticks : {0, 1, 7}) {
            ChosenSeed random(42, 1000 + ticks);
            DrawRun run(ws, random);
            run.start(strict(), history, {});
            for (int t = 0; t < ticks; ++t)
                run.tick(kSlice);
            QCOMPARE(run.stop(history, kSlice).candidates, 1);
            QCOMPARE(run.result().seed, std::uint64_t(42));
            if (ticks == 0)
                first = run.result().candidate;
            QCOMPARE(run.result().candidate.a, first.a);
            QCOMPARE(run.result().candidate.b, first.b);
        }
        ChosenSeed other(43, 1000);
        DrawRun run(ws, other);
        run.start(strict(), history, {});
        run.stop(history, kSlice);
        QVERIFY(run.result().candidate.a != first.a || run.result().candidate.b != first.b);
    }

    // A replay must not depend on how the window's timer cut the work into slices.
    void candidatesDoNotDependOnSlicing_data() {
        QTest::addColumn<int>("rooms");
        QTest::addColumn<QVector<HistoryRow>>("history");
        QTest::addColumn<DrawSettings>("settings");
        QTest::newRow("loose") << 12 << fixture::shifted(12, {1, 3}) << strict();
        // Four batches leave exactly one arrangement: the draw restarts again and again.
        QTest::newRow("one arrangement left") << 5 << fixture::shifted(5, {1, 2, 3, 4}, {2, 4, 1, 3})
                                              << fixture::settings(0, {0, 0, 0, 0, 0, 0});
        QTest::newRow("mixing rules, only B")
            << 9 << fixture::shifted(9, {2}) << fixture::settings(1, {0, 0, 1, 1, 1, 0});
        QTest::newRow("only A") << 9 << fixture::shifted(9, {1, 4})
                                << fixture::settings(2, {0, 0, 1, 1, 1, 1});
    }
    void candidatesDoNotDependOnSlicing() {
        QFETCH(int, rooms);
        QFETCH(QVector<HistoryRow>, history);
        QFETCH(DrawSettings, settings);
        const WorkingSet ws = mixedCentre(rooms);
        const QVector<HistoryRow> supervisors{{1, 2, 0}, {2, 3, 0}, {3, 4, 0}, {4, 1, 0}};
        QVector<Candidate> reference;
        for (qint64 perCall : {qint64(1'000'000'000), qint64(1), qint64(7), qint64(300)}) {
            engine::SeededRandom random(99);
            DrawEngine engine(ws, random);
            engine.setWorkLimits(perCall, 30'000'000);
            QCOMPARE(engine.begin(settings, history, supervisors).status, DrawStatus::NotYet);
            for (int k = 0; k < 5; ++k) {
                QCOMPARE(fixture::next(engine, 10'000'000).status, DrawStatus::Done);
                const Candidate& c = engine.candidate();
                if (reference.size() < 5) {
                    reference.push_back(c);
                    continue;
                }
                QCOMPARE(c.a, reference[k].a);
                QCOMPARE(c.b, reference[k].b);
                QCOMPARE(c.supervisor, reference[k].supervisor);
            }
        }
    }

    void counterWrapsAfter20000() {
        const WorkingSet ws = fixture::rooms(1);
        FixedRandom random;
        DrawRun run(ws, random);
        run.start(fixture::settings(0, {1, 1, 0, 0, 0, 0}), {}, {});
        for (int t = 0; t < DrawRun::kCounterWrap; ++t)
            run.tick(kSlice);
        QCOMPARE(run.counter(), DrawRun::kCounterWrap);
        run.tick(kSlice);
        QCOMPARE(run.counter(), 0);
    }

    void impossibleStartLeavesTheRunIdle() {
        const WorkingSet ws = fixture::rooms(3);
        FixedRandom random;
        DrawRun run(ws, random);
        // Three rooms, every room already held by every A: no return-free arrangement.
        const DrawResult r = run.start(strict(), fixture::shifted(3, {0, 1, 2}), {});
        QCOMPARE(r.status, DrawStatus::Impossible);
        QVERIFY(!r.reason.isEmpty());
        QCOMPARE(run.phase(), DrawRun::Phase::Idle);
        QVERIFY(!run.hasResult() && run.saved());
    }

    // Saved only once the rows are committed, and only once its stop is in the ledger; a failing
    // save leaves the result unsaved.
    void savedOnlyAfterTheCommit() {
        TestDb t;
        const int project = t.addProject();
        for (int i = 1; i <= 4; ++i)
            t.addRoom(project, QStringLiteral("00%1").arg(i), QStringLiteral("甲%1").arg(i),
                      QStringLiteral("乙%1").arg(i));
        const WorkingSet ws = loadWorkingSet(*t.db, project);
        FixedRandom random;
        DrawRun run(ws, random);
        SaveRequest request;
        request.project = project;
        request.subject = QStringLiteral("语文");
        request.time = QDateTime(QDate(2026, 6, 7), QTime(9, 0));
        QVERIFY(!run.save(*t.db, request));
        run.start(fixture::settings(1, {1, 1, 0, 0, 0, 0}), {}, {});
        run.stop({}, kSlice);
        const SaveOutcome unrecorded = run.save(*t.db, request);
        QVERIFY(!unrecorded && unrecorded.error().message == kUnrecordedStop);
        run.record(*t.db, {project, request.subject, request.time});
        t.db->exec(QStringLiteral("drop table 抽签历史"));
        const SaveOutcome failed = run.save(*t.db, request); // the database's error, returned
        QVERIFY(!failed && failed.error().message.contains(QStringLiteral("抽签历史")));
        QVERIFY(!run.saved());
        db::createSchema(*t.db);
        QCOMPARE(run.save(*t.db, request).value_or(0), 1);
        QVERIFY(run.saved());
        QCOMPARE(t.db->scalar(QStringLiteral("select 分组号 from 抽签总表 where 分类='抽签参数'")).toString(),
                 QStringLiteral("1110000"));
    }
};

QTEST_GUILESS_MAIN(TestDrawRun)
#include "test_draw_run.moc"
