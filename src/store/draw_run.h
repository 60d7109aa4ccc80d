#pragma once

#include "audit/draw_ledger.h"
#include "draw/draw_engine.h"
#include "draw/random_source.h"
#include "store/draw_repository.h"
#include "store/working_set.h"

#include <QString>
#include <QVector>

#include <memory>

namespace engine {

// The run of one draw in front of the invigilators: started, ticked while the operator
// watches, stopped, and its result saved. The window owns the controls; this owns what
// the run is: its phase, the counter of the candidates shown, the rules as they were when
// it started, the result and whether that result is saved.
//
// While running, every tick makes the one candidate it shows: an unseen candidate would
// add nothing, since every candidate is an independent draw. At stop the result is drawn
// by an engine started afresh on the run's inputs from a seed taken from the system's
// entropy at that moment, so the result is a function of the inputs and the seed alone.
class DrawRun {
public:
    enum class Phase { Idle, Running, Stopping };

    // What was drawn at stop, with everything needed to draw it again.
    struct Result : StoppedDraw {
        QVector<QString> supervisors; // the outside supervisor of rooms 1..N under the result
        QString parameterCode() const { return settings.parameterCode(); }
        bool withSupervisor() const { return settings[Rule::DrawSupervisors] == RuleState::On; }
    };

    // The caption counts up to this and starts again from 0.
    static constexpr int kCounterWrap = 20000;

    // Both must outlive the run; `random` animates the live draw and gives the stop's seed.
    DrawRun(const WorkingSet& ws, RandomSource& random);
    ~DrawRun();

    // Starts a run under `settings`. Impossible (with the reason) when the rules cannot be
    // met; the run is then idle again.
    DrawResult start(const DrawSettings& settings, const QVector<HistoryRow>& pairingHistory,
                     const QVector<HistoryRow>& supervisorHistory);

    // One tick of the live draw: at most one candidate, made within `sliceMs`. Done when it
    // was made (the counter has moved on), NotYet when the slice ran out, Impossible when the
    // rules turned out to be unsatisfiable (the run is idle again).
    DrawResult tick(int sliceMs);

    // Stops the live draw with the pairing history as it is now (saves made meanwhile by
    // another program count) and works towards the result for up to `sliceMs`: Done when
    // the result stands, NotYet when finish() must go on, Impossible as for tick().
    DrawResult stop(const QVector<HistoryRow>& pairingHistory, int sliceMs);
    DrawResult finish(int sliceMs);

    // Gives up the running or stopping run; the previous result, if any, stays.
    void abort();

    Phase phase() const { return phase_; }
    int counter() const { return counter_; }
    const DrawSettings& settings() const { return settings_; }
    // The candidate the latest tick showed.
    const Candidate& shown() const;
    const QVector<QString>& shownSupervisors() const;

    bool hasResult() const { return hasResult_; }
    const Result& result() const { return result_; }
    // False from a stop until the result is committed to the database.
    bool saved() const { return saved_; }

    // Records the result's stop in the ledger, in a transaction of its own, as the run's
    // stops-th; a result is saved only once its stop is recorded. Throws db::DbError when the
    // ledger cannot take it (the file busy past the wait, a full disk): the result then stays
    // unrecorded.
    void record(db::Database& db, const EventPlace& at);

    // Saves the result as a new batch with its certificate; `request` carries what the window
    // decides (project, subject, time, duties). The saved flag is set only once the transaction
    // has committed.
    SaveOutcome save(db::Database& db, const SaveRequest& request);

private:
    DrawResult fail(const DrawResult& r);
    DrawResult finishing(int sliceMs);

    const WorkingSet& ws_;
    RandomSource& random_;
    Phase phase_ = Phase::Idle;
    int counter_ = 0;
    DrawSettings settings_;
    QVector<HistoryRow> supervisorHistory_;
    std::unique_ptr<DrawEngine> live_;
    std::unique_ptr<SeededRandom> finalRandom_;
    std::unique_ptr<DrawEngine> final_;
    Result pending_;
    Result result_;
    bool hasResult_ = false;
    bool saved_ = true;
    int stops_ = 0; // results stopped since the run was made: the window's draw number
};

} // namespace engine
