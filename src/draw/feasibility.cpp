#include "draw/feasibility.h"

#include "draw/b_step_search.h"
#include "draw/draw_texts.h"

#include <algorithm>

namespace engine {

namespace {

// Steps (each about one test of a pair) granted to a search before the run, some
// milliseconds: far more than the small centres where the history can actually make a
// draw impossible ever need.
constexpr qint64 kSearchBudget = 1'000'000;

class JointSearch {
public:
    JointSearch(const PairingProblem& p, bool useReturn, qint64 budget)
        : p_(p), useReturn_(useReturn && p.returnRule), budget_(budget), sigma_(p.n + 1, 0),
          used_(p.n + 1, 0) {}

    Feasibility run() {
        if (everyArrangementFits())
            return aPossible() ? Feasibility::Yes : Feasibility::No;
        return search(1);
    }

private:
    bool forbidsA(int room, int person) const { return useReturn_ && p_.returnA.has(room, person); }
    bool forbidsB(int room, int person) const { return useReturn_ && p_.returnB.has(room, person); }

    bool aPossible() const {
        return hasPerfectMatching(p_.n, [this](int room, int person) { return !forbidsA(room, person); });
    }

    // When every room refuses at most half of the B persons and every B person is refused by
    // at most half of the rooms, whatever the A arrangement, B always fits (Hall's condition).
    bool everyArrangementFits() const {
        int roomMost = 0, personMost = 0, partnerRowMost = 0, partnerColMost = 0;
        for (int k = 1; k <= p_.n; ++k) {
            if (useReturn_) {
                roomMost = std::max(roomMost, p_.returnB.rowCount(k));
                personMost = std::max(personMost, p_.returnB.columnCount(k));
            }
            partnerRowMost = std::max(partnerRowMost, p_.partners.rowCount(k));
            partnerColMost = std::max(partnerColMost, p_.partners.columnCount(k));
        }
        return 2 * (roomMost + partnerRowMost) <= p_.n && 2 * (personMost + partnerColMost) <= p_.n;
    }

    Feasibility search(int room) {
        if (room > p_.n)
            return Feasibility::Yes;
        for (int person = 1; person <= p_.n; ++person) {
            if (used_[person] || forbidsA(room, person))
                continue;
            budget_ -= static_cast<qint64>(p_.n) * p_.n;
            if (budget_ < 0)
                return Feasibility::Unknown;
            sigma_[room] = person;
            used_[person] = 1;
            const Feasibility f = restFits(room) ? search(room + 1) : Feasibility::No;
            used_[person] = 0;
            sigma_[room] = 0;
            if (f != Feasibility::No)
                return f;
        }
        return Feasibility::No;
    }

    // Rooms after `room` can still get the A persons left, and B fits once the A persons of
    // rooms 1..room are known (the later rooms only under the return rule).
    bool restFits(int room) const {
        std::vector<int> rooms, persons;
        for (int k = room + 1; k <= p_.n; ++k)
            rooms.push_back(k);
        for (int k = 1; k <= p_.n; ++k)
            if (!used_[k])
                persons.push_back(k);
        const bool aFits =
            hasPerfectMatching(static_cast<int>(rooms.size()), static_cast<int>(persons.size()),
                               [&](int r, int c) { return !forbidsA(rooms[r], persons[c]); });
        return aFits && hasPerfectMatching(p_.n, [&](int i, int person) {
                   return !forbidsB(i, person) && !(i <= room && p_.partners.has(sigma_[i], person));
               });
    }

    const PairingProblem& p_;
    bool useReturn_;
    qint64 budget_;
    std::vector<int> sigma_;
    std::vector<char> used_;
};

bool aPossible(const PairingProblem& p) {
    return hasPerfectMatching(p.n, [&](int room, int person) { return !p.returnForbidsA(room, person); });
}

bool bPossibleAlone(const PairingProblem& p) {
    return hasPerfectMatching(p.n, [&](int room, int person) { return !p.returnForbidsB(room, person); });
}

// With A fixed in its rooms (only B drawn).
QString partnerBlockerForFixedA(const PairingProblem& p) {
    const bool both = hasPerfectMatching(p.n, [&](int room, int person) {
        return !p.returnForbidsB(room, person) && !p.partnerForbids(room, person);
    });
    if (both)
        return {};
    const bool partnerAlone =
        hasPerfectMatching(p.n, [&](int room, int person) { return !p.partnerForbids(room, person); });
    return partnerAlone ? draw_text::returnAndPartner() : draw_text::partner();
}

QString partnerBlockerForDrawnA(const PairingProblem& p) {
    if (pairingFeasible(p, true, kSearchBudget) != Feasibility::No)
        return {};
    if (!p.returnRule || pairingFeasible(p, false, kSearchBudget) == Feasibility::No)
        return draw_text::partner();
    return draw_text::returnAndPartner();
}

QString mixingBlocker(const PairingProblem& p) {
    qint64 budget = kSearchBudget;
    if (someArrangementCompletes(p, budget) != Feasibility::No)
        return {};
    return draw_text::mixing(p.genderRule, p.unitRule);
}

} // namespace

Feasibility pairingFeasible(const PairingProblem& p, bool useReturn, qint64 budget) {
    return JointSearch(p, useReturn, budget).run();
}

QString pairingBlocker(const PairingProblem& p) {
    if (p.n == 0)
        return {};
    if (p.drawA && p.returnRule && !aPossible(p))
        return draw_text::aReturn();
    if (!p.drawB)
        return {};
    if (p.returnRule && !bPossibleAlone(p))
        return draw_text::bReturn();
    if (p.partnerRule) {
        const QString partner = p.drawA ? partnerBlockerForDrawnA(p) : partnerBlockerForFixedA(p);
        if (!partner.isEmpty())
            return partner;
    }
    if (p.genderRule || p.unitRule)
        return mixingBlocker(p);
    return {};
}

} // namespace engine
