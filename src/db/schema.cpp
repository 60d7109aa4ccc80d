#include "db/schema.h"

#include "db/db_file.h"
#include "db/password_hash.h"

#include <QStringList>

namespace db {

namespace {

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

Column key() {
    return {QStringLiteral("编号"), ColumnType::Key};
}
Column text(const char16_t* name) {
    return {QString::fromUtf16(name), ColumnType::Text};
}
Column integer(const char16_t* name) {
    return {QString::fromUtf16(name), ColumnType::Integer};
}
Column number(const char16_t* name) {
    return {QString::fromUtf16(name), ColumnType::Number};
}
Column dateTime(const char16_t* name) {
    return {QString::fromUtf16(name), ColumnType::DateTime};
}

// The six tables of the exam database.
const QVector<Table>& sixTables() {
    static const QVector<Table> tables{
        {QStringLiteral("系统设置"),
         {key(), text(u"状态"), text(u"单位名称"), integer(u"当前项目"), text(u"用户名"), text(u"密码")},
         {}},
        {QStringLiteral("考点设置"),
         {key(),
          text(u"状态"),
          text(u"考试名称"),
          text(u"考点名称"),
          text(u"考点地点"),
          text(u"负责人"),
          text(u"联系电话"),
          integer(u"抽签模式"),
          integer(u"最大性别组合"),
          integer(u"允许重回原考室"),
          integer(u"允许甲乙再搭档"),
          integer(u"场外与验卷抽签"),
          integer(u"最大异校搭档"),
          integer(u"允许抽签时修改参数"),
          integer(u"考场号位数"),
          integer(u"默认行1"),
          text(u"文字色"),
          text(u"底色"),
          integer(u"分屏显示"),
          dateTime(u"创建时间"),
          integer(u"单位代码")},
         {}},
        {QStringLiteral("时间安排"),
         {key(), integer(u"项目编号"), text(u"科目"), dateTime(u"开考时间"), number(u"时长"), text(u"分类")},
         {{QStringLiteral("时间安排_项目"), QStringLiteral("项目编号")}}},
        {QStringLiteral("人员安排"),
         {key(), integer(u"项目编号"), text(u"分类"), text(u"分组号"), text(u"工作任务"), text(u"姓名"),
          text(u"性别"), text(u"来源单位"), text(u"联系电话"), text(u"身份证号"), text(u"责任范围")},
         {{QStringLiteral("人员安排_项目"), QStringLiteral("项目编号, 分类")}}},
        {QStringLiteral("抽签总表"),
         {key(), integer(u"项目编号"), text(u"科目"), dateTime(u"时间"), text(u"分类"), text(u"分组号"),
          text(u"监考员甲"), text(u"甲性别"), text(u"甲单位"), text(u"甲身份证号"), text(u"监考员乙"),
          text(u"乙性别"), text(u"乙单位"), text(u"乙身份证号"), text(u"责任范围")},
         {{QStringLiteral("抽签总表_项目"), QStringLiteral("项目编号, 科目")}}},
        {QStringLiteral("抽签历史"),
         {key(), integer(u"项目编号"), text(u"科目"), dateTime(u"时间"), integer(u"数据批次"), text(u"分类"),
          integer(u"序号"), integer(u"甲"), integer(u"乙")},
         {{QStringLiteral("抽签历史_项目"), QStringLiteral("项目编号, 分类, 数据批次")}}}};
    return tables;
}

// The tables added since the first version, in the order they came: the certificates of the saved
// draws, the records of deletions, and the draw ledger, where one 序号 per row means that of two
// writers that raced past the writers' lock one fails rather than fork the chain.
const QVector<Table>& addedTables() {
    static const QVector<Table> tables{
        {QStringLiteral("抽签校验"),
         {key(), integer(u"项目编号"), text(u"科目"), dateTime(u"时间"), integer(u"数据批次"),
          integer(u"引擎版本"), text(u"随机种子"), text(u"输入数据"), text(u"输入摘要"), text(u"结果摘要")},
         {{QStringLiteral("抽签校验_项目"), QStringLiteral("项目编号, 科目")}}},
        {QStringLiteral("抽签删除记录"),
         {key(), integer(u"项目编号"), text(u"科目"), dateTime(u"时间"), integer(u"数据批次"),
          dateTime(u"删除时间"), text(u"删除方式"), text(u"结果摘要"), text(u"结果数据")},
         {{QStringLiteral("抽签删除记录_项目"), QStringLiteral("项目编号, 数据批次")}}},
        {QStringLiteral("抽签记录链"),
         {key(), integer(u"序号"), dateTime(u"时间"), integer(u"项目编号"), text(u"科目"), text(u"事件"),
          text(u"内容"), text(u"前一摘要"), text(u"摘要")},
         {{QStringLiteral("抽签记录链_序号"), QStringLiteral("序号"), true},
          {QStringLiteral("抽签记录链_科目"), QStringLiteral("项目编号, 科目, 事件")}}}};
    return tables;
}

} // namespace

QStringList Table::columnNames() const {
    QStringList names;
    for (const Column& c : columns)
        names << c.name;
    return names;
}

QString Table::key() const {
    for (const Column& c : columns) {
        if (c.type == ColumnType::Key)
            return c.name;
    }
    return {};
}

const QVector<Table>& schemaTables() {
    static const QVector<Table> tables = sixTables() + addedTables();
    return tables;
}

const Table* schemaTable(const QString& name) {
    for (const Table& t : schemaTables()) {
        if (t.name == name)
            return &t;
    }
    return nullptr;
}

QStringList schemaTableNames() {
    QStringList names;
    for (const Table& t : schemaTables())
        names << t.name;
    return names;
}

const QStringList& requiredTables() {
    static const QStringList names = [] {
        QStringList out;
        for (const Table& t : sixTables())
            out << t.name;
        return out;
    }();
    return names;
}

const QHash<QString, QStringList>& requiredColumns() {
    static const QHash<QString, QStringList> columns = [] {
        QHash<QString, QStringList> out;
        for (const Table& t : sixTables())
            out.insert(t.name, t.columnNames());
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

void createTable(Database& db, const Table& table) {
    QStringList columns;
    for (const Column& c : table.columns)
        columns << c.name + u' ' + db.typeName(c.type);
    db.exec(QStringLiteral("create table if not exists %1 (%2)")
                .arg(table.name, columns.join(QStringLiteral(", "))));
    for (const TableIndex& i : table.indexes)
        db.exec(QStringLiteral("create %1index if not exists %2 on %3(%4)")
                    .arg(i.unique ? QStringLiteral("unique ") : QString(), i.name, table.name, i.columns));
}

void createSchema(Database& db) {
    db.markAsOurs();
    for (const Table& t : sixTables())
        createTable(db, t);
    upgradeSchema(db);
}

void upgradeSchema(Database& db) {
    const QStringList present = db.tables();
    if (!present.contains(QStringLiteral("抽签历史")))
        return; // not (yet) an exam database: createSchema makes everything
    // Made once; an account that may write rows but not make tables meets no statement here.
    for (const Table& t : addedTables()) {
        if (!present.contains(t.name))
            createTable(db, t);
    }
}

bool hasCertificateTable(const Database& db) {
    return db.tables().contains(kCertificateTable);
}

bool hasDeletionTable(const Database& db) {
    return db.tables().contains(kDeletionTable);
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
