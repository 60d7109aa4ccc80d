// The live draw as the operator sees it: candidates shown per second in the draw window at
// 154 rooms with four saved batches and every rule on, and the time from the click on 停止
// to the result on screen (offscreen), with the stop recorded in the ledger (argument 1) and
// without (0: a read-only database records nothing), so that the ledger's share shows. With
// EXAM_TEST_SERVER (a test cluster's connection string) the database is a server's.

#include "common/overview.h"
#include "controls.h"
#include "db/schema.h"
#include "draw_window/draw_window.h"
#include "fake_dialogs.h"
#include "store/draw_repository.h"
#include "test_db.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRooms = 154;
const char* const kUnits[] = {"一中", "二中", "三中", "四中", "五中", "六中"};

// 154 rooms of both sexes and six units, ten outside supervisors, four saved batches.
struct Centre {
    TestDb t;
    int project = t.addProject();
    common::RunState state = t.runState(project);

    Centre() {
        t.db->exec(QStringLiteral("update 考点设置 set 允许重回原考室=0, 允许甲乙再搭档=0, 最大性别组合=1, "
                                  "最大异校搭档=1, 场外与验卷抽签=2 where 编号=?"),
                   {project});
        db::Transaction tx(*t.db);
        for (int k = 1; k <= kRooms; ++k) {
            const QString room = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
            t.addStaff(project, QStringLiteral("监考员"), room, QStringLiteral("甲"),
                       QStringLiteral("甲%1").arg(k), k % 2 ? QStringLiteral("男") : QStringLiteral("女"),
                       QString::fromUtf8(kUnits[k % 6]));
            t.addStaff(project, QStringLiteral("监考员"), room, QStringLiteral("乙"),
                       QStringLiteral("乙%1").arg(k), k % 3 ? QStringLiteral("女") : QStringLiteral("男"),
                       QString::fromUtf8(kUnits[(k / 2) % 6]));
        }
        for (int j = 1; j <= 10; ++j) {
            QStringList scope;
            for (int i = j; i <= kRooms; i += 10)
                scope << QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            t.addStaff(project, QStringLiteral("场外监考"), QString::number(j), {},
                       QStringLiteral("场外%1").arg(j), QStringLiteral("男"), QStringLiteral("一中"),
                       scope.join(QLatin1Char(',')));
        }
        for (int s = 1; s <= 4; ++s)
            for (int i = 1; i <= kRooms; ++i)
                t.db->exec(QStringLiteral(
                               "insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) "
                               "values (?, ?, '2026-06-01 08:00:00', ?, '监考员', ?, ?, ?)"),
                           {project, QStringLiteral("科目%1").arg(s), s, i, (i - 1 + s) % kRooms + 1,
                            (i + 2 * s) % kRooms + 1});
        tx.commit();
        common::readProjectSettings(*t.db, state);
        state.DQKM = QStringLiteral("语文");
    }
};

void liveDraw(benchmark::State& bench) {
    Centre c;
    c.state.ZD = bench.range(0) == 0;
    FakeServices fake;
    fake.random = FixedRandom(99);
    double shown = 0, seconds = 0, stopMs = 0;
    for (auto _ : bench) {
        draw::Frm抽签 w(c.state, fake.services, nullptr);
        auto* drawButton = control<QPushButton>(&w, QStringLiteral("Cmd抽签"));
        control<QTimer>(&w, QStringLiteral("Timer1"))->setInterval(1);
        w.show();
        drawButton->click();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 3000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        shown += w.resultCounter();
        seconds += clock.elapsed() / 1000.0;
        const QString before = control<QLineEdit>(&w, QStringLiteral("Txt监考员_0"))->text();
        QElapsedTimer stop;
        stop.start();
        drawButton->click();
        while (w.drawing())
            QApplication::processEvents();
        stopMs += stop.nsecsElapsed() / 1e6;
        benchmark::DoNotOptimize(before);
    }
    bench.counters["shown_per_second"] = shown / seconds;
    bench.counters["stop_to_result_ms"] = stopMs / double(bench.iterations());
}

} // namespace

BENCHMARK(liveDraw)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(5);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
