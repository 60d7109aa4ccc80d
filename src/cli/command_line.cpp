#include "cli/command_line.h"

#include "cli/backup_command.h"
#include "cli/import_command.h"
#include "cli/init_command.h"
#include "cli/server_command.h"
#include "cli/verify_command.h"
#include "common/data_folder.h"
#include "db/db_error.h"
#include "db/db_file.h"
#include "db/server.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

const QList<Command>& commands() {
    static const QList<Command> all{initCommand(),   importCommand(),     templateCommand(),
                                    verifyCommand(), serverInitCommand(), serverCopyCommand(),
                                    backupCommand()};
    return all;
}

const QString kExitStatus =
    QStringLiteral("退出状态：0 完成（verify：全部一致）；1 拒绝、取消或发现不一致；\n"
                   "2 用法错误，或命令无法执行。\n");

const QString kUsage = QStringLiteral("用法：");

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

// The commands whose name begins with `word` and more ("server": server init, server copy).
QString subcommandsText(const QString& word) {
    QString text;
    for (const Command& c : commands()) {
        if (c.name.startsWith(word + u' '))
            text += helpText(c);
    }
    return text;
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
    QString text = kUsage + u'\n';
    for (const Command& c : commands())
        text += helpText(c);
    return text +
           QStringLiteral("examdb help | examdb COMMAND --help | examdb --version\n"
                          "  显示本说明、一个命令的说明或 examdb 的版本。\n") +
           kExitStatus;
}

QString usageText(const Command& command) {
    return kUsage + helpText(command);
}

namespace {

// The data folder given where the program folder is meant: FOLDER/Db/Exam.mdb would then be
// looked for one level too deep, and `init` would make a second database there.
QString dataFolderGivenText(const QString& folder) {
    const QDir given(folder);
    if (given.dirName().compare(QLatin1String("Db"), Qt::CaseInsensitive) != 0)
        return {};
    if (!given.exists(QLatin1String(db::kDatabaseFileName)) &&
        !given.exists(QString::fromLatin1(db::server::kFileName)))
        return {};
    return QStringLiteral(
               "FOLDER 应是程序文件夹（其中的 Db 文件夹存放数据库），而不是 Db 文件夹本身。\n请改用：%1")
        .arg(QDir::toNativeSeparators(QFileInfo(given.absolutePath()).absolutePath()));
}

} // namespace

Outcome attempt(const std::function<Outcome()>& work,
                const std::function<Outcome(const db::DbError& e)>& stopped) {
    try {
        return work();
    } catch (const db::DbError& e) {
        return stopped(e);
    }
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
    const QStringList helpWords{QStringLiteral("help"), QStringLiteral("--help"), QStringLiteral("-h")};
    if (helpWords.contains(first)) {
        out << helpText();
        return kDone;
    }
    if (first == QLatin1String("--version")) {
        out << QStringLiteral("examdb ") << QStringLiteral(EXAM_VERSION) << '\n';
        return kDone;
    }
    int words = 0;
    const Command* command = commandOf(arguments, words);
    if (!command) {
        // A word that only begins commands ("server") gets them listed.
        if (const QString listed = subcommandsText(first); !listed.isEmpty()) {
            const QString second = arguments.value(1);
            if (helpWords.contains(second)) {
                out << listed << kExitStatus;
                return kDone;
            }
            if (second.isEmpty())
                err << QStringLiteral("examdb %1 后面要跟一个子命令：").arg(first) << '\n';
            else
                err << QStringLiteral("未知的命令：%1 %2").arg(first, second) << '\n';
            err << kUsage << '\n' << listed;
            return kCouldNotRun;
        }
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
        QStringList unknown = parser.unknownOptionNames();
        for (QString& name : unknown)
            name.prepend(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"));
        err << (unknown.isEmpty() ? parser.errorText()
                                  : QStringLiteral("未知的选项：") + unknown.join(QStringLiteral("、")))
            << '\n'
            << usageText(*command);
        return kCouldNotRun;
    }
    if (parser.isSet(help)) {
        out << helpText(*command) << kExitStatus;
        return kDone;
    }
    const qsizetype given = parser.positionalArguments().size();
    if (given < command->minArguments || given > command->maxArguments) {
        err << usageText(*command);
        return kCouldNotRun;
    }
    if (command->endsWithProgramFolder && given > command->minArguments) {
        if (const QString hint = dataFolderGivenText(parser.positionalArguments().constLast());
            !hint.isEmpty()) {
            err << hint << '\n';
            return kCouldNotRun;
        }
    }
    const Outcome outcome = attempt([&] { return command->run(parser, context); },
                                    [command](const db::DbError& e) -> Outcome {
                                        return stop(kCouldNotRun, command->databaseFailure + e.text());
                                    });
    if (outcome)
        return *outcome;
    err << outcome.error().failure.text() << '\n';
    return outcome.error().status;
}

} // namespace cli
