#include "manager/record_source.h"

namespace manager {

QVariant fieldValue(const Fields& fields, const QString& column) {
    for (const Field& f : fields) {
        if (f.column == column)
            return f.value;
    }
    return {};
}

RecordSource::RecordSource(db::Database& db, SourceDefinition definition)
    : db_(db), def_(std::move(definition)) {}

int RecordSource::count() const {
    return db_.scalar(QStringLiteral("select count(*) as 数量 from ") + def_.from, def_.fromValues).toInt();
}

db::Rows RecordSource::page(int top, int n) const {
    QVariantList values = def_.fromValues;
    values << n << std::max(top - 1, 0);
    return db_.query(QStringLiteral("select * from ") + def_.from + QStringLiteral(" order by ") +
                         def_.order + QStringLiteral(" limit ? offset ?"),
                     values);
}

QString RecordSource::rowText(const db::Row& row, int position) const {
    return def_.rowText ? def_.rowText(row, position) : QString();
}

int RecordSource::id(const db::Row& row) {
    return db::integer(row, QStringLiteral("编号"));
}

void RecordSource::remove(int id) {
    db::Transaction t(db_);
    QVariantList values = def_.removeValues;
    values << id;
    db_.exec(QStringLiteral("delete from ") + def_.table + QStringLiteral(" where ") + def_.removeWhere,
             values);
    t.commit();
}

int RecordSource::insert(const Fields& fields) {
    QStringList columns, marks;
    QVariantList values;
    for (const Field& f : fields) {
        columns << f.column;
        marks << QStringLiteral("?");
        values << f.value;
    }
    db::Transaction t(db_);
    db_.exec(QStringLiteral("insert into ") + def_.table + QStringLiteral(" (") +
                 columns.join(QStringLiteral(", ")) + QStringLiteral(") values (") +
                 marks.join(QStringLiteral(", ")) + QLatin1Char(')'),
             values);
    const int id = static_cast<int>(db_.lastInsertId());
    t.commit();
    return id;
}

bool RecordSource::update(int id, const Fields& fields) {
    QStringList sets;
    QVariantList values;
    for (const Field& f : fields) {
        sets << f.column + QStringLiteral("=?");
        values << f.value;
    }
    values << id;
    db::Transaction t(db_);
    const int changed = db_.exec(QStringLiteral("update ") + def_.table + QStringLiteral(" set ") +
                                     sets.join(QStringLiteral(", ")) + QStringLiteral(" where 编号=?"),
                                 values);
    t.commit();
    return changed > 0;
}

Page readPage(const RecordSource& source, RecordPager& pager) {
    pager.setCount(source.count());
    Page page;
    if (pager.rows() > 0)
        page.records = source.page(pager.top(), pager.rows());
    for (int i = 0; i < pager.pageSize(); ++i)
        page.rows << (i < page.records.size() ? source.rowText(page.records[i], pager.top() + i) : QString());
    return page;
}

} // namespace manager
