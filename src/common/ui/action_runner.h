#pragma once

#include "base/result.h"
#include "common/prompter.h"

#include <QString>

#include <functional>

class QWidget;

namespace common::ui {

// Runs one database action of a window. A failure becomes one message box, `what`, a line break
// and the reason (with `icon` and `title`), and false; the window goes on.
bool attemptAction(Prompter& prompter, QWidget* window, const std::function<void()>& action,
                   const QString& what, Prompter::Icon icon = Prompter::Icon::Critical,
                   const QString& title = {});

// The same for a window that says a failure in its own way (its status line, the run's end):
// `failed` gets what the message box would show.
bool attemptAction(const std::function<void()>& action, const QString& what,
                   const std::function<void(const QString& text)>& failed);

// Shows a failure an action returned as the first form shows one it threw.
void showFailure(Prompter& prompter, QWidget* window, const base::Failure& failure, const QString& what,
                 Prompter::Icon icon = Prompter::Icon::Critical, const QString& title = {});

} // namespace common::ui
