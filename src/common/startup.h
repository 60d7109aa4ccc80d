#pragma once

#include "base/result.h"
#include "common/run_state.h"
#include "db/database.h"

#include <memory>

namespace common {

// The database a window program opened at start-up.
struct StartupDatabase {
    std::unique_ptr<db::Database> db;
    bool readOnlyWarning = false; // show the read-only warning and go on (state.ZD is set)
};

// Sets MyPath and MyDb from the program folder, checks the file (missing, unreadable, not an
// SQLite file, not this system's database, read-only) and opens it; read-only locations are
// opened read-only, with the permission that is missing in state.readOnlyReason. state.ZD is
// the opened database's answer (db::Database::readOnly), set here and nowhere else. A file that
// is refused is left exactly as it was; the failure is fatal: shown with the title kFatalTitle,
// after which the program stops.
base::Result<StartupDatabase> openStartupDatabase(RunState& state, const QString& programFolder,
                                                  bool detectReadOnly = true);

// Reads the active settings row (状态 "正常", lowest 编号) into DWMC, DQXM, XTID, Yhm, YhMm.
// False when there is none. A password stored as plain text is kept only as its derivation.
bool readActiveSettings(const db::Database& db, RunState& state);

// The login's comparison: the user name exactly, the password by derivation against YhMm. On
// success a password the row still holds as plain text is replaced by its derivation where the
// database can be written; a write that fails is left to the next login.
bool credentialsMatch(RunState& state, const QString& user, const QString& password);

inline const QString kFatalTitle = QStringLiteral("致命错误");
inline const QString kReadOnlyWarningText = QStringLiteral("请检查数据库文件是否只读或当前位置无写入权限！");
// The start-up warning of a read-only database, with the reason the run knows on its own line.
QString readOnlyWarningText(const RunState& state);
inline const QString kNoProjectText = QStringLiteral("无可用项目");

} // namespace common
