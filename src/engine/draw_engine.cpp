#include "engine/draw_engine.h"

#include "engine/draw_texts.h"
#include "engine/duty_sampler.h"
#include "engine/feasibility.h"
#include "engine/pairing_sampler.h"
#include "engine/uniform_pool.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace engine {

namespace {

// A few milliseconds of work per call, so a window timer tick stays short.
constexpr qint64 kSliceWork = 200'000;
// Up to about a second of fruitless work on one candidate before the rules count as too tight.
constexpr qint64 kCandidateWork = 30'000'000;

const QString kSupervisorKind = QStringLiteral("场外监考");

// For each duty list row k (1..M): the rooms whose number is one of the pieces of its scope.
QVector<QVector<int>> roomsOfScopes(const WorkingSet& ws) {
    QHash<QString, QVector<int>> roomsByNumber;
    for (int i = 1; i <= ws.roomCount(); ++i)
        if (!ws.rooms[i].col[0].isNull()) // a NULL room number equals no piece
            roomsByNumber[ws.rooms[i].room()].push_back(i);
    QVector<QVector<int>> covered(ws.supervisorCount() + 1);
    for (int k = 1; k <= ws.supervisorCount(); ++k) {
        const QString& scope = ws.supervisors[k].scope;
        if (scope.isEmpty())
            continue;
        for (const QString& piece : scope.split(QLatin1Char(',')))
            covered[k] += roomsByNumber.value(piece);
    }
    return covered;
}

void assignFromCoverage(const WorkingSet& ws, const QVector<QVector<int>>& covered, const QVector<int>& perm,
                        QVector<QString>& column) {
    if (column.size() < ws.roomCount() + 1)
        column.resize(ws.roomCount() + 1);
    const int m = std::min(ws.supervisorCount(), static_cast<int>(perm.size()) - 1);
    // Later supervisors overwrite earlier ones: the last one in list order wins a shared room.
    for (int j = 1; j <= m; ++j) {
        const int k = perm[j];
        if (k < 1 || k >= covered.size())
            continue;
        for (int room : covered[k])
            column[room] = ws.supervisors[j].name;
    }
}

PairTable dutyTable(int people, const QVector<HistoryRow>& history, RuleState allowReturn, RuleState drawn) {
    PairTable table(people);
    // With two or fewer people no history counts; returns are refused only when the rule is off.
    if (drawn == RuleState::On && allowReturn == RuleState::Off && people > 2)
        for (const HistoryRow& h : history)
            table.mark(h.seq, h.a);
    return table;
}

// Into the vector's own storage: a run replaces the candidate tens of thousands of times a second.
void copyInto(QVector<int>& to, const std::vector<int>& from) {
    to.resize(static_cast<qsizetype>(from.size()));
    std::copy(from.begin(), from.end(), to.begin());
}

DrawResult impossible(const QString& reason, int candidates = 0) {
    return {DrawStatus::Impossible, candidates, reason};
}

} // namespace

QString DrawSettings::parameterCode() const {
    QString code = QString::number(static_cast<int>(mode));
    for (RuleState state : rules)
        code += QString::number(static_cast<int>(state));
    return code;
}

DrawSettings drawSettingsOf(const common::ProjectSettings& project) {
    DrawSettings s;
    s.mode = project.drawMode;
    s[Rule::AllowReturn] = project.allowReturn;
    s[Rule::AllowRepartner] = project.allowRepartner;
    s[Rule::FewerSameGender] = project.fewerSameGender;
    s[Rule::FewerSameUnit] = project.fewerSameUnit;
    s[Rule::DrawSupervisors] = project.drawsOutside() ? RuleState::On : RuleState::Off;
    s[Rule::DrawCheckers] = project.drawsCheckers() ? RuleState::On : RuleState::Off;
    return s;
}

struct DrawEngine::Impl {
    Impl(const WorkingSet& w, common::RandomSource& r) : ws(w), random(r) {}

    const WorkingSet& ws;
    UniformPool random;
    DrawSettings settings;
    bool begun = false;
    PairingProblem pairing;
    PairTable supervisorHistory;
    std::unique_ptr<PairingSampler> pairs;
    std::unique_ptr<DutySampler> duty;
    bool inDuty = false;
    QVector<QVector<int>> covered;
    Candidate candidate;
    QVector<QString> roomSupervisors;
    bool supervisorsPending = false; // column 11 not yet brought up to the latest candidate
    QString pairingBlock, dutyBlock, boundReason;
    qint64 sliceWork = kSliceWork;
    qint64 candidateWork = kCandidateWork;
    qint64 spent = 0; // work since the last complete candidate

    QString blocker() const {
        if (!pairingBlock.isEmpty())
            return pairingBlock;
        return !dutyBlock.isEmpty() ? dutyBlock : boundReason;
    }

    DrawResult status() const {
        const QString reason = blocker();
        return reason.isEmpty() ? DrawResult{} : impossible(reason);
    }

    void setPairing(const QVector<HistoryRow>& history) {
        pairing = makePairingProblem(ws, settings, history);
        pairingBlock = pairingBlocker(pairing);
        pairs = std::make_unique<PairingSampler>(pairing, random);
        boundReason.clear();
        startCandidate();
    }

    void startCandidate() {
        pairs->startCandidate();
        inDuty = false;
        spent = 0;
    }

    bool advance(WorkBudget& work) {
        if (!inDuty) {
            if (!pairs->run(work))
                return false;
            inDuty = true;
            duty->start();
        }
        return duty->run(work);
    }

    void complete() {
        copyInto(candidate.a, pairs->a());
        copyInto(candidate.b, pairs->b());
        copyInto(candidate.supervisor, duty->permutation());
        supervisorsPending = true;
        startCandidate();
    }

    QString tooTightReason() const {
        QStringList conditions, relax;
        auto add = [&](bool on, const char* condition, const char* advice) {
            if (on) {
                conditions << QString::fromUtf8(condition);
                relax << QString::fromUtf8(advice);
            }
        };
        if (inDuty) {
            add(true, "场外监考不允许重回原考室", "勾选“允许重回原考室”");
            add(true, "场外监考同步抽签", "取消“场外监考同步抽签”");
        } else {
            const bool b = pairing.drawB;
            add(pairing.returnRule, "不允许重回原考室", "勾选“允许重回原考室”");
            add(b && pairing.partnerRule, "不允许甲乙再搭档", "勾选“允许甲乙再搭档”");
            add(b && pairing.genderRule, "最大性别组合", "取消“最大性别组合”");
            add(b && pairing.unitRule, "最大异校搭档", "取消“最大异校搭档”");
        }
        add(conditions.isEmpty(), "当前抽签参数", "检查抽签参数");
        return draw_text::tooTight(conditions, relax);
    }
};

DrawEngine::DrawEngine(const WorkingSet& ws, common::RandomSource& random)
    : d(std::make_shared<Impl>(ws, random)) {
    d->roomSupervisors.resize(ws.roomCount() + 1);
    for (int i = 1; i <= ws.roomCount(); ++i)
        d->roomSupervisors[i] = ws.rooms[i].supervisor;
}

DrawResult DrawEngine::begin(const DrawSettings& settings, const QVector<HistoryRow>& pairingHistory,
                             const QVector<HistoryRow>& supervisorHistory) {
    d->settings = settings;
    d->begun = true;
    const int m = d->ws.supervisorCount();
    d->supervisorHistory =
        dutyTable(m, supervisorHistory, settings[Rule::AllowReturn], settings[Rule::DrawSupervisors]);
    d->dutyBlock.clear();
    if (d->supervisorHistory.any() && !dutyPossible(m, d->supervisorHistory))
        d->dutyBlock = draw_text::dutyReturn(kSupervisorKind);
    d->duty = std::make_unique<DutySampler>(m, &d->supervisorHistory,
                                            settings[Rule::DrawSupervisors] == RuleState::On, d->random);
    d->covered = roomsOfScopes(d->ws);
    d->setPairing(pairingHistory);
    return d->status();
}

DrawResult DrawEngine::setPairingHistory(const QVector<HistoryRow>& pairingHistory) {
    if (!d->begun)
        return impossible(QStringLiteral("抽签尚未开始。"));
    d->setPairing(pairingHistory);
    return d->status();
}

void DrawEngine::setWorkLimits(qint64 perCall, qint64 perCandidate) {
    d->sliceWork = std::max<qint64>(perCall, 1);
    d->candidateWork = std::max<qint64>(perCandidate, 1);
}

DrawResult DrawEngine::generate(int maxCandidates) {
    if (!d->begun)
        return impossible(QStringLiteral("抽签尚未开始。"));
    DrawResult result = d->status();
    if (result.status == DrawStatus::Impossible)
        return result;
    const qint64 completeCost = 1 + (d->ws.roomCount() + d->ws.supervisorCount()) / 16;
    qint64 slice = d->sliceWork;
    while (result.candidates < maxCandidates && slice > 0) {
        WorkBudget work{std::min(slice, d->candidateWork - d->spent)};
        const qint64 granted = work.left;
        const bool finished = d->advance(work);
        const qint64 used = granted - work.left;
        slice -= used;
        d->spent += used;
        if (finished) {
            slice -= completeCost;
            d->complete();
            ++result.candidates;
        } else if (d->spent >= d->candidateWork) {
            d->boundReason = d->tooTightReason();
            return impossible(d->boundReason, result.candidates);
        }
    }
    result.status = result.candidates > 0 ? DrawStatus::Done : DrawStatus::NotYet;
    return result;
}

const Candidate& DrawEngine::candidate() const {
    return d->candidate;
}

const QVector<QString>& DrawEngine::roomSupervisors() const {
    // Filled when asked for: a run makes far more candidates than the window shows.
    if (d->supervisorsPending) {
        assignFromCoverage(d->ws, d->covered, d->candidate.supervisor, d->roomSupervisors);
        d->supervisorsPending = false;
    }
    return d->roomSupervisors;
}

DrawResult drawDuty(int people, const QVector<HistoryRow>& history, RuleState allowReturn, RuleState drawn,
                    common::RandomSource& random, QVector<int>& permutation) {
    return drawDuty(QString(), people, history, allowReturn, drawn, random, permutation);
}

DrawResult drawDuty(const QString& kind, int people, const QVector<HistoryRow>& history,
                    RuleState allowReturn, RuleState drawn, common::RandomSource& random,
                    QVector<int>& permutation) {
    const PairTable table = dutyTable(people, history, allowReturn, drawn);
    if (table.any() && !dutyPossible(people, table))
        return impossible(draw_text::dutyReturn(kind));
    UniformPool pool(random);
    DutySampler sampler(people, &table, drawn == RuleState::On, pool);
    WorkBudget work{kCandidateWork};
    if (!sampler.run(work))
        return impossible(draw_text::tooTight({QStringLiteral("不允许重回原考室")},
                                              {QStringLiteral("勾选“允许重回原考室”")}));
    copyInto(permutation, sampler.permutation());
    return {DrawStatus::Done, 1, {}};
}

void assignRoomDuties(const WorkingSet& ws, const QVector<int>& perm, QVector<QString>& column) {
    assignFromCoverage(ws, roomsOfScopes(ws), perm, column);
}

} // namespace engine
