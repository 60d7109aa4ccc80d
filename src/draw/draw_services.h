#pragma once

#include "common/clock.h"
#include "common/prompter.h"
#include "common/random_source.h"

#include <functional>

class QWidget;

// What the draw program's main window hands to the windows it opens, besides the run
// state: the ways out to the operator, the clock, the random source, and the windows
// that live elsewhere (the report window, the login shown again before a save).
struct DrawServices {
    Prompter& prompter;
    const Clock& clock;
    RandomSource& random;
    std::function<void(QWidget* parent)> openReports; // shows Frm报表 modally
    std::function<void(QWidget* parent)> showLogin;   // shows FrmLogin modally (updates LoginSucceeded)
};
