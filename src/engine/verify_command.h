#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// The `examdb verify` command: checks the saved draws of a database against their certificates.
namespace engine {

inline const QString kVerifyUsage = QStringLiteral(
    "examdb verify [--project N] [--batch B] [FOLDER]\n"
    "  Checks every saved draw batch (or those of project N, or batch B) against its certificate:\n"
    "  the stored inputs, a replay of the draw, the draw rules and the history on the saved rows;\n"
    "  every saved row must belong to a certified batch. Deleted batches are listed with their code.\n"
    "  FOLDER holds Db/Exam.mdb (default: the database the programs use); the file is only read.\n"
    "  Exit status: 0 all consistent; 1 an inconsistency, rows without a certificate, an unknown\n"
    "  engine version, or no batch where --project or --batch asks for one; 2 verify could not run\n"
    "  (wrong arguments; the file missing, refused, damaged or unreadable).\n");

// `args` follow the command word. One line per batch on `out`; the exit status of kVerifyUsage.
int runVerifyCommand(const QStringList& args, const QString& programFolder, QTextStream& out,
                     QTextStream& err);

} // namespace engine
