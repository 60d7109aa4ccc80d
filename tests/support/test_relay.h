#pragma once

#include <QHostAddress>
#include <QLocalSocket>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <vector>

// The network between a PC and the test cluster: a TCP relay on the loopback in front of the
// cluster's Unix socket, in a thread of its own so that it keeps working while the test waits
// in a statement. It passes what each side sends, black-holes it (takes everything and delivers
// nothing, while the connections stay open, as a pulled cable or a dead switch does), or cuts
// every connection. The server behind it is the real one.
class TestRelay {
public:
    enum class Mode { Pass, BlackHole };

    explicit TestRelay(const QString& socketFolder)
        : socket_(socketFolder + QStringLiteral("/.s.PGSQL.5432")) {
        thread_.start();
        context_.moveToThread(&thread_);
        inThread([this] {
            server_ = new QTcpServer(&context_);
            server_->listen(QHostAddress::LocalHost, 0);
            port_ = server_->serverPort();
            QObject::connect(server_, &QTcpServer::newConnection, &context_, [this] {
                while (QTcpSocket* client = server_->nextPendingConnection())
                    pair(client);
            });
        });
    }
    ~TestRelay() {
        cut();
        inThread([this] { delete server_; });
        thread_.quit();
        thread_.wait();
    }
    TestRelay(const TestRelay&) = delete;
    TestRelay& operator=(const TestRelay&) = delete;

    // Cuts every connection after `ms` unless the test ends first: a test that would wait for
    // ever on a black-holed connection fails instead.
    void cutAfter(int ms) {
        inThread([this, ms] { QTimer::singleShot(ms, &context_, [this] { cutHere(); }); });
    }

    // The relay's address as a connection string's host and port.
    QString address() const { return QStringLiteral("host=127.0.0.1 port=%1").arg(port_); }
    void setMode(Mode mode) { mode_ = mode; }
    // Closes every connection through the relay, at once and from both sides.
    void cut() {
        inThread([this] { cutHere(); });
    }

private:
    struct Pair {
        QTcpSocket* client;
        QLocalSocket* server;
    };

    void cutHere() {
        for (const Pair& p : pairs_) {
            p.client->abort();
            p.server->abort();
            p.client->deleteLater();
            p.server->deleteLater();
        }
        pairs_.clear();
    }

    template <typename F> void inThread(F f) {
        QMetaObject::invokeMethod(&context_, f, Qt::BlockingQueuedConnection);
    }

    void pair(QTcpSocket* client) {
        auto* server = new QLocalSocket(&context_);
        server->connectToServer(socket_);
        server->waitForConnected(5000);
        pairs_.push_back({client, server});
        const auto pump = [this](QIODevice* from, QIODevice* to) {
            const QByteArray bytes = from->readAll();
            if (mode_ == Mode::Pass)
                to->write(bytes);
        };
        QObject::connect(client, &QTcpSocket::readyRead, &context_, [=] { pump(client, server); });
        QObject::connect(server, &QLocalSocket::readyRead, &context_, [=] { pump(server, client); });
        // A connection closed on one side closes on the other, unless the network is gone.
        QObject::connect(client, &QTcpSocket::disconnected, &context_, [=, this] {
            if (mode_ == Mode::Pass)
                server->disconnectFromServer();
        });
        QObject::connect(server, &QLocalSocket::disconnected, &context_, [=, this] {
            if (mode_ == Mode::Pass)
                client->disconnectFromHost();
        });
    }

    QString socket_;
    QThread thread_;
    QObject context_;
    QTcpServer* server_ = nullptr;
    quint16 port_ = 0;
    std::atomic<Mode> mode_{Mode::Pass};
    std::vector<Pair> pairs_;
};
