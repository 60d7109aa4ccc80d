#pragma once

#include "common/run_state.h"
#include "db/database.h"

#include <optional>

namespace manager {

// The three boxes of the password change: old, new, new again.
enum class PasswordBox { None, Old, New, Again };

struct PasswordInput {
    QString oldPassword, newPassword, again;
};

// A refusal: its message and the box that is cleared (when `clear`) and focused. The
// read-only refusal (critical icon) comes first and names no box; the others are
// information messages without a title.
struct PasswordRefusal {
    QString text;
    PasswordBox box = PasswordBox::None;
    bool clear = false;
    bool operator==(const PasswordRefusal&) const = default;
};

// The first refusal in order, or nothing when the change may be saved.
std::optional<PasswordRefusal> checkPasswordChange(const PasswordInput& input, const common::RunState& state);

// Writes the new password's derivation into the settings row the run read at start-up
// (state.XTID, the row the login checks) and into state.YhMm. False, with nothing changed, when
// that row is no longer an active one.
bool savePassword(db::Database& db, common::RunState& state, const QString& password);

inline const QString kPasswordSavedText = QStringLiteral("密码被成功修改！");
inline const QString kPasswordNotSavedText = QStringLiteral("没有找到可用的系统设置记录，密码没有修改！");

} // namespace manager
