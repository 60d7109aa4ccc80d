#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

// examdb's front end: one parser for every command, the help texts and the exit codes.
namespace cli {

// The exit status of every command.
enum ExitCode : int {
    kDone = 0,        // done; everything checked is consistent
    kRefused = 1,     // refused, cancelled, or an inconsistency found
    kCouldNotRun = 2, // a usage error, or the command could not run (no usable database, ...)
};

struct Console {
    QTextStream& in;
    QTextStream& out;
    QTextStream& err;
};

// What a command needs besides its own arguments.
struct Context {
    QString programFolder; // where examdb runs from; the data folder's order starts there
    QDateTime now;
    Console io;
};

struct Command {
    QString name;     // "init", or two words ("server init")
    QString synopsis; // the arguments after the name
    QString summary;  // what it does, one or more lines
    QList<QCommandLineOption> options;
    int minArguments = 0;
    int maxArguments = 0;
    std::function<int(const QCommandLineParser&, const Context&)> run;
    // Its last argument, when given beyond minArguments, is the program folder (Db/ inside);
    // false where it is a folder to write into.
    bool endsWithProgramFolder = true;
};

// Runs "examdb ARGUMENTS" (without the program's name) and gives its exit status.
int run(const QStringList& arguments, const Context& context);

// The help of every command, or of one ("examdb COMMAND --help"), and one command's help as
// a usage error shows it.
QString helpText();
QString helpText(const Command& command);
QString usageText(const Command& command);

// The database a command works on: FOLDER/Db/Exam.mdb when the positional argument at `index`
// names a FOLDER, else Exam.mdb in the data folder the programs use (common::databaseFile).
QString databaseArgument(const QCommandLineParser& parser, int index, const Context& context);

} // namespace cli
