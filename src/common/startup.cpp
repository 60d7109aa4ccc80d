#include "common/startup.h"

#include "common/data_folder.h"
#include "db/db_file.h"
#include "db/password_hash.h"

#include <QDir>

namespace common {

base::Result<StartupDatabase> openStartupDatabase(RunState& state, const QString& programFolder,
                                                  bool detectReadOnly) {
    state.MyPath = QDir(programFolder).absolutePath() + QLatin1Char('/');
    state.MyDb = databaseFile(programFolder);
    QDir::setCurrent(state.MyPath);

    StartupDatabase out;
    base::Failure fatal;
    try {
        // Either mode looks at the file first: a file that is not ours gets the same words.
        const bool readOnlyFile = detectReadOnly && db::isReadOnlyLocation(state.MyDb);
        state.readOnlyReason = readOnlyFile ? db::permissionText(state.MyDb) : QString();
        out.db = std::make_unique<db::Database>(state.MyDb, readOnlyFile || !detectReadOnly
                                                                ? db::Database::Mode::ReadOnly
                                                                : db::Database::Mode::ReadWrite);
        // A server account that may only read: the same warning and guard as a read-only file.
        if (detectReadOnly && !readOnlyFile && out.db->readOnly()) {
            state.readOnlyReason = out.db->accountNote();
            state.readOnlyAccount = true;
        }
    } catch (const db::DbError& e) {
        out.db.reset();
        fatal = e.kind() == db::ErrorKind::Refused
                    ? base::Failure{e.text(), {}}
                    : base::Failure{QStringLiteral("数据库无法打开，程序无法正常运行！"), e.text()};
    }
    // Whatever made it so (the file's place, the server account's rights, a program that only
    // reads), the connection's own mode is the run's answer, and every write guard asks ZD.
    state.ZD = out.db && out.db->readOnly();
    if (!out.db)
        return std::unexpected(fatal);
    out.readOnlyWarning = detectReadOnly && state.ZD;
    return out;
}

QString readOnlyWarningText(const RunState& state) {
    if (state.readOnlyAccount && !state.readOnlyReason.isEmpty())
        return state.readOnlyReason;
    return state.readOnlyReason.isEmpty() ? kReadOnlyWarningText
                                          : kReadOnlyWarningText + u'\n' + state.readOnlyReason;
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
    const QString stored = db::text(r, QStringLiteral("密码"));
    state.YhMmPlain = !db::isPasswordHash(stored);
    state.YhMm = state.YhMmPlain ? db::hashPassword(stored) : stored;
    return true;
}

bool credentialsMatch(RunState& state, const QString& user, const QString& password) {
    if (user != state.Yhm || !db::passwordMatches(state.YhMm, password))
        return false;
    if (state.YhMmPlain && !state.ZD && state.db) {
        try {
            // Only while the row still holds plain text: a password changed meanwhile stays.
            state.db->exec(
                QStringLiteral("update 系统设置 set 密码=? where 编号=? and coalesce(密码, '') not like ?"),
                {state.YhMm, state.XTID, QStringLiteral("pbkdf2-sha256$%")});
            state.YhMmPlain = false;
        } catch (const db::DbError&) {
            // Busy or refused: the login stands, and the next one stores the derivation.
        }
    }
    return true;
}

} // namespace common
