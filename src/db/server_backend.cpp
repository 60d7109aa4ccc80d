#include "db/backend.h"
#include "db/schema.h"
#include "db/server.h"
#include "db/server_session.h"

#include <QLocale>

#include <algorithm>

// The database server: its session (db/server_session.h), the look at its database once
// connected, and what its accounts may do.
namespace db {

namespace {

class ServerBackend final : public Backend {
public:
    ServerBackend(const QString& connection, Database::Mode mode) : session_(connection) {
        if (mode != Database::Mode::Create)
            requireExamDatabase(mode);
        if (mode == Database::Mode::ReadOnly || mayOnlyRead_)
            session_.setReadOnly();
    }

    Rows run(const QString& sql, const QVariantList& values, int* changed, qint64* inserted) override {
        return session_.run(sql, values, changed, inserted);
    }
    void begin() override { session_.begin(); }
    void beginSnapshot() override { session_.beginSnapshot(); }
    void commit() override { session_.commit(); }
    void rollback() override { session_.rollback(); }

    QString typeName(ColumnType type) const override { return server::typeName(type); }
    QStringList tables() override { return firstColumn(server::tablesSql(), {}); }
    QStringList columns(const QString& table) override { return firstColumn(server::columnsSql(), {table}); }
    // The server lists only the tables an account may use, and every server database was made
    // with all of them: one the account may not read is an error, never a table skipped.
    bool holdsTable(const QString&) override { return true; }
    QStringList damage() override { return {}; }
    void vacuumInto(const QString&) override {
        throw DbError(ErrorKind::Other, QStringLiteral("数据库服务器上的数据库不能按文件复制。"), {});
    }
    void markAsOurs() override {}

    bool mayOnlyRead() const override { return mayOnlyRead_; }
    QString accountNote() const override { return accountNote_; }
    QString server() const override { return session_.server(); }
    QString describe() const override { return QStringLiteral("服务器 ") + session_.server(); }
    QStringList rewriters(const QString& table) override {
        QStringList accounts;
        const Rows rows = session_.run(
            QStringLiteral(
                "select r.rolname, pg_has_role(r.oid, c.relowner, 'MEMBER'), has_table_privilege(r.oid, "
                "c.oid, 'UPDATE') or has_table_privilege(r.oid, c.oid, 'DELETE') or "
                "has_table_privilege(r.oid, c.oid, 'TRUNCATE') from pg_roles r, pg_class c where c.oid = "
                "to_regclass(?) and r.rolcanlogin and not r.rolsuper order by r.rolname"),
            {table});
        for (const Row& r : rows) {
            if (r.value(1).toBool())
                accounts << r.value(0).toString() + QStringLiteral("（表的所有者）");
            else if (r.value(2).toBool())
                accounts << r.value(0).toString();
        }
        return accounts;
    }

    // A server account that may not read the sequence sees the largest number there.
    qint64 lastNumber(const QString& table) override {
        const qint64 largest =
            scalar(QStringLiteral("select max(编号) from ") + quotedName(table), {}).toLongLong();
        const QVariant kept =
            scalar(QStringLiteral("select last_value from pg_sequences where (quote_ident(schemaname) || "
                                  "'.' || quote_ident(sequencename))::regclass = "
                                  "pg_get_serial_sequence(?, '编号')::regclass"),
                   {quotedName(table)});
        return std::max(largest, kept.toLongLong());
    }
    void continueNumbering(const QString& table, qint64 last) override {
        if (last > 0)
            session_.run(QStringLiteral("select setval(pg_get_serial_sequence(?, '编号'), ?)"),
                         {quotedName(table), last});
        else
            session_.run(QStringLiteral("select setval(pg_get_serial_sequence(?, '编号'), 1, false)"),
                         {quotedName(table)});
    }
    // As the typed column reads it from text, so that one the column cannot take ("abc" for a
    // number, 2026-13-45 for a date) is refused instead of converted: a number with a fraction
    // would otherwise be rounded into a whole-number column.
    QVariant copiedValue(const QVariant& v) const override {
        if (v.isNull())
            return QVariant(QMetaType(QMetaType::QString));
        if (v.typeId() == QMetaType::Double)
            return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        return v.toString();
    }

private:
    QStringList firstColumn(const QString& sql, const QVariantList& values) {
        QStringList out;
        for (const Row& r : session_.run(sql, values))
            out << r.value(0).toString();
        return out;
    }
    QVariant scalar(const QString& sql, const QVariantList& values) {
        const Rows rows = session_.run(sql, values);
        return rows.isEmpty() || rows.front().count() == 0 ? QVariant() : rows.front().value(0);
    }

    // Refuses a database that is not an exam database; an account that may not write makes
    // the connection read-only.
    void requireExamDatabase(Database::Mode mode) {
        // Tables the account may not read look missing to the look below: say it is the account.
        const QStringList required = schemaTableNames();
        const Rows account = session_.run(
            QStringLiteral(
                "select current_user, count(*) from pg_class c where "
                "c.relnamespace=current_schema()::regnamespace and c.relkind='r' and "
                "c.relname=any(string_to_array(?, ',')) and not has_table_privilege(c.oid, 'SELECT')"),
            {required.join(u',')});
        const QString name = account.front().value(0).toString();
        if (account.front().value(1).toInt() > 0)
            throw DbError(ErrorKind::Refused, server::rightlessAccountText(name, server()), {});
        try {
            refuseIncomplete([this] { return tables(); }, [this](const QString& t) { return columns(t); });
        } catch (const DbError& e) {
            if (e.kind() != ErrorKind::Refused)
                throw;
            throw DbError(
                ErrorKind::Refused,
                QStringLiteral("数据库服务器 %1 上的数据库不是本系统的数据库，程序无法使用（未作任何改动）！")
                    .arg(server()),
                e.detail());
        }
        // An account that may only read works as on a read-only file. The draw ledger is only
        // ever appended to: nobody needs to change or delete its rows.
        if (mode != Database::Mode::ReadWrite)
            return;
        const int refused =
            scalar(QStringLiteral("select count(*) from pg_class c where "
                                  "c.relnamespace=current_schema()::regnamespace and c.relkind='r' and not "
                                  "(has_table_privilege(c.oid, 'INSERT') and (c.relname=? or "
                                  "(has_table_privilege(c.oid, 'UPDATE') and has_table_privilege(c.oid, "
                                  "'DELETE'))))"),
                   {kLedgerTable})
                .toInt();
        if (refused > 0) {
            mayOnlyRead_ = true;
            accountNote_ = server::readOnlyAccountText(name, server());
        }
    }

    ServerSession session_;
    bool mayOnlyRead_ = false;
    QString accountNote_;
};

} // namespace

std::unique_ptr<Backend> openServerBackend(const QString& connection, Database::Mode mode) {
    if (const QString problem = server::connectionProblem(connection); !problem.isEmpty())
        throw DbError(ErrorKind::Refused, problem, {});
    return std::make_unique<ServerBackend>(connection, mode);
}

} // namespace db
