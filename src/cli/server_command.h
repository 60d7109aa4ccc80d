#pragma once

#include "cli/command_line.h"

// `examdb server init` and `examdb server copy`: the exam database in an empty database of a
// PostgreSQL server, and the folder's Db/Exam.server that sends its programs there.
namespace cli {

Command serverInitCommand();
Command serverCopyCommand();

} // namespace cli
