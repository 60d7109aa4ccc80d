#pragma once

#include "db/database.h"

namespace db {

// Creates the six tables of the exam database and the certificate table (a no-op for tables
// that exist).
void createSchema(Database& db);

// The certificates of the saved draws, one row per batch, beside the six tables
// (docs/draw-certificate.md). Files from before it lack the table: a save creates it, and
// readers take its absence for "no certificates".
inline const QString kCertificateTable = QStringLiteral("抽签校验");
void createCertificateTable(Database& db);
bool hasCertificateTable(const Database& db);

// The code a supervisor compares with the printed draw conclusion: the first 16 hex digits of
// a result digest, upper case, in four groups of four ("3F2A-9C1B-77E0-D415").
QString certificateCode(const QString& resultDigest);

// The system settings row a new database starts with.
void insertSystemSettings(Database& db, const QString& unitName);

// The "中考" and "高考" template timetables that the timetable editor copies from.
void insertTemplateTimetables(Database& db);

} // namespace db
