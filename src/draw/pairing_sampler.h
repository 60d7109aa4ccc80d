#pragma once

#include "draw/pairing_problem.h"
#include "draw/placed_hits.h"
#include "draw/work_budget.h"

#include <vector>

namespace engine {

// The A step and the B step of one candidate, resumable: run() stops when its budget is spent
// and continues where it left off on the next call. Outcomes follow the draw rules exactly;
// where the rules alone would spin forever although a restart could still succeed, it restarts.
class PairingSampler {
public:
    enum class Stage { A, B };

    PairingSampler(const PairingProblem& problem, UniformPool& random);

    // Forgets the candidate in progress; the next run() starts with a fresh A step.
    void startCandidate();
    // True once a[1..n] and b[1..n] are complete.
    bool run(WorkBudget& work);

    const std::vector<int>& a() const { return a_; }
    const std::vector<int>& b() const { return b_; }
    Stage stage() const { return stage_; }

private:
    void startA();
    bool runA();
    int drawAllowedA(int room);
    void placeA(int room, int person);
    void placeB(int room, int person);
    int freeOutside(int group, int slot) const;

    void startB();
    bool runB();
    void enterRoom();
    void countedRetry();
    void noteRefusal();
    void restartB();
    bool bPossibleForThisA() const;

    const PairingProblem& p_;
    UniformPool& random_;
    WorkBudget* work_ = nullptr; // the budget of the run() in progress
    Stage stage_ = Stage::A;
    std::vector<int> a_, b_;

    // A step: persons not yet placed, with their positions for O(1) removal.
    std::vector<int> freeA_, posA_;
    std::vector<int> allowedA_; // scratch for drawAllowedA
    int aRoom_ = 1;

    // B step: persons not yet placed, as for A, also by sex (the NULL sex last), and the
    // draws that find a placed one.
    PlacedHits hits_;
    std::vector<int> freeB_, posB_;
    bool bySex_ = false;
    std::vector<int> groupOf_;
    std::vector<std::vector<int>> freeBySex_;
    std::vector<int> posBySex_;
    BStepState state_;
    int bRoom_ = 1;
    int counter_ = 0;       // the attempt counter of the B step
    int refusalsHere_ = 0;  // refusals of unplaced persons at the current room
    int bRestarts_ = 0;     // B restarts under the current A arrangement
    bool bChecked_ = false; // B already proven possible under the current A arrangement
};

} // namespace engine
