// Saves draws of the current project into a program folder's database, one subject after
// another, each stop recorded in the ledger first, until it is killed or has made the saves
// asked for. It opens the file as the draw
// program does (one connection at start-up, which its windows share). After each save has
// committed it prints "<subject>\t<batch>\t<milliseconds the save took>" and flushes, so
// whoever kills it knows which saves were confirmed.
//   save_loop FOLDER [--rollback-journal] [--saves N]
// --rollback-journal takes the database for one on a network drive.
#include "common/services.h"
#include "common/startup.h"
#include "db/database.h"
#include "db/db_file.h"
#include "draw/random_source.h"
#include "store/draw_history.h"
#include "store/draw_repository.h"
#include "store/draw_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return 2;
    if (args.contains(QStringLiteral("--rollback-journal")))
        db::setNetworkProbe(+[](const QString&) { return true; });
    const int saves = args.indexOf(QStringLiteral("--saves")) > 0
                          ? args.value(args.indexOf(QStringLiteral("--saves")) + 1).toInt()
                          : -1;
    QTextStream out(stdout), err(stderr);
    common::RunState state;
    const base::Result<common::StartupDatabase> start = common::openStartupDatabase(state, args.at(1));
    if (!start) {
        err << start.error().text() << '\n';
        return 1;
    }
    state.db = start->db.get();
    try {
        db::Database& d = common::runDatabase(state);
        const int project =
            d.scalar(QStringLiteral("select 当前项目 from 系统设置 where 状态='正常' order by 编号")).toInt();
        const engine::WorkingSet ws = engine::loadWorkingSet(d, project);
        QStringList subjects;
        for (const db::Row& r :
             d.query(QStringLiteral("select 科目 from 时间安排 where 项目编号=?"), {project}))
            subjects << db::text(r, QStringLiteral("科目"));
        // The turn goes on from the subject saved last, also across runs, so a save never
        // replaces the one confirmed just before it.
        const QString lastSaved = d.scalar(QStringLiteral("select 科目 from 抽签历史 where 数据批次="
                                                          "(select max(数据批次) from 抽签历史)"))
                                      .toString();
        engine::SeededRandom random;
        engine::DrawSettings settings;
        for (int k : {0, 1, 4, 5})
            settings.rules[k] = engine::RuleState::On;
        for (qint64 i = subjects.indexOf(lastSaved) + 1, done = 0; saves < 0 || done < saves; ++i, ++done) {
            // A draw as the window makes it, so that its certificate replays.
            engine::DrawRun run(ws, random);
            const engine::DrawResult started = run.start(
                settings, engine::loadPairingHistory(d, project),
                engine::loadDutyHistory(d, project, QStringLiteral("场外监考"), ws.supervisorCount()));
            const engine::DrawResult stopped = started.status == engine::DrawStatus::Impossible
                                                   ? started
                                                   : run.stop(engine::loadPairingHistory(d, project), 10'000);
            if (stopped.status != engine::DrawStatus::Done) {
                err << stopped.reason << '\n';
                return 1;
            }
            engine::SaveRequest r;
            r.project = project;
            r.subject = subjects.at(int(i % subjects.size()));
            r.time = QDateTime::currentDateTime();
            run.record(d, {project, r.subject, r.time});
            r.withDuties = i % 2 == 0;
            r.allowReturn = settings[engine::Rule::AllowReturn];
            r.drawCheckers = settings[engine::Rule::DrawCheckers];
            QElapsedTimer took;
            took.start();
            const engine::SaveOutcome saved = run.save(d, r);
            if (!saved) {
                err << saved.error().text() << '\n';
                return 1;
            }
            out << r.subject << '\t' << *saved << '\t' << took.nsecsElapsed() / 1e6 << '\n';
            out.flush();
        }
        return 0;
    } catch (const db::DbError& e) {
        err << e.text() << '\n';
        return 1;
    }
}
