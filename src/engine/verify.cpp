#include "engine/verify.h"

#include "db/schema.h"
#include "engine/draw_repository.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <tuple>
#include <utility>

namespace engine {

namespace {

constexpr int kReasonsShown = 5;

// Column positions of resultColumns() and historyColumns().
enum ResultColumn { RKind = 3, RRoom, RAName, RASex, RAUnit, RAId, RBName, RBSex, RBUnit, RBId, RScope };
enum HistoryColumn { HKind = 4, HSeq, HA, HB };

std::optional<int> integerOf(const QVariant& v) {
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const int i = v.toString().toInt(&ok);
    return ok ? std::optional<int>(i) : std::nullopt;
}

// A value as a comparable text that keeps NULL apart from every text.
QString keyPart(const QVariant& v) {
    const bool null = v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isNull());
    return null ? QStringLiteral("\x01") : QString(QLatin1Char('=') + v.toString());
}

QString rowKey(const QVariantList& values) {
    QStringList parts;
    for (const QVariant& v : values)
        parts << keyPart(v);
    return parts.join(QChar(0x1f));
}

QVariant textOrNull(const QString& s) {
    return s.isNull() ? QVariant() : QVariant(s);
}

using Pairs = QSet<std::pair<int, int>>;

class RuleCheck {
public:
    RuleCheck(const DrawInputs& in, const SavedRows& rows) : in_(in), rows_(rows) {
        for (const QVariantList& h : rows.history)
            historyOf_[h.value(HKind).toString()].push_back(h);
    }

    QStringList run() {
        const int n = in_.ws.roomCount();
        QVector<int> a, b;
        const bool placed = positions(db::kInvigilatorCategory, n, &a, &b);
        if (placed)
            invigilatorRules(a, b);
        QVector<int> p, q;
        bool dutiesPlaced = true;
        if (in_.withDuties) {
            const int m = in_.ws.supervisorCount();
            const int k = static_cast<int>(in_.checkers.size()) - 1;
            dutiesPlaced = positions(db::kOutsideCategory, m, &p, nullptr) &&
                           positions(db::kPaperCheckCategory, k, &q, nullptr);
            if (dutiesPlaced) {
                dutyRules(db::kOutsideCategory, p, in_.supervisorHistory, in_.settings[Rule::AllowReturn],
                          in_.settings[Rule::DrawSupervisors]);
                dutyRules(db::kPaperCheckCategory, q, in_.checkerHistory, in_.checkerReturn, in_.checkerDraw);
            }
        } else {
            for (const QString& kind : {db::kOutsideCategory, db::kPaperCheckCategory})
                if (!historyOf_.value(kind).isEmpty())
                    problems_ << QStringLiteral("未保存场外及验卷，抽签历史却有%1行").arg(kind);
        }
        if (placed && dutiesPlaced)
            printedTable(a, b, p, q);
        return problems_;
    }

private:
    // The history rows of `kind` as position -> 甲 (and 乙): true when there is one row for each
    // position 1..count and each 甲 (and each 乙) is one of 1..count exactly once.
    bool positions(const QString& kind, int count, QVector<int>* first, QVector<int>* second) {
        const QVector<QVariantList>& rows = historyOf_.value(kind);
        first->fill(0, count + 1);
        if (second)
            second->fill(0, count + 1);
        bool whole = rows.size() == count;
        for (const QVariantList& h : rows) {
            const std::optional<int> seq = integerOf(h.value(HSeq));
            if (!seq || *seq < 1 || *seq > count || (*first)[*seq] != 0) {
                whole = false;
                continue;
            }
            (*first)[*seq] = integerOf(h.value(HA)).value_or(-1);
            if (second)
                (*second)[*seq] = integerOf(h.value(HB)).value_or(-1);
        }
        if (!whole) {
            problems_ << QStringLiteral("抽签历史的%1行不是每个序号恰好一行").arg(kind);
            return false;
        }
        const bool firstOnce = isPermutation(*first);
        const bool secondOnce = !second || isPermutation(*second);
        if (kind == db::kInvigilatorCategory) {
            if (!firstOnce)
                problems_ << QStringLiteral("监考员甲不是每人恰好安排一次");
            if (!secondOnce)
                problems_ << QStringLiteral("监考员乙不是每人恰好安排一次");
        } else if (!firstOnce) {
            problems_ << QStringLiteral("%1不是每行恰好分配一次").arg(kind);
        }
        return firstOnce && secondOnce;
    }

    static bool isPermutation(const QVector<int>& p) {
        const int count = static_cast<int>(p.size()) - 1;
        QVector<bool> seen(count + 1, false);
        for (int i = 1; i <= count; ++i) {
            if (p[i] < 1 || p[i] > count || seen[p[i]])
                return false;
            seen[p[i]] = true;
        }
        return true;
    }

    void invigilatorRules(const QVector<int>& a, const QVector<int>& b) {
        const DrawSettings& s = in_.settings;
        const bool history = !in_.pairingHistory.isEmpty();
        const bool noReturn = s[Rule::AllowReturn] == RuleState::Off && history;
        const bool noPartner = s[Rule::AllowRepartner] == RuleState::Off && history && s.drawsB();
        Pairs formerA, formerB, partners;
        for (const HistoryRow& h : in_.pairingHistory) {
            formerA.insert({h.seq, h.a});
            formerB.insert({h.seq, h.b});
            partners.insert({h.a, h.b});
        }
        for (int i = 1; i < a.size(); ++i) {
            const QString room = in_.ws.rooms[i].room();
            const QString aName = in_.ws.rooms[a[i]].aName();
            const QString bName = in_.ws.rooms[b[i]].bName();
            if (!s.drawsA() && a[i] != i)
                problems_ << QStringLiteral("考场 %1：监考员甲不参加抽签，却被调动").arg(room);
            if (!s.drawsB() && b[i] != i)
                problems_ << QStringLiteral("考场 %1：监考员乙不参加抽签，却被调动").arg(room);
            if (noReturn && s.drawsA() && formerA.contains({i, a[i]}))
                problems_ << QStringLiteral("考场 %1：监考员甲 %2 重回原考室").arg(room, aName);
            if (noReturn && s.drawsB() && formerB.contains({i, b[i]}))
                problems_ << QStringLiteral("考场 %1：监考员乙 %2 重回原考室").arg(room, bName);
            if (noPartner && partners.contains({a[i], b[i]}))
                problems_
                    << QStringLiteral("考场 %1：监考员甲 %2 与监考员乙 %3 再次搭档").arg(room, aName, bName);
        }
    }

    // A duty row j may not get the partner row of a recent batch again, where returns are not
    // allowed and more than two people share the duty; a kind that is not drawn keeps its own.
    void dutyRules(const QString& kind, const QVector<int>& p, const QVector<HistoryRow>& history,
                   RuleState allowReturn, RuleState drawn) {
        const int count = static_cast<int>(p.size()) - 1;
        Pairs former;
        for (const HistoryRow& h : history)
            former.insert({h.seq, h.a});
        const bool noReturn = drawn == RuleState::On && allowReturn == RuleState::Off && count > 2;
        for (int j = 1; j <= count; ++j) {
            if (drawn != RuleState::On && p[j] != j)
                problems_ << QStringLiteral("%1不参加抽签，第 %2 行却被调动").arg(kind).arg(j);
            if (noReturn && former.contains({j, p[j]}))
                problems_
                    << QStringLiteral("%1第 %2 行再次分到近期批次的第 %3 行").arg(kind).arg(j).arg(p[j]);
        }
    }

    // The rows of 抽签总表 as the placements of 抽签历史 make them: the room and its people by
    // name and ID, each duty row with its person and scope, the parameter code.
    void printedTable(const QVector<int>& a, const QVector<int>& b, const QVector<int>& p,
                      const QVector<int>& q) {
        QStringList expected, stored;
        const WorkingSet& ws = in_.ws;
        for (int i = 1; i < a.size(); ++i) {
            const RosterRow& A = ws.rooms[a[i]];
            const RosterRow& B = ws.rooms[b[i]];
            expected << rowKey(
                {db::kInvigilatorCategory, ws.rooms[i].col[0], A.col[1], A.col[5], B.col[6], B.col[10], {}});
        }
        for (int j = 1; j < p.size(); ++j) {
            const DutyRow& own = ws.supervisors[j];
            expected << rowKey({db::kOutsideCategory,
                                textOrNull(own.room),
                                textOrNull(own.name),
                                textOrNull(own.id),
                                {},
                                {},
                                textOrNull(ws.supervisors[p[j]].scope)});
        }
        for (int j = 1; j < q.size(); ++j) {
            const DutyRow& own = in_.checkers[j];
            const DutyRow& person = in_.checkers[q[j]];
            expected << rowKey({db::kPaperCheckCategory,
                                textOrNull(own.room),
                                textOrNull(person.name),
                                textOrNull(person.id),
                                {},
                                {},
                                textOrNull(own.scope)});
        }
        expected << rowKey({db::kParametersKind, in_.settings.parameterCode(), {}, {}, {}, {}, {}});
        for (const QVariantList& r : rows_.results)
            stored << rowKey({r.value(RKind), r.value(RRoom), r.value(RAName), r.value(RAId), r.value(RBName),
                              r.value(RBId), r.value(RScope)});
        std::sort(expected.begin(), expected.end());
        std::sort(stored.begin(), stored.end());
        if (expected != stored)
            problems_ << QStringLiteral("抽签总表与抽签历史的安排不符");
    }

    const DrawInputs& in_;
    const SavedRows& rows_;
    QHash<QString, QVector<QVariantList>> historyOf_;
    QStringList problems_;
};

QString tableOnly(const QString& digest, const QVector<QVariantList>& results,
                  const QVector<QVariantList>& history) {
    return canonicalResult(digest, {results, history});
}

BatchVerdict inconsistent(BatchVerdict v, const QString& reason) {
    v.status = BatchVerdict::Status::Inconsistent;
    v.reasons << reason;
    return v;
}

} // namespace

std::optional<Candidate> replayCandidate(const DrawInputs& in) {
    common::SeededRandom random(in.seed);
    DrawEngine engine(in.ws, random);
    if (engine.begin(in.settings, in.pairingHistory, in.supervisorHistory).status == DrawStatus::Impossible)
        return std::nullopt;
    // Ends: the engine reports the rules as too tight after a bounded amount of work.
    for (;;) {
        const DrawResult r = engine.generate(1);
        if (r.status == DrawStatus::Done)
            return engine.candidate();
        if (r.status == DrawStatus::Impossible)
            return std::nullopt;
    }
}

QStringList checkRules(const DrawInputs& in, const SavedRows& rows) {
    return RuleCheck(in, rows).run();
}

QString BatchVerdict::line() const {
    const QString head =
        QStringLiteral("批次 %1（项目 %2，%3，%4）").arg(batch).arg(project).arg(subject, time);
    if (status == Status::NoCertificate)
        return head + QStringLiteral("：无校验数据");
    const QString coded = head + QStringLiteral(" 校验码 ") + code;
    if (status == Status::Consistent)
        return coded + QStringLiteral("：一致");
    if (status == Status::RulesOnly)
        return coded +
               QStringLiteral("：引擎版本不同，仅核对规则（抽签时为第 %1 版，本程序为第 %2 版），规则均成立")
                   .arg(savedEngine)
                   .arg(kEngineVersion);
    QStringList shown = reasons.mid(0, kReasonsShown);
    if (reasons.size() > kReasonsShown)
        shown << QStringLiteral("另有 %1 处").arg(reasons.size() - kReasonsShown);
    return coded + QStringLiteral("：不一致：") + shown.join(QStringLiteral("；"));
}

BatchVerdict verifyCertificate(const db::Database& db, const Certificate& c) {
    BatchVerdict v;
    v.project = c.project;
    v.batch = c.batch;
    v.subject = c.subject;
    v.time = c.time;
    v.code = db::certificateCode(c.resultDigest);
    v.savedEngine = c.engineVersion;
    if (sha256Hex(c.inputs) != c.inputDigest)
        return inconsistent(v, QStringLiteral("保存的抽签输入与输入摘要不符"));
    const std::optional<DrawInputs> in = decodeInputs(c.inputs);
    if (!in)
        return inconsistent(v, QStringLiteral("保存的抽签输入无法读取"));
    if (in->project != c.project || in->subject != c.subject || in->time != c.time || in->batch != c.batch ||
        in->engineVersion != c.engineVersion ||
        QStringLiteral("%1").arg(in->seed, 16, 16, QLatin1Char('0')) != c.seed)
        return inconsistent(v, QStringLiteral("校验记录与其抽签输入不符"));

    const SavedRows stored = readSavedRows(db, c.project, c.subject);
    if (sha256Hex(canonicalResult(c.inputDigest, stored)) != c.resultDigest)
        v.reasons << QStringLiteral("保存的抽签结果与结果摘要不符");
    if (c.engineVersion == kEngineVersion) {
        const std::optional<Candidate> candidate = replayCandidate(*in);
        const SavePlan plan = candidate ? planSave(*in, *candidate) : SavePlan{};
        if (!candidate || !plan.refusal.isEmpty()) {
            v.reasons << QStringLiteral("重放未能得出抽签结果");
        } else {
            if (tableOnly(c.inputDigest, stored.results, {}) !=
                tableOnly(c.inputDigest, plan.rows.results, {}))
                v.reasons << QStringLiteral("抽签总表与重放结果不符");
            if (tableOnly(c.inputDigest, {}, stored.history) !=
                tableOnly(c.inputDigest, {}, plan.rows.history))
                v.reasons << QStringLiteral("抽签历史与重放结果不符");
        }
    }
    v.reasons << checkRules(*in, stored);
    if (!v.reasons.isEmpty())
        v.status = BatchVerdict::Status::Inconsistent;
    else
        v.status = c.engineVersion == kEngineVersion ? BatchVerdict::Status::Consistent
                                                     : BatchVerdict::Status::RulesOnly;
    return v;
}

QVector<BatchVerdict> verifyDraws(const db::Database& db, int project, int batch) {
    QVector<BatchVerdict> out;
    QSet<QString> certified;
    const auto key = [](int p, const QString& subject, int b) {
        return QStringLiteral("%1\x1f%2\x1f%3").arg(p).arg(subject).arg(b);
    };
    for (const Certificate& c : readCertificates(db, project, batch)) {
        out.push_back(verifyCertificate(db, c));
        certified.insert(key(c.project, c.subject, c.batch));
    }
    const db::Rows saved =
        db.query(QStringLiteral(
                     "select 项目编号, 科目, 数据批次, min(时间) from 抽签历史 where (?=0 or 项目编号=?) and "
                     "(?=0 or 数据批次=?) group by 项目编号, 科目, 数据批次"),
                 {project, project, batch, batch});
    for (const db::Row& r : saved) {
        BatchVerdict v;
        v.project = r.value(0).toInt();
        v.subject = r.value(1).toString();
        v.batch = r.value(2).toInt();
        v.time = r.value(3).toString();
        if (!certified.contains(key(v.project, v.subject, v.batch)))
            out.push_back(v);
    }
    std::sort(out.begin(), out.end(), [](const BatchVerdict& x, const BatchVerdict& y) {
        return std::tie(x.batch, x.project, x.subject) < std::tie(y.batch, y.project, y.subject);
    });
    return out;
}

} // namespace engine
