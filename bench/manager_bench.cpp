// Speed of the data-management editors on a large file: one refresh of the settings
// editor's page with 1,000 projects, one refresh of the roster editor (page and summary)
// with 1,000 people, and one added person; and one login against the stored derivation.

#include "common/startup.h"
#include "db/password_hash.h"
#include "db/schema.h"
#include "manager/project_form.h"
#include "manager/staff_roster.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct BenchDb {
    QTemporaryDir dir;
    std::unique_ptr<db::Database> db;
    int project = 1;

    BenchDb(int projects, int people) {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        db = std::make_unique<db::Database>(dir.filePath(QStringLiteral("Db/Exam.mdb")),
                                            db::Database::Mode::Create);
        db::createSchema(*db);
        db::insertSystemSettings(*db, QStringLiteral("单位"));
        db::Transaction t(*db);
        for (int i = 1; i <= projects; ++i)
            db->exec(
                QStringLiteral(
                    "insert into 考点设置 (状态, 考试名称, 考点名称, 考场号位数) values ('正常', ?, ?, 3)"),
                {QStringLiteral("考试%1").arg(i), QStringLiteral("考点%1").arg(i)});
        // Invigilators two to a room, then outside supervisors and paper checkers.
        for (int i = 0; i < people; ++i) {
            const bool invigilator = i < people * 8 / 10;
            const QString kind = invigilator ? QStringLiteral("监考员")
                                             : (i % 2 ? QStringLiteral("场外监考") : QStringLiteral("验卷"));
            const QString duty = invigilator ? (i % 2 ? QStringLiteral("乙") : QStringLiteral("甲")) : kind;
            db->exec(QStringLiteral(
                         "insert into 人员安排 (项目编号, 分类, 分组号, 工作任务, 姓名, 性别, 来源单位) "
                         "values (?, ?, ?, ?, ?, ?, '一中')"),
                     {project, kind, QStringLiteral("%1").arg(i / 2 + 1, 3, 10, QLatin1Char('0')), duty,
                      QStringLiteral("人%1").arg(i), i % 3 ? QStringLiteral("男") : QStringLiteral("女")});
        }
        t.commit();
    }
};

void BM_ProjectPageRefresh(benchmark::State& state) {
    BenchDb b(1000, 0);
    const manager::RecordSource source(*b.db, manager::projectDefinition());
    manager::RecordPager pager(5);
    manager::readPage(source, pager);
    pager.setTop(600);
    for (auto _ : state)
        benchmark::DoNotOptimize(manager::readPage(source, pager));
}
BENCHMARK(BM_ProjectPageRefresh)->Unit(benchmark::kMillisecond);

void BM_RosterRefresh(benchmark::State& state) {
    BenchDb b(1, 1000);
    const manager::RecordSource source(*b.db, manager::rosterDefinition(b.project,
                                                                        manager::RosterCategory::Invigilators,
                                                                        manager::RosterSubset::All));
    manager::RecordPager pager(12);
    manager::readPage(source, pager);
    pager.setTop(500);
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager::readPage(source, pager));
        benchmark::DoNotOptimize(manager::rosterSummary(*b.db, b.project));
    }
}
BENCHMARK(BM_RosterRefresh)->Unit(benchmark::kMillisecond);

void BM_RosterAdd(benchmark::State& state) {
    BenchDb b(1, 1000);
    manager::RecordSource source(*b.db,
                                 manager::rosterDefinition(b.project, manager::RosterCategory::Invigilators,
                                                           manager::RosterSubset::All));
    const manager::RosterInput typed{QStringLiteral("7"),
                                     QStringLiteral("张 三"),
                                     QStringLiteral("男"),
                                     QStringLiteral("甲"),
                                     QStringLiteral("一中"),
                                     {},
                                     {}};
    for (auto _ : state) {
        source.insert(manager::newRosterFields(manager::normalisedRoster(typed, 3), b.project,
                                               manager::RosterCategory::Invigilators));
    }
}
BENCHMARK(BM_RosterAdd)->Unit(benchmark::kMillisecond);

// What one login costs the operator, and each guess whoever copied the file.
void BM_Login(benchmark::State& state) {
    common::RunState run;
    run.Yhm = QStringLiteral("admin");
    run.YhMm = db::hashPassword(QStringLiteral("admin"));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            common::credentialsMatch(run, QStringLiteral("admin"), QStringLiteral("admin")));
}
BENCHMARK(BM_Login)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
