#pragma once

#include "base/result.h"
#include "roster_import/roster_staging.h"

#include <QString>

namespace db {
class Database;
}

// The roster import, step by step, for the import window and for `examdb import`:
//   1. staged = prepareRosterImport(path, ticked, project.roomDigits)
//   2. Refused: show staged.refusal (critical); Empty: kNothingUsableText (information); both
//      change nothing.
//   3. staged.scopesCleared = clearedScopes(db, DQXM, staged); show the preview (staged.people
//      and staged.leftOut with their problems).
//   4. Ask confirmationText(path, staged.counts) (Yes/No, No the default); on No show
//      kCancelledText.
//   5. replaceRoster(db, DQXM, staged) and show its message.
namespace roster_import {

// Reads the file and stages the ticked categories with the project's room-number width. A CSV
// file holds one category: when that one is ticked, only it is replaced, whatever else is ticked.
StagedRoster prepareRosterImport(const QString& path, const Categories& ticked, int width);

// "检测到“path”中包含:" and the counts, with "\r\n" line breaks, exactly as the operator is asked.
QString confirmationText(const QString& path, const RosterCounts& counts);

// How many people of the project's 场外监考 and 验卷, where ticked, have a responsibility scope
// that replacing them clears.
int clearedScopes(const db::Database& db, int project, const StagedRoster& staged);

// Empties the categories that were ticked for the staging and writes the staged people, all in
// one transaction: a failure anywhere leaves the roster as it was. Gives kImportDoneText, or
// kWriteFailedText with the database's own words after a rollback.
base::Result<QString> replaceRoster(db::Database& db, int project, const StagedRoster& staged);

} // namespace roster_import
