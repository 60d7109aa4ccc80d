#include "fakes.h"
#include "report_fixture.h"
#include "reports/report_writer.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace common;
using namespace reports;

// What a browser makes of a written report: the gb2312 label must bring every name back,
// including one GBK cannot hold.
class TestReportBrowser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void browserReadsTheConclusion();
};

void TestReportBrowser::browserReadsTheConclusion() {
    QString browser = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (browser.isEmpty())
        browser = QStandardPaths::findExecutable(QStringLiteral("chromium-browser"));
    if (browser.isEmpty())
        QSKIP("chromium is not installed (scripts/install-deps installs it); the browser check is skipped");

    ReportFixture f;
    const QString t = QStringLiteral("2026-06-07 08:00:00");
    f.state.project.rowsPerPage = 2;
    f.addDrawRoom(QStringLiteral("语文"), t, QStringLiteral("001"), QStringLiteral("刘䶮"),
                  QStringLiteral("李一"));
    f.addDrawRoom(QStringLiteral("语文"), t, QStringLiteral("002"), QStringLiteral("王二"),
                  QStringLiteral("赵二"));
    f.addDrawRoom(QStringLiteral("语文"), t, QStringLiteral("003"), QStringLiteral("孙三"),
                  QStringLiteral("周三"));
    f.addDrawParameters(QStringLiteral("语文"), t, QStringLiteral("2101010"));
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult r = w.打印抽签结论(QStringLiteral("语文"), t);
    QVERIFY2(r, qPrintable(failureOf(r)));

    QTemporaryDir profile;
    QProcess chromium;
    chromium.start(browser, {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                             QStringLiteral("--disable-background-networking"),
                             QStringLiteral("--user-data-dir=") + profile.path(),
                             QStringLiteral("--dump-dom"), QUrl::fromLocalFile(pathOf(r)).toString()});
    QVERIFY2(chromium.waitForFinished(120000), "chromium did not finish within two minutes");
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    QVERIFY2(!dom.isEmpty(), chromium.readAllStandardError().constData());

    QVERIFY(dom.contains(QStringLiteral("测试考试<br>测试考点 监考员安排")));
    QVERIFY(dom.contains(QStringLiteral(">刘䶮</td>")));
    QVERIFY(dom.contains(QStringLiteral(">收卷签字</td>")));
    QVERIFY(dom.contains(QStringLiteral("考点单位:测试单位　考点监考员随机编排系统")));
    QVERIFY(dom.contains(QStringLiteral("参数：①.抽签模式:只抽甲不动乙；②.重回考室:√；③.再搭档:×；")));
    // Two rows a page: the third room starts page 2 under its own heading.
    QCOMPARE(dom.count(QStringLiteral("page-break-before: always")), 1);
    QCOMPARE(dom.count(QStringLiteral("监考员安排")), 2);
}

QTEST_GUILESS_MAIN(TestReportBrowser)
#include "test_report_browser.moc"
