// examdb: creates the exam database beside the programs, imports rosters into it, writes the
// import template and checks the saved draws against their certificates.
#include "cli/command_line.h"
#include "cli/import_command.h"
#include "roster_import/import_texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream in(stdin), out(stdout), err(stderr);
#ifndef Q_OS_WIN
    // Windows hands over UTF-16; elsewhere a file name is bytes, and one that is not UTF-8
    // reaches Qt with those bytes replaced, naming no file.
    for (int i = 1; i < argc; ++i) {
        if (const auto shown = cli::undecodableArgument(argv[i])) {
            err << roster_import::kNameNotUtf8Detail.arg(*shown) << '\n';
            return cli::kCouldNotRun;
        }
    }
#endif
    const cli::Context context{
        QCoreApplication::applicationDirPath(), QDateTime::currentDateTime(), {in, out, err}};
    return cli::run(app.arguments().mid(1), context);
}
