#pragma once

// Saved draws: writing a stopped draw as a numbered batch, listing, reading back and
// deleting what was saved. No widgets; every write runs in one transaction.

#include "audit/draw_certificate.h"
#include "base/result.h"
#include "db/database.h"
#include "draw/draw_engine.h"
#include "store/working_set.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <cstdint>

namespace engine {

// What a stopped run drew, with everything needed to draw it again: the engine started on
// these rules and histories from a SeededRandom(seed) gives this candidate.
struct StoppedDraw {
    Candidate candidate;
    DrawSettings settings;
    QVector<HistoryRow> pairingHistory;    // as loaded at stop
    QVector<HistoryRow> supervisorHistory; // as loaded at start
    std::uint64_t seed = 0;
    int stop = 0; // 序号 of the ledger row that recorded the stop; 0 while it is not recorded
};

// The inputs of a stopped draw as far as the stop knows them: no time, batch or paper checkers.
DrawInputs drawnInputs(const WorkingSet& ws, const StoppedDraw& draw, int project, const QString& subject);

// A result whose stop the ledger could not take (the file busy past the wait, a full disk) is
// shown, never saved: its save would name no stop.
inline const QString kUnrecordedStop =
    QStringLiteral("本次抽签结果没有记入抽签记录，只能查看，不能保存，请重新抽签！");

// What a save needs besides the draw itself.
struct SaveRequest {
    int project = 0;         // DQXM
    QString subject;         // DQKM
    QDateTime time;          // taken once; every row of the save carries it
    bool withDuties = false; // the save dialog's "按预选参数处理": outside supervisors and paper checkers too
    RuleState allowReturn = RuleState::Off;  // the paper-checker draw's return rule
    RuleState drawCheckers = RuleState::Off; // whether the paper checkers are drawn at all
};

// The batch number the saved rows carry; or, with nothing written, why not (e.g. the paper
// checkers cannot be drawn).
using SaveOutcome = base::Result<int>;

// Replaces what the project holds for the subject with `draw` as a new batch, with the batch's
// certificate; the replaced batch leaves a deletion record dated with the save. The paper checkers are drawn
// from the draw's seed (checkerSeed), so the batch can be replayed from its inputs. The ledger gets the
// save, naming the recorded stop; a stop that was not recorded is refused. All or nothing: a
// database error comes back as the failure, with the previous save untouched.
SaveOutcome saveDraw(db::Database& db, const WorkingSet& ws, const StoppedDraw& draw,
                     const SaveRequest& request);

// One saved draw of a project: the rows of one save share subject and time.
struct SavedDraw {
    QString subject;
    QString time;
    QString entry() const { return subject + QStringLiteral(" # ") + time; }
};

// The project's saved draws, newest first.
QVector<SavedDraw> savedDraws(const db::Database& db, int project);

// Removes the subject's result rows, parameter row, history rows and certificate in one
// transaction, with the record of what was removed (deletion_record.h) taken at `when` and its
// row in the ledger.
void deleteSavedDraw(db::Database& db, int project, const QString& subject,
                     const QDateTime& when = QDateTime::currentDateTime());

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
