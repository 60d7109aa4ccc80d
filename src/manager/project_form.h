#pragma once

#include "common/run_state.h"
#include "manager/editor_texts.h"
#include "manager/record_source.h"

#include <QDateTime>
#include <QHash>

#include <array>
#include <optional>

namespace manager {

// The project editor's form: its edit fields and combo boxes, which column each shows and how.
struct TextRule {
    QString control; // objectName
    QString label;
    QString column;
};

struct Choice {
    int value;
    QString text;
};

// A combo box: an integer column shown as one of its texts. A value without a text of its
// own shows `other.text`, a text outside `choices` stores `other.value`. With a `unit`
// ("位", "行") the column is shown as its number followed by the unit, and stored as the
// number of the chosen item; the operator may type the item or its number, nothing else.
struct ComboRule {
    QString control;
    QString label;
    QString column;
    QVector<Choice> choices;
    Choice other;
    QString unit;
    QStringList items; // the list, in order
    QString designText;
};

const QVector<TextRule>& projectTexts();
const QVector<ComboRule>& projectCombos();

QString shownValue(const ComboRule& rule, const QVariant& column);
QVariant storedValue(const ComboRule& rule, const QString& text);

enum class ColourKind { Text, Background };
using Colour = std::array<QString, 3>; // red, green, blue as typed

// What one project shows in the editor: texts of the edit fields and combo boxes by
// objectName, and the six colour boxes.
struct ProjectForm {
    QHash<QString, QString> values;
    Colour text, background;
};

// The record's fields as the editor shows them. Its colours pass through the run's textColour
// and backColour; a NULL or empty colour shows the default, as the draw uses it.
ProjectForm shownProject(const db::Row& row, common::RunState& state);

// Whether a unit box holds one of its items, with or without the unit ("4位" or "4").
bool isListedNumber(const ComboRule& rule, const QString& text);

// The names, the address and the person in charge without invisible characters, and a
// warning line for each that had any.
ProjectForm plainProject(const ProjectForm& form, QStringList& warnings);

// The two required names and their length, in order, then the two unit boxes: "考场号位数请在
// 列表中选择！", "报表行数请在列表中选择！".
std::optional<FieldError> checkProject(const ProjectForm& form);

// Columns of a modify: every column the editor shows.
Fields storedProject(const ProjectForm& form);
// Columns of an add: those, plus split-screen display on, 状态 "正常", the creation time and
// the active settings row as the unit.
Fields newProject(const ProjectForm& form, int settingsId, const QDateTime& now);

// A colour box holds a whole number from 0 to 255.
bool validColourComponent(const QString& text);
// What a box is reset to after a wrong entry: text "0,0,0", background "255,255,0".
QString defaultColourComponent(ColourKind kind, int index);
// The value to paint with; a box that holds no valid component paints its default.
int colourComponent(const Colour& colour, ColourKind kind, int index);
inline const QString kColourRangeText = QStringLiteral("请输入0-255之间的数字！");

SourceDefinition projectDefinition();

// The last project cannot be deleted.
inline bool projectDeleteAllowed(int count) {
    return count > 1;
}
// "设置为当前项目" is for another project than the current one.
inline bool canSetCurrent(int projectId, const common::RunState& state) {
    return projectId != state.DQXM;
}

// Writes `project` into 当前项目 of the active 系统设置 row, the one every program reads at
// start-up (XTID, as the password change), and makes it the run's DQXM. False, with nothing
// written, when that row is no longer active.
bool setCurrentProject(db::Database& db, common::RunState& state, int project);
QString currentProjectSetText(int project);
inline const QString kNoSettingsRowText =
    QStringLiteral("没有找到可用的系统设置记录，当前项目没有设置！\n请检查数据库文件。");

} // namespace manager
