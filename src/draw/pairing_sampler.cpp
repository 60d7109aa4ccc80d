#include "draw/pairing_sampler.h"

#include "draw/b_step_search.h"

#include <algorithm>

namespace engine {

namespace {

// After this many refusals of unplaced persons at one room, look whether the room can still
// be served at all; the mixing rules alone often refuse a few.
constexpr int kDeadRoomCheck = 16;
// Restarts of the B step under one A arrangement before the A step is drawn again. Only an
// arrangement under which B practically never succeeds gets there.
constexpr int kBRestartsPerA = 1000;
// Restarts under one A arrangement before looking whether B can succeed under it at all: the
// attempt counter alone restarts a few percent of the B steps of a large centre.
constexpr int kRestartsBeforeCheck = 3;
// Steps for the search whether the mixing rules let the B step complete under one A arrangement.
constexpr qint64 kSearchBudget = 200'000;
// Up to this many sexes (NULL included) the B step keeps its free persons by sex as well.
constexpr int kMaxSexGroups = 8;

qint64 linearCost(int n) {
    return 1 + n / 16;
}

void takeOut(std::vector<int>& free, std::vector<int>& pos, int person) {
    const int at = pos[person];
    const int last = free.back();
    free[at] = last;
    pos[last] = at;
    free.pop_back();
}

void fillFree(std::vector<int>& free, std::vector<int>& pos, int n) {
    free.resize(n);
    pos.assign(n + 1, 0);
    for (int k = 1; k <= n; ++k) {
        free[k - 1] = k;
        pos[k] = k - 1;
    }
}

} // namespace

PairingSampler::PairingSampler(const PairingProblem& problem, UniformPool& random)
    : p_(problem), random_(random), a_(problem.n + 1, 0), b_(problem.n + 1, 0), hits_(problem.n) {
    const int sexes = static_cast<int>(problem.gender.countById.size());
    bySex_ = problem.genderRule && sexes + 1 <= kMaxSexGroups;
    if (bySex_) {
        groupOf_.assign(problem.n + 1, sexes);
        for (int k = 1; k <= problem.n; ++k)
            if (problem.gender.ofB[k] >= 0)
                groupOf_[k] = problem.gender.ofB[k];
        freeBySex_.resize(sexes + 1);
        posBySex_.assign(problem.n + 1, 0);
    }
    startCandidate();
}

void PairingSampler::startCandidate() {
    stage_ = Stage::A;
    startA();
}

bool PairingSampler::run(WorkBudget& work) {
    work_ = &work;
    for (;;) {
        if (stage_ == Stage::A) {
            if (!runA())
                return false;
            stage_ = Stage::B;
            bRestarts_ = 0;
            bChecked_ = false;
            startB();
        }
        if (runB())
            return true;
        if (stage_ == Stage::B)
            return false; // out of work; otherwise the A arrangement was dropped: draw it again
    }
}

// ---- A step ----

void PairingSampler::startA() {
    std::fill(a_.begin(), a_.end(), 0);
    fillFree(freeA_, posA_, p_.n);
    aRoom_ = 1;
}

void PairingSampler::placeA(int room, int person) {
    a_[room] = person;
    takeOut(freeA_, posA_, person);
    ++aRoom_;
}

// A uniform choice among the unplaced persons the return rule allows in `room`: what redrawing
// until an allowed one comes up gives. 0 when there is none, where redrawing would never end.
int PairingSampler::drawAllowedA(int room) {
    work_->take(linearCost(static_cast<int>(freeA_.size())));
    allowedA_.clear();
    for (int person : freeA_)
        if (!p_.returnForbidsA(room, person))
            allowedA_.push_back(person);
    if (allowedA_.empty())
        return 0;
    return allowedA_[random_.index(static_cast<int>(allowedA_.size())) - 1];
}

bool PairingSampler::runA() {
    if (!p_.drawA) {
        for (int i = 1; i <= p_.n; ++i)
            a_[i] = i;
        return true;
    }
    while (aRoom_ <= p_.n) {
        if (!work_->take())
            return false;
        const int room = aRoom_;
        // Uniform among the unplaced: the same as drawing 1..n until an unplaced one comes up.
        int person = freeA_[random_.index(static_cast<int>(freeA_.size())) - 1];
        if (p_.returnForbidsA(room, person)) {
            person = room > p_.n - 4 ? 0 : drawAllowedA(room);
            if (person == 0) {
                work_->take(linearCost(p_.n));
                startA();
                continue;
            }
        }
        placeA(room, person);
    }
    return true;
}

// ---- B step ----

void PairingSampler::startB() {
    std::fill(b_.begin(), b_.end(), 0);
    fillFree(freeB_, posB_, p_.n);
    for (std::vector<int>& group : freeBySex_)
        group.clear();
    for (int k = 1; k <= p_.n && bySex_; ++k) {
        std::vector<int>& group = freeBySex_[groupOf_[k]];
        posBySex_[k] = static_cast<int>(group.size());
        group.push_back(k);
    }
    state_.placed.assign(p_.n + 1, 0);
    state_.gender.reset(p_.gender);
    state_.unit.reset(p_.unit);
    counter_ = 0;
    bRoom_ = 1;
    if (p_.n > 0)
        enterRoom();
}

void PairingSampler::enterRoom() {
    refusalsHere_ = 0;
    countedRetry();
}

void PairingSampler::countedRetry() {
    if (++counter_ > p_.n * 10)
        restartB();
}

void PairingSampler::restartB() {
    ++bRestarts_;
    work_->take(4 + p_.n / 4);
    const bool check = !bChecked_ && bRestarts_ >= kRestartsBeforeCheck;
    if (p_.drawA && (bRestarts_ >= kBRestartsPerA || (check && !bPossibleForThisA()))) {
        stage_ = Stage::A;
        startA();
        return;
    }
    bChecked_ = bChecked_ || check;
    startB();
}

bool PairingSampler::bPossibleForThisA() const {
    work_->take(static_cast<qint64>(p_.n) * p_.n);
    const bool matches = hasPerfectMatching(p_.n, [this](int room, int person) {
        return !p_.returnForbidsB(room, person) && !p_.partnerForbids(a_[room], person);
    });
    if (!matches || (!p_.genderRule && !p_.unitRule))
        return matches;
    qint64 budget = kSearchBudget;
    const Feasibility f = bStepCanComplete(p_, a_, budget);
    work_->take(kSearchBudget - budget);
    return f != Feasibility::No;
}

void PairingSampler::noteRefusal() {
    if (++refusalsHere_ != kDeadRoomCheck)
        return;
    work_->take(linearCost(p_.n));
    // A room nobody can ever take leaves the attempt nothing but its restart: the counted
    // retries would get there anyway, and where none are counted the rules would spin forever.
    if (!roomCanReceiveB(p_, bRoom_, a_[bRoom_], state_))
        restartB();
}

void PairingSampler::placeB(int room, int person) {
    b_[room] = person;
    state_.placed[person] = 1;
    takeOut(freeB_, posB_, person);
    if (bySex_)
        takeOut(freeBySex_[groupOf_[person]], posBySex_, person);
    if (++bRoom_ <= p_.n)
        enterRoom();
}

// The free person number `slot` when those of sex group `group` are left out.
int PairingSampler::freeOutside(int group, int slot) const {
    for (int g = 0; g < static_cast<int>(freeBySex_.size()); ++g) {
        if (g == group)
            continue;
        const int size = static_cast<int>(freeBySex_[g].size());
        if (slot <= size)
            return freeBySex_[g][slot - 1];
        slot -= size;
    }
    return 0;
}

bool PairingSampler::runB() {
    if (!p_.drawB) {
        for (int i = 1; i <= p_.n; ++i)
            b_[i] = i;
        return true;
    }
    while (bRoom_ <= p_.n) {
        if (stage_ != Stage::B)
            return false;
        if (!work_->take())
            return false;
        const int room = bRoom_;
        const int aPerson = a_[room];
        // While B of other sexes remain, the gender rule turns away the free B of the A's own
        // sex without counting or changing anything: drawing them is left out altogether.
        const int sexA = bySex_ ? p_.gender.ofA[aPerson] : -1;
        const int skip = sexA >= 0 && state_.gender.otherThan(sexA) > 0 ? sexA : -1;
        const int skipped = skip >= 0 ? static_cast<int>(freeBySex_[skip].size()) : 0;
        if (skipped == p_.n - (room - 1)) {
            restartB(); // everybody left is turned away for ever
            continue;
        }
        // Every draw that finds a placed person is a counted retry.
        const PlacedHits::Draw draw = hits_.sample(random_, p_.n - skipped, room - 1);
        work_->take(draw.hits / 8);
        counter_ += draw.hits;
        if (counter_ > p_.n * 10) {
            restartB();
            continue;
        }
        const int r = skip >= 0 ? freeOutside(skip, draw.slot) : freeB_[draw.slot - 1];
        if (p_.returnForbidsB(room, r) || p_.partnerForbids(aPerson, r)) {
            const int restartsBefore = bRestarts_;
            countedRetry();
            if (bRestarts_ == restartsBefore)
                noteRefusal();
            continue;
        }
        if (p_.genderRule) {
            const int ga = p_.gender.ofA[aPerson];
            const int gb = p_.gender.ofB[r];
            if (ga >= 0 && ga == gb && state_.gender.otherThan(ga) > 0) {
                noteRefusal();
                continue;
            }
            // Taken off even when the unit rule refuses this person next.
            state_.gender.takeOne(p_.gender, gb);
        }
        if (p_.unitRule) {
            const int ua = p_.unit.ofA[aPerson];
            const int ub = p_.unit.ofB[r];
            if (ua >= 0 && ua == ub && state_.unit.otherThan(ua) > 0) {
                noteRefusal();
                continue;
            }
            state_.unit.takeOne(p_.unit, ub);
        }
        placeB(room, r);
    }
    return stage_ == Stage::B;
}

} // namespace engine
