#include "audit/verify_rules.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

namespace engine::audit {

namespace {

const QString kParametersKind = QStringLiteral("抽签参数");

// Column positions of resultColumns() and historyColumns().
enum ResultColumn { RProject, RSubject, RTime, RKind, RRoom, RScope = 13 };
enum HistoryColumn { HProject, HSubject, HTime, HBatch, HKind, HSeq, HA, HB };
// Fields of the certificate's room and duty lines.
enum RoomField { Room, AName, ASex, AUnit, AId, BName, BSex, BUnit, BId };
enum DutyField { DRoom, DName, DSex, DUnit, DScope, DId };

using Pairs = QSet<std::pair<qint64, qint64>>;

class RuleCheck {
public:
    RuleCheck(const Reading& in, const SavedRows& rows) : in_(in), rows_(rows) {
        for (const QVariantList& h : rows.history)
            historyOf_[token(h.value(HKind), in.format)].push_back(h);
    }

    QStringList run() {
        batchOfRows();
        const int n = static_cast<int>(in_.rooms.size());
        QVector<qint64> a, b, p, q;
        const bool placed = positions(Pairing, n, &a, &b);
        if (placed)
            invigilatorRules(a, b);
        bool dutiesPlaced = true;
        if (in_.duties) {
            dutiesPlaced = positions(Supervisors, static_cast<int>(in_.supervisors.size()), &p, nullptr) &&
                           positions(Checkers, static_cast<int>(in_.checkers.size()), &q, nullptr);
            if (dutiesPlaced) {
                dutyRules(Supervisors, p, in_.rules[DrawSupervisors] == 1, in_.rules[AllowReturn] == 0);
                dutyRules(Checkers, q, in_.checkersDrawn, in_.checkerReturnsRefused);
            }
        } else {
            for (HistoryKind kind : {Supervisors, Checkers})
                if (!historyOf_.value(kindName(kind)).isEmpty())
                    problems_ << QStringLiteral("未保存场外及验卷，抽签历史却有%1行").arg(kindName(kind));
        }
        if (placed && dutiesPlaced)
            printedTable(a, b, p, q);
        parameterRow();
        return problems_;
    }

private:
    QString field(const QVariant& v) const { return token(v, in_.format); }

    void batchOfRows() {
        for (const QVariantList& h : rows_.history)
            if (field(h.value(HTime)) != in_.time || storedInteger(h.value(HBatch)) != in_.batch) {
                problems_ << QStringLiteral("抽签历史的行不全属于本批次");
                return;
            }
    }

    // The history rows of `kind` as position -> 甲 (and 乙): true when there is one row for each
    // position 1..count and each 甲 (and each 乙) is one of 1..count exactly once.
    bool positions(HistoryKind kind, int count, QVector<qint64>* first, QVector<qint64>* second) {
        const QVector<QVariantList>& rows = historyOf_.value(kindName(kind));
        first->fill(0, count + 1);
        if (second)
            second->fill(0, count + 1);
        bool whole = rows.size() == count;
        for (const QVariantList& h : rows) {
            const qint64 seq = storedInteger(h.value(HSeq)).value_or(0);
            if (seq < 1 || seq > count || (*first)[seq] != 0) {
                whole = false;
                continue;
            }
            (*first)[seq] = storedInteger(h.value(HA)).value_or(-1);
            if (second)
                (*second)[seq] = storedInteger(h.value(HB)).value_or(-1);
        }
        if (!whole) {
            problems_ << QStringLiteral("抽签历史的%1行不是每个序号恰好一行").arg(kindName(kind));
            return false;
        }
        const bool firstOnce = isPermutation(*first);
        const bool secondOnce = !second || isPermutation(*second);
        if (kind == Pairing) {
            if (!firstOnce)
                problems_ << QStringLiteral("监考员甲不是每人恰好安排一次");
            if (!secondOnce)
                problems_ << QStringLiteral("监考员乙不是每人恰好安排一次");
        } else if (!firstOnce) {
            problems_ << QStringLiteral("%1不是每行恰好分配一次").arg(kindName(kind));
        }
        return firstOnce && secondOnce;
    }

    static bool isPermutation(const QVector<qint64>& p) {
        const qint64 count = p.size() - 1;
        QVector<bool> seen(count + 1, false);
        for (qint64 i = 1; i <= count; ++i) {
            if (p[i] < 1 || p[i] > count || seen[p[i]])
                return false;
            seen[p[i]] = true;
        }
        return true;
    }

    QVector<HistoryLine> listed(HistoryKind kind) const {
        QVector<HistoryLine> lines;
        for (const Source& s : in_.history[kind])
            lines += s.lines;
        return lines;
    }

    void invigilatorRules(const QVector<qint64>& a, const QVector<qint64>& b) {
        const Sides sides = sidesOf(in_.mode);
        const QVector<HistoryLine> history = listed(Pairing);
        const bool noReturn = in_.rules[AllowReturn] == 0 && !history.isEmpty();
        const bool noPartner = in_.rules[AllowRepartner] == 0 && !history.isEmpty() && sides.b;
        Pairs formerA, formerB, partners;
        for (const HistoryLine& h : history) {
            formerA.insert({h[0], h[1]});
            formerB.insert({h[0], h[2]});
            partners.insert({h[1], h[2]});
        }
        for (qint64 i = 1; i < a.size(); ++i) {
            const QString& room = in_.rooms[i - 1][Room];
            const QString& aName = in_.rooms[a[i] - 1][AName];
            const QString& bName = in_.rooms[b[i] - 1][BName];
            if (!sides.a && a[i] != i)
                problems_ << QStringLiteral("考场 %1：监考员甲不参加抽签，却被调动").arg(room);
            if (!sides.b && b[i] != i)
                problems_ << QStringLiteral("考场 %1：监考员乙不参加抽签，却被调动").arg(room);
            if (noReturn && sides.a && formerA.contains({i, a[i]}))
                problems_ << QStringLiteral("考场 %1：监考员甲 %2 重回原考室").arg(room, aName);
            if (noReturn && sides.b && formerB.contains({i, b[i]}))
                problems_ << QStringLiteral("考场 %1：监考员乙 %2 重回原考室").arg(room, bName);
            if (noPartner && partners.contains({a[i], b[i]}))
                problems_
                    << QStringLiteral("考场 %1：监考员甲 %2 与监考员乙 %3 再次搭档").arg(room, aName, bName);
        }
    }

    // A duty row j may not get the partner row of a listed batch again, where returns are refused
    // and more than two people share the duty; a kind that is not drawn keeps its own.
    void dutyRules(HistoryKind kind, const QVector<qint64>& p, bool drawn, bool returnsRefused) {
        const qint64 count = p.size() - 1;
        Pairs former;
        for (const HistoryLine& h : listed(kind))
            former.insert({h[0], h[1]});
        const bool noReturn = drawn && returnsRefused && count > 2;
        for (qint64 j = 1; j <= count; ++j) {
            if (!drawn && p[j] != j)
                problems_ << QStringLiteral("%1不参加抽签，第 %2 行却被调动").arg(kindName(kind)).arg(j);
            if (noReturn && former.contains({j, p[j]}))
                problems_ << QStringLiteral("%1第 %2 行再次分到近期批次的第 %3 行")
                                 .arg(kindName(kind))
                                 .arg(j)
                                 .arg(p[j]);
        }
    }

    QStringList head(HistoryKind kind) const {
        return {QString::number(in_.project), in_.subject, in_.time, kindName(kind)};
    }

    // The rows of 抽签总表 (the 抽签参数 row aside) as the placements of 抽签历史 make them from
    // the certificate's roster, every column compared.
    void printedTable(const QVector<qint64>& a, const QVector<qint64>& b, const QVector<qint64>& p,
                      const QVector<qint64>& q) {
        const QStringList noPerson(4, QStringLiteral("\\N"));
        QStringList expected, stored;
        for (qint64 i = 1; i < a.size(); ++i) {
            const QStringList& A = in_.rooms[a[i] - 1];
            const QStringList& B = in_.rooms[b[i] - 1];
            expected << (head(Pairing) + QStringList{in_.rooms[i - 1][Room]} + A.mid(AName, 4) +
                         B.mid(BName, 4) + QStringList{QStringLiteral("\\N")})
                            .join(QLatin1Char('\t'));
        }
        for (qint64 j = 1; j < p.size(); ++j) {
            const QStringList& own = in_.supervisors[j - 1];
            expected << (head(Supervisors) +
                         QStringList{own[DRoom], own[DName], own[DSex], own[DUnit], own[DId]} + noPerson +
                         QStringList{in_.supervisors[p[j] - 1][DScope]})
                            .join(QLatin1Char('\t'));
        }
        for (qint64 j = 1; j < q.size(); ++j) {
            const QStringList& own = in_.checkers[j - 1];
            const QStringList& person = in_.checkers[q[j] - 1];
            expected << (head(Checkers) +
                         QStringList{own[DRoom], person[DName], person[DSex], person[DUnit], person[DId]} +
                         noPerson + QStringList{own[DScope]})
                            .join(QLatin1Char('\t'));
        }
        for (const QVariantList& r : rows_.results) {
            QStringList fields;
            for (const QVariant& v : r)
                fields << field(v);
            if (fields.value(RKind) != kParametersKind)
                stored << fields.join(QLatin1Char('\t'));
        }
        std::sort(expected.begin(), expected.end());
        std::sort(stored.begin(), stored.end());
        if (expected != stored)
            problems_ << QStringLiteral("抽签总表与抽签历史的安排不符");
    }

    // One 抽签参数 row, carrying nothing but the parameter code of the certificate's rules.
    void parameterRow() {
        QVector<QStringList> found;
        for (const QVariantList& r : rows_.results) {
            QStringList fields;
            for (const QVariant& v : r)
                fields << field(v);
            if (fields.value(RKind) == kParametersKind)
                found.push_back(fields);
        }
        if (found.size() != 1) {
            problems_ << QStringLiteral("抽签总表应有一行抽签参数，实有 %1 行").arg(found.size());
            return;
        }
        const QStringList& row = found.front();
        const std::optional<ParameterCode> code = parseParameterCode(row[RRoom]);
        const QStringList rest = row.mid(RRoom + 1);
        if (!code || code->mode != in_.mode || code->rules != in_.rules ||
            row.mid(0, 3) != head(Pairing).mid(0, 3) ||
            rest != QStringList(rest.size(), QStringLiteral("\\N")))
            problems_ << QStringLiteral("抽签参数与校验数据的抽签规则不符");
    }

    const Reading& in_;
    const SavedRows& rows_;
    QHash<QString, QVector<QVariantList>> historyOf_;
    QStringList problems_;
};

} // namespace

QStringList checkRules(const Reading& in, const SavedRows& rows) {
    return RuleCheck(in, rows).run();
}

} // namespace engine::audit
