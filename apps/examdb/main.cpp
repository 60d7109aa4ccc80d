// examdb: creates the exam database where the programs look for it, imports rosters into it,
// writes the import template and checks the saved draws against their certificates.
#include "common/data_folder.h"
#include "db/db_file.h"
#include "db/init_command.h"
#include "engine/verify_command.h"
#include "manager/import_command.h"
#include "manager/import_texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>
#include <QTextStream>

namespace {

const QString kInitUsage = QStringLiteral(
    "examdb init [--demo] [--force] [FOLDER]\n"
    "  Creates FOLDER/Db/Exam.mdb. Without FOLDER it creates Exam.mdb where the programs look:\n"
    "  $EXAM_DATA_DIR when set, else Db/ beside examdb when it is there, else (for the installed\n"
    "  package's examdb) its data folder when it is there, else Db/ beside examdb.\n");

QString usage() {
    return QStringLiteral("usage:\n") + kInitUsage + manager::kImportUsage + manager::kTemplateUsage +
           engine::kVerifyUsage + QStringLiteral("examdb --help\n  Shows this text.\n");
}

int runInit(const QStringList& args, QTextStream& out, QTextStream& err) {
    db::InitOptions options;
    for (const QString& a : args) {
        if (a == QStringLiteral("--demo"))
            options.demo = true;
        else if (a == QStringLiteral("--force"))
            options.force = true;
        else if (a.startsWith(QStringLiteral("-"))) {
            err << "usage: " << kInitUsage;
            return 2;
        } else
            options.folder = a;
    }
    const QString path = options.folder.isEmpty()
                             ? common::databaseFile(QCoreApplication::applicationDirPath())
                             : db::databasePath(options.folder);
    const db::InitResult r = db::initDatabase(path, options, QDateTime::currentDateTime());
    (r.ok ? out : err) << r.message << '\n';
    return r.ok ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream in(stdin), out(stdout), err(stderr);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    const QString folder = QCoreApplication::applicationDirPath();
    if (command == QStringLiteral("init"))
        return runInit(args.mid(1), out, err);
    if (command == QStringLiteral("import")) {
#ifndef Q_OS_WIN
        // Windows hands over UTF-16; elsewhere a file name is bytes, and one that is not UTF-8
        // reaches Qt with those bytes replaced, naming no file.
        for (int i = 2; i < argc; ++i) {
            if (const auto shown = manager::undecodableArgument(argv[i])) {
                err << manager::kNameNotUtf8Detail.arg(*shown) << '\n';
                return 1;
            }
        }
#endif
        return manager::runImportCommand(args.mid(1), folder, in, out, err);
    }
    if (command == QStringLiteral("template"))
        return manager::runTemplateCommand(args.mid(1), folder, QDateTime::currentDateTime(), out, err);
    if (command == QStringLiteral("verify"))
        return engine::runVerifyCommand(args.mid(1), folder, out, err);
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h") ||
        command == QStringLiteral("help")) {
        out << usage();
        return 0;
    }
    err << usage();
    return 2;
}
