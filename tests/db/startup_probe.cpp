// Runs a window program's start-up open on a program folder and prints what it found, so a
// test can watch that open under the rights of another user.
//   startup_probe FOLDER   ->   "fatal" and the message, or "open zd=<0|1> subjects=<n>" and the
//                               read-only warning, when there is one
#include "common/startup.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    common::RunState state;
    const base::Result<common::StartupDatabase> start =
        common::openStartupDatabase(state, app.arguments().at(1));
    QTextStream out(stdout);
    if (!start) {
        out << "fatal\n" << start.error().text() << '\n';
        return 0;
    }
    try {
        const int subjects = start->db->scalar(QStringLiteral("select count(*) from 时间安排")).toInt();
        out << "open zd=" << int(state.ZD) << " subjects=" << subjects << '\n';
        if (start->readOnlyWarning)
            out << common::readOnlyWarningText(state) << '\n';
    } catch (const db::DbError& e) {
        out << "fatal\n" << e.text() << '\n';
    }
    return 0;
}
