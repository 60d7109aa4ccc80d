#pragma once

#include "base/result.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <expected>
#include <functional>

namespace db {
class DbError;
}

// examdb's front end: one parser for every command, the help texts and the exit codes.
namespace cli {

// The exit status of every command.
enum ExitCode : int {
    kDone = 0,        // done; everything checked is consistent
    kRefused = 1,     // refused, cancelled, or an inconsistency found
    kCouldNotRun = 2, // a usage error, or the command could not run (no usable database, ...)
};

// Why a command stopped short: what it says on the error stream, and the exit status.
struct Stop {
    base::Failure failure;
    ExitCode status = kCouldNotRun;
};

// What a command's function gives back: the exit status of a run it took to its end (kRefused
// too: an inconsistency found, a question answered No), or why it stopped. The front end alone
// prints a Stop.
using Outcome = std::expected<ExitCode, Stop>;

inline std::unexpected<Stop> stop(ExitCode status, base::Failure failure) {
    return std::unexpected(Stop{std::move(failure), status});
}
inline std::unexpected<Stop> stop(ExitCode status, QString message, QString detail = {}) {
    return stop(status, base::Failure{std::move(message), std::move(detail)});
}

// Runs `work`; a db::DbError it lets escape ends it as `stopped` says. The one place a
// database failure becomes a command's outcome: the front end runs every command through it.
Outcome attempt(const std::function<Outcome()>& work,
                const std::function<Outcome(const db::DbError& e)>& stopped);

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
    std::function<Outcome(const QCommandLineParser&, const Context&)> run;
    // What it says before the database's own words when a database call fails (a db::DbError);
    // it then exits kCouldNotRun.
    QString databaseFailure{};
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
