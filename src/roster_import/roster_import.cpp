#include "roster_import/roster_import.h"

#include "db/database.h"
#include "roster_import/import_texts.h"
#include "roster_import/roster_file.h"

namespace roster_import {

StagedRoster prepareRosterImport(const QString& path, const Categories& ticked, int width) {
    RosterFile file = readRosterFile(path, ticked.sheetNames());
    Categories replaced = ticked;
    if (file.format == workbook::Format::Csv && file.content && file.content->sheets.size() == 1) {
        const QString name = file.content->sheets.front().name;
        const std::optional<Category> own = categoryNamed(name);
        if (own && ticked.contains(*own))
            replaced = Categories::only(*own);
        else if (own)
            file.content = base::failure(kCsvNotTickedDetail.arg(name));
    }
    return stageRoster(file.content, file.format, replaced, width);
}

QString confirmationText(const QString& path, const RosterCounts& counts) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("检测到“") + path + QStringLiteral("”中包含:") + crlf + crlf +
           QStringLiteral("监考员") + QString::number(counts.groups) + QStringLiteral("组；场外监考") +
           QString::number(counts.outside) + QStringLiteral("人；验卷") + QString::number(counts.checkers) +
           QStringLiteral("人") + crlf + crlf + QStringLiteral("导入新数据将删除原有数据！") + crlf +
           QStringLiteral("确定要导入新数据吗？");
}

int clearedScopes(const db::Database& db, int project, const StagedRoster& staged) {
    QVariantList values{project};
    QStringList marks;
    for (const Category c : staged.ticked.list()) {
        if (c == Category::Invigilator)
            continue;
        values << categoryName(c);
        marks << QStringLiteral("?");
    }
    if (marks.isEmpty())
        return 0;
    return db
        .scalar(QStringLiteral("select count(*) from 人员安排 where 项目编号=? and 分类 in (") +
                    marks.join(QLatin1Char(',')) + QStringLiteral(") and coalesce(责任范围,'')<>''"),
                values)
        .toInt();
}

base::Result<QString> replaceRoster(db::Database& db, int project, const StagedRoster& staged) {
    if (staged.status == StagedRoster::Status::Refused)
        return std::unexpected(staged.refusal);
    if (staged.status == StagedRoster::Status::Empty)
        return base::failure(kNothingUsableText);
    try {
        db::Transaction tx(db);
        // A ticked category is emptied even when its sheet had no usable rows.
        for (const Category c : staged.ticked.list())
            db.exec(QStringLiteral("delete from 人员安排 where 项目编号=? and 分类=?"),
                    {project, categoryName(c)});
        QVector<QVariantList> rows;
        rows.reserve(staged.people.size());
        for (const StagedPerson& p : staged.people)
            rows.push_back({project, p.group, p.name, p.gender, p.duty, p.unit, p.phone, p.id,
                            categoryName(p.category)});
        db.insertRows(QStringLiteral("人员安排"),
                      {QStringLiteral("项目编号"), QStringLiteral("分组号"), QStringLiteral("姓名"),
                       QStringLiteral("性别"), QStringLiteral("工作任务"), QStringLiteral("来源单位"),
                       QStringLiteral("联系电话"), QStringLiteral("身份证号"), QStringLiteral("分类")},
                      rows);
        tx.commit();
    } catch (const db::DbError& e) {
        return base::failure(kWriteFailedText, e.text());
    }
    return kImportDoneText;
}

} // namespace roster_import
