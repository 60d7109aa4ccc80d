#include "common/data_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace common;

class TestDataFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void order_data();
    void order();
    void environmentNamesTheFile();
    void machineFolderOnlyForTheInstalledPrograms();
    void reportFolder_data();
    void reportFolder();
};

void TestDataFolder::order_data() {
    QTest::addColumn<QString>("named");   // EXAM_DATA_DIR, below the temporary folder
    QTest::addColumn<QString>("beside");  // what stands at programs/Db: "", "dir" or "file"
    QTest::addColumn<QString>("machine"); // machine-wide folder: "", "there" or "missing"
    QTest::addColumn<QString>("expected");
    QTest::newRow("EXAM_DATA_DIR first") << "mine"
                                         << "dir"
                                         << "there"
                                         << "mine";
    QTest::newRow("EXAM_DATA_DIR not made yet") << "new/data"
                                                << ""
                                                << "there"
                                                << "new/data";
    QTest::newRow("Db beside before the machine's") << ""
                                                    << "dir"
                                                    << "there"
                                                    << "programs/Db";
    QTest::newRow("the machine's when no Db beside") << ""
                                                     << ""
                                                     << "there"
                                                     << "var/lib/pkg";
    QTest::newRow("a file named Db is no folder") << ""
                                                  << "file"
                                                  << "there"
                                                  << "var/lib/pkg";
    QTest::newRow("package not installed") << ""
                                           << ""
                                           << "missing"
                                           << "programs/Db";
    QTest::newRow("no machine folder (Windows)") << ""
                                                 << ""
                                                 << ""
                                                 << "programs/Db";
}

void TestDataFolder::order() {
    QFETCH(QString, named);
    QFETCH(QString, beside);
    QFETCH(QString, machine);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("programs")));
    if (beside == QLatin1String("dir"))
        QVERIFY(root.mkpath(QStringLiteral("programs/Db")));
    if (beside == QLatin1String("file")) {
        QFile file(root.filePath(QStringLiteral("programs/Db")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (machine == QLatin1String("there"))
        QVERIFY(root.mkpath(QStringLiteral("var/lib/pkg")));
    const QString machineFolder =
        machine.isEmpty() ? QString() : root.filePath(QStringLiteral("var/lib/pkg"));
    const QString namedFolder = named.isEmpty() ? QString() : root.filePath(named);

    QCOMPARE(dataFolder(root.filePath(QStringLiteral("programs")), namedFolder, machineFolder),
             root.filePath(expected));
}

void TestDataFolder::environmentNamesTheFile() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Db")));
    // A relative name is taken from the folder the command was started in.
    const QString started = QDir::currentPath();
    QDir::setCurrent(dir.path());
    qputenv("EXAM_DATA_DIR", "shared");
    const QString named = databaseFile(dir.path());
    qunsetenv("EXAM_DATA_DIR");
    const QString beside = databaseFile(dir.path());
    QDir::setCurrent(started);
    QCOMPARE(named, QDir(dir.path()).filePath(QStringLiteral("shared/Exam.mdb")));
    QCOMPARE(beside, QDir(dir.path()).filePath(QStringLiteral("Db/Exam.mdb")));
}

// A build tree or a test's folder without Db/ must never open the database of a machine where
// the package happens to be installed.
void TestDataFolder::machineFolderOnlyForTheInstalledPrograms() {
    QTemporaryDir dir;
    QCOMPARE(machineDataFolder(dir.path()), QString());
    QCOMPARE(databaseFile(dir.path()), QDir(dir.path()).filePath(QStringLiteral("Db/Exam.mdb")));
#ifdef Q_OS_LINUX
    QCOMPARE(machineDataFolder(QStringLiteral("/usr/lib/exam-invigilation/")),
             QStringLiteral("/var/lib/exam-invigilation"));
#endif
}

void TestDataFolder::reportFolder_data() {
    QTest::addColumn<QString>("programs");
    QTest::addColumn<QString>("expected");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QTest::newRow("writable program folder") << ""
                                             << "Report";
    // Even root cannot write below a folder that is not there, as none can below /usr/lib.
    QTest::newRow("program folder not writable") << "/nonexistent/programs/" << documents + u"/考务报表";
}

void TestDataFolder::reportFolder() {
    QFETCH(QString, programs);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    if (programs.isEmpty()) {
        QCOMPARE(common::reportFolder(dir.path() + u'/'), QDir(dir.path()).filePath(expected));
        QVERIFY(!QDir(dir.filePath(expected)).exists()); // made when a report is written
    } else {
        QCOMPARE(common::reportFolder(programs), expected);
    }
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
