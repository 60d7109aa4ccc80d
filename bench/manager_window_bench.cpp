// Morvek's start to its main window, and the project editor opening, on a file with
// 1,000 projects; the roster and scope editors on a project of 1,000 people (offscreen).

#include "db/schema.h"
#include "manager/ui/manager_window.h"
#include "manager/ui/project_editor.h"
#include "manager/ui/roster_editor.h"
#include "manager/ui/scope_editor.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
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
        db::Database db(dir.filePath(QStringLiteral("Db/Exam.mdb")), db::Database::Mode::Create);
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

// One project: 400 rooms with their pairs, 100 outside supervisors with a scope of four rooms
// each, 100 paper checkers.
struct RosterSite {
    QTemporaryDir dir;
    RosterSite() {
        QDir(dir.path()).mkpath(QStringLiteral("Db"));
        db::Database db(path(), db::Database::Mode::Create);
        db::createSchema(db);
        db::insertSystemSettings(db, QStringLiteral("单位"));
        db::Transaction t(db);
        db.exec(QStringLiteral("insert into 考点设置 (状态, 考试名称, 考点名称, 考场号位数) values ('正常', "
                               "'考试', '考点', 3)"));
        const auto add = [&db](const QString& kind, int k, const QString& duty, const QVariant& scope) {
            db.exec(QStringLiteral(
                        "insert into 人员安排 (项目编号, 分类, 分组号, 工作任务, 姓名, 性别, 来源单位, "
                        "责任范围) values (1, ?, ?, ?, ?, '女', '第一中学', ?)"),
                    {kind, QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0')), duty,
                     QString(duty + QString::number(k)), scope});
        };
        for (int k = 1; k <= 400; ++k) {
            add(QStringLiteral("监考员"), k, QStringLiteral("甲"), {});
            add(QStringLiteral("监考员"), k, QStringLiteral("乙"), {});
        }
        for (int k = 1; k <= 100; ++k) {
            QStringList scope;
            for (int r = 4 * k - 3; r <= 4 * k; ++r)
                scope << QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0'));
            add(QStringLiteral("场外监考"), k, QStringLiteral("场外监考"), scope.join(QLatin1Char(',')));
            add(QStringLiteral("验卷"), k, QStringLiteral("验卷"), {});
        }
        t.commit();
    }
    QString path() const { return dir.filePath(QStringLiteral("Db/Exam.mdb")); }
    common::RunState state(db::Database& connection) const {
        common::RunState run;
        run.MyDb = path();
        run.db = &connection;
        run.DQXM = 1;
        run.project.roomDigits = 3;
        run.LoginSucceeded = true;
        return run;
    }
};

struct Fixture {
    Site site;
    Quiet quiet;
    common::SystemClock clock;
    engine::SeededRandom random;
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
    db::Database connection(run.MyDb); // the program's one connection, opened at its start
    run.db = &connection;
    run.LoginSucceeded = true;
    for (auto _ : state) {
        manager::ui::Frm项目 editor(run, f.services);
        editor.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ProjectEditorOpens)->Unit(benchmark::kMillisecond);

struct RosterFixture {
    RosterSite site;
    Quiet quiet;
    common::SystemClock clock;
    engine::SeededRandom random;
    common::Services services{quiet, quiet, quiet, quiet, clock, random};
    db::Database db{site.path()};
    common::RunState run = site.state(db);
};

// A page in the middle of the list, the current person's fields and the project's summary.
void BM_RosterRefresh(benchmark::State& state) {
    RosterFixture f;
    manager::ui::Frm监考员 editor(f.run, f.services);
    editor.show();
    editor.findChild<QScrollBar*>(QStringLiteral("VScroll1"))->setValue(500);
    for (auto _ : state) {
        editor.refresh();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RosterRefresh)->Unit(benchmark::kMillisecond);

// 追加, the fields typed, 确定: the checks, the insert and the refreshes that follow.
void BM_RosterAdd(benchmark::State& state) {
    RosterFixture f;
    manager::ui::Frm监考员 editor(f.run, f.services);
    editor.show();
    db::Database& db = f.db;
    auto* add = editor.findChild<QPushButton*>(QStringLiteral("Cmd追加"));
    auto* number = editor.findChild<QLineEdit*>(QStringLiteral("Txt编号"));
    auto* name = editor.findChild<QLineEdit*>(QStringLiteral("Txt姓名"));
    auto* sex = editor.findChild<QComboBox*>(QStringLiteral("Cmb性别"));
    auto* duty = editor.findChild<QComboBox*>(QStringLiteral("Cmb安排"));
    for (auto _ : state) {
        add->click();
        number->setText(QStringLiteral("401"));
        name->setText(QStringLiteral("新 人"));
        sex->setCurrentText(QStringLiteral("男"));
        duty->setCurrentText(QStringLiteral("甲"));
        add->click();
        QApplication::processEvents();
        state.PauseTiming();
        db.exec(QStringLiteral("delete from 人员安排 where 分组号='401'"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RosterAdd)->Unit(benchmark::kMillisecond);

// The people of one category, the 400 rooms and the boxes of the current person.
void BM_ScopeRefresh(benchmark::State& state) {
    RosterFixture f;
    manager::ui::Frm责任 editor(f.run, f.services);
    editor.show();
    editor.findChild<QScrollBar*>(QStringLiteral("VScroll1"))->setValue(50);
    for (auto _ : state) {
        editor.refresh();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ScopeRefresh)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
