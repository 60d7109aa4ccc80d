#include "cli/command_line.h"

#include "cli/backup_command.h"
#include "cli/import_command.h"
#include "cli/init_command.h"
#include "cli/server_command.h"
#include "cli/verify_command.h"
#include "common/data_folder.h"
#include "db/db_file.h"

namespace cli {

namespace {

const QList<Command>& commands() {
    static const QList<Command> all{initCommand(),   importCommand(),     templateCommand(),
                                    verifyCommand(), serverInitCommand(), serverCopyCommand(),
                                    backupCommand()};
    return all;
}

const QString kExitStatus =
    QStringLiteral("Exit status: 0 done (for verify: everything consistent); 1 refused, cancelled or an\n"
                   "inconsistency found; 2 a usage error, or the command could not run.\n");

// The command the arguments name, and how many words its name takes.
const Command* commandOf(const QStringList& arguments, int& words) {
    for (const Command& c : commands()) {
        const QStringList name = c.name.split(QLatin1Char(' '));
        if (arguments.mid(0, name.size()) == name) {
            words = int(name.size());
            return &c;
        }
    }
    return nullptr;
}

} // namespace

QString helpText(const Command& command) {
    QString text = QStringLiteral("examdb ") + command.name;
    if (!command.synopsis.isEmpty())
        text += QLatin1Char(' ') + command.synopsis;
    text += QLatin1Char('\n');
    for (const QString& line : command.summary.split(QLatin1Char('\n')))
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    return text;
}

QString helpText() {
    QString text = QStringLiteral("usage:\n");
    for (const Command& c : commands())
        text += helpText(c);
    return text +
           QStringLiteral("examdb help | examdb COMMAND --help\n  Shows this text, or one command's.\n") +
           kExitStatus;
}

QString databaseArgument(const QCommandLineParser& parser, int index, const Context& context) {
    const QStringList given = parser.positionalArguments();
    return index < given.size() ? db::databasePath(given.at(index))
                                : common::databaseFile(context.programFolder);
}

int run(const QStringList& arguments, const Context& context) {
    QTextStream& out = context.io.out;
    QTextStream& err = context.io.err;
    const QString first = arguments.value(0);
    if (first == QLatin1String("help") || first == QLatin1String("--help") || first == QLatin1String("-h")) {
        out << helpText();
        return kDone;
    }
    int words = 0;
    const Command* command = commandOf(arguments, words);
    if (!command) {
        if (!first.isEmpty())
            err << QStringLiteral("未知的命令：") << first << '\n';
        err << helpText();
        return kCouldNotRun;
    }
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    parser.addOptions(command->options);
    if (!parser.parse(QStringList{QStringLiteral("examdb")} + arguments.mid(words))) {
        err << parser.errorText() << '\n' << QStringLiteral("usage: ") << helpText(*command);
        return kCouldNotRun;
    }
    if (parser.isSet(help)) {
        out << helpText(*command) << kExitStatus;
        return kDone;
    }
    const qsizetype given = parser.positionalArguments().size();
    if (given < command->minArguments || given > command->maxArguments) {
        err << QStringLiteral("usage: ") << helpText(*command);
        return kCouldNotRun;
    }
    return command->run(parser, context);
}

} // namespace cli
