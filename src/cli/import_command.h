#pragma once

#include "cli/command_line.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// `examdb import` and `examdb template`: the same code as the import window, with the console
// in place of the message boxes. An import exits 0 only when the roster was replaced.
namespace cli {

Command importCommand();
Command templateCommand();

// A command-line argument that is not valid UTF-8 names a file the program cannot open by that
// name; the argument as it stands, each byte that is not UTF-8 as "\xB2". Nothing for valid UTF-8.
std::optional<QString> undecodableArgument(QByteArrayView raw);

} // namespace cli
