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
    s.examName = db::text(r, QStringLiteral("考试名称"));
    s.siteName = db::text(r, QStringLiteral("考点名称"));
    s.textColour = colourOf(r, QStringLiteral("文字色"), ProjectSettings::kDefaultTextColour);
    s.backColour = colourOf(r, QStringLiteral("底色"), ProjectSettings::kDefaultBackColour);
    s.drawMode = static_cast<DrawMode>(db::integer(r, QStringLiteral("抽签模式")));
    s.allowReturn = ruleOf(r, QStringLiteral("允许重回原考室"));
    s.allowRepartner = ruleOf(r, QStringLiteral("允许甲乙再搭档"));
    s.fewerSameGender = ruleOf(r, QStringLiteral("最大性别组合"));
    s.fewerSameUnit = ruleOf(r, QStringLiteral("最大异校搭档"));
    s.dutyDraw = static_cast<DutyDraw>(db::integer(r, QStringLiteral("场外与验卷抽签")));
    s.rulesEditable = db::integer(r, QStringLiteral("允许抽签时修改参数")) != 0;
    s.roomDigits = db::integer(r, QStringLiteral("考场号位数"));
    s.rowsPerPage = db::integer(r, QStringLiteral("默认行1"));
    s.splitScreen = db::integer(r, QStringLiteral("分屏显示")) != 0;
    return s;
}

engine::DrawSettings drawSettingsOf(const ProjectSettings& project) {
    engine::DrawSettings s;
    s.mode = project.drawMode;
    s[engine::Rule::AllowReturn] = project.allowReturn;
    s[engine::Rule::AllowRepartner] = project.allowRepartner;
    s[engine::Rule::FewerSameGender] = project.fewerSameGender;
    s[engine::Rule::FewerSameUnit] = project.fewerSameUnit;
    s[engine::Rule::DrawSupervisors] = project.drawsOutside() ? RuleState::On : RuleState::Off;
    s[engine::Rule::DrawCheckers] = project.drawsCheckers() ? RuleState::On : RuleState::Off;
    return s;
}

} // namespace common
