#include "common/services.h"

namespace common {

bool writeGuard(const RunState& state, Prompter& prompter, QWidget* parent) {
    if (!state.ZD)
        return true;
    prompter.message(parent, readOnlyWriteText(), Prompter::Icon::Critical);
    return false;
}

std::unique_ptr<db::Database> openRunDatabase(const RunState& state) {
    return std::make_unique<db::Database>(state.MyDb, state.ZD ? db::Database::Mode::ReadOnly
                                                               : db::Database::Mode::ReadWrite);
}

} // namespace common
