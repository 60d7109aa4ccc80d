#pragma once

#include "db/database.h"

#include <QDateTime>

namespace db {

struct DemoSize {
    int rooms = 30;
    int outsideSupervisors = 4;
    int paperCheckers = 3;
};

// Adds a ready-to-draw project (number returned) with a timetable around `now`, so that a
// newcomer sees a current subject, and makes it the current project of the settings row.
int insertDemoProject(Database& db, const QDateTime& now, const DemoSize& size = {});

} // namespace db
