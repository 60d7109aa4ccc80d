// The programs side by side on one file: one program (A) opens its windows again and again
// while another process opens, reads and closes the file after each of A's rounds. A writes
// after every round; a fresh reader must see every write, the WAL must stay while A lives,
// A must keep its lock, and a kill -9 of A loses nothing that A committed.
// EXAM_SIDE_ROUNDS sets the number of rounds (12 unless asked for more).
#include "db/create_database.h"
#include "db/database.h"
#include "db/db_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_LINUX)
#include <sys/stat.h>
#endif

namespace {

QString peer(const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(QStringLiteral(SIDE_PEER), args);
    p.waitForFinished(60000);
    const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (exitCode)
        *exitCode = code;
    return QString::fromUtf8(code == 0 ? p.readAllStandardOutput() : p.readAllStandardError()).trimmed();
}

QString ask(QProcess& a, const QString& line) {
    a.write(line.toUtf8() + '\n');
    while (!a.canReadLine()) {
        if (!a.waitForReadyRead(60000))
            return QStringLiteral("(no answer)");
    }
    return QString::fromUtf8(a.readLine()).trimmed();
}

// Whether process `pid` holds a POSIX lock on the file; true where /proc/locks cannot tell.
bool holdsLock(qint64 pid, const QString& path) {
#if defined(Q_OS_LINUX)
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return true;
    const QString inode = QStringLiteral(":%1").arg(st.st_ino);
    for (const QByteArray& raw : locks.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(raw).simplified().split(QLatin1Char(' '));
        // "1: POSIX  ADVISORY  READ 4711 fe:01:1234567 0 EOF"
        if (f.size() >= 6 && f[1] == QLatin1String("POSIX") && f[4].toLongLong() == pid &&
            f[5].endsWith(inode))
            return true;
    }
    return false;
#else
    Q_UNUSED(pid);
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace

class TestSideBySide : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programsKeepTheirLocksAndWrites_data();
    void programsKeepTheirLocksAndWrites();
};

void TestSideBySide::programsKeepTheirLocksAndWrites_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("data management with its editors") << QStringLiteral("morvek");
    QTest::newRow("draw program with its draw, load and report windows") << QStringLiteral("vardel");
}

void TestSideBySide::programsKeepTheirLocksAndWrites() {
    QFETCH(QString, program);
    const int asked = qEnvironmentVariableIntValue("EXAM_SIDE_ROUNDS");
    const int rounds = asked > 0 ? asked : 12;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    db::createDatabase(db::databasePath(dir.path()), true, QDateTime::currentDateTime());
    const QString path = db::databasePath(dir.path());

    QProcess a;
    a.start(QStringLiteral(SIDE_PEER), {program, dir.path()});
    QVERIFY(a.waitForStarted());
    QVERIFY(a.waitForReadyRead(60000));
    QCOMPARE(QString::fromUtf8(a.readLine()).trimmed(), QStringLiteral("ready"));

    for (int k = 1; k <= rounds; ++k) {
        const QString at = QStringLiteral("round %1: ").arg(k);
        QCOMPARE(ask(a, QStringLiteral("windows")), QStringLiteral("ok windows"));
        QVERIFY2(holdsLock(a.processId(), path), qPrintable(at + QStringLiteral("A lost its lock")));
        int touched = 0;
        const QString said = peer({QStringLiteral("touch"), dir.path()}, &touched);
        QVERIFY2(touched == 0, qPrintable(at + said));
        const QString write = QStringLiteral("write %1").arg(k);
        QCOMPARE(ask(a, write), QStringLiteral("ok ") + write);
        QVERIFY2(QFile::exists(path + QStringLiteral("-wal")),
                 qPrintable(at + QStringLiteral("WAL deleted")));
        QCOMPARE(peer({QStringLiteral("count"), dir.path()}), QString::number(k));
    }

    a.kill();
    QVERIFY(a.waitForFinished());
    QCOMPARE(peer({QStringLiteral("count"), dir.path()}), QString::number(rounds));
    const db::Database after(path);
    QCOMPARE(after.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
}

QTEST_GUILESS_MAIN(TestSideBySide)
#include "test_side_by_side.moc"
