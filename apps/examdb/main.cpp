// examdb: creates the exam database beside the programs.
#include "db/init_command.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments().mid(1);
    const QString usage =
        QStringLiteral("usage: examdb init [--demo] [--force] [FOLDER]\n"
                       "  Creates FOLDER/Db/Exam.mdb (FOLDER defaults to the folder of examdb).\n");
    if (args.isEmpty() || args.front() != QStringLiteral("init")) {
        err << usage;
        return 2;
    }
    db::InitOptions options;
    options.folder = QCoreApplication::applicationDirPath();
    for (const QString& a : args.mid(1)) {
        if (a == QStringLiteral("--demo"))
            options.demo = true;
        else if (a == QStringLiteral("--force"))
            options.force = true;
        else if (a.startsWith(QStringLiteral("-"))) {
            err << usage;
            return 2;
        } else
            options.folder = a;
    }
    const db::InitResult r = db::initDatabase(options, QDateTime::currentDateTime());
    (r.ok ? out : err) << r.message << '\n';
    return r.ok ? 0 : 1;
}
