#include "db/schema.h"

#include "db/db_file.h"
#include "db/password_hash.h"

#include <QStringList>

namespace db {

namespace {

const char* const kTables[] = {
    R"(create table if not exists 系统设置 (
        编号 integer primary key autoincrement,
        状态 text, 单位名称 text, 当前项目 integer, 用户名 text, 密码 text))",
    R"(create table if not exists 考点设置 (
        编号 integer primary key autoincrement,
        状态 text, 考试名称 text, 考点名称 text, 考点地点 text, 负责人 text, 联系电话 text,
        抽签模式 integer, 最大性别组合 integer, 允许重回原考室 integer, 允许甲乙再搭档 integer,
        场外与验卷抽签 integer, 最大异校搭档 integer, 允许抽签时修改参数 integer,
        考场号位数 integer, 默认行1 integer, 文字色 text, 底色 text, 分屏显示 integer,
        创建时间 text, 单位代码 integer))",
    R"(create table if not exists 时间安排 (
        编号 integer primary key autoincrement,
        项目编号 integer, 科目 text, 开考时间 text, 时长 integer, 分类 text))",
    R"(create table if not exists 人员安排 (
        编号 integer primary key autoincrement,
        项目编号 integer, 分类 text, 分组号 text, 工作任务 text, 姓名 text, 性别 text,
        来源单位 text, 联系电话 text, 身份证号 text, 责任范围 text))",
    R"(create table if not exists 抽签总表 (
        编号 integer primary key autoincrement,
        项目编号 integer, 科目 text, 时间 text, 分类 text, 分组号 text,
        监考员甲 text, 甲性别 text, 甲单位 text, 甲身份证号 text,
        监考员乙 text, 乙性别 text, 乙单位 text, 乙身份证号 text, 责任范围 text))",
    R"(create table if not exists 抽签历史 (
        编号 integer primary key autoincrement,
        项目编号 integer, 科目 text, 时间 text, 数据批次 integer, 分类 text,
        序号 integer, 甲 integer, 乙 integer))",
    "create index if not exists 人员安排_项目 on 人员安排(项目编号, 分类)",
    "create index if not exists 时间安排_项目 on 时间安排(项目编号)",
    "create index if not exists 抽签总表_项目 on 抽签总表(项目编号, 科目)",
    "create index if not exists 抽签历史_项目 on 抽签历史(项目编号, 分类, 数据批次)",
};

const char* const kCertificateSchema[] = {
    R"(create table if not exists 抽签校验 (
        编号 integer primary key autoincrement,
        项目编号 integer, 科目 text, 时间 text, 数据批次 integer,
        引擎版本 integer, 随机种子 text, 输入数据 text, 输入摘要 text, 结果摘要 text))",
    "create index if not exists 抽签校验_项目 on 抽签校验(项目编号, 科目)",
};

const char* const kDeletionSchema[] = {
    R"(create table if not exists 抽签删除记录 (
        编号 integer primary key autoincrement,
        项目编号 integer, 科目 text, 时间 text, 数据批次 integer,
        删除时间 text, 删除方式 text, 结果摘要 text, 结果数据 text))",
    "create index if not exists 抽签删除记录_项目 on 抽签删除记录(项目编号, 数据批次)",
};

// One 序号 per row: of two writers that raced past the writers' lock, one fails rather than fork
// the chain.
const char* const kLedgerSchema[] = {
    R"(create table if not exists 抽签记录链 (
        编号 integer primary key autoincrement,
        序号 integer, 时间 text, 项目编号 integer, 科目 text, 事件 text, 内容 text,
        前一摘要 text, 摘要 text))",
    "create unique index if not exists 抽签记录链_序号 on 抽签记录链(序号)",
    "create index if not exists 抽签记录链_科目 on 抽签记录链(项目编号, 科目, 事件)",
};

struct TemplateSubject {
    const char* kind;
    const char* subject;
    const char* start;
    int minutes;
};

// Template timetables: the dates are placeholders the editor replaces with the exam's own.
const TemplateSubject kTemplates[] = {
    {"中考", "语文", "2026-06-20 08:30:00", 150},      {"中考", "物理", "2026-06-20 14:30:00", 90},
    {"中考", "化学", "2026-06-20 16:30:00", 60},       {"中考", "数学", "2026-06-21 08:30:00", 120},
    {"中考", "道德与法治", "2026-06-21 14:30:00", 90}, {"中考", "历史", "2026-06-21 16:30:00", 60},
    {"中考", "英语", "2026-06-22 08:30:00", 120},      {"中考", "英语听力", "2026-06-22 10:40:00", 30},
    {"中考", "生物", "2026-06-22 14:30:00", 60},       {"中考", "地理", "2026-06-22 16:00:00", 60},
    {"高考", "语文", "2026-06-07 09:00:00", 150},      {"高考", "数学", "2026-06-07 15:00:00", 120},
    {"高考", "物理", "2026-06-08 09:00:00", 75},       {"高考", "历史", "2026-06-08 09:00:00", 75},
    {"高考", "英语", "2026-06-08 15:00:00", 120},      {"高考", "化学", "2026-06-09 08:30:00", 75},
    {"高考", "地理", "2026-06-09 11:00:00", 75},       {"高考", "思想政治", "2026-06-09 14:30:00", 75},
    {"高考", "生物", "2026-06-09 17:00:00", 75},       {"高考", "外语口试", "2026-06-10 09:00:00", 180},
};

} // namespace

const QHash<QString, QStringList>& requiredColumns() {
    static const QHash<QString, QStringList> columns = [] {
        QHash<QString, QStringList> out;
        const QString prefix = QStringLiteral("create table if not exists ");
        for (const char* sql : kTables) {
            const QString text = QString::fromUtf8(sql);
            if (!text.startsWith(prefix))
                continue;
            const qsizetype open = text.indexOf(QLatin1Char('('));
            const QString table = text.mid(prefix.size(), open - prefix.size()).trimmed();
            QStringList names;
            for (const QString& part : text.mid(open + 1).chopped(1).split(QLatin1Char(',')))
                names << part.simplified().section(QLatin1Char(' '), 0, 0);
            out.insert(table, names);
        }
        return out;
    }();
    return columns;
}

QString quotedName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

void refuseIncomplete(const std::function<QStringList()>& tables,
                      const std::function<QStringList(const QString&)>& columnsOf) {
    const QStringList present = tables();
    QStringList missing;
    for (const QString& t : requiredTables()) {
        if (!present.contains(t))
            missing << t;
    }
    if (!missing.isEmpty()) {
        throw DbError(ErrorKind::Refused, refusalText(FileKind::OtherSqlite),
                      QStringLiteral("缺少数据表 ") + missing.join(QStringLiteral("、")));
    }
    for (const QString& t : requiredTables()) {
        const QStringList columns = columnsOf(t);
        for (const QString& c : requiredColumns().value(t)) {
            if (!columns.contains(c))
                missing << t + QLatin1Char('.') + c;
        }
    }
    if (!missing.isEmpty()) {
        throw DbError(ErrorKind::Refused, refusalText(FileKind::LookAlike),
                      QStringLiteral("缺少字段 ") + missing.join(QStringLiteral("、")));
    }
}

void createSchema(Database& db) {
    db.markAsOurs();
    for (const char* sql : kTables)
        db.exec(QString::fromUtf8(sql));
    createCertificateTable(db);
    createDeletionTable(db);
    createLedgerTable(db);
}

void createCertificateTable(Database& db) {
    // Made once; an account that may write rows but not make tables meets no statement here.
    if (hasCertificateTable(db))
        return;
    for (const char* sql : kCertificateSchema)
        db.exec(QString::fromUtf8(sql));
}

bool hasCertificateTable(const Database& db) {
    return db.tables().contains(kCertificateTable);
}

void createDeletionTable(Database& db) {
    if (hasDeletionTable(db))
        return;
    for (const char* sql : kDeletionSchema)
        db.exec(QString::fromUtf8(sql));
}

bool hasDeletionTable(const Database& db) {
    return db.tables().contains(kDeletionTable);
}

void createLedgerTable(Database& db) {
    if (hasLedgerTable(db))
        return;
    for (const char* sql : kLedgerSchema)
        db.exec(QString::fromUtf8(sql));
}

bool hasLedgerTable(const Database& db) {
    return db.tables().contains(kLedgerTable);
}

void setLedgerRights(Database& db, const QString& programs) {
    db.exec(QStringLiteral("revoke update, delete, truncate on 抽签记录链 from public, current_user"));
    if (programs.isEmpty())
        return;
    // A role's name cannot be bound; it stands quoted, as an identifier.
    const QString role = quotedName(programs);
    QStringList tables = requiredTables();
    tables << kCertificateTable << kDeletionTable;
    db.exec(QStringLiteral("grant select, insert, update, delete on %1 to %2")
                .arg(tables.join(QStringLiteral(", ")), role));
    db.exec(QStringLiteral("grant select, insert on 抽签记录链 to %1").arg(role));
}

QStringList ledgerRewriters(Database& db) {
    return hasLedgerTable(db) ? db.rewriters(kLedgerTable) : QStringList();
}

QString certificateCode(const QString& resultDigest) {
    const QString digits = resultDigest.left(16).toUpper();
    QStringList groups;
    for (int at = 0; at < digits.size(); at += 4)
        groups << digits.mid(at, 4);
    return groups.join(QLatin1Char('-'));
}

void insertSystemSettings(Database& db, const QString& unitName, const QString& storedPassword) {
    db.exec(QStringLiteral(
                "insert into 系统设置 (状态, 单位名称, 当前项目, 用户名, 密码) values (?, ?, ?, ?, ?)"),
            {QStringLiteral("正常"), unitName, 1, QStringLiteral("admin"),
             storedPassword.isEmpty() ? hashPassword(QStringLiteral("admin")) : storedPassword});
}

void insertTemplateTimetables(Database& db) {
    for (const TemplateSubject& t : kTemplates) {
        db.exec(
            QStringLiteral(
                "insert into 时间安排 (项目编号, 科目, 开考时间, 时长, 分类) values (0, ?, ?, ?, ?)"),
            {QString::fromUtf8(t.subject), QString::fromUtf8(t.start), t.minutes, QString::fromUtf8(t.kind)});
    }
}

} // namespace db
