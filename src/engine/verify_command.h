#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// The `examdb verify` command: checks the saved draws of a database against their certificates.
namespace engine {

inline const QString kVerifyUsage = QStringLiteral(
    "examdb verify [--project N] [--batch B] [FOLDER]\n"
    "  Checks every saved draw batch (or those of project N, or batch B) against its certificate:\n"
    "  the stored inputs, a replay of the draw, and the draw rules on the saved rows.\n"
    "  FOLDER holds Db/Exam.mdb (default: the folder of examdb); the file is only read.\n");

// `args` follow the command word. One line per batch on `out`; 0 when no batch is inconsistent,
// 1 when one is or the file cannot be read, 2 for a usage error.
int runVerifyCommand(const QStringList& args, const QString& defaultFolder, QTextStream& out,
                     QTextStream& err);

} // namespace engine
