#include "db/database.h"

#include "db/backend.h"
#include "db/schema.h"
#include "db/server.h"

#include <QSqlField>

#include <algorithm>
#include <cmath>
#include <limits>

namespace db {

Database::Database(const Server& server, Mode mode)
    : mode_(mode), backend_(openServerBackend(server.connection, mode)) {
    opened();
}

Database::Database(const QString& path, Mode mode)
    : path_(path), mode_(mode),
      backend_(server::isServerPath(path) ? openServerBackend(server::readConnection(path), mode)
                                          : openFileBackend(path, mode)) {
    opened();
}

Database::~Database() = default;

void Database::opened() {
    if (backend_->mayOnlyRead())
        mode_ = Mode::ReadOnly;
    if (mode_ != Mode::ReadWrite)
        return;
    // Another program's long save or a full disk only puts the upgrade off to a later open.
    try {
        upgradeSchema(*this);
    } catch (const DbError&) {
    }
}

QString Database::accountNote() const {
    return backend_->accountNote();
}

QString Database::server() const {
    return backend_->server();
}

QString Database::describe() const {
    return backend_->describe();
}

Rows Database::query(const QString& sql, const QVariantList& values) const {
    return backend_->run(sql, values, nullptr, nullptr);
}

QVariant Database::scalar(const QString& sql, const QVariantList& values) const {
    const Rows rows = query(sql, values);
    if (rows.isEmpty() || rows.front().count() == 0)
        return {};
    return rows.front().value(0);
}

int Database::exec(const QString& sql, const QVariantList& values) {
    int changed = 0;
    qint64 inserted = -1;
    backend_->run(sql, values, &changed, &inserted);
    if (inserted >= 0)
        lastInsertId_ = inserted;
    return changed;
}

void Database::insertRows(const QString& table, const QStringList& columns,
                          const QVector<QVariantList>& rows) {
    // Well under either engine's limit of bound values per statement.
    constexpr qsizetype kValuesPerStatement = 900;
    const qsizetype perStatement =
        std::max<qsizetype>(1, kValuesPerStatement / std::max<qsizetype>(1, columns.size()));
    const QString head = QStringLiteral("insert into %1 (%2) values ").arg(table, columns.join(u','));
    const QString tuple = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    for (qsizetype at = 0; at < rows.size(); at += perStatement) {
        const qsizetype n = std::min(perStatement, rows.size() - at);
        QVariantList values;
        values.reserve(n * columns.size());
        for (qsizetype i = at; i < at + n; ++i)
            values += rows.at(i);
        exec(head + QStringList(n, tuple).join(u','), values);
    }
}

void Database::begin() {
    backend_->begin();
    inTransaction_ = true;
}

void Database::beginSnapshot() {
    backend_->beginSnapshot();
    inTransaction_ = true;
}

void Database::commit() {
    backend_->commit();
    inTransaction_ = false;
}

void Database::rollback() {
    backend_->rollback();
    inTransaction_ = false;
}

QString Database::typeName(ColumnType type) const {
    return backend_->typeName(type);
}

QStringList Database::tables() const {
    return backend_->tables();
}

QStringList Database::columns(const QString& table) const {
    return backend_->columns(table);
}

bool Database::holdsTable(const QString& table) const {
    return backend_->holdsTable(table);
}

QStringList Database::damage() const {
    return backend_->damage();
}

void Database::vacuumInto(const QString& target) {
    backend_->vacuumInto(target);
}

void Database::markAsOurs() {
    backend_->markAsOurs();
}

QStringList Database::rewriters(const QString& table) const {
    return backend_->rewriters(table);
}

qint64 Database::lastNumber(const QString& table) const {
    return backend_->lastNumber(table);
}

void Database::continueNumbering(const QString& table, qint64 last) {
    backend_->continueNumbering(table, last);
}

QVariant Database::copiedValue(const QVariant& value) const {
    return backend_->copiedValue(value);
}

Transaction::~Transaction() {
    if (!done_)
        db_.rollback();
}

void Transaction::commit() {
    db_.commit();
    done_ = true;
}

QString text(const Row& row, const QString& column) {
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString();
}

int integer(const Row& row, const QString& column) {
    const QVariant v = row.value(column);
    if (v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    if (!std::isfinite(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max()) {
        const QString table = row.field(column).tableName();
        throw DbError(ErrorKind::BadValue,
                      QStringLiteral("数据库中有超出范围的数值，无法使用！\n%1字段“%2”中的值为 %3，"
                                     "请在数据管理程序中改正。")
                          .arg(table.isEmpty() ? QString() : QStringLiteral("数据表“%1”").arg(table), column,
                               v.toString()),
                      {});
    }
    return static_cast<int>(d);
}

} // namespace db
