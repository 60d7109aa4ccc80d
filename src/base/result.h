#pragma once

#include <QString>

#include <expected>
#include <utility>

// The one result shape of the commands and readers. Header-only and QtCore-only, below every
// other room, so that each (the workbook readers too, which know nothing else of this system)
// can use it.
namespace base {

// Why something was not done: the operator's message, and the facts behind it for whoever
// supports the centre (the engine's words, a file's name), empty when there are none.
struct Failure {
    QString message;
    QString detail;

    // The message with the detail on a line of its own, as a message box or a console shows it.
    QString text() const { return detail.isEmpty() ? message : message + QLatin1Char('\n') + detail; }
};

// What a reader or a command gives back: its value, or why there is none.
template <class T> using Result = std::expected<T, Failure>;

inline std::unexpected<Failure> failure(QString message, QString detail = {}) {
    return std::unexpected<Failure>(Failure{std::move(message), std::move(detail)});
}

} // namespace base
