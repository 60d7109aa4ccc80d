#pragma once

#include "db/database.h"

#include <QString>
#include <QVector>

namespace engine {

// A project a draw can be made for: a 考点设置 row in use (状态 "正常").
struct ProjectEntry {
    int id = 0;   // 编号
    QString name; // 考试名称
    QString entry() const { return QString::number(id) + QStringLiteral("#.") + name; }
};

// The projects in use, by 编号.
QVector<ProjectEntry> projectsInUse(const db::Database& db);

} // namespace engine
