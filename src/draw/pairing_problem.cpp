#include "draw/pairing_problem.h"

#include <QHash>

namespace engine {

namespace {

class Interner {
public:
    int id(const QVariant& value) {
        if (value.isNull())
            return -1;
        const QString text = value.toString();
        auto it = ids_.constFind(text);
        if (it != ids_.constEnd())
            return *it;
        const int next = static_cast<int>(ids_.size());
        ids_.insert(text, next);
        return next;
    }
    int size() const { return static_cast<int>(ids_.size()); }

private:
    QHash<QString, int> ids_;
};

MixingAttribute makeAttribute(const WorkingSet& ws, RosterRow::Field aColumn, RosterRow::Field bColumn,
                              const QVector<TallyRow>& tally) {
    Interner ids;
    MixingAttribute m;
    const int n = ws.roomCount();
    m.ofA.resize(n + 1);
    m.ofB.resize(n + 1);
    m.ofA[0] = m.ofB[0] = -1;
    for (int k = 1; k <= n; ++k) {
        m.ofA[k] = ids.id(ws.rooms[k].col[aColumn]);
        m.ofB[k] = ids.id(ws.rooms[k].col[bColumn]);
    }
    QVector<int> keys;
    for (const TallyRow& row : tally)
        keys.push_back(ids.id(row.key));
    m.countById.assign(ids.size(), 0);
    m.rowsById.assign(ids.size(), 0);
    for (int t = 0; t < static_cast<int>(tally.size()); ++t) {
        if (keys[t] < 0) {
            m.nullCount += tally[t].count;
            continue;
        }
        m.countById[keys[t]] += tally[t].count;
        m.rowsById[keys[t]] += 1;
    }
    return m;
}

} // namespace

void TallyRemaining::reset(const MixingAttribute& m) {
    byId_ = m.countById;
    total_ = m.nullCount;
    for (int c : m.countById)
        total_ += c;
}

PairingProblem makePairingProblem(const WorkingSet& ws, const DrawSettings& settings,
                                  const QVector<HistoryRow>& history) {
    PairingProblem p;
    p.n = ws.roomCount();
    p.drawA = settings.drawsA();
    p.drawB = settings.drawsB();
    p.returnA = PairTable(p.n);
    p.returnB = PairTable(p.n);
    p.partners = PairTable(p.n);
    for (const HistoryRow& h : history) {
        p.returnA.mark(h.seq, h.a);
        p.returnB.mark(h.seq, h.b);
        p.partners.mark(h.a, h.b);
    }
    const bool haveHistory = !history.isEmpty();
    p.returnRule = settings[Rule::AllowReturn] == RuleState::Off && haveHistory;
    p.partnerRule = settings[Rule::AllowRepartner] == RuleState::Off && haveHistory;
    p.genderRule = settings[Rule::FewerSameGender] == RuleState::On;
    p.unitRule = settings[Rule::FewerSameUnit] == RuleState::On;
    p.gender = makeAttribute(ws, RosterRow::ASex, RosterRow::BSex, ws.genderTally);
    p.unit = makeAttribute(ws, RosterRow::AUnit, RosterRow::BUnit, ws.unitTally);
    return p;
}

bool roomCanReceiveB(const PairingProblem& p, int room, int aPerson, const BStepState& state) {
    const int ga = p.genderRule ? p.gender.ofA[aPerson] : -1;
    const int ua = p.unitRule ? p.unit.ofA[aPerson] : -1;
    const int otherGender = ga >= 0 ? state.gender.otherThan(ga) : 0;
    const int otherUnit = ua >= 0 ? state.unit.otherThan(ua) : 0;
    bool waitsForGender = false;
    bool drainsGender = false;
    for (int r = 1; r <= p.n; ++r) {
        if (state.placed[r] || p.returnForbidsB(room, r) || p.partnerForbids(aPerson, r))
            continue;
        const int gb = p.gender.ofB[r];
        const bool sameGender = ga >= 0 && gb == ga;
        const bool unitRefuses = ua >= 0 && p.unit.ofB[r] == ua && otherUnit > 0;
        if (!unitRefuses) {
            if (!sameGender || otherGender <= 0)
                return true;
            waitsForGender = true;
        } else if (ga >= 0 && !sameGender && gb >= 0 && p.gender.rowsById[gb] > 0) {
            // Passes the gender rule, lowers another gender's remaining count, then the unit
            // rule refuses: repeated, this lets the same-gender candidates through in the end.
            drainsGender = true;
        }
    }
    return waitsForGender && drainsGender;
}

} // namespace engine
