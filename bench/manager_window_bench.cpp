// Morvek's start to its main window, and the project editor opening, on a file with
// 1,000 projects (offscreen; the login is skipped).

#include "db/schema.h"
#include "manager/ui/manager_window.h"
#include "manager/ui/project_editor.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Quiet : common::Prompter, common::Shell, common::FileChooser, common::DialogRunner {
    void message(QWidget*, const QString&, Icon, const QString&) override {}
    bool confirm(QWidget*, const QString&, Icon, const QString&) override { return false; }
    bool openFile(const QString&) override { return true; }
    bool startProgram(const QString&) override { return true; }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int run(QDialog&) override { return QDialog::Rejected; }
};

struct Site {
    QTemporaryDir dir;
    Site() {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        db::Database db(dir.filePath(QStringLiteral("Db/Exam.mdb")));
        db::createSchema(db);
        db::insertSystemSettings(db, QStringLiteral("单位"));
        db::Transaction t(db);
        for (int i = 1; i <= 1000; ++i)
            db.exec(
                QStringLiteral(
                    "insert into 考点设置 (状态, 考试名称, 考点名称, 考场号位数) values ('正常', ?, ?, 3)"),
                {QStringLiteral("考试%1").arg(i), QStringLiteral("考点%1").arg(i)});
        t.commit();
    }
};

struct Fixture {
    Site site;
    Quiet quiet;
    common::SystemClock clock;
    common::SeededRandom random;
    common::Services services{quiet, quiet, quiet, quiet, clock, random};
};

void BM_StartToMainWindow(benchmark::State& state) {
    Fixture f;
    int n = 0;
    for (auto _ : state) {
        common::SingleInstance instance(QStringLiteral("MorvekBench%1").arg(++n), f.site.dir.path());
        manager::ui::Frm管理 w(f.services);
        w.startUp(f.site.dir.path(), instance);
        w.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StartToMainWindow)->Unit(benchmark::kMillisecond);

void BM_ProjectEditorOpens(benchmark::State& state) {
    Fixture f;
    common::RunState run;
    run.MyDb = f.site.dir.filePath(QStringLiteral("Db/Exam.mdb"));
    run.LoginSucceeded = true;
    for (auto _ : state) {
        manager::ui::Frm项目 editor(run, f.services);
        editor.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ProjectEditorOpens)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
