#pragma once

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include "db/server.h"

#include <memory>

#include <stdexcept>

// A database of its own on the test cluster that CTest starts (tests/postgres/cluster.sh), for
// the runs that set EXAM_TEST_SERVER to its connection string; dropped at the end.
class TestServerDatabase {
public:
    static QString cluster() { return qEnvironmentVariable("EXAM_TEST_SERVER"); }
    static bool wanted() { return !cluster().isEmpty(); }
    // The cluster's socket folder, its "host".
    static QString socketFolder() { return cluster().section(u'=', 1, 1).section(u' ', 0, 0); }

    // When the run wants the server: a new database, named by `programFolder`/Db/Exam.server.
    static std::unique_ptr<TestServerDatabase> forFolder(const QString& programFolder) {
        if (!wanted())
            return nullptr;
        auto made = std::make_unique<TestServerDatabase>();
        db::server::writeConnection(programFolder + QStringLiteral("/Db/Exam.server"), made->connection());
        return made;
    }

    TestServerDatabase() {
        static QAtomicInt counter;
        name_ = QStringLiteral("examtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        admin(QStringLiteral("create database %1").arg(name_));
    }
    ~TestServerDatabase() {
        try {
            admin(QStringLiteral("drop database if exists %1 with (force)").arg(name_));
        } catch (const std::exception&) {
            // A database left behind goes with the throwaway cluster.
        }
    }
    TestServerDatabase(const TestServerDatabase&) = delete;
    TestServerDatabase& operator=(const TestServerDatabase&) = delete;

    QString connection() const { return cluster() + QStringLiteral(" dbname=") + name_; }
    const QString& name() const { return name_; }

    // Runs `sql` on the cluster's maintenance database.
    static void admin(const QString& sql) {
        const QString name = QStringLiteral("test-admin");
        {
            QSqlDatabase d = QSqlDatabase::contains(name)
                                 ? QSqlDatabase::database(name)
                                 : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            d.setConnectOptions(cluster() + QStringLiteral(" dbname=postgres"));
            if (!d.isOpen() && !d.open())
                throw std::runtime_error(d.lastError().text().toStdString());
            QSqlQuery q(d);
            if (!q.exec(sql))
                throw std::runtime_error(q.lastError().text().toStdString());
        }
    }

private:
    QString name_;
};
