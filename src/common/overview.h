#pragma once

#include "common/run_state.h"
#include "db/database.h"

namespace common {

enum class OverviewProgram { Draw, Manager };

struct Overview {
    QString text;              // the panel text, exactly as built
    bool projectFound = false; // the current project's settings row exists
};

// 读参数: reads the current project's settings into `state`, loads its timetable, counts
// its rooms and invigilators (setting KSS and StaffMismatch) and builds the overview text.
Overview 读参数(const db::Database& db, RunState& state, OverviewProgram program);

// The eight lines of draw parameters the data-management overview shows.
QString parameterBlock(const ProjectSettings& settings);

// Reads the settings row of project `state.DQXM` into `state.project`; false, with the
// settings left as they were, when there is no such row.
bool readProjectSettings(const db::Database& db, RunState& state, db::Row* rowOut = nullptr);

// The project's timetable in 开考时间 order.
QVector<SubjectEntry> readTimetable(const db::Database& db, int project);

} // namespace common
