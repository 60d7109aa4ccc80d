#include "engine/draw_repository.h"

#include "common/random_source.h"
#include "db/date_text.h"
#include "db/schema.h"
#include "engine/deletion_record.h"
#include "engine/draw_ledger.h"

#include <QStringList>

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

bool candidateCovers(const Candidate& c, int rooms) {
    for (int i = 1; i <= rooms; ++i) {
        if (c.a.value(i) < 1 || c.a.value(i) > rooms || c.b.value(i) < 1 || c.b.value(i) > rooms)
            return false;
    }
    return true;
}

// The inputs of a save, without what only the save's transaction can tell (batch, checkers).
DrawInputs inputsOf(const WorkingSet& ws, const StoppedDraw& draw, const SaveRequest& r) {
    DrawInputs in = drawnInputs(ws, draw, r.project, r.subject);
    in.time = db::toDateText(r.time);
    in.withDuties = r.withDuties;
    in.checkerReturn = r.allowReturn;
    in.checkerDraw = r.drawCheckers;
    return in;
}

// The subject's rows and certificate go, leaving their record behind; part of the caller's
// transaction.
void removeSubject(db::Database& db, int project, const QString& subject, const QDateTime& when,
                   const QString& method) {
    recordDeletion(db, project, subject, when, method);
    db.exec(QStringLiteral("delete from 抽签历史 where 项目编号=? and 科目=?"), {project, subject});
    db.exec(QStringLiteral("delete from 抽签总表 where 项目编号=? and 科目=?"), {project, subject});
    deleteCertificate(db, project, subject);
}

} // namespace

DrawInputs drawnInputs(const WorkingSet& ws, const StoppedDraw& draw, int project, const QString& subject) {
    DrawInputs in;
    in.seed = draw.seed;
    in.project = project;
    in.subject = subject;
    in.settings = draw.settings;
    in.ws.rooms.resize(ws.rooms.size());
    for (int i = 1; i <= ws.roomCount(); ++i) {
        in.ws.rooms[i].col = ws.rooms[i].col;
        in.ws.rooms[i].col[4] = in.ws.rooms[i].col[9] = QVariant(); // telephones: nobody draws on them
    }
    in.ws.genderTally = ws.genderTally;
    in.ws.unitTally = ws.unitTally;
    in.ws.supervisors = ws.supervisors;
    in.checkers.resize(1);
    in.pairingHistory = draw.pairingHistory;
    in.supervisorHistory = draw.supervisorHistory;
    return in;
}

SavePlan planSave(const DrawInputs& in, const Candidate& result) {
    SavePlan plan;
    RowPlanner p(in);
    if (in.withDuties) {
        p.duty(db::kOutsideCategory, in.ws.supervisors, result.supervisor, true);
        const int k = static_cast<int>(in.checkers.size()) - 1;
        common::SeededRandom stream(checkerSeed(in.seed));
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
        p.result(db::kInvigilatorCategory, ws.rooms[i].col[0], {a.col[1], a.col[2], a.col[3], a.col[5]},
                 {b.col[6], b.col[7], b.col[8], b.col[10]}, {});
    }
    p.result(db::kParametersKind, in.settings.parameterCode(), QVariantList(4), QVariantList(4), {});
    for (int i = 1; i <= ws.roomCount(); ++i)
        p.history(db::kInvigilatorCategory, i, result.a.value(i), result.b.value(i));
    plan.rows = std::move(p.rows);
    return plan;
}

SaveOutcome saveDraw(db::Database& db, const WorkingSet& ws, const StoppedDraw& draw, const SaveRequest& r) {
    if (!candidateCovers(draw.candidate, ws.roomCount()))
        return base::failure(QStringLiteral("抽签结论与考室数量不符，无法保存！"));
    if (draw.stop <= 0)
        return base::failure(kUnrecordedStop);
    db::Transaction tx(db);
    openLedger(db, r.time);
    removeSubject(db, r.project, r.subject, r.time, kDeletedBySave);
    DrawInputs in = inputsOf(ws, draw, r);
    // Counted over every project and subject, after the subject's own old batch is gone.
    in.batch = db.scalar(QStringLiteral("select max(数据批次) as 最大批次 from 抽签历史")).toInt() + 1;
    if (r.withDuties) {
        // The paper checkers as they are now, against their history without this subject's old batch.
        in.checkers = loadDutyList(db, r.project, db::kPaperCheckCategory);
        in.checkerHistory =
            loadDutyHistory(db, r.project, db::kPaperCheckCategory, static_cast<int>(in.checkers.size()) - 1);
    }
    const SavePlan plan = planSave(in, draw.candidate);
    if (!plan.refusal.isEmpty())
        return base::failure(plan.refusal);
    db.insertRows(QStringLiteral("抽签总表"), resultColumns(), plan.rows.results);
    db.insertRows(QStringLiteral("抽签历史"), historyColumns(), plan.rows.history);
    const Certificate certificate = makeCertificate(in, plan.rows);
    writeCertificate(db, certificate);
    appendEvent(db, {in.time, r.project, r.subject, kSaveEvent,
                     saveContent(draw.stop, in.batch, certificate.resultDigest)});
    tx.commit();
    return in.batch;
}

QVector<SavedDraw> savedDraws(const db::Database& db, int project) {
    QVector<SavedDraw> out;
    const db::Rows rows =
        db.query(QStringLiteral(
                     "select distinct 科目,时间,项目编号 from 抽签总表 where 项目编号=? order by 时间 desc"),
                 {project});
    for (const db::Row& row : rows)
        out.push_back({db::text(row, QStringLiteral("科目")), db::text(row, QStringLiteral("时间"))});
    return out;
}

void deleteSavedDraw(db::Database& db, int project, const QString& subject, const QDateTime& when) {
    db::Transaction tx(db);
    openLedger(db, when);
    removeSubject(db, project, subject, when, kDeletedByOperator);
    tx.commit();
}

QVector<SavedRoom> loadSavedDraw(const db::Database& db, int project, const QString& subject,
                                 bool withSupervisors) {
    QVector<SavedRoom> rooms;
    const QString sql =
        QStringLiteral("select * from 抽签总表 where 分类=? and 科目=? and 项目编号=? order by 分组号");
    for (const db::Row& row : db.query(sql, {db::kInvigilatorCategory, subject, project}))
        rooms.push_back({db::text(row, QStringLiteral("分组号")),
                         db::text(row, QStringLiteral("监考员甲")),
                         db::text(row, QStringLiteral("监考员乙")),
                         {}});
    if (!withSupervisors)
        return rooms;
    const db::Rows supervisors = db.query(sql, {db::kOutsideCategory, subject, project});
    for (SavedRoom& room : rooms) {
        for (const db::Row& s : supervisors) {
            const QVariant scope = s.value(QStringLiteral("责任范围"));
            if (scope.isNull())
                continue;
            if (scope.toString().split(QLatin1Char(',')).contains(room.room))
                room.supervisor = db::text(s, QStringLiteral("监考员甲"));
        }
    }
    return rooms;
}

} // namespace engine
