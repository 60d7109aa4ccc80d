#include "common/ui/action_runner.h"

#include "db/db_error.h"

namespace common::ui {

bool attemptAction(const std::function<void()>& action, const QString& what,
                   const std::function<void(const QString& text)>& failed) {
    try {
        action();
        return true;
    } catch (const db::DbError& e) {
        failed(what.isEmpty() ? e.text() : what + QLatin1Char('\n') + e.text());
        return false;
    }
}

bool attemptAction(Prompter& prompter, QWidget* window, const std::function<void()>& action,
                   const QString& what, Prompter::Icon icon, const QString& title) {
    return attemptAction(action, what,
                         [&](const QString& text) { prompter.message(window, text, icon, title); });
}

} // namespace common::ui
