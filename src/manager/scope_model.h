#pragma once

#include "manager/record_source.h"

namespace manager {

// The two duties a responsibility scope belongs to (Option1, Option2).
enum class DutyCategory { Outside, PaperCheck };
QString categoryText(DutyCategory category); // "场外监考" / "验卷": the 分类 value
QString scopeHeading(DutyCategory category); // Label7

// One room check box: its room number, whether it may be given to the current person
// (not in another person's scope, and someone to give it to), and whether the current
// person's scope holds it (ticked and drawn red).
struct RoomBox {
    QString room;
    bool enabled = false;
    bool ticked = false;
    bool operator==(const RoomBox&) const = default;
};

// What the responsibility-scope editor decides: the people of one category in a page of 20,
// the current person's scope, the project's rooms and which of them other people hold.
// Failures raise db::DbError.
class ScopeModel {
public:
    static constexpr int kPageSize = 20;
    // Boxes stand in 9 columns of 18; rooms beyond them cannot be set here.
    static constexpr int kColumns = 9;
    static constexpr int kBoxesPerColumn = 18;
    static constexpr int kGridPlaces = kColumns * kBoxesPerColumn;

    ScopeModel(db::Database& db, int project);

    DutyCategory category() const { return category_; }
    // Another category, from its first person on.
    void setCategory(DutyCategory category);
    RecordPager& pager() { return pager_; }

    // 读场外 then 读考室: the page, the current person and scope, the rooms and the taken list.
    void refresh();

    int people() const { return pager_.count(); }
    const Page& page() const { return page_; }
    int currentId() const { return page_.currentId(); }
    const QString& currentScope() const { return scope_; }
    const QStringList& rooms() const { return rooms_; }
    const QString& taken() const { return taken_; }

    // The boxes on the grid, for the first shownRooms() rooms.
    QVector<RoomBox> boxes() const;
    int shownRooms() const { return std::min(static_cast<int>(rooms_.size()), kGridPlaces); }
    // Said beside the grid when the project has more rooms than it places.
    QString overflowText() const;

    // 保存, 反选 and 全选 need someone to give a scope to; the one-to-one match needs one
    // person per room.
    bool editEnabled() const { return people() > 0; }
    bool oneToOneEnabled() const { return rooms_.size() == people(); }

    // The scope the ticks `ticked` (one per shown box) give the current person: enabled
    // ticked boxes in box order, plus the rooms of the current scope that lie beyond the
    // grid, which nobody could untick here.
    QString scopeFor(const QVector<bool>& ticked) const;
    // Saves that scope for the current person and re-reads the taken list.
    void save(const QVector<bool>& ticked);
    // Every person of the category gets his own group as scope, in one transaction;
    // back to the first person.
    void oneToOne();

    static void invert(QVector<bool>& ticked);
    static void selectAll(QVector<bool>& ticked);

private:
    void readRooms();

    db::Database& db_;
    int project_;
    DutyCategory category_ = DutyCategory::Outside;
    RecordPager pager_{kPageSize};
    Page page_;
    QString scope_;
    QStringList rooms_;
    QString taken_;
};

} // namespace manager
