// Speed of the draw engine: candidates per second, time to the first candidate on a tight
// instance, time to report an impossible draw.

#include "draw/draw_engine.h"
#include "literal_draw.h"

#include <benchmark/benchmark.h>

#include <limits>

namespace {

const char* const kUnits[] = {"一中", "二中", "三中", "四中", "五中", "六中"};

// `n` rooms with both sexes and six units, ten outside supervisors with a share of the rooms each.
engine::WorkingSet centre(int n) {
    engine::WorkingSet ws;
    ws.rooms.resize(n + 1);
    QMap<QString, int> sexes, units;
    for (int k = 1; k <= n; ++k) {
        engine::RosterRow& row = ws.rooms[k];
        row.col[0] = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
        row.col[1] = QStringLiteral("甲%1").arg(k);
        row.col[2] = k % 2 ? QStringLiteral("男") : QStringLiteral("女");
        row.col[3] = QString::fromUtf8(kUnits[k % 6]);
        row.col[6] = QStringLiteral("乙%1").arg(k);
        row.col[7] = k % 3 ? QStringLiteral("女") : QStringLiteral("男");
        row.col[8] = QString::fromUtf8(kUnits[(k / 2) % 6]);
        ++sexes[row.col[7].toString()];
        ++units[row.col[8].toString()];
    }
    for (auto it = sexes.cbegin(); it != sexes.cend(); ++it)
        ws.genderTally.push_back({it.key(), it.value()});
    for (auto it = units.cbegin(); it != units.cend(); ++it)
        ws.unitTally.push_back({it.key(), it.value()});
    ws.supervisors.resize(1);
    for (int j = 1; j <= 10; ++j) {
        engine::DutyRow d;
        d.row = d.room = QString::number(j);
        d.name = QStringLiteral("场外%1").arg(j);
        QStringList scope;
        for (int i = j; i <= n; i += 10)
            scope << ws.rooms[i].room();
        d.scope = scope.join(QLatin1Char(','));
        ws.supervisors.push_back(d);
    }
    return ws;
}

// `batches` saved draws: room i had A person i+s and B person i+2s+1 in batch s (cyclic).
QVector<engine::HistoryRow> history(int n, int batches) {
    QVector<engine::HistoryRow> rows;
    for (int s = 1; s <= batches; ++s)
        for (int i = 1; i <= n; ++i)
            rows.push_back({i, (i - 1 + s) % n + 1, (i + 2 * s) % n + 1});
    return rows;
}

QVector<engine::HistoryRow> supervisorHistory(int batches) {
    QVector<engine::HistoryRow> rows;
    for (int s = 1; s <= batches; ++s)
        for (int j = 1; j <= 10; ++j)
            rows.push_back({j, (j - 1 + s) % 10 + 1, 0});
    return rows;
}

engine::DrawSettings allRules(int mode) {
    engine::DrawSettings s;
    s.mode = static_cast<engine::DrawMode>(mode);
    s[engine::Rule::FewerSameGender] = engine::RuleState::On;
    s[engine::Rule::FewerSameUnit] = engine::RuleState::On;
    s[engine::Rule::DrawSupervisors] = engine::RuleState::On;
    s[engine::Rule::DrawCheckers] = engine::RuleState::On;
    return s;
}

// args: rooms, batches of history, draw mode
void candidatesPerSecond(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int batches = static_cast<int>(state.range(1));
    const engine::WorkingSet ws = centre(n);
    engine::SeededRandom random(2024);
    engine::DrawEngine engine(ws, random);
    if (engine
            .begin(allRules(static_cast<int>(state.range(2))), history(n, batches),
                   supervisorHistory(batches))
            .status == engine::DrawStatus::Impossible) {
        state.SkipWithError("impossible");
        return;
    }
    std::int64_t made = 0;
    for (auto _ : state) {
        const engine::DrawResult r = engine.generate(1);
        made += r.candidates;
        benchmark::DoNotOptimize(engine.candidate().b.data());
    }
    state.SetItemsProcessed(made);
}

// The same instance drawn by the rules' literal transcription (the tests' reference), so the
// engine's lead is a ratio measured in one run. It draws the pairs only, no duties.
void literalCandidatesPerSecond(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const engine::WorkingSet ws = centre(n);
    const engine::DrawSettings s = allRules(static_cast<int>(state.range(2)));
    const QVector<engine::HistoryRow> rows = history(n, static_cast<int>(state.range(1)));
    engine::SeededRandom random(2024);
    LiteralDraw literal(ws, s, rows, random, std::numeric_limits<long long>::max());
    QVector<int> a, b;
    std::int64_t made = 0;
    for (auto _ : state) {
        made += literal.draw(a, b) ? 1 : 0;
        benchmark::DoNotOptimize(b.data());
    }
    state.SetItemsProcessed(made);
}

// Five rooms whose four saved draws leave exactly one arrangement for A and one for B.
void firstCandidateTight(benchmark::State& state) {
    engine::WorkingSet ws = centre(5);
    for (int k = 1; k <= 5; ++k) {
        ws.rooms[k].col[2] = ws.rooms[k].col[7] = QStringLiteral("男");
        ws.rooms[k].col[3] = ws.rooms[k].col[8] = QStringLiteral("一中");
    }
    ws.genderTally = {{QStringLiteral("男"), 5}};
    ws.unitTally = {{QStringLiteral("一中"), 5}};
    QVector<engine::HistoryRow> rows;
    const int bShift[] = {2, 4, 1, 3};
    for (int s = 1; s <= 4; ++s)
        for (int i = 1; i <= 5; ++i)
            rows.push_back({i, (i - 1 + s) % 5 + 1, (i - 1 + bShift[s - 1]) % 5 + 1});
    engine::SeededRandom random(7);
    for (auto _ : state) {
        engine::DrawEngine engine(ws, random);
        engine.begin(allRules(0), rows, {});
        while (engine.generate(1).status == engine::DrawStatus::NotYet) {
        }
        benchmark::DoNotOptimize(engine.candidate().a.data());
    }
}

// Five rooms, four saved subjects, returns not allowed: A persons 1 to 3 sat in rooms 3 to 5
// in turn, which leaves them rooms 1 and 2 only.
void impossibleReported(benchmark::State& state) {
    const engine::WorkingSet ws = centre(5);
    QVector<engine::HistoryRow> rows;
    for (int batch = 0; batch < 3; ++batch) {
        for (int j = 0; j < 3; ++j)
            rows.push_back({3 + j, (j + batch) % 3 + 1, (j + batch) % 3 + 1});
        rows.push_back({1, 4 + batch % 2, 4 + batch % 2});
        rows.push_back({2, 5 - batch % 2, 5 - batch % 2});
    }
    rows += history(5, 1);
    engine::SeededRandom random(9);
    engine::DrawSettings s = allRules(0);
    s[engine::Rule::AllowRepartner] = engine::RuleState::On;
    for (auto _ : state) {
        engine::DrawEngine engine(ws, random);
        const engine::DrawResult r = engine.begin(s, rows, {});
        if (r.status != engine::DrawStatus::Impossible)
            state.SkipWithError("not reported as impossible");
    }
}

// One generate() call as the window's timer makes it, at the largest centre: the default
// slice of work, whatever it yields.
void fullSlice(benchmark::State& state) {
    const engine::WorkingSet ws = centre(154);
    engine::SeededRandom random(11);
    engine::DrawEngine engine(ws, random);
    engine.begin(allRules(0), history(154, 4), supervisorHistory(4));
    std::int64_t made = 0;
    for (auto _ : state)
        made += engine.generate(1'000'000).candidates;
    state.counters["candidates_per_call"] =
        benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}

// Nine rooms, all A of one unit, one B without a unit: the unit rule refuses every other B
// for ever, which no check before the run can prove for so many A arrangements; only the
// overall bound ends the draw.
void impossibleByBound(benchmark::State& state) {
    engine::WorkingSet ws = centre(9);
    for (int k = 1; k <= 9; ++k) {
        ws.rooms[k].col[3] = QStringLiteral("一中");
        ws.rooms[k].col[8] = k == 1 ? QVariant() : QVariant(QStringLiteral("一中"));
    }
    ws.unitTally = {{QVariant(), 1}, {QStringLiteral("一中"), 8}};
    engine::DrawSettings s;
    s[engine::Rule::AllowReturn] = engine::RuleState::On;
    s[engine::Rule::AllowRepartner] = engine::RuleState::On;
    s[engine::Rule::FewerSameUnit] = engine::RuleState::On;
    engine::SeededRandom random(13);
    for (auto _ : state) {
        engine::DrawEngine engine(ws, random);
        engine.begin(s, {}, {});
        while (engine.generate(1).status == engine::DrawStatus::NotYet) {
        }
    }
}

} // namespace

BENCHMARK(candidatesPerSecond)
    ->ArgNames({"rooms", "batches", "mode"})
    ->ArgsProduct({{20, 80, 154}, {0, 4}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(literalCandidatesPerSecond)
    ->ArgNames({"rooms", "batches", "mode"})
    ->ArgsProduct({{154}, {4}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(firstCandidateTight)->Unit(benchmark::kMicrosecond);
BENCHMARK(impossibleReported)->Unit(benchmark::kMicrosecond);
BENCHMARK(fullSlice)->Unit(benchmark::kMillisecond);
BENCHMARK(impossibleByBound)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
