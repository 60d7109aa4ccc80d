#include "engine/working_set.h"

#include <QHash>

namespace engine {

namespace {

const QString kInvigilators =
    QStringLiteral("(select * from 人员安排 where 项目编号=? and 分类='监考员') temp");

QVector<TallyRow> loadTally(const db::Database& db, int project, const QString& column) {
    QVector<TallyRow> tally;
    const db::Rows rows =
        db.query(QStringLiteral("select %1,count(*) as 数量 from (select * from 人员安排 where "
                                "项目编号=? and 分类='监考员' and 工作任务='乙') temp group by %1")
                     .arg(column),
                 {project});
    for (const db::Row& r : rows)
        tally.push_back({r.value(0), r.value(1).toInt()});
    return tally;
}

} // namespace

QVector<DutyRow> loadDutyList(const db::Database& db, int project, const QString& kind) {
    QVector<DutyRow> list(1);
    const db::Rows rows = db.query(
        QStringLiteral(
            "select * from (select * from 人员安排 where 项目编号=? and 分类=?) cwjk order by 分组号"),
        {project, kind});
    for (const db::Row& r : rows) {
        DutyRow d;
        d.row = QString::number(list.size());
        d.room = db::text(r, QStringLiteral("分组号"));
        d.name = db::text(r, QStringLiteral("姓名"));
        d.sex = db::text(r, QStringLiteral("性别"));
        d.unit = db::text(r, QStringLiteral("来源单位"));
        d.scope = db::text(r, QStringLiteral("责任范围"));
        d.id = db::text(r, QStringLiteral("身份证号"));
        list.push_back(d);
    }
    return list;
}

WorkingSet loadWorkingSet(const db::Database& db, int project) {
    WorkingSet ws;
    ws.rooms.resize(1);
    QHash<QString, int> byRoom;
    for (const db::Row& r :
         db.query(QStringLiteral("select 分组号 from %1 group by 分组号 order by 分组号").arg(kInvigilators),
                  {project})) {
        RosterRow row;
        row.col[0] = r.value(0);
        byRoom.insert(r.value(0).toString(), ws.rooms.size());
        ws.rooms.push_back(row);
    }
    static const char* const kPersonColumns[] = {"姓名", "性别", "来源单位", "联系电话", "身份证号"};
    for (const db::Row& r : db.query(QStringLiteral("select * from %1").arg(kInvigilators), {project})) {
        const int k = byRoom.value(db::text(r, QStringLiteral("分组号")), 0);
        const QString duty = db::text(r, QStringLiteral("工作任务"));
        const int first = duty == QStringLiteral("甲") ? 1 : duty == QStringLiteral("乙") ? 6 : 0;
        if (k == 0 || first == 0)
            continue;
        // A second A (or B) of the same room replaces the first.
        for (int c = 0; c < 5; ++c)
            ws.rooms[k].col[first + c] = r.value(QString::fromUtf8(kPersonColumns[c]));
    }
    ws.genderTally = loadTally(db, project, QStringLiteral("性别"));
    ws.unitTally = loadTally(db, project, QStringLiteral("来源单位"));
    ws.supervisors = loadDutyList(db, project, QStringLiteral("场外监考"));
    return ws;
}

} // namespace engine
