#include "common/overview.h"

namespace common {

namespace {

const QString kRule = QString(50, QLatin1Char('-'));
const QString kNl = QStringLiteral("\n");

// The room-group count behind every staff figure: groups are counted, not people.
int countGroups(const db::Database& db, int project, const QString& extra) {
    const QString sql = QStringLiteral("select count(*) as 数量 from (select 分组号 from "
                                       "(select * from 人员安排 where 项目编号=? and 分类='监考员'%1) jky "
                                       "group by 分组号) temp")
                            .arg(extra);
    return db.scalar(sql, {project}).toInt();
}

int countKind(const db::Database& db, int project, const QString& kind) {
    return db
        .scalar(QStringLiteral(
                    "select count(*) as 数量 from (select * from 人员安排 where 项目编号=? and 分类=?) t"),
                {project, kind})
        .toInt();
}

} // namespace

bool readProjectSettings(const db::Database& db, RunState& s, db::Row* rowOut) {
    const db::Rows rows = db.query(QStringLiteral("select * from 考点设置 where 编号=?"), {s.DQXM});
    if (!rows.isEmpty()) {
        const db::Row& r = rows.front();
        s.ksmc = db::text(r, QStringLiteral("考试名称"));
        s.kdmc = db::text(r, QStringLiteral("考点名称"));
        // A project without colours of its own is drawn in the defaults below, never in
        // the colours of the project read before it.
        s.KjZs = db::text(r, QStringLiteral("文字色"));
        s.KjDs = db::text(r, QStringLiteral("底色"));
        s.cqms = db::integer(r, QStringLiteral("抽签模式"));
        s.kchw = db::integer(r, QStringLiteral("考场号位数"));
        s.XBZH = db::integer(r, QStringLiteral("最大性别组合"));
        s.CHKS = db::integer(r, QStringLiteral("允许重回原考室"));
        s.ZDD = db::integer(r, QStringLiteral("允许甲乙再搭档"));
        s.cwjk = db::integer(r, QStringLiteral("场外与验卷抽签"));
        s.txdd = db::integer(r, QStringLiteral("最大异校搭档"));
        s.Fpxs = db::integer(r, QStringLiteral("分屏显示"));
        s.xgcs = db::integer(r, QStringLiteral("允许抽签时修改参数"));
        s.mrh1 = db::integer(r, QStringLiteral("默认行1"));
        if (rowOut)
            *rowOut = r;
    }
    if (s.KjZs.isEmpty())
        s.KjZs = QStringLiteral("0,0,0");
    if (s.KjDs.isEmpty())
        s.KjDs = QStringLiteral("255,255,0");
    return !rows.isEmpty();
}

QVector<SubjectEntry> readTimetable(const db::Database& db, int project) {
    QVector<SubjectEntry> table;
    // The standard timetables the editor copies from live in the same table (分类 中考 or
    // 高考); they are never a project's own subjects, whatever project number they carry.
    const db::Rows rows =
        db.query(QStringLiteral("select * from 时间安排 where 项目编号=? and "
                                "coalesce(分类,'') not in ('中考','高考') order by 开考时间"),
                 {project});
    for (const db::Row& r : rows)
        table.push_back({db::text(r, QStringLiteral("编号")), db::text(r, QStringLiteral("科目")),
                         db::text(r, QStringLiteral("开考时间")), db::text(r, QStringLiteral("时长"))});
    return table;
}

QString parameterBlock(const RunState& s) {
    QStringList lines;
    lines << (s.cqms == 0   ? QStringLiteral(" 监考员抽签模式: 甲乙独立抽签")
              : s.cqms == 1 ? QStringLiteral(" 监考员抽签模式: 仅抽乙不动甲")
                            : QStringLiteral(" 监考员抽签模式: 仅抽甲不动乙"));
    lines << (s.CHKS == 1 ? QStringLiteral(" 监考员重回考室: 未限制")
                          : QStringLiteral(" 监考员重回考室: 不允许"));
    lines << (s.ZDD == 1 ? QStringLiteral(" 已搭档监考员再搭档: 未限制")
                         : QStringLiteral(" 已搭档监考员再搭档: 不允许"));
    lines << (s.XBZH != 0 ? QStringLiteral(" 异性组合: 尽量避免") : QStringLiteral(" 异性组合: 未限制"));
    lines << (s.txdd != 0 ? QStringLiteral(" 异校组合: 尽量避免") : QStringLiteral(" 异校组合: 未限制"));
    lines << (s.cwjk == 1 || s.cwjk == 2 ? QStringLiteral(" 抽场外: 同步抽签")
                                         : QStringLiteral(" 抽场外: 不抽签"));
    lines << (s.cwjk == 1 || s.cwjk == 3 ? QStringLiteral(" 抽验卷: 同步抽签")
                                         : QStringLiteral(" 抽验卷: 不抽签"));
    lines << (s.xgcs != 0 ? QStringLiteral(" 抽签时修改参数: 可以")
                          : QStringLiteral(" 抽签时修改参数: 不允许"));
    return lines.join(kNl);
}

Overview 读参数(const db::Database& db, RunState& s, OverviewProgram program) {
    s.StaffMismatch = false;
    Overview out;
    db::Row row;
    out.projectFound = readProjectSettings(db, s, &row);

    QString t = kNl + QStringLiteral(" Vardel") + QString(13, QLatin1Char(' ')) +
                QStringLiteral("监考员随机编排系统") + kNl + kRule;
    t += kNl + QStringLiteral(" 考试名称: ") + s.ksmc;
    t += kNl + QStringLiteral(" 考点名称: ") + s.kdmc;
    t += kNl + QStringLiteral(" 考点地点: ") + db::text(row, QStringLiteral("考点地点"));
    t += kNl + QStringLiteral(" 负 责 人: ") + db::text(row, QStringLiteral("负责人")) +
         QStringLiteral("  ") + db::text(row, QStringLiteral("联系电话"));
    t += kNl + kRule;

    s.SubjectTable = readTimetable(db, s.DQXM);
    for (const SubjectEntry& e : s.SubjectTable)
        t += kNl + QLatin1Char(' ') + e.subject + QChar(0x3000) + e.start + QChar(0x3000) + e.minutes +
             QStringLiteral("分钟");
    if (program == OverviewProgram::Manager && s.SubjectTable.isEmpty())
        t += kNl + QStringLiteral(" 未见考试科目与时间安排！");
    t += kNl + kRule;

    s.KSS = countGroups(db, s.DQXM, {});
    t += kNl + QStringLiteral(" 考室数量: ") + QString::number(s.KSS);
    const int a = countGroups(db, s.DQXM, QStringLiteral(" and 工作任务='甲'"));
    const int aFemale = countGroups(db, s.DQXM, QStringLiteral(" and 工作任务='甲' and 性别='女'"));
    t += kNl + QStringLiteral(" 监考员甲: ") + QString::number(a) + QStringLiteral("(其中") +
         QString::number(aFemale) + QStringLiteral("女)");
    const int b = countGroups(db, s.DQXM, QStringLiteral(" and 工作任务='乙'"));
    const int bFemale = countGroups(db, s.DQXM, QStringLiteral(" and 工作任务='乙' and 性别='女'"));
    t += kNl + QStringLiteral(" 监考员乙: ") + QString::number(b) + QStringLiteral("(其中") +
         QString::number(bFemale) + QStringLiteral("女)");
    s.StaffMismatch = s.KSS != a || s.KSS != b;
    t += kNl + kRule;

    if (program == OverviewProgram::Draw) {
        t += kNl + QStringLiteral(" 修改以上数据请在系统设置模块操作!") + kNl +
             QStringLiteral(" 建议屏幕分辨率1024*768");
        t += kNl + kRule;
    } else {
        t += kNl + QStringLiteral(" 场外监考: ") +
             QString::number(countKind(db, s.DQXM, QStringLiteral("场外监考")));
        t += kNl + QStringLiteral(" 验　　卷: ") +
             QString::number(countKind(db, s.DQXM, QStringLiteral("验卷")));
        t += kNl + kRule;
        t += kNl + parameterBlock(s);
        t += kNl + kRule;
        t += kNl + QStringLiteral(" 监考员抽签与打印等在抽签模块操作!");
        t += kNl + kRule;
    }
    t += kNl + QStringLiteral(" 抽签过程全程公开，结果当场保存，欢迎监督。");
    t += kNl + kRule + kNl;
    t += QStringLiteral(" 祝考试顺利！");
    out.text = t;
    return out;
}

} // namespace common
