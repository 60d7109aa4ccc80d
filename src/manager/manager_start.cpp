#include "manager/manager_start.h"

#include "common/startup.h"

#include <QFileInfo>

namespace manager {

QString mainCaption(const common::RunState& state) {
    return QStringLiteral("Vardel V") + state.SoftBB;
}

QString drawProgramMissingText(const QString& path) {
    return QStringLiteral("没找到（") + QFileInfo(path).fileName() + QStringLiteral("）文件！");
}

ManagerStart startManager(common::RunState& state, common::SingleInstance& instance,
                          const QString& programFolder) {
    using Outcome = ManagerStart::Outcome;
    ManagerStart out;
    state.SoftBB = kSoftBB;
    if (!instance.acquire()) {
        out.outcome = Outcome::AlreadyRunning;
        return out;
    }
    base::Result<common::StartupDatabase> opened = common::openStartupDatabase(state, programFolder);
    if (!opened) {
        out.fatal = opened.error();
        return out;
    }
    out.readOnlyWarning = opened->readOnlyWarning;
    out.db = std::move(opened->db);
    try {
        out.outcome = common::readActiveSettings(*out.db, state) ? Outcome::Ready : Outcome::NoProject;
    } catch (const db::DbError& e) {
        out.db.reset();
        out.fatal = {QStringLiteral("读取数据库失败，程序无法正常运行！"), e.text()};
    }
    return out;
}

} // namespace manager
