#include "draw/b_step_search.h"

#include <functional>
#include <vector>

namespace engine {

namespace {

// A tally during the search. A refusal by the unit rule after the gender rule let a person
// through still lowers that person's gender count, and repeating it lowers it without limit;
// lower counts only ever let more pairs through, so the search lowers every count it can as
// far as it likes ("drained").
class SearchTally {
public:
    explicit SearchTally(const MixingAttribute& m)
        : m_(&m), rem_(m.countById), drained_(m.countById.size(), 0), finite_(m.nullCount) {
        for (int c : m.countById)
            finite_ += c;
    }

    // Remaining with a value other than `id` is above 0.
    bool othersLeft(int id) const {
        const int drainedOthers = drainedCount_ - (id >= 0 && drained_[id] ? 1 : 0);
        if (drainedOthers > 0)
            return false;
        return finite_ - (id >= 0 && !drained_[id] ? rem_[id] : 0) > 0;
    }
    void takeOne(int id) {
        if (id < 0 || drained_[id])
            return;
        rem_[id] -= m_->rowsById[id];
        finite_ -= m_->rowsById[id];
    }
    bool drain(int id) {
        if (id < 0 || drained_[id] || m_->rowsById[id] == 0)
            return false;
        drained_[id] = 1;
        finite_ -= rem_[id];
        ++drainedCount_;
        return true;
    }

private:
    const MixingAttribute* m_;
    std::vector<int> rem_;
    std::vector<char> drained_;
    int finite_ = 0;
    int drainedCount_ = 0;
};

class BSearch {
public:
    BSearch(const PairingProblem& p, const std::vector<int>& a, qint64& budget)
        : p_(p), a_(a), budget_(budget), placed_(p.n + 1, 0) {}

    Feasibility run() { return room(1, SearchTally(p_.gender), SearchTally(p_.unit)); }

private:
    bool candidate(int i, int r) const {
        return !placed_[r] && !p_.returnForbidsB(i, r) && !p_.partnerForbids(a_[i], r);
    }
    bool genderPasses(const SearchTally& g, int aPerson, int r) const {
        const int ga = p_.gender.ofA[aPerson];
        return !p_.genderRule || ga < 0 || ga != p_.gender.ofB[r] || !g.othersLeft(ga);
    }
    bool unitPasses(const SearchTally& u, int aPerson, int r) const {
        const int ua = p_.unit.ofA[aPerson];
        return !p_.unitRule || ua < 0 || ua != p_.unit.ofB[r] || !u.othersLeft(ua);
    }

    // Every gender count that some refused-by-unit person of room i can lower, lowered.
    void drainAll(int i, SearchTally& g, const SearchTally& u) {
        if (!p_.genderRule || !p_.unitRule)
            return;
        for (bool changed = true; changed;) {
            changed = false;
            budget_ -= p_.n;
            for (int r = 1; r <= p_.n; ++r)
                if (candidate(i, r) && genderPasses(g, a_[i], r) && !unitPasses(u, a_[i], r))
                    changed = g.drain(p_.gender.ofB[r]) || changed;
        }
    }

    Feasibility room(int i, SearchTally g, const SearchTally& u) {
        if (i > p_.n)
            return Feasibility::Yes;
        if ((budget_ -= p_.n) < 0)
            return Feasibility::Unknown;
        drainAll(i, g, u);
        for (int r = 1; r <= p_.n; ++r) {
            if (!candidate(i, r) || !genderPasses(g, a_[i], r) || !unitPasses(u, a_[i], r))
                continue;
            SearchTally g2 = g, u2 = u;
            if (p_.genderRule)
                g2.takeOne(p_.gender.ofB[r]);
            if (p_.unitRule)
                u2.takeOne(p_.unit.ofB[r]);
            placed_[r] = 1;
            const Feasibility f = room(i + 1, std::move(g2), u2);
            placed_[r] = 0;
            if (f != Feasibility::No)
                return f;
        }
        return Feasibility::No;
    }

    const PairingProblem& p_;
    const std::vector<int>& a_;
    qint64& budget_;
    std::vector<char> placed_;
};

} // namespace

Feasibility bStepCanComplete(const PairingProblem& p, const std::vector<int>& a, qint64& budget) {
    if (!p.drawB)
        return Feasibility::Yes;
    return BSearch(p, a, budget).run();
}

Feasibility someArrangementCompletes(const PairingProblem& p, qint64& budget) {
    std::vector<int> a(p.n + 1, 0);
    std::vector<char> used(p.n + 1, 0);
    bool unknown = false;
    std::function<bool(int)> place = [&](int room) {
        if (room > p.n) {
            const Feasibility f = bStepCanComplete(p, a, budget);
            unknown = unknown || f == Feasibility::Unknown;
            return f == Feasibility::Yes;
        }
        for (int person = 1; person <= p.n; ++person) {
            if (used[person] || p.returnForbidsA(room, person))
                continue;
            if (--budget < 0) {
                unknown = true;
                return false;
            }
            a[room] = person;
            used[person] = 1;
            const bool found = place(room + 1);
            used[person] = 0;
            if (found || budget < 0)
                return found;
        }
        return false;
    };
    if (!p.drawA) {
        for (int i = 1; i <= p.n; ++i)
            a[i] = i;
        return bStepCanComplete(p, a, budget);
    }
    if (place(1))
        return Feasibility::Yes;
    return unknown ? Feasibility::Unknown : Feasibility::No;
}

} // namespace engine
