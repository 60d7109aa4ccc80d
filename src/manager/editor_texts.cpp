#include "manager/editor_texts.h"

namespace manager {

QString deleteConfirmText() {
    return QStringLiteral("准备删除，删除记录后将不可以恢复！\n确信要删除这条记录吗？");
}

QString headerText(const common::RunState& state) {
    return state.ksmc + QLatin1Char('\n') + state.kdmc;
}

} // namespace manager
