#pragma once

// Saved draws: writing a stopped draw as a numbered batch, listing, reading back and
// deleting what was saved. No widgets; every write runs in one transaction.

#include "common/random_source.h"
#include "db/database.h"
#include "engine/draw_engine.h"
#include "engine/working_set.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace engine {

// What a save needs besides the draw itself.
struct SaveRequest {
    int project = 0;       // DQXM
    QString subject;       // DQKM
    QDateTime time;        // taken once; every row of the save carries it
    QString parameterCode; // recorded when the run started
    bool withDuties = false; // the save dialog's "按预选参数处理": outside supervisors and paper checkers too
    RuleState allowReturn = RuleState::Off;  // the paper-checker draw's return rule
    RuleState drawCheckers = RuleState::Off; // whether the paper checkers are drawn at all
};

struct SaveOutcome {
    int batch = 0; // the batch number the rows carry
    QString
        refusal; // when not empty nothing was written: the reason (e.g. the paper checkers cannot be drawn)
};

// Replaces what the project holds for the subject with the draw `result` as a new batch.
// All or nothing: on a database error the exception leaves the previous save untouched.
SaveOutcome saveDraw(db::Database& db, const WorkingSet& ws, const Candidate& result,
                     const SaveRequest& request, common::RandomSource& random);

// One saved draw of a project: the rows of one save share subject and time.
struct SavedDraw {
    QString subject;
    QString time;
    QString entry() const { return subject + QStringLiteral(" # ") + time; }
};

// The project's saved draws, newest first.
QVector<SavedDraw> savedDraws(const db::Database& db, int project);

// Removes the subject's result rows, parameter row and history rows in one transaction.
void deleteSavedDraw(db::Database& db, int project, const QString& subject);

// A room of a saved draw as the draw window shows it.
struct SavedRoom {
    QString room, a, b, supervisor;
    QString boxText() const {
        return room + QLatin1Char('.') + a + QLatin1Char(',') + b + QLatin1Char(',') + supervisor;
    }
};

// The subject's saved rooms in room order; the outside supervisor of each room is filled
// in only when `withSupervisors` (the last saved scope naming the room wins).
QVector<SavedRoom> loadSavedDraw(const db::Database& db, int project, const QString& subject,
                                 bool withSupervisors);

} // namespace engine
