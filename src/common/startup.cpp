#include "common/startup.h"

#include "common/data_folder.h"
#include "db/db_file.h"

#include <QDir>

namespace common {

StartupDatabase openStartupDatabase(RunState& state, const QString& programFolder, bool detectReadOnly) {
    StartupDatabase out;
    state.MyPath = QDir(programFolder).absolutePath() + QLatin1Char('/');
    state.MyDb = databaseFile(programFolder);
    QDir::setCurrent(state.MyPath);

    try {
        // Either mode looks at the file first: a file that is not ours gets the same words.
        state.ZD = detectReadOnly && db::isReadOnlyLocation(state.MyDb);
        out.readOnlyWarning = state.ZD;
        out.db = std::make_unique<db::Database>(state.MyDb, state.ZD || !detectReadOnly
                                                                ? db::Database::Mode::ReadOnly
                                                                : db::Database::Mode::ReadWrite);
        // A server account that may only read: the same warning and guard as a read-only file.
        if (detectReadOnly && !state.ZD && out.db->readOnly())
            state.ZD = out.readOnlyWarning = true;
    } catch (const db::DbError& e) {
        out.db.reset();
        out.fatalText = e.kind() == db::ErrorKind::Refused
                            ? e.text()
                            : QStringLiteral("数据库无法打开，程序无法正常运行！\n") + e.text();
    }
    return out;
}

bool readActiveSettings(const db::Database& db, RunState& state) {
    const db::Rows rows =
        db.query(QStringLiteral("select * from 系统设置 where 状态='正常' order by 编号 limit 1"));
    if (rows.isEmpty())
        return false;
    const db::Row& r = rows.front();
    state.XTID = db::integer(r, QStringLiteral("编号"));
    state.DWMC = db::text(r, QStringLiteral("单位名称"));
    state.DQXM = db::integer(r, QStringLiteral("当前项目"));
    state.Yhm = db::text(r, QStringLiteral("用户名"));
    state.YhMm = db::text(r, QStringLiteral("密码"));
    return true;
}

} // namespace common
