#include "manager/editor_texts.h"

#include "common/roster_rules.h"

namespace manager {

QString plainField(const QString& typed, const QString& field, QStringList& warnings) {
    const QString plain = common::plainText(typed);
    if (plain != typed)
        warnings << field + QStringLiteral("中有不可见字符（") +
                        common::invisibleCharacters(typed).join(QStringLiteral("、")) +
                        QStringLiteral("），已改为“") + plain + QStringLiteral("”。");
    return plain;
}

QString deleteConfirmText() {
    return QStringLiteral("准备删除，删除记录后将不可以恢复！\n确信要删除这条记录吗？");
}

QString headerText(const common::RunState& state) {
    return state.project.examName + QLatin1Char('\n') + state.project.siteName;
}

} // namespace manager
