#include "manager/staff_roster.h"

#include "common/roster_rules.h"
#include "db/schema.h"

namespace manager {

namespace {

const QString kA = QStringLiteral("甲");
const QString kB = QStringLiteral("乙");

} // namespace

const RosterView& rosterView(RosterCategory category, RosterSubset subset) {
    static const RosterView views[2][3] = {
        {
            {QStringLiteral("仅显示甲"),
             QStringLiteral("仅显示乙"),
             QStringLiteral("分类=?"),
             {db::kInvigilatorCategory},
             QStringLiteral("监考员名单"),
             QStringLiteral("考场号："),
             kA,
             {kA, kB}},
            {QStringLiteral("仅显示甲"),
             QStringLiteral("仅显示乙"),
             QStringLiteral("分类=? and 工作任务=?"),
             {db::kInvigilatorCategory, kA},
             QStringLiteral("监考员甲名单"),
             QStringLiteral("考场号："),
             kA,
             {kA}},
            {QStringLiteral("仅显示甲"),
             QStringLiteral("仅显示乙"),
             QStringLiteral("分类=? and 工作任务=?"),
             {db::kInvigilatorCategory, kB},
             QStringLiteral("监考员乙名单"),
             QStringLiteral("考场号："),
             kB,
             {kB}},
        },
        {
            {QStringLiteral("仅场外监考"),
             QStringLiteral("仅验卷"),
             QStringLiteral("(分类=? or 分类=?)"),
             {db::kOutsideCategory, db::kPaperCheckCategory},
             QStringLiteral("场外监考及验卷人员"),
             QStringLiteral("分组号："),
             db::kOutsideCategory,
             {db::kOutsideCategory, db::kPaperCheckCategory}},
            {QStringLiteral("仅场外监考"),
             QStringLiteral("仅验卷"),
             QStringLiteral("分类=?"),
             {db::kOutsideCategory},
             QStringLiteral("场外监考人员"),
             QStringLiteral("分组号："),
             db::kOutsideCategory,
             {db::kOutsideCategory}},
            {QStringLiteral("仅场外监考"),
             QStringLiteral("仅验卷"),
             QStringLiteral("分类=?"),
             {db::kPaperCheckCategory},
             QStringLiteral("验卷员名单"),
             QStringLiteral("分组号："),
             db::kPaperCheckCategory,
             {db::kPaperCheckCategory}},
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

RosterInput plainRoster(const RosterInput& in, QStringList& warnings) {
    RosterInput out = in;
    out.name = plainField(in.name, QStringLiteral("姓名"), warnings);
    out.unit = plainField(in.unit, QStringLiteral("工作单位"), warnings);
    return out;
}

std::optional<FieldError> checkRoster(const RosterInput& in, RosterCategory category) {
    if (common::cleanRoomNumber(in.number).isEmpty())
        return FieldError{QStringLiteral("考场号为必填项目！"), QStringLiteral("Txt编号")};
    if (in.name.isEmpty())
        return FieldError{QStringLiteral("姓名为必填项目！"), QStringLiteral("Txt姓名")};
    if (common::characterCount(common::normaliseName(in.name)) > common::kMaxNameLength)
        return FieldError{common::tooLongText(QStringLiteral("姓名"), common::kMaxNameLength),
                          QStringLiteral("Txt姓名")};
    if (in.sex != QStringLiteral("女") && in.sex != QStringLiteral("男"))
        return FieldError{QStringLiteral("性别请在列表中选择！"), QStringLiteral("Cmb性别")};
    const bool dutyFits = category == RosterCategory::Invigilators
                              ? (in.duty == kB || in.duty == kA)
                              : (in.duty == db::kPaperCheckCategory || in.duty == db::kOutsideCategory);
    if (!dutyFits)
        return FieldError{QStringLiteral("安排请在列表中选择！"), QStringLiteral("Cmb安排")};
    if (common::characterCount(in.unit) > common::kMaxTitleLength)
        return FieldError{common::tooLongText(QStringLiteral("工作单位"), common::kMaxTitleLength),
                          QStringLiteral("Txt单位")};
    return std::nullopt;
}

RosterInput normalisedRoster(const RosterInput& in, int roomDigits) {
    RosterInput out = in;
    out.number = common::padTypedRoomNumber(common::cleanRoomNumber(in.number), roomDigits);
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
    f.push_back({QStringLiteral("分类"),
                 category == RosterCategory::Invigilators ? db::kInvigilatorCategory : in.duty});
    return f;
}

QString rosterSummary(const db::Database& db, int project) {
    // One pass over the room groups: a group counts once for the rooms, once for 甲 when any
    // of its people is an 甲, once more when any of its 甲 is a woman; likewise for 乙.
    const QString female = QStringLiteral("女");
    const db::Row g =
        db.query(QStringLiteral(
                     "select count(*) as 考场, sum(a) as 甲, sum(af) as 甲女, sum(b) as 乙, sum(bf) as "
                     "乙女 from (select max(case when 工作任务=? then 1 else 0 end) a, "
                     "max(case when 工作任务=? and 性别=? then 1 else 0 end) af, "
                     "max(case when 工作任务=? then 1 else 0 end) b, "
                     "max(case when 工作任务=? and 性别=? then 1 else 0 end) bf from 人员安排 "
                     "where 项目编号=? and 分类=? group by 分组号) temp"),
                 {kA, kA, female, kB, kB, female, project, db::kInvigilatorCategory})
            .front();
    const db::Row p = db.query(QStringLiteral("select sum(case when 分类=? then 1 else 0 end) as 场外, "
                                              "sum(case when 分类=? then 1 else 0 end) as 验卷 from 人员安排 "
                                              "where 项目编号=? and 分类 in (?, ?)"),
                               {db::kOutsideCategory, db::kPaperCheckCategory, project, db::kOutsideCategory,
                                db::kPaperCheckCategory})
                          .front();
    const auto n = [](const db::Row& row, const char* column) {
        return QString::number(db::integer(row, QString::fromUtf8(column)));
    };
    const QString nl = QStringLiteral("\r\n");
    return QStringLiteral("考场数: ") + n(g, "考场") + nl + QStringLiteral(" 甲监考: ") + n(g, "甲") +
           QLatin1Char('(') + n(g, "甲女") + QStringLiteral("女)") + nl + QStringLiteral(" 乙监考: ") +
           n(g, "乙") + QLatin1Char('(') + n(g, "乙女") + QStringLiteral("女)") + nl +
           QStringLiteral("场　外: ") + n(p, "场外") + nl + QStringLiteral("验　卷: ") + n(p, "验卷") + nl +
           QStringLiteral("可XLS批量导入！");
}

} // namespace manager
