#include "draw/draw_texts.h"

namespace engine {

namespace draw_text {

QString aReturn() {
    return QStringLiteral("监考员甲无法全部避开最近几次抽签中到过的考室，“不允许重回原考室”无法满足。\n"
                          "请勾选“允许重回原考室”后重新抽签。");
}

QString bReturn() {
    return QStringLiteral("监考员乙无法全部避开最近几次抽签中到过的考室，“不允许重回原考室”无法满足。\n"
                          "请勾选“允许重回原考室”后重新抽签。");
}

QString partner() {
    return QStringLiteral("监考员乙无法全部避开最近几次抽签中的搭档，“不允许甲乙再搭档”无法满足。\n"
                          "请勾选“允许甲乙再搭档”后重新抽签。");
}

QString returnAndPartner() {
    return QStringLiteral("不允许重回原考室与不允许甲乙再搭档无法同时满足。\n"
                          "请勾选“允许重回原考室”或“允许甲乙再搭档”后重新抽签。");
}

QString mixing(bool gender, bool unit) {
    QStringList rules, relax;
    if (gender) {
        rules << QStringLiteral("“最大性别组合”");
        relax << QStringLiteral("“最大性别组合”");
    }
    if (unit) {
        rules << QStringLiteral("“最大异校搭档”");
        relax << QStringLiteral("“最大异校搭档”");
    }
    return QStringLiteral("按%1的规则，监考员乙无法全部安排到考室。\n请取消%2后重新抽签。")
        .arg(rules.join(QStringLiteral("和")), relax.join(QStringLiteral("或")));
}

QString dutyReturn(const QString& kind) {
    if (kind == QStringLiteral("场外监考"))
        return QStringLiteral(
            "场外监考人员无法全部避开最近几次抽签中负责过的责任范围，“不允许重回原考室”无法满足。\n"
            "请勾选“允许重回原考室”或取消“场外监考同步抽签”后重新抽签。");
    if (kind == QStringLiteral("验卷"))
        return QStringLiteral(
            "验卷人员无法全部避开最近几次抽签中负责过的责任范围，“不允许重回原考室”无法满足。\n"
            "请勾选“允许重回原考室”或取消“验卷员同步抽签”后重新抽签。");
    return QStringLiteral(
        "场外监考或验卷人员无法全部避开最近几次抽签中负责过的责任范围，“不允许重回原考室”无法满足。\n"
        "请勾选“允许重回原考室”后重新抽签。");
}

QString tooTight(const QStringList& conditions, const QStringList& relax) {
    return QStringLiteral(
               "在限定的尝试次数内没有产生符合全部条件的抽签结论，条件过严：%1。\n请%2后重新抽签。")
        .arg(conditions.join(QStringLiteral("、")), relax.join(QStringLiteral("，或")));
}

} // namespace draw_text

} // namespace engine
