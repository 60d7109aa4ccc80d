#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

// The `examdb import` and `examdb template` commands: the same code as the import window, with
// the console in place of the message boxes.
namespace manager {

inline const QString kImportUsage = QStringLiteral(
    "examdb import FILE [--only 监考员,场外监考,验卷] [--yes] [FOLDER]\n"
    "  Replaces the roster of the current project by the people in FILE (.xls, .xlsx or .csv).\n"
    "  --only names the categories to replace (default: all three; a CSV file replaces its own).\n"
    "  --yes skips the question. FOLDER holds Db/Exam.mdb (default: the database the programs use).\n");
inline const QString kTemplateUsage =
    QStringLiteral("examdb template [FOLDER]\n"
                   "  Writes the empty import workbook 空表_yyyyMMddHHmmss.xls into FOLDER.\n");

// `args` follow the command word. Asks on `in` unless --yes is given. 0 only when the roster
// was replaced; 2 for a usage error; 1 for anything else.
int runImportCommand(const QStringList& args, const QString& programFolder, QTextStream& in, QTextStream& out,
                     QTextStream& err);

// A command-line argument that is not valid UTF-8 names a file the program cannot open by that
// name; the argument as it stands, each byte that is not UTF-8 as "\xB2". Nothing for valid UTF-8.
std::optional<QString> undecodableArgument(QByteArrayView raw);

int runTemplateCommand(const QStringList& args, const QString& defaultFolder, const QDateTime& now,
                       QTextStream& out, QTextStream& err);

} // namespace manager
