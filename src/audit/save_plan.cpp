#include "audit/save_plan.h"

#include "db/schema.h"
#include "draw/draw_engine.h"
#include "draw/random_source.h"

#include <algorithm>

namespace engine {

namespace {

// A duty list keeps NULL as a null text, which is bound as NULL.
QVariant textValue(const QString& text) {
    return text.isNull() ? QVariant() : QVariant(text);
}

class RowPlanner {
public:
    explicit RowPlanner(const DrawInputs& in) : in_(in) {}

    // Columns as resultColumns(): 项目编号, 科目, 时间, 分类, 分组号, A's name, sex, unit and ID,
    // B's the same, 责任范围. A person is those four values; nobody is four NULLs.
    void result(const QString& kind, const QVariant& room, const QVariantList& a, const QVariantList& b,
                const QVariant& scope) {
        QVariantList row{in_.project, in_.subject, in_.time, kind, room};
        row << a << b << scope;
        rows.results.push_back(row);
    }
    void history(const QString& kind, int seq, int a, const QVariant& b) {
        rows.history.push_back({in_.project, in_.subject, in_.time, in_.batch, kind, seq, a, b});
    }
    // Row j keeps its own room. An outside supervisor (movesScope) keeps the person and receives
    // the scope of row perm[j]; a paper-check row keeps its scope and receives the person.
    void duty(const QString& kind, const QVector<DutyRow>& list, const QVector<int>& perm, bool movesScope) {
        const int count = static_cast<int>(list.size()) - 1;
        for (int j = 1; j <= count; ++j) {
            const DutyRow& own = list[j];
            const DutyRow& drawn = list[dutyEntry(perm, j, count)];
            const DutyRow& p = movesScope ? own : drawn;
            result(kind, textValue(own.room),
                   {textValue(p.name), textValue(p.sex), textValue(p.unit), textValue(p.id)}, QVariantList(4),
                   textValue(movesScope ? drawn.scope : own.scope));
        }
        for (int j = 1; j <= count; ++j)
            history(kind, j, dutyEntry(perm, j, count), {});
    }

    SavedRows rows;

private:
    // Entry j of a duty permutation, the row itself when the permutation does not reach it.
    static int dutyEntry(const QVector<int>& perm, int j, int count) {
        const int v = j < perm.size() ? perm[j] : 0;
        return v >= 1 && v <= count ? v : j;
    }

    const DrawInputs& in_;
};

} // namespace

SavePlan planSave(const DrawInputs& in, const Candidate& result) {
    SavePlan plan;
    RowPlanner p(in);
    if (in.withDuties) {
        p.duty(db::kOutsideCategory, in.ws.supervisors, result.supervisor, true);
        const int k = static_cast<int>(in.checkers.size()) - 1;
        SeededRandom stream(checkerSeed(in.seed));
        QVector<int> q;
        const DrawResult drawn = drawDuty(db::kPaperCheckCategory, std::max(k, 0), in.checkerHistory,
                                          in.checkerReturn, in.checkerDraw, stream, q);
        if (drawn.status == DrawStatus::Impossible) {
            plan.refusal = drawn.reason;
            return plan;
        }
        p.duty(db::kPaperCheckCategory, in.checkers, q, false);
    }
    const WorkingSet& ws = in.ws;
    // A person index outside the rooms names nobody (the empty row 0).
    const auto person = [&ws](int k) -> const RosterRow& {
        return ws.rooms[k >= 1 && k <= ws.roomCount() ? k : 0];
    };
    for (int i = 1; i <= ws.roomCount(); ++i) {
        const RosterRow& a = person(result.a.value(i));
        const RosterRow& b = person(result.b.value(i));
        p.result(
            db::kInvigilatorCategory, ws.rooms[i].col[RosterRow::Room],
            {a.col[RosterRow::AName], a.col[RosterRow::ASex], a.col[RosterRow::AUnit], a.col[RosterRow::AId]},
            {b.col[RosterRow::BName], b.col[RosterRow::BSex], b.col[RosterRow::BUnit], b.col[RosterRow::BId]},
            {});
    }
    p.result(db::kParametersKind, in.settings.parameterCode(), QVariantList(4), QVariantList(4), {});
    for (int i = 1; i <= ws.roomCount(); ++i)
        p.history(db::kInvigilatorCategory, i, result.a.value(i), result.b.value(i));
    plan.rows = std::move(p.rows);
    return plan;
}

} // namespace engine
