#pragma once

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
    QString MyPath; // program folder, ending in a separator
    QString MyDb;   // the database file, common::databaseFile(MyPath): MyPath + "Db/Exam.mdb" as a rule
    // The process's one connection to MyDb, owned by the main window (or the command) and shared
    // by every window: a second connection would be a second way to lose the file's locks.
    db::Database* db = nullptr;
    QString Yhm;     // 用户名 of the active settings row
    QString YhMm;    // 密码 of the active settings row
    bool ZD = false; // the database is read-only: every write is refused
    QString DWMC;    // 单位名称
    int DQXM = 0;    // current project
    int XTID = 0;    // 编号 of the active settings row (data management)
    QString SoftBB;  // program version (data management)

    // Project settings, refreshed by the overview and by the draw window.
    QString ksmc, kdmc, KjZs, KjDs;
    int cqms = 0, kchw = 0, XBZH = 0, CHKS = 0, ZDD = 0, cwjk = 0, txdd = 0, Fpxs = 0, xgcs = 0, mrh1 = 0;
    int KSS = 0;  // room count
    QString DQKM; // current subject (draw program)

    // The login result; false at start-up, true after the first matching login of the run.
    bool LoginSucceeded = false;

    // The current project's timetable in 开考时间 order, every row kept.
    QVector<SubjectEntry> SubjectTable;
    bool StaffMismatch = false;
};

// The subject under which the arrangement before any draw is loaded and printed.
inline const QString kInitialSubject = QStringLiteral("初始数据");

// The write guard's message, shown before any write on a read-only database.
inline QString readOnlyWriteText() {
    return QStringLiteral("数据库为只读属性，无法完成数据写入！\n请修改属性后重新加载程序！");
}

} // namespace common
