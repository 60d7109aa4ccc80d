#include "manager/manager_start.h"
#include "test_db.h"

#include <QFile>
#include <QTest>

using namespace manager;

class TestManagerStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void paths_data();
    void paths();
};

void TestManagerStart::paths_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("readOnly");
    using O = ManagerStart::Outcome;
    QTest::newRow("ready") << "" << int(O::Ready) << "" << false;
    QTest::newRow("second instance") << "running" << int(O::AlreadyRunning) << "程序已经运行，不能再次装载！"
                                     << false;
    QTest::newRow("missing") << "missing" << int(O::Fatal) << "数据库文件未找到，程序无法正常运行！" << false;
    QTest::newRow("foreign file") << "foreign" << int(O::Fatal)
                                  << "数据库文件不是本系统的数据库（格式无法识别），程序无法正常运行！"
                                  << false;
    QTest::newRow("read-only file") << "read-only" << int(O::Ready) << "" << true;
    QTest::newRow("no active settings row") << "inactive" << int(O::NoProject) << "" << false;
}

void TestManagerStart::paths() {
    QFETCH(QString, setup);
    TestDb t;
    const int project = t.addProject();
    t.setCurrentProject(project);
    common::SingleInstance first(u"Morvek"_qs, t.folder());
    if (setup == u"running")
        QVERIFY(first.acquire());
    if (setup == u"inactive")
        t.db->exec(u"update 系统设置 set 状态='停用'"_qs);
    t.db.reset();
    if (setup == u"missing")
        QVERIFY(QFile::remove(t.path()));
    if (setup == u"foreign") {
        QFile f(t.path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a database at all, just text");
    }
    if (setup == u"read-only")
        QFile::setPermissions(t.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);

    common::RunState state;
    common::SingleInstance instance(u"Morvek"_qs, t.folder());
    const ManagerStart start = startManager(state, instance, t.folder());
    QTEST(int(start.outcome), "outcome");
    QTEST(start.message, "message");
    QTEST(start.readOnlyWarning, "readOnly");
    QCOMPARE(state.ZD, start.readOnlyWarning);
    QCOMPARE(state.SoftBB, u"17.6.2"_qs);
    QCOMPARE(mainCaption(state), u"Vardel V17.6.2"_qs);
    QCOMPARE(bool(start.db), start.outcome == ManagerStart::Outcome::Ready ||
                                 start.outcome == ManagerStart::Outcome::NoProject);
    QCOMPARE(state.DQXM, start.outcome == ManagerStart::Outcome::Ready ? project : 0);
}

QTEST_GUILESS_MAIN(TestManagerStart)
#include "test_manager_start.moc"
