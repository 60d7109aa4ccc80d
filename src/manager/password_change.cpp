#include "manager/password_change.h"

#include "db/password_hash.h"

namespace manager {

std::optional<PasswordRefusal> checkPasswordChange(const PasswordInput& in, const common::RunState& state) {
    if (state.ZD)
        return PasswordRefusal{common::readOnlyWriteText(state)};
    if (!db::passwordMatches(state.YhMm, in.oldPassword))
        return PasswordRefusal{QStringLiteral("旧密码不正确！"), PasswordBox::Old, true};
    if (in.newPassword.size() < 4)
        return PasswordRefusal{QStringLiteral("新密码需要不少于4个字符！"), PasswordBox::New, true};
    if (in.newPassword == in.oldPassword)
        return PasswordRefusal{QStringLiteral("新密码与旧密码相同，无须修改！"), PasswordBox::New, true};
    if (in.again.isEmpty())
        return PasswordRefusal{QStringLiteral("请再输入一次新密码！"), PasswordBox::Again, false};
    if (in.again != in.newPassword)
        return PasswordRefusal{QStringLiteral("两次新密码不一致！"), PasswordBox::Again, true};
    return std::nullopt;
}

bool savePassword(db::Database& db, common::RunState& state, const QString& password) {
    const QString stored = db::hashPassword(password);
    db::Transaction t(db);
    const int changed = db.exec(QStringLiteral("update 系统设置 set 密码=? where 编号=? and 状态='正常'"),
                                {stored, state.XTID});
    t.commit();
    if (changed == 0)
        return false;
    state.YhMm = stored;
    state.YhMmPlain = false;
    return true;
}

} // namespace manager
