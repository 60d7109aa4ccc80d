#pragma once

#include "draw/pair_table.h"
#include "draw/placed_hits.h"
#include "draw/work_budget.h"

#include <vector>

namespace engine {

// The duty draw of one kind, resumable like the pairing draw: permutation p[1..n] where no
// row j gets a partner row that `history` marks for it. Outcomes follow the duty draw's
// rules, attempt counter and restart included.
class DutySampler {
public:
    // `history` may be null: then only the permutation itself is required. With draw false
    // nobody is moved.
    DutySampler(int n, const PairTable* history, bool draw, UniformPool& random);

    void start();
    bool run(WorkBudget& work);
    const std::vector<int>& permutation() const { return p_; }

private:
    void restart();
    bool rowHasChoice(int row) const;

    int n_;
    const PairTable* history_;
    bool draw_;
    UniformPool& random_;
    PlacedHits hits_;
    std::vector<int> p_;
    std::vector<int> free_, pos_; // partner rows not yet given, with their positions
    int row_ = 1;
    int counter_ = 0;
    int refusalsHere_ = 0;
};

// Whether rows 1..n can all get a partner row that `history` does not mark for them.
bool dutyPossible(int n, const PairTable& history);

} // namespace engine
