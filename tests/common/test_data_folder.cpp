// Where the programs keep their files: installed programs (simulated by a folder whose mark
// names it, so that no test needs root or the real /usr/lib) never use their own folder; a
// build tree or an unpacked copy keeps everything beside the programs.
#include "common/data_folder.h"
#include "run_examdb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace common;

namespace {

// Every file below `folder` with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile f(it.next());
        files[QDir(folder).relativeFilePath(f.fileName())] =
            f.open(QIODevice::ReadOnly) ? f.readAll() : "dir";
    }
    return files;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() { qunsetenv("EXAM_DATA_DIR"); }
    void places_data();
    void places();

private:
    QTemporaryDir home_;
};

void TestDataFolder::initTestCase() {
    // The documents folder of a home of the test's own.
    qputenv("HOME", QFile::encodeName(home_.path()));
    qunsetenv("XDG_CONFIG_HOME");
}

void TestDataFolder::places_data() {
    QTest::addColumn<QString>("mark");         // "": none; "here": names the program folder; "elsewhere"
    QTest::addColumn<bool>("plantedDb");       // a file programs/Db/Exam.mdb stands beside the programs
    QTest::addColumn<bool>("machineThere");    // the machine's data folder var/lib/pkg exists
    QTest::addColumn<bool>("named");           // EXAM_DATA_DIR names mine/, relatively
    QTest::addColumn<QString>("data");         // the data folder, below the test's folder
    QTest::addColumn<bool>("initMakes");       // examdb init makes Exam.mdb there
    QTest::addColumn<bool>("userFilesBeside"); // reports and the template beside the programs
    QTest::addColumn<QString>("help");

    // Root may write the program folder, as the test may write its own: nothing stops a write
    // there but the rule.
    QTest::newRow("installed, root running")
        << "here" << false << true << false << "var/lib/pkg" << true << false << "usr/share/pkg/help";
    // Not made beside the programs instead, nor made without the group the package gives it.
    QTest::newRow("installed, no data folder")
        << "here" << false << false << false << "var/lib/pkg" << false << false << "usr/share/pkg/help";
    QTest::newRow("installed, a Db/ planted beside the programs")
        << "here" << true << true << false << "var/lib/pkg" << true << false << "usr/share/pkg/help";
    QTest::newRow("installed, EXAM_DATA_DIR")
        << "here" << true << true << true << "mine" << true << false << "usr/share/pkg/help";
    QTest::newRow("build tree") << "" << false << true << false << "usr/lib/pkg/Db" << true << true
                                << "usr/lib/pkg/help";
    QTest::newRow("unpacked copy of the package")
        << "elsewhere" << false << true << false << "usr/lib/pkg/Db" << true << true << "usr/lib/pkg/help";
    QTest::newRow("build tree, EXAM_DATA_DIR")
        << "" << true << false << true << "mine" << true << true << "usr/lib/pkg/help";
}

void TestDataFolder::places() {
    QFETCH(QString, mark);
    QFETCH(bool, plantedDb);
    QFETCH(bool, machineThere);
    QFETCH(bool, named);
    QFETCH(QString, data);
    QFETCH(bool, initMakes);
    QFETCH(bool, userFilesBeside);
    QFETCH(QString, help);
    QTemporaryDir dir;
    const QDir root(dir.path());
    const QString programs = root.filePath(QStringLiteral("usr/lib/pkg"));
    QVERIFY(root.mkpath(QStringLiteral("usr/lib/pkg")) && root.mkpath(QStringLiteral("usr/lib/other")));
    if (!mark.isEmpty()) {
        const QString in = root.filePath(mark == QLatin1String("here") ? "usr/lib/pkg" : "usr/lib/other");
        writeFile(QDir(programs).filePath(kInstalledMark),
                  QStringLiteral("[installed]\npackage=pkg\nprograms=%1\ndata=%2\nhelp=%3\n")
                      .arg(in, root.filePath(QStringLiteral("var/lib/pkg")),
                           root.filePath(QStringLiteral("usr/share/pkg/help")))
                      .toUtf8());
    }
    if (plantedDb)
        writeFile(QDir(programs).filePath(QStringLiteral("Db/Exam.mdb")), "planted");
    if (machineThere)
        QVERIFY(root.mkpath(QStringLiteral("var/lib/pkg")));
    // A relative name is taken from the folder the command was started in.
    const QString started = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const auto back = qScopeGuard([&started] { QDir::setCurrent(started); });
    if (named)
        qputenv("EXAM_DATA_DIR", "mine");
    const QMap<QString, QByteArray> before = snapshot(programs);

    QCOMPARE(dataFolder(programs), root.filePath(data));
    QCOMPARE(helpFolder(programs), root.filePath(help));
    const QString documents = home_.path() + QStringLiteral("/Documents/考务报表");
    QCOMPARE(reportFolder(programs + u'/'),
             userFilesBeside ? programs + QStringLiteral("/Report") : documents);
    const QString database = root.filePath(data) + QStringLiteral("/Exam.mdb");
    const ExamdbRun init = examdb({QStringLiteral("init")}, programs);
    QCOMPARE(init.status, initMakes ? 0 : 2);
    QCOMPARE(QFileInfo::exists(database), initMakes);
    if (!initMakes)
        QVERIFY2(init.err.contains(QStringLiteral("dpkg-reconfigure pkg")), qPrintable(init.err));
    const ExamdbRun made = examdb({QStringLiteral("template")}, programs);
    QCOMPARE(made.status, 0);
    QCOMPARE(QFileInfo(made.out.section(u'\n', 1, 1)).absolutePath(), userFilesBeside ? programs : documents);

    if (mark == QLatin1String("here"))
        QCOMPARE(snapshot(programs), before);
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
