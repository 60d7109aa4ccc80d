#pragma once

#include "db/db_error.h"

#include <QHash>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

namespace db {

// One connection to the database server, through libpq: every statement goes with its values
// bound in one round trip, and no wait for the server is without a bound.
//
// The session bounds what a centre's network and server may do to a program:
//   - a lock held by another PC is waited for up to 5 s (lock_timeout), then "busy";
//   - a statement runs at most the server's statement_timeout (20 s unless the database or the
//     account has one of its own), and the program waits for its answer at most a little longer
//     than that, whatever the network or a stalled server process does ("服务器无响应");
//   - a transaction left idle by a PC that vanished is ended by the server after 60 s
//     (idle_in_transaction_session_timeout, unless set for the database or account), so that
//     it never holds the writers' lock for long; keepalives on both ends notice a dead peer;
//   - a connection found broken, whatever the driver's words, fails the action that met it and
//     is made anew by the next one, with the same settings.
class ServerSession {
public:
    // Connects (at most 10 s); DbError when the server cannot be reached or refuses.
    explicit ServerSession(const QString& connection);
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // "host（数据库 name）", for the status line and messages.
    const QString& server() const { return server_; }
    // Every transaction of this and of every later connection only reads.
    void setReadOnly();

    // Runs one statement ('?' placeholders) with `values` bound; rows come back as the file
    // gives them (dates as "yyyy-MM-dd HH:mm:ss" text). `changed` receives the rows the
    // statement changed, `inserted` the new row's 编号 of an insert.
    QVector<QSqlRecord> run(const QString& sql, const QVariantList& values, int* changed = nullptr,
                            qint64* inserted = nullptr);

    // A write transaction that holds the writers' lock; a read-only snapshot; their end.
    void begin();
    void beginSnapshot();
    void commit();
    void rollback();

private:
    struct Connection;
    void connect();
    void applySession();
    DbError failure(const QString& state, const QString& text);
    DbError lost(const QString& text);

    QString connection_;
    QString server_;
    std::unique_ptr<Connection> conn_;
    bool readOnly_ = false;
    bool lost_ = false; // broken: the next statement connects anew
    bool inTransaction_ = false;
    bool failedInTransaction_ = false; // the server refuses everything but a rollback
    int boundMs_ = 25000;              // the longest wait for one answer
    QHash<QString, QByteArray> numbered_;
};

} // namespace db
