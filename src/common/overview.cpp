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
    // A project that is not there leaves the settings as they were.
    if (rows.isEmpty())
        return false;
    s.project = projectSettingsOf(rows.front());
    if (rowOut)
        *rowOut = rows.front();
    return true;
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

QString parameterBlock(const ProjectSettings& s) {
    QStringList lines;
    lines << (s.drawMode == DrawMode::Independent ? QStringLiteral(" 监考员抽签模式: 甲乙独立抽签")
              : s.drawMode == DrawMode::OnlyB ? QStringLiteral(" 监考员抽签模式: 仅抽乙不动甲")
                                              : QStringLiteral(" 监考员抽签模式: 仅抽甲不动乙"));
    lines << (s.allowReturn == RuleState::On ? QStringLiteral(" 监考员重回考室: 未限制")
                                             : QStringLiteral(" 监考员重回考室: 不允许"));
    lines << (s.allowRepartner == RuleState::On ? QStringLiteral(" 已搭档监考员再搭档: 未限制")
                                                : QStringLiteral(" 已搭档监考员再搭档: 不允许"));
    lines << (s.fewerSameGender != RuleState::Off ? QStringLiteral(" 异性组合: 尽量避免")
                                                  : QStringLiteral(" 异性组合: 未限制"));
    lines << (s.fewerSameUnit != RuleState::Off ? QStringLiteral(" 异校组合: 尽量避免")
                                                : QStringLiteral(" 异校组合: 未限制"));
    lines << (s.drawsOutside() ? QStringLiteral(" 抽场外: 同步抽签") : QStringLiteral(" 抽场外: 不抽签"));
    lines << (s.drawsCheckers() ? QStringLiteral(" 抽验卷: 同步抽签") : QStringLiteral(" 抽验卷: 不抽签"));
    lines << (s.rulesEditable ? QStringLiteral(" 抽签时修改参数: 可以")
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
    t += kNl + QStringLiteral(" 考试名称: ") + s.project.examName;
    t += kNl + QStringLiteral(" 考点名称: ") + s.project.siteName;
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
        t += kNl + parameterBlock(s.project);
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
