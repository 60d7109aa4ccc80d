#pragma once

#include "common/clock.h"
#include "common/prompter.h"
#include "common/run_state.h"
#include "common/shell.h"
#include "db/database.h"
#include "draw/random_source.h"

#include <memory>

class QDialog;

namespace common {

// File choosers; an empty text when the operator cancels.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& path,
                             const QString& filter) = 0;
};

// Shows a dialog modally and gives its result; tests answer the dialog instead.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int run(QDialog& dialog) = 0;
};

// Everything a window needs from outside itself besides the run state. Each program's
// main() builds one and hands it to every window.
struct Services {
    Prompter& prompter;
    Shell& shell;
    FileChooser& files;
    DialogRunner& dialogs;
    const Clock& clock;
    engine::RandomSource& random;
};

// The one write guard: on a read-only database it shows the message and says no.
bool writeGuard(const RunState& state, Prompter& prompter, QWidget* parent);

// The process's one connection (RunState::db), opened at start-up in the mode the read-only
// flag asks for; a DbError when the program runs without one.
db::Database& runDatabase(const RunState& state);

} // namespace common
