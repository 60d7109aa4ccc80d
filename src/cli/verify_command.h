#pragma once

#include "cli/command_line.h"

// `examdb verify`: checks the saved draws of a database against their certificates.
namespace cli {

Command verifyCommand();

} // namespace cli
