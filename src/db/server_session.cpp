#include "db/server_session.h"

#include "db/date_text.h"
#include "db/server.h"

#include <QDeadlineTimer>
#include <QSqlField>

#include <libpq-fe.h>

#include <cerrno>
#include <climits>
#include <vector>

#if defined(Q_OS_WIN)
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace db {

namespace {

// The bounds a session sets where the database or the account has none of its own.
constexpr int kLockWaitMs = 5000;
constexpr const char* kStatementTimeout = "20s";
constexpr const char* kIdleTransactionTimeout = "60s";

// The connection options every program adds: a server that does not answer is given up after
// ten seconds, and a network that drops out while the program waits is noticed by keepalives
// within half a minute.
const char* const kOptions[] = {"connect_timeout=10", "keepalives_idle=10",     "keepalives_interval=5",
                                "keepalives_count=3", "tcp_user_timeout=20000", "client_encoding=UTF8"};

// PostgreSQL's type numbers (pg_type.oid) of what the programs read.
enum : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kNumeric = 1700,
};

QMetaType::Type typeOf(Oid type) {
    switch (type) {
    case kBool:
        return QMetaType::Bool;
    case kBytea:
        return QMetaType::QByteArray;
    case kInt8:
        return QMetaType::LongLong;
    case kInt2:
    case kInt4:
        return QMetaType::Int;
    case kOid:
        return QMetaType::UInt;
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return QMetaType::Double;
    default:
        // Texts, and dates, which the server writes as the file stores them (DateStyle ISO).
        return QMetaType::QString;
    }
}

QVariant valueOf(const PGresult* r, int row, int column, QMetaType::Type type) {
    if (PQgetisnull(r, row, column))
        return QVariant(QMetaType(type));
    const char* text = PQgetvalue(r, row, column);
    switch (type) {
    case QMetaType::Bool:
        return text[0] == 't';
    case QMetaType::LongLong:
        return QByteArray(text).toLongLong();
    case QMetaType::Int:
        return QByteArray(text).toInt();
    case QMetaType::UInt:
        return QByteArray(text).toUInt();
    case QMetaType::Double:
        return QByteArray(text).toDouble();
    case QMetaType::QByteArray: {
        size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
        const QByteArray out(reinterpret_cast<const char*>(bytes), qsizetype(length));
        PQfreemem(bytes);
        return out;
    }
    default:
        return QString::fromUtf8(text, PQgetlength(r, row, column));
    }
}

QVector<QSqlRecord> rowsOf(const PGresult* r) {
    const int columns = PQnfields(r), rows = PQntuples(r);
    QSqlRecord shape;
    std::vector<QMetaType::Type> types;
    for (int c = 0; c < columns; ++c) {
        types.push_back(typeOf(PQftype(r, c)));
        shape.append(QSqlField(QString::fromUtf8(PQfname(r, c)), QMetaType(types.back())));
    }
    QVector<QSqlRecord> out;
    out.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        QSqlRecord record = shape;
        for (int c = 0; c < columns; ++c)
            record.setValue(c, valueOf(r, row, c, types[std::size_t(c)]));
        out.push_back(record);
    }
    return out;
}

// A value as the server reads it from text; true and false as the file stores them.
QByteArray textOf(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? "1" : "0";
    case QMetaType::QDateTime:
        return toDateText(v.toDateTime()).toUtf8();
    case QMetaType::Double:
        return QByteArray::number(v.toDouble(), 'g', 17);
    default:
        return v.toString().toUtf8();
    }
}

// NULL as the file's driver binds it: an empty variant, or a null text, blob or date.
bool isNullValue(const QVariant& v) {
    if (v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(v.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(v.constData())->isNull();
    case QMetaType::QDateTime:
        return static_cast<const QDateTime*>(v.constData())->isNull();
    case QMetaType::QDate:
        return static_cast<const QDate*>(v.constData())->isNull();
    default:
        return false;
    }
}

// The statement with '?' placeholders numbered as the server takes them ($1, $2, ...); a '?'
// inside a quoted text or name is no placeholder.
QByteArray numberedPlaceholders(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++n);
            continue;
        }
        out += c;
    }
    return out.toUtf8();
}

// Waits until the connection's socket can be read (or written), at most until `deadline`; false
// when the time ran out. A socket in error counts as ready: libpq then reports the error.
bool ready(int socket, bool forWriting, const QDeadlineTimer& deadline) {
    for (;;) {
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        const int ms = left < 0 || left > INT_MAX ? INT_MAX : int(left);
#if defined(Q_OS_WIN)
        WSAPOLLFD p{};
        p.fd = SOCKET(socket);
        p.events = forWriting ? POLLWRNORM : POLLRDNORM;
        const int r = WSAPoll(&p, 1, ms);
        if (r != 0)
            return true;
#else
        pollfd p{socket, short(forWriting ? POLLOUT : POLLIN), 0};
        const int r = ::poll(&p, 1, ms);
        if (r > 0 || (r < 0 && errno != EINTR))
            return true;
#endif
    }
}

} // namespace

struct ServerSession::Connection {
    PGconn* pg = nullptr;
    ~Connection() {
        if (pg)
            PQfinish(pg);
    }
};

ServerSession::ServerSession(const QString& connection)
    : connection_(connection), server_(server::describe(connection)) {
    connect();
}

ServerSession::~ServerSession() = default;

void ServerSession::connect() {
    conn_.reset();
    QString options = connection_;
    for (const char* option : kOptions) {
        const QString o = QString::fromLatin1(option);
        if (!options.contains(o.section(u'=', 0, 0) + u'='))
            options += u' ' + o;
    }
    auto made = std::make_unique<Connection>();
    made->pg = PQconnectdb(options.toUtf8().constData());
    if (!made->pg || PQstatus(made->pg) != CONNECTION_OK) {
        const QString text = made->pg ? QString::fromUtf8(PQerrorMessage(made->pg)).simplified()
                                      : QStringLiteral("out of memory");
        throw server::error({}, text, true, server_);
    }
    // Statements are sent without waiting, so that a network that takes nothing more is noticed
    // within the bound as well.
    PQsetnonblocking(made->pg, 1);
    conn_ = std::move(made);
    lost_ = false;
    inTransaction_ = failedInTransaction_ = false;
    numbered_.clear();
    applySession();
}

void ServerSession::applySession() {
    // One statement: the bounds above, where the database or account keeps none of its own, and
    // the server's side of the keepalives (which only a TCP connection uses).
    const auto setting = [](const char* name, const char* fallback) {
        return QStringLiteral("set_config('%1', case when current_setting('%1') in ('0', '') then '%2' "
                              "else current_setting('%1') end, false)")
            .arg(QLatin1String(name), QLatin1String(fallback));
    };
    QStringList settings{QStringLiteral("set_config('lock_timeout', '%1ms', false)").arg(kLockWaitMs),
                         setting("statement_timeout", kStatementTimeout),
                         setting("idle_in_transaction_session_timeout", kIdleTransactionTimeout),
                         QStringLiteral("set_config('tcp_keepalives_idle', '10', false)"),
                         QStringLiteral("set_config('tcp_keepalives_interval', '5', false)"),
                         QStringLiteral("set_config('tcp_keepalives_count', '3', false)"),
                         QStringLiteral("set_config('tcp_user_timeout', '20000', false)"),
                         QStringLiteral("set_config('datestyle', 'ISO, YMD', false)")};
    if (readOnly_)
        settings << QStringLiteral("set_config('default_transaction_read_only', 'on', false)");
    run(QStringLiteral("select ") + settings.join(QStringLiteral(", ")), {});
    // The program waits a little longer than the server lets a statement run, so that a
    // statement the server stops is said in its words.
    const QVector<QSqlRecord> bound =
        run(QStringLiteral(
                "select setting::int from pg_settings where name in ('statement_timeout', 'lock_timeout')"),
            {});
    int longest = 0;
    for (const QSqlRecord& r : bound)
        longest = std::max(longest, r.value(0).toInt());
    boundMs_ = longest + std::clamp(longest / 4, 1000, 5000);
}

void ServerSession::setReadOnly() {
    readOnly_ = true;
    run(QStringLiteral("set default_transaction_read_only = on"), {});
}

DbError ServerSession::lost(const QString& text) {
    lost_ = true;
    inTransaction_ = failedInTransaction_ = false;
    return DbError(ErrorKind::Io,
                   QStringLiteral("与数据库服务器 %1 的连接已中断，操作未完成！\n"
                                  "请检查网络后重试，下一步操作会重新连接。")
                       .arg(server_),
                   text);
}

DbError ServerSession::failure(const QString& state, const QString& text) {
    // The connection's state, not the driver's words, tells a broken connection.
    if (!conn_ || PQstatus(conn_->pg) == CONNECTION_BAD)
        return lost(text);
    failedInTransaction_ = inTransaction_;
    return server::error(state, text, false, server_);
}

QVector<QSqlRecord> ServerSession::run(const QString& statement, const QVariantList& values, int* changed,
                                       qint64* inserted) {
    // A connection that broke during an earlier action, which failed and said so: this one
    // starts on a new connection (a server restarted meanwhile is no reason to restart).
    if (lost_ || !conn_)
        connect();
    PGconn* pg = conn_->pg;
    auto known = numbered_.constFind(statement);
    if (known == numbered_.cend())
        known = numbered_.insert(statement, numberedPlaceholders(server::translate(statement)));

    std::vector<QByteArray> texts(std::size_t(values.size()));
    std::vector<const char*> params(std::size_t(values.size()));
    std::vector<int> lengths(std::size_t(values.size())), formats(std::size_t(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        const auto at = std::size_t(i);
        if (isNullValue(v))
            continue;
        // A blob goes as its bytes; everything else as text, which the column's type reads.
        formats[at] = v.typeId() == QMetaType::QByteArray ? 1 : 0;
        texts[at] = formats[at] ? v.toByteArray() : textOf(v);
        params[at] = texts[at].constData();
        lengths[at] = int(texts[at].size());
    }
    if (!PQsendQueryParams(pg, known->constData(), int(values.size()), nullptr, params.data(), lengths.data(),
                           formats.data(), 0))
        throw failure({}, QString::fromUtf8(PQerrorMessage(pg)));

    const QDeadlineTimer deadline(boundMs_);
    const auto noAnswer = [&] {
        conn_.reset(); // the server may still be busy with it: this connection is given up
        lost_ = true;
        inTransaction_ = failedInTransaction_ = false;
        return DbError(ErrorKind::NoAnswer,
                       QStringLiteral("数据库服务器 %1 无响应（超过 %2 秒），操作未完成！\n"
                                      "请检查网络和服务器后重试，下一步操作会重新连接。")
                           .arg(server_)
                           .arg((boundMs_ + 999) / 1000),
                       QStringLiteral("no answer within %1 ms").arg(boundMs_));
    };
    const int socket = PQsocket(pg);
    for (int flushed; (flushed = PQflush(pg)) != 0;) {
        if (flushed < 0)
            throw failure({}, QString::fromUtf8(PQerrorMessage(pg)));
        if (!ready(socket, true, deadline))
            throw noAnswer();
        PQconsumeInput(pg);
    }
    // Every result is read, so that the connection is ready for the next statement; the first
    // error stands.
    QString errorState, errorText;
    QVector<QSqlRecord> rows;
    for (;;) {
        while (PQisBusy(pg)) {
            if (!ready(socket, false, deadline))
                throw noAnswer();
            if (!PQconsumeInput(pg))
                throw failure({}, QString::fromUtf8(PQerrorMessage(pg)));
        }
        PGresult* r = PQgetResult(pg);
        if (!r)
            break;
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
            if (errorText.isEmpty()) {
                rows = rowsOf(r);
                if (changed)
                    *changed = QByteArray(PQcmdTuples(r)).toInt();
            }
        } else if (errorText.isEmpty()) {
            errorState = QString::fromLatin1(PQresultErrorField(r, PG_DIAG_SQLSTATE));
            errorText = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        }
        PQclear(r);
    }
    if (!errorText.isEmpty() || PQstatus(pg) == CONNECTION_BAD)
        throw failure(errorState,
                      errorText.isEmpty() ? QString::fromUtf8(PQerrorMessage(pg)).trimmed() : errorText);
    // A savepoint rolled back to makes the transaction whole again.
    if (failedInTransaction_ && statement.startsWith(QLatin1String("rollback to savepoint")))
        failedInTransaction_ = false;
    // An insert gives back its row's number (server::translate adds "returning 编号").
    if (inserted && !rows.isEmpty() && !rows.back().isEmpty() && !rows.back().isNull(0))
        *inserted = rows.back().value(0).toLongLong();
    return rows;
}

void ServerSession::begin() {
    run(QStringLiteral("begin"), {});
    inTransaction_ = true;
    failedInTransaction_ = false;
    // Every writer takes the same lock for its transaction: saves follow one another, so a
    // batch number is never given twice and nothing waits on a half-written batch.
    try {
        run(QStringLiteral("select pg_advisory_xact_lock(%1)").arg(server::kWriteLock), {});
    } catch (...) {
        rollback();
        throw;
    }
}

void ServerSession::beginSnapshot() {
    run(QStringLiteral("begin isolation level repeatable read read only"), {});
    inTransaction_ = true;
    failedInTransaction_ = false;
}

void ServerSession::commit() {
    // The server ends a transaction in which a statement failed with a rollback, and calls it
    // a commit: that is no save.
    if (failedInTransaction_) {
        rollback();
        throw DbError(ErrorKind::Other, QStringLiteral("数据库操作未完成，所做的修改已撤销！"),
                      QStringLiteral("commit after a failed statement"));
    }
    run(QStringLiteral("commit"), {});
    inTransaction_ = false;
}

void ServerSession::rollback() {
    // Nothing to roll back on a connection that is gone: the server did it.
    if (conn_ && !lost_) {
        try {
            run(QStringLiteral("rollback"), {});
        } catch (const DbError&) {
        }
    }
    inTransaction_ = failedInTransaction_ = false;
}

} // namespace db
