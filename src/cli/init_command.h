#pragma once

#include "cli/command_line.h"

// `examdb init`: a new database file in a program folder.
namespace cli {

Command initCommand();

} // namespace cli
