#pragma once

#include "cli/command_line.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTextStream>

// examdb run in the test's process, with the clock at a fixed moment and nothing to read.
struct ExamdbRun {
    int status = 0;
    QString out, err;
    QString printed() const { return out + err; }
};

inline const QDateTime kExamdbNow(QDate(2026, 12, 8), QTime(9, 0));

inline ExamdbRun examdb(const QStringList& args, const QString& programFolder) {
    ExamdbRun r;
    QString input;
    QTextStream in(&input), out(&r.out), err(&r.err);
    r.status = cli::run(args, {programFolder, kExamdbNow, {in, out, err}});
    out.flush();
    err.flush();
    return r;
}
