#include "store/projects.h"

namespace engine {

QVector<ProjectEntry> projectsInUse(const db::Database& db) {
    QVector<ProjectEntry> out;
    for (const db::Row& row :
         db.query(QStringLiteral("select * from 考点设置 where 状态='正常' order by 编号")))
        out.push_back({db::integer(row, QStringLiteral("编号")), db::text(row, QStringLiteral("考试名称"))});
    return out;
}

} // namespace engine
