// The cost of the draw certificate at the largest centre (154 rooms, ten outside supervisors,
// ten paper checkers, twenty earlier batches): a whole save with it and with the record of the
// batch it replaces, the certificate and the deletion record alone, and examdb verify of one
// batch and of the whole file; the load of a saved batch. The draw ledger: a stop's row in its
// own transaction, and verify of a file whose ledger has 1,000 rows. The import of the 308
// invigilators and examdb backup of the whole database. With EXAM_BENCH_SERVER (a libpq
// connection string to a PostgreSQL server where the user may create databases) the same runs
// go against a database of their own on that server too (argument 1), in the same run.

#include "audit/deletion_record.h"
#include "audit/draw_ledger.h"
#include "audit/verify.h"
#include "audit/verify_ledger.h"
#include "cli/command_line.h"
#include "db/database.h"
#include "db/db_file.h"
#include "db/schema.h"
#include "db/server.h"
#include "roster_import/roster_import.h"
#include "store/draw_history.h"
#include "store/draw_repository.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRooms = 154;
constexpr int kEarlierBatches = 20;
const char* const kUnits[] = {"一中", "二中", "三中", "四中", "五中", "六中"};

// A database of its own on the server, made for the run and dropped after it.
struct ServerDatabase {
    QString name;
    explicit ServerDatabase(const QString& wanted) : name(wanted) {
        admin(QStringLiteral("create database ") + name);
    }
    ~ServerDatabase() { admin(QStringLiteral("drop database if exists %1 with (force)").arg(name)); }
    static void admin(const QString& sql) {
        {
            QSqlDatabase d =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-admin"));
            d.setConnectOptions(qEnvironmentVariable("EXAM_BENCH_SERVER") +
                                QStringLiteral(" dbname=postgres"));
            if (d.open())
                QSqlQuery(d).exec(sql);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    }
};

struct Centre {
    QTemporaryDir dir;
    std::unique_ptr<ServerDatabase> server;
    std::unique_ptr<db::Database> db;
    int project = 0;
    engine::WorkingSet ws;
    engine::DrawSettings settings;
    std::uint64_t seed = 1;
    int saves = 0;

    explicit Centre(bool onServer) {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        if (onServer) {
            static int made = 0;
            server = std::make_unique<ServerDatabase>(
                QStringLiteral("exam_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made));
            db::server::writeConnection(dir.filePath(QStringLiteral("Db/Exam.server")),
                                        qEnvironmentVariable("EXAM_BENCH_SERVER") +
                                            QStringLiteral(" dbname=") + server->name);
        }
        db = std::make_unique<db::Database>(path(), db::Database::Mode::Create);
        db::createSchema(*db);
        db::Transaction tx(*db);
        db->exec(QStringLiteral("insert into 考点设置 (状态, 考试名称) values ('正常', '基准')"));
        project = static_cast<int>(db->lastInsertId());
        const QString staff =
            QStringLiteral("insert into 人员安排 (项目编号, 分类, 分组号, 工作任务, 姓名, 性别, "
                           "来源单位, 身份证号, 责任范围) values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int k = 1; k <= kRooms; ++k) {
            const QString room = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
            db->exec(staff,
                     {project, QStringLiteral("监考员"), room, QStringLiteral("甲"),
                      QStringLiteral("甲%1").arg(k), k % 2 ? QStringLiteral("男") : QStringLiteral("女"),
                      QString::fromUtf8(kUnits[k % 6]), QStringLiteral("A%1").arg(k), QVariant()});
            db->exec(staff,
                     {project, QStringLiteral("监考员"), room, QStringLiteral("乙"),
                      QStringLiteral("乙%1").arg(k), k % 3 ? QStringLiteral("女") : QStringLiteral("男"),
                      QString::fromUtf8(kUnits[(k / 2) % 6]), QStringLiteral("B%1").arg(k), QVariant()});
        }
        for (const QString& kind : {QStringLiteral("场外监考"), QStringLiteral("验卷")})
            for (int j = 1; j <= 10; ++j) {
                QStringList scope;
                for (int i = j; i <= kRooms; i += 10)
                    scope << QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
                db->exec(staff,
                         {project, kind, QStringLiteral("%1").arg(j, 2, 10, QLatin1Char('0')), QVariant(),
                          QString(kind + QString::number(j)), QStringLiteral("男"), QStringLiteral("一中"),
                          QStringLiteral("D%1").arg(j), scope.join(QLatin1Char(','))});
            }
        tx.commit();
        ws = engine::loadWorkingSet(*db, project);
        settings.mode = engine::DrawMode::Independent;
        for (engine::Rule r : {engine::Rule::FewerSameGender, engine::Rule::FewerSameUnit,
                               engine::Rule::DrawSupervisors, engine::Rule::DrawCheckers})
            settings[r] = engine::RuleState::On;
        for (int k = 1; k <= kEarlierBatches; ++k)
            save(QStringLiteral("科目%1").arg(k));
    }
    ~Centre() { db.reset(); }
    QString path() const { return db::databasePath(dir.path()); }

    // What the run hands to the save: a candidate drawn from a fresh seed against the history.
    engine::StoppedDraw stopped() {
        engine::StoppedDraw d;
        d.settings = settings;
        d.pairingHistory = engine::loadPairingHistory(*db, project);
        d.supervisorHistory = engine::loadDutyHistory(*db, project, QStringLiteral("场外监考"), 10);
        d.seed = seed++;
        engine::DrawInputs in;
        in.ws = ws;
        in.seed = d.seed;
        in.settings = d.settings;
        in.pairingHistory = d.pairingHistory;
        in.supervisorHistory = d.supervisorHistory;
        d.candidate = *engine::replayCandidate(in);
        return d;
    }
    int save(const QString& subject, const engine::StoppedDraw& d) {
        engine::SaveRequest r;
        r.project = project;
        r.subject = subject;
        r.time = QDateTime(QDate(2026, 6, 7), QTime(9, 0)).addSecs(60 * saves++);
        r.withDuties = true;
        r.drawCheckers = engine::RuleState::On;
        engine::StoppedDraw recorded = d;
        recorded.stop = engine::recordStop(*db, {project, subject, r.time},
                                           engine::drawnInputs(ws, d, project, subject), d.candidate, 1);
        return engine::saveDraw(*db, ws, recorded, r).value_or(0);
    }
    int save(const QString& subject) { return save(subject, stopped()); }
};

// The file (argument 0) or the server (1).
Centre& centre(const benchmark::State& state) {
    static Centre file(false);
    if (state.range(0) == 0)
        return file;
    static Centre server(true);
    return server;
}

// One of its own, with 语文 saved three times: each save of it after the first adds a deletion
// record.
std::unique_ptr<Centre> centreWithThreeSaves(const benchmark::State& state) {
    auto c = std::make_unique<Centre>(state.range(0) == 1);
    for (int k = 0; k < 3; ++k)
        c->save(QStringLiteral("语文"));
    return c;
}

// For verify: the saves measured above would add a deletion record each.
Centre& verifyCentre(const benchmark::State& state) {
    static std::unique_ptr<Centre> made[2];
    auto& c = made[state.range(0)];
    if (!c)
        c = centreWithThreeSaves(state);
    return *c;
}

// The save of 语文 over and over: each replaces the one before, certificate included, and
// records what it replaced.
void saveWithCertificate(benchmark::State& state) {
    Centre& c = centre(state);
    const engine::StoppedDraw d = c.stopped();
    for (auto _ : state)
        benchmark::DoNotOptimize(c.save(QStringLiteral("语文"), d));
}

// The certificate's share of a save: the canonical inputs and rows and their two digests.
void certificateAlone(benchmark::State& state) {
    Centre& c = centre(state);
    const int batch = c.save(QStringLiteral("语文"));
    const engine::Certificate saved = engine::readCertificates(*c.db, 0, batch).front();
    const engine::DrawInputs in = *engine::decodeInputs(saved.inputs);
    const engine::SavedRows rows = engine::readSavedRows(*c.db, c.project, QStringLiteral("语文"));
    for (auto _ : state)
        benchmark::DoNotOptimize(engine::makeCertificate(in, rows).resultDigest);
}

// The deletion record's share of a save that replaces a batch: reading the rows, their text and
// digest, and the insert (rolled back, so that every round records the same batch).
void deletionRecordAlone(benchmark::State& state) {
    Centre& c = centre(state);
    c.save(QStringLiteral("语文"));
    const QDateTime when(QDate(2026, 6, 7), QTime(10, 0));
    for (auto _ : state) {
        db::Transaction tx(*c.db);
        engine::recordDeletion(*c.db, c.project, QStringLiteral("语文"), when, engine::kDeletedBySave);
    }
}

// examdb verify of one batch on a file opened read-only: reading, digests, replay, rules, history.
void verifyOneBatch(benchmark::State& state) {
    Centre& c = verifyCentre(state);
    const int batch = engine::readCertificates(*c.db).back().batch;
    db::Database readOnly(c.path(), db::Database::Mode::ReadOnly);
    for (auto _ : state) {
        // The batch and the two deletion records of its number (a replaced latest batch gives
        // its number to the next save).
        for (const engine::BatchVerdict& v : engine::verifyDraws(readOnly, 0, batch))
            if (v.fails())
                state.SkipWithError("the batch does not verify");
    }
}

// examdb verify of the whole file: 21 batches and two deletion records; per batch, divide by 21.
void verifyWholeFile(benchmark::State& state) {
    Centre& c = verifyCentre(state);
    db::Database readOnly(c.path(), db::Database::Mode::ReadOnly);
    for (auto _ : state) {
        for (const engine::BatchVerdict& v : engine::verifyDraws(readOnly))
            if (v.fails())
                state.SkipWithError("a batch does not verify");
    }
}

// What recording a stop adds to it: the stop's texts and digests and its row, in a write
// transaction of its own.
void stopRecorded(benchmark::State& state) {
    Centre& c = centre(state);
    const engine::StoppedDraw d = c.stopped();
    const engine::DrawInputs in = engine::drawnInputs(c.ws, d, c.project, QStringLiteral("语文"));
    const QDateTime when(QDate(2026, 6, 7), QTime(9, 0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            engine::recordStop(*c.db, {c.project, QStringLiteral("语文"), when}, in, d.candidate, 1));
}

// examdb verify of a file whose ledger holds 1,000 rows: the 20 batches' stops and saves, three
// saves of 语文 and stops nobody saved. Whole, and the ledger's reading and chain alone.
Centre& ledgerCentre(const benchmark::State& state) {
    static std::unique_ptr<Centre> made[2];
    auto& c = made[state.range(0)];
    if (!c) {
        c = centreWithThreeSaves(state);
        const engine::StoppedDraw d = c->stopped();
        const engine::DrawInputs in = engine::drawnInputs(c->ws, d, c->project, QStringLiteral("语文"));
        const QDateTime when(QDate(2026, 6, 7), QTime(12, 0));
        while (c->db->scalar(QStringLiteral("select count(*) from 抽签记录链")).toInt() < 1000)
            engine::recordStop(*c->db, {c->project, QStringLiteral("语文"), when}, in, d.candidate, 1);
    }
    return *c;
}

void verifyThousandLedgerRows(benchmark::State& state) {
    Centre& c = ledgerCentre(state);
    db::Database readOnly(c.path(), db::Database::Mode::ReadOnly);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine::verifyFile(readOnly).ledger.problems.size());
}

void ledgerChainAlone(benchmark::State& state) {
    Centre& c = ledgerCentre(state);
    db::Database readOnly(c.path(), db::Database::Mode::ReadOnly);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine::audit::LedgerBook(readOnly).chainProblems().size());
}

// The load of a saved batch, as the load dialog shows it: 154 rooms with their people.
void loadSavedBatch(benchmark::State& state) {
    Centre& c = verifyCentre(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            engine::loadSavedDraw(*c.db, c.project, QStringLiteral("语文"), true).size());
}

// The import of the invigilators, as examdb import and the import window do it: the staged
// roster (read once) replacing the project's, in one transaction.
void importRoster(benchmark::State& state) {
    Centre& c = centre(state);
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("监考员.csv"));
    {
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly))
            return state.SkipWithError("cannot write the roster");
        QTextStream out(&f);
        out << "监考员甲,分组号,性别1,身份证号1,来源单位1,联系电话1,监考员乙,性别2,身份证号2,来源单位2,"
               "联系电话2,备注\n";
        for (int k = 1; k <= kRooms; ++k)
            out << QStringLiteral("甲%1,%2,男,,%3,,乙%1,女,,%4,,\n")
                       .arg(k)
                       .arg(k, 3, 10, QLatin1Char('0'))
                       .arg(QString::fromUtf8(kUnits[k % 6]), QString::fromUtf8(kUnits[(k / 2) % 6]));
    }
    using namespace roster_import;
    const StagedRoster staged = prepareRosterImport(csv, Categories::only(Category::Invigilator), 3);
    if (staged.status != StagedRoster::Status::Ready)
        return state.SkipWithError("the roster was not staged");
    for (auto _ : state)
        if (!replaceRoster(*c.db, c.project, staged))
            state.SkipWithError("the roster was not replaced");
}

// examdb backup of the whole database (the 20 batches and the roster) into a new file.
void backupWhole(benchmark::State& state) {
    Centre& c = verifyCentre(state);
    QTemporaryDir out;
    int n = 0;
    for (auto _ : state) {
        QString none;
        QTextStream in(&none), said(&none), err(&none);
        const QString target = out.filePath(QStringLiteral("%1.mdb").arg(n++));
        if (cli::run({QStringLiteral("backup"), target, c.dir.path()},
                     {c.dir.path(), QDateTime(), {in, said, err}}) != 0)
            state.SkipWithError("the backup failed");
        QFile::remove(target);
    }
}

// The file, and the server when one is named.
void backends(benchmark::internal::Benchmark* b) {
    b->Arg(0);
    if (qEnvironmentVariableIsSet("EXAM_BENCH_SERVER"))
        b->Arg(1);
}

} // namespace

BENCHMARK(saveWithCertificate)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(certificateAlone)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(deletionRecordAlone)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(verifyOneBatch)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(verifyWholeFile)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(loadSavedBatch)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(stopRecorded)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(verifyThousandLedgerRows)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(importRoster)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(backupWhole)->Apply(backends)->Unit(benchmark::kMillisecond);
BENCHMARK(ledgerChainAlone)->Apply(backends)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
