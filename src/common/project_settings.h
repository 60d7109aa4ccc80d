#pragma once

#include "db/database.h"
#include "draw/draw_types.h"

#include <QString>

namespace common {

using engine::DrawMode;
using engine::RuleState;

// Which duties are drawn with the invigilators (场外与验卷抽签).
enum class DutyDraw : int { None = 0, Both = 1, OutsideOnly = 2, CheckersOnly = 3 };

// One exam project's row of 考点设置 as the programs use it, read once when the project is
// read. Each comment names the column and, where the windows had one, the short name the
// setting was known by before.
struct ProjectSettings {
    QString examName;                           // 考试名称 (ksmc)
    QString siteName;                           // 考点名称 (kdmc), empty for NULL
    QString textColour = kDefaultTextColour;    // 文字色 (KjZs): room box text, "r,g,b"
    QString backColour = kDefaultBackColour;    // 底色 (KjDs): room box background, "r,g,b"
    DrawMode drawMode = DrawMode::Independent;  // 抽签模式 (cqms)
    RuleState allowReturn = RuleState::Off;     // 允许重回原考室 (CHKS): back to a former room
    RuleState allowRepartner = RuleState::Off;  // 允许甲乙再搭档 (ZDD): a former pair again
    RuleState fewerSameGender = RuleState::Off; // 最大性别组合 (XBZH): On = fewer pairs of one gender
    RuleState fewerSameUnit = RuleState::Off;   // 最大异校搭档 (txdd): On = fewer pairs from one unit
    DutyDraw dutyDraw = DutyDraw::None;         // 场外与验卷抽签 (cwjk)
    bool rulesEditable = false; // 允许抽签时修改参数 (xgcs): the operator may change the rules
    int roomDigits = 0;         // 考场号位数 (kchw): digits of a room number
    int rowsPerPage = 0;        // 默认行1 (mrh1): data rows per printed report page
    bool splitScreen = false;   // 分屏显示 (Fpxs): split-screen display of the result

    bool drawsOutside() const { return dutyDraw == DutyDraw::Both || dutyDraw == DutyDraw::OutsideOnly; }
    bool drawsCheckers() const { return dutyDraw == DutyDraw::Both || dutyDraw == DutyDraw::CheckersOnly; }

    static inline const QString kDefaultTextColour = QStringLiteral("0,0,0");
    static inline const QString kDefaultBackColour = QStringLiteral("255,255,0");
};

// The settings of a 考点设置 row. A NULL or empty colour reads as its default; a stored rule
// value reads 0 as Off, 2 as Undecided and anything else as On.
ProjectSettings projectSettingsOf(const db::Row& row);

// The rules a project sets for its draws (its draw mode, 允许重回原考室, 允许甲乙再搭档,
// 最大性别组合, 最大异校搭档 and 场外与验卷抽签), before the operator changes any.
engine::DrawSettings drawSettingsOf(const ProjectSettings& project);

} // namespace common
