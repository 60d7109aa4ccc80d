#pragma once

#include "common/run_state.h"
#include "db/database.h"

#include <memory>

namespace common {

// What the start-up of a window program found when it looked for Db/Exam.mdb.
struct StartupDatabase {
    std::unique_ptr<db::Database> db; // null: the program must stop after `fatalText`
    QString fatalText;                // shown with the title "致命错误"
    bool readOnlyWarning = false;     // show the read-only warning and go on (state.ZD is set)
};

// Sets MyPath and MyDb from the program folder, checks the file (missing, not an SQLite
// file, not this system's database, read-only) and opens it; read-only locations are opened
// read-only. A file that is refused is left exactly as it was.
StartupDatabase openStartupDatabase(RunState& state, const QString& programFolder,
                                    bool detectReadOnly = true);

// Reads the active settings row (状态 "正常", lowest 编号) into DWMC, DQXM, XTID, Yhm, YhMm.
// False when there is none.
bool readActiveSettings(const db::Database& db, RunState& state);

inline const QString kFatalTitle = QStringLiteral("致命错误");
inline const QString kReadOnlyWarningText = QStringLiteral("请检查数据库文件是否只读或当前位置无写入权限！");
inline const QString kNoProjectText = QStringLiteral("无可用项目");

} // namespace common
