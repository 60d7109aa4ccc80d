// One program of a centre's PC, driven from a test through stdin, so that several of them can
// run side by side on one database.
//   side_peer morvek|vardel FOLDER  starts as that program does (fake services answer every
//                                   dialog), prints "ready", then takes lines:
//       windows   opens and closes every window the program opens on the database
//       write K   commits a timetable row named side-K through the program's connection
//   side_peer touch FOLDER          opens, reads and closes the file as a command does
//   side_peer touch-loop FOLDER [--rollback-journal]
//                                   does that every 20 ms until it is killed; the option
//                                   takes the folder for a network drive, as save_loop does
//   side_peer import-loop FOLDER FILE  imports FILE into the current project again and again
//   side_peer count FOLDER          prints how many side-K rows a fresh reader sees
#include "cli/command_line.h"
#include "common/single_instance.h"
#include "db/db_file.h"
#include "draw_window/draw_window.h"
#include "draw_window/load_dialog.h"
#include "draw_window/main_window.h"
#include "draw_window/project_dialog.h"
#include "fake_dialogs.h"
#include "manager/ui/manager_window.h"
#include "manager/ui/password_dialog.h"
#include "manager/ui/project_editor.h"
#include "manager/ui/roster_editor.h"
#include "manager/ui/scope_editor.h"
#include "manager/ui/timetable_editor.h"
#include "reports/ui/report_window.h"
#include "roster_import/ui/import_window.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <functional>

namespace {

const QString kRows = QStringLiteral("select count(*) from 时间安排 where 项目编号=0 and 科目 like 'side-%'");

template <class Window> void openAndClose(common::RunState& state, common::Services& services) {
    Window w(state, services);
}

int serve(common::RunState& state, const std::function<void()>& windows) {
    QTextStream out(stdout);
    out << "ready\n";
    out.flush();
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 2;
    while (true) {
        const QString line = QString::fromUtf8(in.readLine()).trimmed();
        if (line.isEmpty())
            return 0;
        try {
            if (line == QLatin1String("windows")) {
                windows();
            } else if (line.startsWith(QLatin1String("write "))) {
                db::Database& db = common::runDatabase(state);
                db::Transaction tx(db);
                db.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目, 开考时间, 时长) values "
                                       "(0, ?, '2026-06-07 09:00:00', 10)"),
                        {QVariant(QStringLiteral("side-") + line.mid(6))});
                tx.commit();
            }
            out << "ok " << line << '\n';
        } catch (const db::DbError& e) {
            out << "error " << QString(e.text()).replace(QLatin1Char('\n'), QLatin1Char(' ')) << '\n';
        }
        out.flush();
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString& role = args.at(1);
    const QString& folder = args.at(2);
    if (args.contains(QStringLiteral("--rollback-journal")))
        db::setNetworkProbe(+[](const QString&) { return true; });
    QTextStream out(stdout);
    try {
        if (role == QLatin1String("touch")) {
            db::Database d(db::databasePath(folder));
            d.scalar(kRows);
            return 0;
        }
        while (role == QLatin1String("touch-loop")) {
            try {
                db::Database d(db::databasePath(folder));
                d.scalar(kRows);
            } catch (const db::DbError&) {
                // Busy while another program switches or checkpoints: the next round tries again.
            }
            // A program starting or a command every few hundredths of a second: far more often
            // than a centre's PCs do, without starving the others of the lock outright.
            QThread::msleep(20);
        }
        while (role == QLatin1String("import-loop")) {
            QString ignored;
            QTextStream in(stdin), quiet(&ignored);
            cli::run({QStringLiteral("import"), args.value(3), folder, QStringLiteral("--yes")},
                     {folder, QDateTime::currentDateTime(), {in, quiet, quiet}});
            ignored.clear();
        }
        if (role == QLatin1String("count")) {
            const db::Database d(db::databasePath(folder), db::Database::Mode::ReadOnly);
            out << d.scalar(kRows).toInt() << '\n';
            return 0;
        }
    } catch (const db::DbError& e) {
        QTextStream(stderr) << e.text() << '\n';
        return 1;
    }
    FakeServices fake;
    common::Services& s = fake.services;
    if (role == QLatin1String("morvek")) {
        common::SingleInstance instance(QStringLiteral("Morvek"), folder);
        manager::ui::Frm管理 w(s);
        if (w.startUp(folder, instance) != manager::ui::Frm管理::Start::Run)
            return 1;
        w.state.LoginSucceeded = true;
        return serve(w.state, [&] {
            using namespace manager::ui;
            openAndClose<Frm项目>(w.state, s);
            openAndClose<Frm时间设置>(w.state, s);
            openAndClose<Frm监考员>(w.state, s);
            openAndClose<Frm责任>(w.state, s);
            openAndClose<Frm密码>(w.state, s);
            openAndClose<roster_import::ui::Frm数据导入>(w.state, s);
        });
    }
    if (role == QLatin1String("vardel")) {
        draw::Frm参数 w(s);
        if (w.startUp(folder) != draw::Frm参数::Start::Run)
            return 1;
        w.state.LoginSucceeded = true;
        return serve(w.state, [&] {
            { draw::Frm抽签 drawWindow(w.state, s, nullptr); }
            openAndClose<draw::Frm加载数据>(w.state, s);
            openAndClose<draw::Frm选项目>(w.state, s);
            openAndClose<reports::ui::Frm报表>(w.state, s);
        });
    }
    return 2;
}
