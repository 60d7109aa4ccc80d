#include "engine/draw_repository.h"

#include "db/date_text.h"

#include <QStringList>

namespace engine {

namespace {

const QString kInvigilator = QStringLiteral("监考员");
const QString kSupervisor = QStringLiteral("场外监考");
const QString kChecker = QStringLiteral("验卷");
const QString kParameters = QStringLiteral("抽签参数");

void insertRow(db::Database& db, const QString& table, const QStringList& columns,
               const QVariantList& values) {
    const QStringList marks(columns.size(), QStringLiteral("?"));
    db.exec(QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            values);
}

// The stored rows carry the row's own fields where a duty list holds no value: empty text,
// as the list keeps it.
void insertDutyResult(db::Database& db, const SaveRequest& r, const QString& time, const QString& kind,
                      const DutyRow& own, const DutyRow& person, const QString& scope) {
    insertRow(
        db, QStringLiteral("抽签总表"),
        {QStringLiteral("项目编号"), QStringLiteral("分组号"), QStringLiteral("监考员甲"),
         QStringLiteral("甲性别"), QStringLiteral("甲单位"), QStringLiteral("责任范围"),
         QStringLiteral("甲身份证号"), QStringLiteral("分类"), QStringLiteral("科目"),
         QStringLiteral("时间")},
        {r.project, own.room, person.name, person.sex, person.unit, scope, person.id, kind, r.subject, time});
}

void insertHistory(db::Database& db, const SaveRequest& r, const QString& time, int batch,
                   const QString& kind, int seq, int a, const QVariant& b) {
    insertRow(db, QStringLiteral("抽签历史"),
              {QStringLiteral("项目编号"), QStringLiteral("分类"), QStringLiteral("序号"),
               QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("科目"), QStringLiteral("时间"),
               QStringLiteral("数据批次")},
              {r.project, kind, seq, a, b, r.subject, time, batch});
}

// Entry j of a duty permutation, the row itself when the permutation does not reach it.
int dutyEntry(const QVector<int>& perm, int j, int count) {
    const int v = j < perm.size() ? perm[j] : 0;
    return v >= 1 && v <= count ? v : j;
}

void writeSupervisors(db::Database& db, const WorkingSet& ws, const Candidate& result, const SaveRequest& r,
                      const QString& time, int batch) {
    const int m = ws.supervisorCount();
    for (int j = 1; j <= m; ++j) {
        const DutyRow& own = ws.supervisors[j];
        insertDutyResult(db, r, time, kSupervisor, own, own,
                         ws.supervisors[dutyEntry(result.supervisor, j, m)].scope);
    }
    for (int j = 1; j <= m; ++j)
        insertHistory(db, r, time, batch, kSupervisor, j, dutyEntry(result.supervisor, j, m), {});
}

// The paper checkers are drawn only now, against their history without this subject's old batch.
QString drawAndWriteCheckers(db::Database& db, const SaveRequest& r, const QString& time, int batch,
                             common::RandomSource& random) {
    const QVector<DutyRow> checkers = loadDutyList(db, r.project, kChecker);
    const int k = static_cast<int>(checkers.size()) - 1;
    QVector<int> q;
    const DrawResult drawn = drawDuty(kChecker, k, loadDutyHistory(db, r.project, kChecker, k), r.allowReturn,
                                      r.drawCheckers, random, q);
    if (drawn.status == DrawStatus::Impossible)
        return drawn.reason;
    for (int j = 1; j <= k; ++j) {
        const DutyRow& own = checkers[j];
        insertDutyResult(db, r, time, kChecker, own, checkers[dutyEntry(q, j, k)], own.scope);
    }
    for (int j = 1; j <= k; ++j)
        insertHistory(db, r, time, batch, kChecker, j, dutyEntry(q, j, k), {});
    return {};
}

void writeInvigilators(db::Database& db, const WorkingSet& ws, const Candidate& result, const SaveRequest& r,
                       const QString& time, int batch) {
    const int n = ws.roomCount();
    const QStringList columns = {
        QStringLiteral("项目编号"),   QStringLiteral("分类"),     QStringLiteral("分组号"),
        QStringLiteral("监考员甲"),   QStringLiteral("监考员乙"), QStringLiteral("甲身份证号"),
        QStringLiteral("乙身份证号"), QStringLiteral("甲性别"),   QStringLiteral("乙性别"),
        QStringLiteral("甲单位"),     QStringLiteral("乙单位"),   QStringLiteral("科目"),
        QStringLiteral("时间")};
    for (int i = 1; i <= n; ++i) {
        const RosterRow& a = ws.rooms[result.a.value(i)];
        const RosterRow& b = ws.rooms[result.b.value(i)];
        insertRow(db, QStringLiteral("抽签总表"), columns,
                  {r.project, kInvigilator, ws.rooms[i].col[0], a.col[1], b.col[6], a.col[5], b.col[10],
                   a.col[2], b.col[7], a.col[3], b.col[8], r.subject, time});
    }
    insertRow(db, QStringLiteral("抽签总表"),
              {QStringLiteral("项目编号"), QStringLiteral("分类"), QStringLiteral("分组号"),
               QStringLiteral("科目"), QStringLiteral("时间")},
              {r.project, kParameters, r.parameterCode, r.subject, time});
    for (int i = 1; i <= n; ++i)
        insertHistory(db, r, time, batch, kInvigilator, i, result.a.value(i), result.b.value(i));
}

bool candidateCovers(const Candidate& c, int rooms) {
    for (int i = 1; i <= rooms; ++i) {
        if (c.a.value(i) < 1 || c.a.value(i) > rooms || c.b.value(i) < 1 || c.b.value(i) > rooms)
            return false;
    }
    return true;
}

} // namespace

SaveOutcome saveDraw(db::Database& db, const WorkingSet& ws, const Candidate& result, const SaveRequest& r,
                     common::RandomSource& random) {
    if (!candidateCovers(result, ws.roomCount()))
        return {0, QStringLiteral("抽签结论与考室数量不符，无法保存！")};
    db::Transaction tx(db);
    db.exec(QStringLiteral("delete from 抽签历史 where 项目编号=? and 科目=?"), {r.project, r.subject});
    db.exec(QStringLiteral("delete from 抽签总表 where 项目编号=? and 科目=?"), {r.project, r.subject});
    // Counted over every project and subject, after the subject's own old batch is gone.
    const int batch = db.scalar(QStringLiteral("select max(数据批次) as 最大批次 from 抽签历史")).toInt() + 1;
    const QString time = db::toDateText(r.time);
    if (r.withDuties) {
        writeSupervisors(db, ws, result, r, time, batch);
        const QString refusal = drawAndWriteCheckers(db, r, time, batch, random);
        if (!refusal.isEmpty())
            return {0, refusal};
    }
    writeInvigilators(db, ws, result, r, time, batch);
    tx.commit();
    return {batch, {}};
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

void deleteSavedDraw(db::Database& db, int project, const QString& subject) {
    db::Transaction tx(db);
    db.exec(QStringLiteral("delete from 抽签历史 where 项目编号=? and 科目=?"), {project, subject});
    db.exec(QStringLiteral("delete from 抽签总表 where 项目编号=? and 科目=?"), {project, subject});
    tx.commit();
}

QVector<SavedRoom> loadSavedDraw(const db::Database& db, int project, const QString& subject,
                                 bool withSupervisors) {
    QVector<SavedRoom> rooms;
    const QString sql =
        QStringLiteral("select * from 抽签总表 where 分类=? and 科目=? and 项目编号=? order by 分组号");
    for (const db::Row& row : db.query(sql, {kInvigilator, subject, project}))
        rooms.push_back({db::text(row, QStringLiteral("分组号")),
                         db::text(row, QStringLiteral("监考员甲")),
                         db::text(row, QStringLiteral("监考员乙")),
                         {}});
    if (!withSupervisors)
        return rooms;
    const db::Rows supervisors = db.query(sql, {kSupervisor, subject, project});
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
