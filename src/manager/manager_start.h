#pragma once

#include "base/result.h"
#include "common/run_state.h"
#include "common/single_instance.h"
#include "db/database.h"

#include <memory>

namespace manager {

inline const QString kSoftBB = QStringLiteral("17.6.2");
// The data-management window's caption.
QString mainCaption(const common::RunState& state);
inline const QString kDrawProgram = QStringLiteral("Vardel");
// Said when the draw program cannot be started from `path`.
QString drawProgramMissingText(const QString& path);

// The start-up up to the login: the version, one instance, the database found, checked and
// opened (which sets the read-only flag), the active settings row read.
struct ManagerStart {
    enum class Outcome {
        AlreadyRunning, // common::kAlreadyRunningText, then end
        Fatal,          // `fatal` with the title common::kFatalTitle, then end
        NoProject,      // common::kNoProjectText in the overview box; no login, no overview
        Ready,          // the login, then the overview
    };
    Outcome outcome = Outcome::Fatal;
    base::Failure fatal;
    bool readOnlyWarning = false; // say common::readOnlyWarningText(state) before going on
    std::unique_ptr<db::Database> db;
};

ManagerStart startManager(common::RunState& state, common::SingleInstance& instance,
                          const QString& programFolder);

} // namespace manager
