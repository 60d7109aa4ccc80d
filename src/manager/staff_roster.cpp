#include "manager/staff_roster.h"

#include "common/roster_rules.h"

namespace manager {

namespace {

const QString kInvigilator = QStringLiteral("监考员");
const QString kOutside = QStringLiteral("场外监考");
const QString kCheck = QStringLiteral("验卷");
const QString kA = QStringLiteral("甲");
const QString kB = QStringLiteral("乙");

int countOf(const db::Database& db, const QString& sql, const QVariantList& values) {
    return db.scalar(sql, values).toInt();
}

// Room groups of the project's invigilators that match `condition`.
int groups(const db::Database& db, int project, const QString& condition, const QVariantList& values) {
    return countOf(db,
                   QStringLiteral("select count(*) as 数量 from (select 分组号 from (select * from 人员安排 "
                                  "where 项目编号=? and 分类=?%1) jky group by 分组号) temp")
                       .arg(condition),
                   QVariantList{project, kInvigilator} + values);
}

int people(const db::Database& db, int project, const QString& category) {
    return countOf(db, QStringLiteral("select count(*) as 数量 from 人员安排 where 项目编号=? and 分类=?"),
                   {project, category});
}

} // namespace

const RosterView& rosterView(RosterCategory category, RosterSubset subset) {
    static const RosterView views[2][3] = {
        {
            {QStringLiteral("仅显示甲"),
             QStringLiteral("仅显示乙"),
             QStringLiteral("分类=?"),
             {kInvigilator},
             QStringLiteral("监考员名单"),
             QStringLiteral("考场号："),
             kA,
             {kA, kB}},
            {QStringLiteral("仅显示甲"),
             QStringLiteral("仅显示乙"),
             QStringLiteral("分类=? and 工作任务=?"),
             {kInvigilator, kA},
             QStringLiteral("监考员甲名单"),
             QStringLiteral("考场号："),
             kA,
             {kA}},
            {QStringLiteral("仅显示甲"),
             QStringLiteral("仅显示乙"),
             QStringLiteral("分类=? and 工作任务=?"),
             {kInvigilator, kB},
             QStringLiteral("监考员乙名单"),
             QStringLiteral("考场号："),
             kB,
             {kB}},
        },
        {
            {QStringLiteral("仅场外监考"),
             QStringLiteral("仅验卷"),
             QStringLiteral("(分类=? or 分类=?)"),
             {kOutside, kCheck},
             QStringLiteral("场外监考及验卷人员"),
             QStringLiteral("分组号："),
             kOutside,
             {kOutside, kCheck}},
            {QStringLiteral("仅场外监考"),
             QStringLiteral("仅验卷"),
             QStringLiteral("分类=?"),
             {kOutside},
             QStringLiteral("场外监考人员"),
             QStringLiteral("分组号："),
             kOutside,
             {kOutside}},
            {QStringLiteral("仅场外监考"),
             QStringLiteral("仅验卷"),
             QStringLiteral("分类=?"),
             {kCheck},
             QStringLiteral("验卷员名单"),
             QStringLiteral("分组号："),
             kCheck,
             {kCheck}},
        },
    };
    return views[static_cast<int>(category)][static_cast<int>(subset)];
}

SourceDefinition rosterDefinition(int project, RosterCategory category, RosterSubset subset) {
    const RosterView& v = rosterView(category, subset);
    SourceDefinition d;
    d.table = QStringLiteral("人员安排");
    d.from =
        QStringLiteral("(select * from 人员安排 where 项目编号=? and ") + v.filter + QStringLiteral(") sjy");
    d.fromValues = QVariantList{project} + v.filterValues;
    // A room's 甲 stands before its 乙, as operators read them (by code point 乙 comes first);
    // 编号 breaks ties, so that a page never repeats or skips a person.
    d.order = QStringLiteral("分类,分组号,工作任务<>'甲',工作任务,编号");
    d.removeWhere = QStringLiteral("项目编号=? and 编号=?");
    d.removeValues = {project};
    d.rowText = [](const db::Row& r, int) -> QString {
        const QString gap = QStringLiteral("  ");
        return db::text(r, QStringLiteral("分组号")) + gap + db::text(r, QStringLiteral("姓名")) + gap +
               db::text(r, QStringLiteral("性别")) + gap + db::text(r, QStringLiteral("工作任务")) + gap +
               db::text(r, QStringLiteral("来源单位"));
    };
    return d;
}

RosterInput shownRoster(const db::Row& r) {
    return {db::text(r, QStringLiteral("分组号")),   db::text(r, QStringLiteral("姓名")),
            db::text(r, QStringLiteral("性别")),     db::text(r, QStringLiteral("工作任务")),
            db::text(r, QStringLiteral("来源单位")), db::text(r, QStringLiteral("联系电话")),
            db::text(r, QStringLiteral("身份证号"))};
}

std::optional<FieldError> checkRoster(const RosterInput& in, RosterCategory category) {
    if (in.number.isEmpty())
        return FieldError{QStringLiteral("考场号为必填项目！"), QStringLiteral("Txt编号")};
    if (in.name.isEmpty())
        return FieldError{QStringLiteral("姓名为必填项目！"), QStringLiteral("Txt姓名")};
    if (in.sex != QStringLiteral("女") && in.sex != QStringLiteral("男"))
        return FieldError{QStringLiteral("性别请在列表中选择！"), QStringLiteral("Cmb性别")};
    const bool dutyFits = category == RosterCategory::Invigilators
                              ? (in.duty == kB || in.duty == kA)
                              : (in.duty == kCheck || in.duty == kOutside);
    if (!dutyFits)
        return FieldError{QStringLiteral("安排请在列表中选择！"), QStringLiteral("Cmb安排")};
    return std::nullopt;
}

RosterInput normalisedRoster(const RosterInput& in, int roomDigits) {
    RosterInput out = in;
    out.number = common::padTypedRoomNumber(in.number, roomDigits);
    out.name = common::normaliseName(in.name);
    return out;
}

Fields rosterFields(const RosterInput& in, int project) {
    return {{QStringLiteral("分组号"), in.number},   {QStringLiteral("姓名"), in.name},
            {QStringLiteral("性别"), in.sex},        {QStringLiteral("工作任务"), in.duty},
            {QStringLiteral("来源单位"), in.unit},   {QStringLiteral("联系电话"), in.phone},
            {QStringLiteral("身份证号"), in.idCard}, {QStringLiteral("项目编号"), project}};
}

Fields newRosterFields(const RosterInput& in, int project, RosterCategory category) {
    Fields f = rosterFields(in, project);
    f.push_back({QStringLiteral("分类"), category == RosterCategory::Invigilators ? kInvigilator : in.duty});
    return f;
}

QString rosterSummary(const db::Database& db, int project) {
    const QString duty = QStringLiteral(" and 工作任务=?");
    const QString dutyFemale = QStringLiteral(" and 工作任务=? and 性别=?");
    const QString female = QStringLiteral("女");
    const int rooms = groups(db, project, {}, {});
    const int a = groups(db, project, duty, {kA});
    const int aFemale = groups(db, project, dutyFemale, {kA, female});
    const int b = groups(db, project, duty, {kB});
    const int bFemale = groups(db, project, dutyFemale, {kB, female});
    const QString nl = QStringLiteral("\r\n");
    return QStringLiteral("考场数: ") + QString::number(rooms) + nl + QStringLiteral(" 甲监考: ") +
           QString::number(a) + QLatin1Char('(') + QString::number(aFemale) + QStringLiteral("女)") + nl +
           QStringLiteral(" 乙监考: ") + QString::number(b) + QLatin1Char('(') + QString::number(bFemale) +
           QStringLiteral("女)") + nl + QStringLiteral("场　外: ") +
           QString::number(people(db, project, kOutside)) + nl + QStringLiteral("验　卷: ") +
           QString::number(people(db, project, kCheck)) + nl + QStringLiteral("可XLS批量导入！");
}

} // namespace manager
