#pragma once

#include "draw/draw_types.h"
#include "draw/pair_table.h"

#include <QVector>

#include <vector>

namespace engine {

// One mixing rule's data (gender or unit): every person's value as an id, -1 for NULL (which
// equals nothing), and the B tally summed per id.
struct MixingAttribute {
    std::vector<int> ofA;       // A person 1..n
    std::vector<int> ofB;       // B person 1..n
    std::vector<int> countById; // tally count over the rows with that key
    std::vector<int> rowsById;  // how many tally rows carry that key
    int nullCount = 0;          // tally rows with a NULL key: counted, never decremented
};

// The remaining column of a tally during one B step, kept per id.
class TallyRemaining {
public:
    void reset(const MixingAttribute& m);
    // Remaining B invigilators whose value differs from `id` (NULL rows always differ).
    int otherThan(int id) const { return total_ - (id >= 0 ? byId_[id] : 0); }
    // One less on every row whose key equals `id`; a NULL value equals no row.
    void takeOne(const MixingAttribute& m, int id) {
        if (id < 0)
            return;
        byId_[id] -= m.rowsById[id];
        total_ -= m.rowsById[id];
    }

private:
    std::vector<int> byId_;
    int total_ = 0;
};

// Everything a pairing draw needs that stays fixed during a run.
struct PairingProblem {
    int n = 0;
    bool drawA = false;
    bool drawB = false;
    bool returnRule = false;  // returns are not allowed and there is history
    bool partnerRule = false; // partners may not meet again and there is history (B step only)
    bool genderRule = false;  // fewer same-gender pairs (B step only)
    bool unitRule = false;    // fewer same-unit pairs (B step only)
    PairTable returnA;        // (room, A person) of the history
    PairTable returnB;        // (room, B person)
    PairTable partners;       // (A person, B person)
    MixingAttribute gender;
    MixingAttribute unit;

    bool returnForbidsA(int room, int person) const { return returnRule && returnA.has(room, person); }
    bool returnForbidsB(int room, int person) const { return returnRule && returnB.has(room, person); }
    bool partnerForbids(int aPerson, int bPerson) const {
        return partnerRule && partners.has(aPerson, bPerson);
    }
};

PairingProblem makePairingProblem(const WorkingSet& ws, const DrawSettings& settings,
                                  const QVector<HistoryRow>& history);

// The fresh state of a B step: nobody placed, tallies at their counts.
struct BStepState {
    std::vector<char> placed; // B person 1..n already in a room
    TallyRemaining gender;
    TallyRemaining unit;
};

// Whether room `room` with A person `aPerson` can still receive some B person in this B
// attempt, counting the refusals of the gender and unit rules and the way the gender
// tally drifts while the unit rule refuses. False means the attempt can only restart.
bool roomCanReceiveB(const PairingProblem& p, int room, int aPerson, const BStepState& state);

} // namespace engine
