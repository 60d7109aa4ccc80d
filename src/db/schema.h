#pragma once

#include "db/database.h"

namespace db {

// Creates the six tables of the exam database (a no-op for tables that exist).
void createSchema(Database& db);

// The system settings row a new database starts with.
void insertSystemSettings(Database& db, const QString& unitName);

// The "中考" and "高考" template timetables that the timetable editor copies from.
void insertTemplateTimetables(Database& db);

} // namespace db
