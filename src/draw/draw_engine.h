#pragma once

// The draw engine: the pairing draw of invigilators A and B and the duty draw of the
// outside supervisors and paper checkers. No widgets; the draw window drives it from a
// timer, one bounded slice per tick, so Stop and Close always answer.

#include "draw/draw_types.h"
#include "draw/random_source.h"

#include <QString>
#include <QVector>

#include <array>
#include <memory>

namespace engine {

// The version of what a draw makes of its inputs and seed: the candidate the engine draws, the
// paper checkers drawn from the seed's second stream and the rows a save builds from them.
// Bump it with every change that makes any of these differ for the same inputs and seed, so
// that examdb verify replays a saved batch only with the engine that drew it.
inline constexpr int kEngineVersion = 1;

class DrawEngine {
public:
    // Both are used for the engine's whole life and must outlive it.
    DrawEngine(const WorkingSet& ws, RandomSource& random);

    // Starts a run with its rules and history. Decides where it is decidable whether the
    // rules can be met at all; an impossible run is reported here, never looped on.
    // Both return NotYet (nothing generated yet) when the run can go on, else Impossible.
    DrawResult begin(const DrawSettings& settings, const QVector<HistoryRow>& pairingHistory,
                     const QVector<HistoryRow>& supervisorHistory);
    // Replaces the pairing history (the stop action reloads it) and re-checks it.
    DrawResult setPairingHistory(const QVector<HistoryRow>& pairingHistory);

    // Generates up to `maxCandidates` complete candidates with a bounded amount of work:
    // Done when at least one was made, NotYet when the slice ran out first, Impossible
    // when the rules turned out to be unsatisfiable or the overall bound was reached.
    DrawResult generate(int maxCandidates);

    // The work bounds, in units of about one random number with its tests: per generate()
    // call, and per candidate before the rules are reported as too tight. The defaults keep
    // a call to a few milliseconds and give up on a candidate after well under a second.
    void setWorkLimits(qint64 perCall, qint64 perCandidate);

    // The latest complete candidate (empty before the first).
    const Candidate& candidate() const;
    // The outside supervisor of rooms 1..N under the latest candidate's supervisor permutation
    // (not cleared between candidates, as the room duty assignment prescribes).
    const QVector<QString>& roomSupervisors() const;

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};

// The duty draw of one kind with `people` rows: a permutation p[1..people] (p[0] unused)
// that respects `history` unless returns are allowed; the identity unless the kind is drawn.
DrawResult drawDuty(int people, const QVector<HistoryRow>& history, RuleState allowReturn, RuleState drawn,
                    RandomSource& random, QVector<int>& permutation);
// The same, naming the kind ("场外监考" or "验卷") in the reason when it is impossible.
DrawResult drawDuty(const QString& kind, int people, const QVector<HistoryRow>& history,
                    RuleState allowReturn, RuleState drawn, RandomSource& random, QVector<int>& permutation);

// Room duty assignment: for each room, the last supervisor j in list order whose received
// scope (row perm[j]) lists the room number gets it; pieces compared untrimmed.
// `column` (room 1..N) is updated in place and not cleared first.
void assignRoomDuties(const WorkingSet& ws, const QVector<int>& perm, QVector<QString>& column);

} // namespace engine
