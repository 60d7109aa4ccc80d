#include "common/project_settings.h"

namespace common {

namespace {

RuleState ruleOf(const db::Row& r, const QString& column) {
    const int value = db::integer(r, column);
    return value == 0 ? RuleState::Off : value == 2 ? RuleState::Undecided : RuleState::On;
}

QString colourOf(const db::Row& r, const QString& column, const QString& fallback) {
    const QString stored = db::text(r, column);
    return stored.isEmpty() ? fallback : stored;
}

} // namespace

ProjectSettings projectSettingsOf(const db::Row& r) {
    ProjectSettings s;
    s.ksmc = db::text(r, QStringLiteral("考试名称"));
    s.kdmc = db::text(r, QStringLiteral("考点名称"));
    s.KjZs = colourOf(r, QStringLiteral("文字色"), ProjectSettings::kDefaultTextColour);
    s.KjDs = colourOf(r, QStringLiteral("底色"), ProjectSettings::kDefaultBackColour);
    s.cqms = static_cast<DrawMode>(db::integer(r, QStringLiteral("抽签模式")));
    s.CHKS = ruleOf(r, QStringLiteral("允许重回原考室"));
    s.ZDD = ruleOf(r, QStringLiteral("允许甲乙再搭档"));
    s.XBZH = ruleOf(r, QStringLiteral("最大性别组合"));
    s.txdd = ruleOf(r, QStringLiteral("最大异校搭档"));
    s.cwjk = static_cast<DutyDraw>(db::integer(r, QStringLiteral("场外与验卷抽签")));
    s.xgcs = db::integer(r, QStringLiteral("允许抽签时修改参数")) != 0;
    s.kchw = db::integer(r, QStringLiteral("考场号位数"));
    s.mrh1 = db::integer(r, QStringLiteral("默认行1"));
    s.Fpxs = db::integer(r, QStringLiteral("分屏显示")) != 0;
    return s;
}

engine::DrawSettings drawSettingsOf(const ProjectSettings& project) {
    engine::DrawSettings s;
    s.mode = project.cqms;
    s[engine::Rule::AllowReturn] = project.CHKS;
    s[engine::Rule::AllowRepartner] = project.ZDD;
    s[engine::Rule::FewerSameGender] = project.XBZH;
    s[engine::Rule::FewerSameUnit] = project.txdd;
    s[engine::Rule::DrawSupervisors] = project.drawsOutside() ? RuleState::On : RuleState::Off;
    s[engine::Rule::DrawCheckers] = project.drawsCheckers() ? RuleState::On : RuleState::Off;
    return s;
}

} // namespace common
