#include "store/draw_repository.h"

#include "audit/deletion_record.h"
#include "audit/draw_ledger.h"
#include "audit/save_plan.h"
#include "db/date_text.h"
#include "db/schema.h"
#include "store/draw_history.h"

#include <QStringList>

#include <algorithm>

namespace engine {

namespace {

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

// The save itself; a database error leaves it by exception, undone by the transaction.
SaveOutcome save(db::Database& db, const WorkingSet& ws, const StoppedDraw& draw, const SaveRequest& r) {
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
        in.ws.rooms[i].col[RosterRow::APhone] = in.ws.rooms[i].col[RosterRow::BPhone] =
            QVariant(); // telephones: nobody draws on them
    }
    in.ws.genderTally = ws.genderTally;
    in.ws.unitTally = ws.unitTally;
    in.ws.supervisors = ws.supervisors;
    in.checkers.resize(1);
    in.pairingHistory = draw.pairingHistory;
    in.supervisorHistory = draw.supervisorHistory;
    return in;
}

SaveOutcome saveDraw(db::Database& db, const WorkingSet& ws, const StoppedDraw& draw, const SaveRequest& r) {
    try {
        return save(db, ws, draw, r);
    } catch (const db::DbError& e) {
        return std::unexpected(e.failure()); // the transaction has undone whatever it wrote
    }
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
