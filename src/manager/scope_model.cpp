#include "manager/scope_model.h"

#include "common/check_text_in.h"

namespace manager {

namespace {

const QString kComma = QStringLiteral(",");

// Scopes are lists of room numbers: a room belongs to one when it equals an item, so room
// "1" is not in "10,11".
bool inList(const QString& room, const QString& list) {
    return common::CheckTextIN(room, list, kComma, 3);
}

SourceDefinition peopleDefinition(int project, DutyCategory category) {
    SourceDefinition d;
    d.table = QStringLiteral("人员安排");
    d.from = QStringLiteral("(select * from 人员安排 where 项目编号=? and 分类=?) sjy");
    d.fromValues = {project, categoryText(category)};
    d.order = QStringLiteral("分组号, 编号");
    d.rowText = [](const db::Row& r, int) -> QString {
        return QStringList{db::text(r, QStringLiteral("分组号")), db::text(r, QStringLiteral("姓名")),
                           db::text(r, QStringLiteral("性别"))}
            .join(QLatin1Char(' '));
    };
    return d;
}

} // namespace

QString categoryText(DutyCategory category) {
    return category == DutyCategory::Outside ? QStringLiteral("场外监考") : QStringLiteral("验卷");
}

QString scopeHeading(DutyCategory category) {
    return categoryText(category) + QStringLiteral("责任范围");
}

ScopeModel::ScopeModel(db::Database& db, int project) : db_(db), project_(project) {}

void ScopeModel::setCategory(DutyCategory category) {
    category_ = category;
    pager_.setTop(1);
}

void ScopeModel::refresh() {
    const RecordSource source(db_, peopleDefinition(project_, category_));
    page_ = readPage(source, pager_);
    scope_ = page_.hasCurrent() ? db::text(page_.current(), QStringLiteral("责任范围")) : QString();
    readRooms();
}

void ScopeModel::readRooms() {
    QStringList taken;
    const db::Rows others =
        db_.query(QStringLiteral("select 责任范围 from 人员安排 where 项目编号=? and 分类=? and 编号<>?"),
                  {project_, categoryText(category_), currentId()});
    for (const db::Row& r : others) {
        const QString scope = db::text(r, QStringLiteral("责任范围"));
        if (!scope.isEmpty())
            taken << scope;
    }
    taken_ = taken.join(kComma);

    rooms_.clear();
    const db::Rows rooms =
        db_.query(QStringLiteral("select distinct 分组号 from 人员安排 where 项目编号=? and "
                                 "分类=? and 分组号 is not null order by 分组号"),
                  {project_, QStringLiteral("监考员")});
    for (const db::Row& r : rooms)
        rooms_ << db::text(r, QStringLiteral("分组号"));
}

QVector<RoomBox> ScopeModel::boxes() const {
    QVector<RoomBox> out;
    for (int k = 0; k < shownRooms(); ++k) {
        const QString& room = rooms_[k];
        out.push_back(
            {room, people() > 0 && !inList(room, taken_), !scope_.isEmpty() && inList(room, scope_)});
    }
    return out;
}

QString ScopeModel::overflowText() const {
    if (rooms_.size() <= kGridPlaces)
        return {};
    return QStringLiteral("本项目共有%1个考场，这里只能显示前%2个考场，其余考场的责任范围无法在此设置。")
        .arg(rooms_.size())
        .arg(kGridPlaces);
}

QString ScopeModel::scopeFor(const QVector<bool>& ticked) const {
    QStringList scope;
    const QVector<RoomBox> shown = boxes();
    for (int k = 0; k < shown.size() && k < ticked.size(); ++k) {
        if (shown[k].enabled && ticked[k])
            scope << shown[k].room;
    }
    for (int k = kGridPlaces; k < rooms_.size(); ++k) {
        if (inList(rooms_[k], scope_))
            scope << rooms_[k];
    }
    return scope.join(kComma);
}

void ScopeModel::save(const QVector<bool>& ticked) {
    if (!page_.hasCurrent())
        return;
    const QString scope = scopeFor(ticked);
    db::Transaction t(db_);
    db_.exec(QStringLiteral("update 人员安排 set 责任范围=? where 项目编号=? and 编号=?"),
             {scope, project_, currentId()});
    t.commit();
    scope_ = scope;
    readRooms();
}

void ScopeModel::oneToOne() {
    db::Transaction t(db_);
    db_.exec(QStringLiteral("update 人员安排 set 责任范围=分组号 where 项目编号=? and 分类=?"),
             {project_, categoryText(category_)});
    t.commit();
    pager_.setTop(1);
    refresh();
}

void ScopeModel::invert(QVector<bool>& ticked) {
    for (bool& t : ticked)
        t = !t;
}

void ScopeModel::selectAll(QVector<bool>& ticked) {
    ticked.fill(true);
}

} // namespace manager
