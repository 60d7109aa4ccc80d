#include "store/working_set.h"

#include "common/roster_reader.h"

namespace engine {

namespace {

const QString kInvigilators =
    QStringLiteral("(select * from 人员安排 where 项目编号=? and 分类='监考员') temp");

QVector<TallyRow> loadTally(const db::Database& db, int project, const QString& column) {
    QVector<TallyRow> tally;
    const db::Rows rows = db.query(
        QStringLiteral("select %1,count(*) as 数量 from (select * from 人员安排 where "
                       "项目编号=? and 分类='监考员' and 工作任务='乙') temp group by %1 order by %1")
            .arg(column),
        {project});
    for (const db::Row& r : rows)
        tally.push_back({r.value(0), r.value(1).toInt()});
    return tally;
}

} // namespace

QVector<DutyRow> loadDutyList(const db::Database& db, int project, const QString& kind) {
    QVector<DutyRow> list(1);
    for (const db::Row& r : common::readDutyRows(db, project, {kind}, QStringLiteral("分组号, 编号"))) {
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
    for (const common::RosterRoom& room : common::readRosterRooms(db, project)) {
        RosterRow row;
        row.col = {room.room,   room.a.name, room.a.sex,  room.a.unit,  room.a.phone, room.a.id,
                   room.b.name, room.b.sex,  room.b.unit, room.b.phone, room.b.id};
        ws.rooms.push_back(row);
    }
    ws.genderTally = loadTally(db, project, QStringLiteral("性别"));
    ws.unitTally = loadTally(db, project, QStringLiteral("来源单位"));
    ws.supervisors = loadDutyList(db, project, QStringLiteral("场外监考"));
    return ws;
}

} // namespace engine
