#pragma once

#include "db/database.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <array>

namespace engine {

// One room of the initial arrangement. Row k (1-based, rooms in 分组号 order) is also the
// identity of A person k and B person k in every draw.
struct RosterRow {
    // 0 分组号; 1..5 A 姓名, 性别, 来源单位, 联系电话, 身份证号; 6..10 the same for B.
    // Values as read: NULL stays NULL (a NULL gender or unit equals nothing).
    std::array<QVariant, 11> col;
    QString supervisor; // the outside supervisor responsible for the room

    QString room() const { return col[0].toString(); }
    QString aName() const { return col[1].toString(); }
    QString bName() const { return col[6].toString(); }
};

// An outside supervisor or paper checker: the duty list row. Fields empty when NULL.
struct DutyRow {
    QString row;   // the row number itself, as text
    QString room;  // 分组号
    QString name;  // 姓名
    QString sex;   // 性别
    QString unit;  // 来源单位
    QString scope; // 责任范围: room numbers separated by ","
    QString id;    // 身份证号
};

// Per distinct key (B gender or B unit): how many B invigilators carry it.
struct TallyRow {
    QVariant key; // NULL for the B invigilators without the value
    int count = 0;
};

struct WorkingSet {
    QVector<RosterRow> rooms;      // index 0 unused; rooms[1..N]
    QVector<DutyRow> supervisors;  // index 0 unused; supervisors[1..M]
    QVector<TallyRow> genderTally; // B gender tally
    QVector<TallyRow> unitTally;   // B unit tally

    int roomCount() const { return rooms.size() - 1; }
    int supervisorCount() const { return supervisors.size() - 1; }
};

// Loads the rooms, invigilators, B tallies and outside supervisors of `project`.
WorkingSet loadWorkingSet(const db::Database& db, int project);

// The duty list of one kind ("场外监考" or "验卷") of `project`, in 分组号 order; index 0 unused.
QVector<DutyRow> loadDutyList(const db::Database& db, int project, const QString& kind);

} // namespace engine
