#pragma once

// The shared helpers this library uses, spelt with the common:: prefix they are moving to,
// so the manager's sources read the same before and after the move.
#include "common/check_text_in.h"
#include "common/overview.h"
#include "common/roster_rules.h"
#include "common/run_state.h"
#include "common/single_instance.h"
#include "common/startup.h"

namespace common {
using ::CheckTextIN;
using ::kAlreadyRunningText;
using ::kFatalTitle;
using ::kNoProjectText;
using ::kReadOnlyWarningText;
using ::openStartupDatabase;
using ::OverviewProgram;
using ::readActiveSettings;
using ::readOnlyWriteText;
using ::RunState;
using ::SingleInstance;
using ::StartupDatabase;
using ::读参数;
} // namespace common
