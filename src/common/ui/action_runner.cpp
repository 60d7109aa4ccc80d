#include "common/ui/action_runner.h"

#include "db/db_error.h"

namespace common::ui {

namespace {

QString failureText(const QString& what, const QString& why) {
    return what.isEmpty() ? why : what + QLatin1Char('\n') + why;
}

} // namespace

bool attemptAction(const std::function<void()>& action, const QString& what,
                   const std::function<void(const QString& text)>& failed) {
    try {
        action();
        return true;
    } catch (const db::DbError& e) {
        failed(failureText(what, e.text()));
        return false;
    }
}

bool attemptAction(Prompter& prompter, QWidget* window, const std::function<void()>& action,
                   const QString& what, Prompter::Icon icon, const QString& title) {
    return attemptAction(action, what,
                         [&](const QString& text) { prompter.message(window, text, icon, title); });
}

void showFailure(Prompter& prompter, QWidget* window, const base::Failure& failure, const QString& what,
                 Prompter::Icon icon, const QString& title) {
    prompter.message(window, failureText(what, failure.text()), icon, title);
}

} // namespace common::ui
