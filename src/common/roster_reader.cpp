#include "common/roster_reader.h"

#include <QHash>

namespace common {

namespace {

const QString kInvigilators =
    QStringLiteral("(select * from 人员安排 where 项目编号=? and 分类='监考员') temp");

RosterPerson personOf(const db::Row& r) {
    return {r.value(QStringLiteral("姓名")), r.value(QStringLiteral("性别")),
            r.value(QStringLiteral("来源单位")), r.value(QStringLiteral("联系电话")),
            r.value(QStringLiteral("身份证号"))};
}

} // namespace

QVector<RosterRoom> readRosterRooms(const db::Database& db, int project) {
    QVector<RosterRoom> rooms;
    QHash<QString, qsizetype> byNumber;
    for (const db::Row& g :
         db.query(QStringLiteral("select 分组号 from %1 group by 分组号 order by 分组号").arg(kInvigilators),
                  {project})) {
        byNumber.insert(g.value(0).toString(), rooms.size());
        rooms.push_back({g.value(0), {}, {}});
    }
    // Where a room has two A (or two B) rows, the later one (higher 编号) wins.
    for (const db::Row& r :
         db.query(QStringLiteral("select * from %1 order by 编号").arg(kInvigilators), {project})) {
        const auto found = byNumber.constFind(db::text(r, QStringLiteral("分组号")));
        if (found == byNumber.constEnd())
            continue;
        const QString duty = db::text(r, QStringLiteral("工作任务"));
        if (duty == QStringLiteral("甲"))
            rooms[*found].a = personOf(r);
        else if (duty == QStringLiteral("乙"))
            rooms[*found].b = personOf(r);
    }
    return rooms;
}

db::Rows readDutyRows(const db::Database& db, int project, const QStringList& kinds, const QString& orderBy) {
    QStringList marks;
    QVariantList values{project};
    for (const QString& kind : kinds) {
        marks << QStringLiteral("分类=?");
        values << kind;
    }
    QString sql = QStringLiteral("select * from (select * from 人员安排 where 项目编号=? and (%1)) temp")
                      .arg(marks.join(QStringLiteral(" or ")));
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" order by ") + orderBy;
    return db.query(sql, values);
}

} // namespace common
