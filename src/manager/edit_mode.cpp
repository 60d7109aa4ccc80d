#include "manager/edit_mode.h"

namespace manager {

QString EditMode::addCaption() const {
    return adding_ ? QStringLiteral("确定") : QStringLiteral("追加");
}

QString EditMode::modifyCaption() const {
    return adding_ ? QStringLiteral("放弃") : QStringLiteral("修改");
}

EditMode::Buttons EditMode::buttons(bool loggedIn, bool hasRecord, bool deleteAllowed) const {
    Buttons b;
    b.add = loggedIn;
    b.modify = loggedIn && (adding_ || hasRecord);
    b.remove = loggedIn && !adding_ && hasRecord && deleteAllowed;
    return b;
}

EditMode::Action EditMode::pressAdd() {
    if (adding_)
        return Action::ConfirmAdd;
    adding_ = true;
    return Action::EnterAdd;
}

EditMode::Action EditMode::pressModify() {
    if (!adding_)
        return Action::Modify;
    adding_ = false;
    return Action::CancelAdd;
}

} // namespace manager
