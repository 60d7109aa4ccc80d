#include "common/services.h"

namespace common {

bool writeGuard(const RunState& state, Prompter& prompter, QWidget* parent) {
    if (!state.ZD)
        return true;
    prompter.message(parent, readOnlyWriteText(state), Prompter::Icon::Critical);
    return false;
}

db::Database& runDatabase(const RunState& state) {
    if (!state.db)
        throw db::DbError(QStringLiteral("数据库没有打开。"));
    return *state.db;
}

} // namespace common
