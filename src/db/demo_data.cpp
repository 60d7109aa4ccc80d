#include "db/demo_data.h"

#include "db/date_text.h"

#include <QStringList>

namespace db {

namespace {

const QStringList kSurnames =
    QStringLiteral(
        "王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 林 高 罗 郑 梁 谢 宋 唐 许 韩 冯 邓 曹")
        .split(QLatin1Char(' '));
const QStringList kGivenMale =
    QStringLiteral("伟 强 磊 军 勇 杰 涛 明 超 刚 平 辉 建华 志强 国庆 海峰 文博 子豪 俊杰 浩然")
        .split(QLatin1Char(' '));
const QStringList kGivenFemale =
    QStringLiteral("芳 娜 敏 静 丽 艳 娟 霞 燕 玲 秀英 桂兰 晓红 雪梅 丹丹 思雨 欣怡 婉清 佳慧 梦洁")
        .split(QLatin1Char(' '));
const QStringList kUnits = {QStringLiteral("第一中学"), QStringLiteral("第二中学"),
                            QStringLiteral("实验中学"), QStringLiteral("育才学校"),
                            QStringLiteral("城关初级中学")};

// A small fixed generator: the demo is the same on every machine.
struct Lcg {
    quint32 s = 20261208u;
    int next(int n) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>((s >> 8) % static_cast<quint32>(n));
    }
};

struct Person {
    QString name, sex, unit, phone, id;
};

Person makePerson(Lcg& g, int serial) {
    Person p;
    const bool female = g.next(2) == 0;
    p.sex = female ? QStringLiteral("女") : QStringLiteral("男");
    p.name = kSurnames[g.next(kSurnames.size())] +
             (female ? kGivenFemale[g.next(kGivenFemale.size())] : kGivenMale[g.next(kGivenMale.size())]);
    p.unit = kUnits[g.next(kUnits.size())];
    p.phone = QStringLiteral("139%1").arg(10000000 + serial * 7919 % 89999999, 8, 10, QLatin1Char('0'));
    p.id = QStringLiteral("4101%1%2")
               .arg(19700101 + g.next(30) * 10000 + g.next(12) * 100 + g.next(28))
               .arg(1000 + serial, 4, 10, QLatin1Char('0'));
    return p;
}

QString roomNumber(int i) {
    return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
}

void insertPerson(Database& db, int project, const QString& kind, const QString& room, const QString& duty,
                  const Person& p, const QString& scope) {
    db.exec(QStringLiteral(
                "insert into 人员安排 (项目编号, 分类, 分组号, 工作任务, 姓名, 性别, 来源单位, 联系电话, "
                "身份证号, 责任范围) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {project, kind, room, duty, p.name, p.sex, p.unit, p.phone, p.id,
             scope.isEmpty() ? QVariant() : QVariant(scope)});
}

// Comma-separated room numbers from..to (1-based, inclusive).
QString scopeOf(int from, int to) {
    QStringList s;
    for (int i = from; i <= to; ++i)
        s << roomNumber(i);
    return s.join(QLatin1Char(','));
}

QDateTime firstStart(const QDateTime& now) {
    // Half an hour ahead, on a ten-minute mark, when that stays in the same half-day;
    // otherwise a subject that began ten minutes ago. Either way it is current now.
    QDateTime base = now;
    base.setTime(QTime(now.time().hour(), now.time().minute() / 10 * 10));
    const QDateTime ahead = base.addSecs(30 * 60);
    const bool sameHalf =
        ahead.date() == now.date() && (ahead.time().hour() < 12) == (now.time().hour() < 12);
    return sameHalf ? ahead : base.addSecs(-10 * 60);
}

} // namespace

int insertDemoProject(Database& db, const QDateTime& now, const DemoSize& size) {
    db.exec(QStringLiteral("insert into 考点设置 (状态, 考试名称, 考点名称, 考点地点, 负责人, 联系电话, "
                           "抽签模式, 最大性别组合, "
                           "允许重回原考室, 允许甲乙再搭档, 场外与验卷抽签, 最大异校搭档, "
                           "允许抽签时修改参数, 考场号位数, 默认行1, "
                           "文字色, 底色, 分屏显示, 创建时间, 单位代码) values "
                           "(?, ?, ?, ?, ?, ?, 0, 1, 0, 0, 1, 1, 1, 3, 25, '0,0,0', '255,255,0', 1, ?, 1)"),
            {QStringLiteral("正常"), QStringLiteral("%1年初中学业水平考试").arg(now.date().year()),
             QStringLiteral("第一中学考点"), QStringLiteral("城关镇文化路18号"), QStringLiteral("张明远"),
             QStringLiteral("0371-65551234"), toDateText(now)});
    const int project = static_cast<int>(db.lastInsertId());

    const QDateTime first = firstStart(now);
    const struct {
        const char* subject;
        int dayOffset;
        int minutes;
    } subjects[] = {{"语文", 0, 150}, {"数学", 0, 120}, {"英语", 1, 120}, {"物理", 1, 90}, {"化学", 2, 60}};
    for (int i = 0; i < 5; ++i) {
        QDateTime start =
            i == 0 ? first : QDateTime(now.date().addDays(subjects[i].dayOffset), QTime(i % 2 ? 14 : 8, 30));
        if (i == 1 && first.time().hour() >= 12)
            start = QDateTime(now.date().addDays(1), QTime(8, 0));
        db.exec(QStringLiteral("insert into 时间安排 (项目编号, 科目, 开考时间, 时长) values (?, ?, ?, ?)"),
                {project, QString::fromUtf8(subjects[i].subject), toDateText(start), subjects[i].minutes});
    }

    Lcg g;
    int serial = 0;
    for (int room = 1; room <= size.rooms; ++room) {
        insertPerson(db, project, QStringLiteral("监考员"), roomNumber(room), QStringLiteral("甲"),
                     makePerson(g, ++serial), {});
        insertPerson(db, project, QStringLiteral("监考员"), roomNumber(room), QStringLiteral("乙"),
                     makePerson(g, ++serial), {});
    }
    const auto addDuty = [&](const QString& kind, int count) {
        const int per = (size.rooms + count - 1) / qMax(1, count);
        for (int j = 1; j <= count; ++j) {
            const int from = (j - 1) * per + 1;
            const int to = qMin(size.rooms, j * per);
            // A duty person's group number is a room of his or her own: the first of the scope.
            // The duty is the category, as the roster editor and the import write it.
            insertPerson(db, project, kind, roomNumber(from <= to ? from : j), kind, makePerson(g, ++serial),
                         from <= to ? scopeOf(from, to) : QString());
        }
    };
    addDuty(QStringLiteral("场外监考"), size.outsideSupervisors);
    addDuty(QStringLiteral("验卷"), size.paperCheckers);

    db.exec(
        QStringLiteral(
            "update 系统设置 set 当前项目=? where 编号=(select min(编号) from 系统设置 where 状态='正常')"),
        {project});
    return project;
}

} // namespace db
