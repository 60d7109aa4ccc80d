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
// read. The members carry the short names the windows have always used for them.
struct ProjectSettings {
    QString ksmc;                          // 考试名称: the exam's name
    QString kdmc;                          // 考点名称: the exam site's name, empty for NULL
    QString KjZs = kDefaultTextColour;     // 文字色: text colour of the room boxes, "r,g,b"
    QString KjDs = kDefaultBackColour;     // 底色: background colour of the room boxes, "r,g,b"
    DrawMode cqms = DrawMode::Independent; // 抽签模式
    RuleState CHKS = RuleState::Off; // 允许重回原考室: may an invigilator return to a former room
    RuleState ZDD = RuleState::Off;  // 允许甲乙再搭档: may a former pair be drawn again
    RuleState XBZH = RuleState::Off; // 最大性别组合: On = fewer pairs of one gender
    RuleState txdd = RuleState::Off; // 最大异校搭档: On = fewer pairs from one unit
    DutyDraw cwjk = DutyDraw::None;  // 场外与验卷抽签
    bool xgcs = false;               // 允许抽签时修改参数: the operator may change the rules
    int kchw = 0;                    // 考场号位数: digits of a room number
    int mrh1 = 0;                    // 默认行1: data rows per printed report page
    bool Fpxs = false;               // 分屏显示: split-screen display of the result

    bool drawsOutside() const { return cwjk == DutyDraw::Both || cwjk == DutyDraw::OutsideOnly; }
    bool drawsCheckers() const { return cwjk == DutyDraw::Both || cwjk == DutyDraw::CheckersOnly; }

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
