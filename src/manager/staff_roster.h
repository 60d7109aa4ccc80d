#pragma once

#include "manager/editor_texts.h"
#include "manager/record_source.h"

#include <optional>

namespace manager {

// The roster editor shows one category (Option4 invigilators, Option5 outside supervisors
// and paper checkers) and one subset of it (Option1 all, Option2, Option3).
enum class RosterCategory { Invigilators, Duties };
enum class RosterSubset { All, Second, Third };

// Everything that changes with the view.
struct RosterView {
    QString option2, option3; // captions of Option2 and Option3
    QString filter;           // condition on 人员安排, '?' bound from filterValues
    QVariantList filterValues;
    QString title;       // Label9
    QString numberLabel; // Label8
    QString dutyText;    // text of Cmb安排
    QStringList duties;  // list of Cmb安排
};
const RosterView& rosterView(RosterCategory category, RosterSubset subset);

// The people of the view in 分类, 分组号, 工作任务 order; deletes are limited to the project.
SourceDefinition rosterDefinition(int project, RosterCategory category, RosterSubset subset);

// The seven edit controls: Txt编号, Txt姓名, Cmb性别, Cmb安排, Txt单位, Txt电话, Txt身份证号.
struct RosterInput {
    QString number, name, sex, duty, unit, phone, idCard;
    bool operator==(const RosterInput&) const = default;
};

// The fields of a stored record; a NULL column shows empty, never the previous record's text.
RosterInput shownRoster(const db::Row& row);

// The name and the unit without invisible characters, and a warning line for each that had any.
RosterInput plainRoster(const RosterInput& input, QStringList& warnings);

// The five checks in order, with the name's and the unit's length after the name and the duty.
std::optional<FieldError> checkRoster(const RosterInput& input, RosterCategory category);

// The group number trimmed, its full-width digits folded and padded to the project's width, and
// the name normalised, as saved (and as
// written back into the fields).
RosterInput normalisedRoster(const RosterInput& input, int roomDigits);

// Columns of a modify: 分类 stays, so a person keeps the category he was entered in.
Fields rosterFields(const RosterInput& normalised, int project);
// Columns of an add: those plus 分类, "监考员" for invigilators, else the chosen duty.
Fields newRosterFields(const RosterInput& normalised, int project, RosterCategory category);

// The project's summary, whatever the view: groups counted for rooms and invigilators,
// people for the two duties; lines end in "\r\n".
QString rosterSummary(const db::Database& db, int project);

// "责任范围" needs someone to give a scope to.
inline bool scopeButtonEnabled(RosterCategory category, int count) {
    return category == RosterCategory::Duties && count > 0;
}

} // namespace manager
