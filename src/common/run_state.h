#pragma once

#include "common/project_settings.h"

#include <QString>
#include <QVector>

namespace db {
class Database;
}

namespace common {

// One row of the current project's timetable, as read (texts, unconverted).
struct SubjectEntry {
    QString id;      // 编号
    QString subject; // 科目
    QString start;   // 开考时间
    QString minutes; // 时长
};

// The run's shared state: what the main window of each program holds for the whole run
// and hands by reference to the windows it opens. Names are those the windows use.
struct RunState {
    // The short names are the pinyin initials of the Chinese terms the windows have always used.
    QString MyPath; // 程序路径: the program folder, ending in a separator
    QString MyDb; // 数据库: the database file, common::databaseFile(MyPath); MyPath + "Db/Exam.mdb" as a rule
    // The process's one connection to MyDb, owned by the main window (or the command) and shared
    // by every window: a second connection would be a second way to lose the file's locks.
    db::Database* db = nullptr;
    QString Yhm;     // 用户名: the user name of the active settings row
    QString YhMm;    // 用户密码: the password of the active settings row, as its derivation
    bool ZD = false; // 只读: the connection is read-only (set by openStartupDatabase alone); writes refused
    QString DWMC;    // 单位名称: the organisation running the exam centre
    int DQXM = 0;    // 当前项目: the current project's 编号
    int XTID = 0;    // 系统ID: 编号 of the active settings row (data management)
    QString SoftBB;  // 软件版本: the program version (data management)

    // The row still holds the password as plain text (an older version wrote it): YhMm is its
    // derivation, made at start-up, and the next successful login stores that instead.
    bool YhMmPlain = false;
    // Why ZD, when it is the account's permissions: said on its own line after the messages of a
    // read-only database (db::permissionText).
    QString readOnlyReason;
    bool readOnlyAccount = false; // read-only for the server account's rights, not for a file

    // The current project's settings, refreshed by the overview and by the draw window.
    ProjectSettings project;
    int KSS = 0;  // 考室数: the room count of the current project
    QString DQKM; // 当前科目: the current subject (draw program)

    // The login result; false at start-up, true after the first matching login of the run.
    bool LoginSucceeded = false;

    // The current project's timetable in 开考时间 order, every row kept.
    QVector<SubjectEntry> SubjectTable;
    // A room lacks its 甲 or its 乙: the main window shows a warning instead of the clock.
    bool StaffMismatch = false;
};

// The subject under which the arrangement before any draw is loaded and printed.
inline const QString kInitialSubject = QStringLiteral("初始数据");

// The write guard's message, shown before any write on a read-only database.
inline QString readOnlyWriteText() {
    return QStringLiteral("数据库为只读属性，无法完成数据写入！\n请修改属性后重新加载程序！");
}
// The same with the reason the run knows.
inline QString readOnlyWriteText(const RunState& state) {
    if (state.readOnlyReason.isEmpty())
        return readOnlyWriteText();
    // A server account has no attribute to change: its reason says what to ask for.
    if (state.readOnlyAccount)
        return QStringLiteral("无法完成数据写入！\n") + state.readOnlyReason;
    return readOnlyWriteText() + u'\n' + state.readOnlyReason;
}

} // namespace common
