#include "fakes.h"
#include "report_fixture.h"
#include "reports/report_writer.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using namespace common;
using namespace reports;

using namespace expect;

namespace {

// The expected text of a report, kept as a file with LF line ends; reports end lines with CR LF.
QString expectedReport(const QString& name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/reports/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("missing expected report ") + name;
    return QString::fromUtf8(f.readAll()).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

const QString T = QStringLiteral("2026-06-07 08:00:00");
const QString Now = QStringLiteral("2026-06-07 09:00:00");

// A saved draw of 语文: three rooms stored out of order, room 003 without B, duties whose
// scopes overlap on room 002, and a draw in another subject and another project that must
// not show.
void addLanguageDraw(ReportFixture& f) {
    f.addDrawRoom(QStringLiteral("语文"), T, QStringLiteral("002"), QStringLiteral("王二"),
                  QStringLiteral("赵二"));
    f.addDrawRoom(QStringLiteral("语文"), T, QStringLiteral("001"), QStringLiteral("张一"),
                  QStringLiteral("李一"));
    f.addDrawRoom(QStringLiteral("语文"), T, QStringLiteral("003"), QStringLiteral("孙三"), QVariant());
    f.addDrawDuty(QStringLiteral("语文"), T, QStringLiteral("场外监考"), QStringLiteral("01"),
                  QStringLiteral("周外"), QStringLiteral("001,002"));
    f.addDrawDuty(QStringLiteral("语文"), T, QStringLiteral("验卷"), QStringLiteral("01"),
                  QStringLiteral("吴卷"), QStringLiteral("1, 003,"));
    f.addDrawDuty(QStringLiteral("语文"), T, QStringLiteral("场外监考"), QStringLiteral("02"),
                  QStringLiteral("郑外"), QStringLiteral("002"));
    f.addDrawParameters(QStringLiteral("语文"), T, QStringLiteral("2101010"));
    f.addDrawRoom(QStringLiteral("数学"), T, QStringLiteral("004"), QStringLiteral("别科"));
    f.t.db->exec(QStringLiteral("insert into 抽签总表 (项目编号, 分类, 分组号, 监考员甲, 科目, 时间) values "
                                "(?, '监考员', '005', '别项', '语文', ?)"),
                 {f.project + 1, T});
}

// The roster of the initial arrangement: room 002 has only A, room 003's A is given twice
// (the later row counts), the checker's scope names "1", which is not room 001.
void addRoster(ReportFixture& f) {
    const int p = f.project;
    f.t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("002"), QStringLiteral("甲"),
                 QStringLiteral("王二"), QStringLiteral("男"), QStringLiteral("二中"));
    f.t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("001"), QStringLiteral("甲"),
                 QStringLiteral("张一"), QStringLiteral("男"), QStringLiteral("一中"));
    f.t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("001"), QStringLiteral("乙"),
                 QStringLiteral("李一"), QStringLiteral("女"), QStringLiteral("一中"));
    f.t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("003"), QStringLiteral("甲"),
                 QStringLiteral("赵三"), QStringLiteral("男"), QStringLiteral("三中"));
    f.t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("003"), QStringLiteral("乙"),
                 QStringLiteral("孙三"), QStringLiteral("女"), QStringLiteral("三中"));
    f.t.addStaff(p, QStringLiteral("监考员"), QStringLiteral("003"), QStringLiteral("甲"),
                 QStringLiteral("钱三"), QStringLiteral("男"), QStringLiteral("三中"));
    f.t.addStaff(p, QStringLiteral("场外监考"), QStringLiteral("02"), QString(), QStringLiteral("冯外"),
                 QStringLiteral("男"), QStringLiteral("一中"), QVariant());
    f.t.addStaff(p, QStringLiteral("场外监考"), QStringLiteral("01"), QString(), QStringLiteral("周外"),
                 QStringLiteral("男"), QStringLiteral("一中"), QStringLiteral("001,002"));
    f.t.addStaff(p, QStringLiteral("验卷"), QStringLiteral("01"), QString(), QStringLiteral("吴卷"),
                 QStringLiteral("女"), QStringLiteral("二中"), QStringLiteral("1, 003"));
    f.t.addStaff(p + 1, QStringLiteral("监考员"), QStringLiteral("009"), QStringLiteral("甲"),
                 QStringLiteral("别项"));
}

QStringList conclusionRow(int height, const QString& room, const QString& a, const QString& b,
                          const QString& out, const QString& check) {
    QStringList l{QStringLiteral("<tr>"),
                  QStringLiteral("<td height=%1").arg(height) + styleCell + room + QStringLiteral("</td>"),
                  td(a),
                  td(b),
                  td(out),
                  td(check)};
    for (int i = 0; i < 7; ++i)
        l << td(QStringLiteral("&nbsp;"));
    return l << QStringLiteral("</tr>");
}

// The outline of a paged report: H title, S subtitle, G table head, R<room> data row,
// T "</table>", B page break, F footer.
QString outline(const QString& text) {
    QStringList tokens;
    static const QRegularExpression room(QStringLiteral("^<td height=\\d+ style='[^']*'>([^<]*)</td>$"));
    for (const QString& l : text.split(QStringLiteral("\r\n"))) {
        if (l.startsWith(QStringLiteral("<div align=center>")))
            tokens << QStringLiteral("H");
        else if (l.startsWith(QStringLiteral("<table width=100%><tr>")))
            tokens << QStringLiteral("S");
        else if (l.startsWith(table))
            tokens << QStringLiteral("G");
        else if (const auto m = room.match(l); m.hasMatch())
            tokens << QStringLiteral("R") + m.captured(1);
        else if (l == QStringLiteral("</table>"))
            tokens << QStringLiteral("T");
        else if (l == pageBreak)
            tokens << QStringLiteral("B");
        else if (l.startsWith(QStringLiteral("<table width=100%  border=0 cellspacing=0 cellpadding=1>")))
            tokens << QStringLiteral("F");
    }
    return tokens.join(u' ');
}

// The expected outline from page ranges such as "1-20,21-40".
QString pagedOutline(const QString& pages, bool subtitle) {
    const QString heading = subtitle ? QStringLiteral("H S G") : QStringLiteral("H G");
    QStringList parts;
    const QStringList ranges = pages.split(u',', Qt::SkipEmptyParts);
    if (ranges.isEmpty())
        parts << heading << QStringLiteral("T");
    for (int k = 0; k < ranges.size(); ++k) {
        const QStringList ends = ranges[k].split(u'-');
        parts << (k ? QStringLiteral("B ") + heading : heading);
        for (int i = ends[0].toInt(); i <= ends[1].toInt(); ++i)
            parts << QStringLiteral("R%1").arg(i, 3, 10, QLatin1Char('0'));
        parts << QStringLiteral("T");
    }
    return parts.join(u' ') + QStringLiteral(" F");
}

} // namespace

class TestReportWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conclusionIsExact();
    void certificateCodeAtTheFoot_data();
    void certificateCodeAtTheFoot();
    void ledgerLinesAtTheFoot_data();
    void ledgerLinesAtTheFoot();
    void dutyReportOfDrawIsExact();
    void dutyReportOfInitialArrangementIsExact();
    void baseDataIsExact();
    void paging_data();
    void paging();
    void drawWithoutDutiesOrParametersPrintsBlanks();
    void nameOutsideGbkSurvives();
    void quoteInSubjectBreaksNothing();
    void longSubjectGetsAReport_data();
    void longSubjectGetsAReport();
    void databaseErrorWritesNothing();
    void unwritableTargetIsReported();
};

void TestReportWriter::conclusionIsExact() {
    ReportFixture f;
    addLanguageDraw(f);
    FakeClock clock;
    // A report of the same name from before is replaced.
    QDir().mkpath(f.state.MyPath + QStringLiteral("Report"));
    QFile old(f.reportPath(QStringLiteral("-抽签结论（语文）.htm")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();

    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult r = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY2(r, qPrintable(failureOf(r)));
    QCOMPARE(pathOf(r), f.reportPath(QStringLiteral("-抽签结论（语文）.htm")));

    QCOMPARE(readReport(pathOf(r)), expectedReport(QStringLiteral("conclusion.htm")));
}

void TestReportWriter::certificateCodeAtTheFoot_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("printed");
    QTest::newRow("the draw's certificate") << QStringLiteral("语文") << T << true;
    QTest::newRow("another subject's") << QStringLiteral("数学") << T << false;
    QTest::newRow("another save's time") << QStringLiteral("语文") << Now << false;
    QTest::newRow("a file without the table") << QString() << QString() << false;
}

// The conclusion of a draw with a certificate is the one without, followed by one line.
void TestReportWriter::certificateCodeAtTheFoot() {
    QFETCH(QString, subject);
    QFETCH(QString, time);
    QFETCH(bool, printed);
    ReportFixture f;
    addLanguageDraw(f);
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult before = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY2(before, qPrintable(failureOf(before)));
    const QString plain = readReport(pathOf(before));
    if (subject.isEmpty())
        f.t.db->exec(QStringLiteral("drop table 抽签校验"));
    else
        f.t.db->exec(
            QStringLiteral(
                "insert into 抽签校验 (项目编号, 科目, 时间, 数据批次, 结果摘要) values (?, ?, ?, 1, ?)"),
            {f.project, subject, time, QStringLiteral("3f2a9c1b77e0d415").leftJustified(64, u'0')});
    const reports::ReportResult after = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY2(after, qPrintable(failureOf(after)));
    QCOMPARE(readReport(pathOf(after)),
             printed ? plain + QStringLiteral("<div align=right>校验码:3F2A-9C1B-77E0-D415</div>\r\n")
                     : plain);
}

void TestReportWriter::ledgerLinesAtTheFoot_data() {
    QTest::addColumn<QString>("savedSubject"); // the subject and time the ledger's save names
    QTest::addColumn<QString>("savedTime");
    QTest::addColumn<QStringList>("lines");
    const QString head = QStringLiteral("记录链:6666-6666-6666-6666");
    QTest::newRow("the draw's save, of its subject's second stop")
        << QStringLiteral("语文") << T << QStringList{QStringLiteral("本科目共抽签3次，保存的是第2次"), head};
    QTest::newRow("another subject's save") << QStringLiteral("数学") << T << QStringList{head};
    QTest::newRow("another save's time") << QStringLiteral("语文") << Now << QStringList{head};
    QTest::newRow("a ledger without rows") << QString() << QString() << QStringList{};
}

// After the lines every conclusion ends with: how often the subject was drawn and which draw its save named,
// counted on the ledger as it stands at printing, and the ledger's newest row.
void TestReportWriter::ledgerLinesAtTheFoot() {
    QFETCH(QString, savedSubject);
    QFETCH(QString, savedTime);
    QFETCH(QStringList, lines);
    ReportFixture f;
    addLanguageDraw(f);
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult before = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY2(before, qPrintable(failureOf(before)));
    const QString plain = readReport(pathOf(before));
    if (!savedSubject.isEmpty()) {
        const QStringList subjects{
            QString(),    QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("语文"),
            savedSubject, QStringLiteral("语文")};
        const QStringList events{QStringLiteral("开始"), QStringLiteral("停止"), QStringLiteral("停止"),
                                 QStringLiteral("停止"), QStringLiteral("保存"), QStringLiteral("停止")};
        for (int k = 0; k < subjects.size(); ++k)
            f.t.db->exec(
                QStringLiteral("insert into 抽签记录链 (序号, 时间, 项目编号, 科目, 事件, 内容, 摘要) "
                               "values (?, ?, ?, ?, ?, ?, ?)"),
                {k + 1, k == 4 ? savedTime : T, f.project, subjects[k], events[k],
                 k == 4 ? QStringLiteral("stop\t4\nbatch\t1\nresult\tab\n") : QString(),
                 QString(64, QChar(u'1' + k))});
    }
    const reports::ReportResult after = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY2(after, qPrintable(failureOf(after)));
    QString tail;
    for (const QString& l : lines)
        tail += QStringLiteral("<div align=right>") + l + QStringLiteral("</div>\r\n");
    QCOMPARE(readReport(pathOf(after)), plain + tail);
}

void TestReportWriter::dutyReportOfDrawIsExact() {
    ReportFixture f;
    addLanguageDraw(f);
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult r = w.打印验卷(QStringLiteral("语文"), T);
    QVERIFY2(r, qPrintable(failureOf(r)));
    QCOMPARE(pathOf(r), f.reportPath(QStringLiteral("-场外与验卷（语文）.htm")));

    QCOMPARE(readReport(pathOf(r)), expectedReport(QStringLiteral("duty-draw.htm")));
}

void TestReportWriter::dutyReportOfInitialArrangementIsExact() {
    ReportFixture f;
    addRoster(f);
    addLanguageDraw(f); // drawn duties must not leak into the initial list
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult r = w.打印验卷(kInitialSubject, QString());
    QVERIFY2(r, qPrintable(failureOf(r)));
    QCOMPARE(pathOf(r), f.reportPath(QStringLiteral("-场外与验卷（初始数据）.htm")));

    QCOMPARE(readReport(pathOf(r)), expectedReport(QStringLiteral("duty-initial.htm")));
}

void TestReportWriter::baseDataIsExact() {
    ReportFixture f;
    addRoster(f);
    f.state.project.rowsPerPage = 36;
    f.state.KSS = 99;
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult r = w.打印基础数据();
    QVERIFY2(r, qPrintable(failureOf(r)));
    QCOMPARE(pathOf(r), f.reportPath(QStringLiteral("-基础数据.htm")));
    QCOMPARE(f.state.KSS, 3);

    const QString nb = QStringLiteral("&nbsp;");
    const QString span = QStringLiteral("<td rowspan='2'") + styleCell;
    const QString cols = QStringLiteral("<td colspan='3'") + styleCell;
    QCOMPARE(readReport(pathOf(r)), expectedReport(QStringLiteral("base-data.htm")));

    // GBK characters keep their GBK bytes ("考场").
    QFile file(pathOf(r));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains(QByteArray::fromHex("bfbcb3a1")));
}

void TestReportWriter::paging_data() {
    QTest::addColumn<bool>("conclusion");
    QTest::addColumn<int>("rooms");
    QTest::addColumn<int>("rowsPerPage");
    QTest::addColumn<QString>("pages");
    QTest::newRow("base 45 at 20") << false << 45 << 20 << QStringLiteral("1-20,21-40,41-45");
    QTest::newRow("conclusion 25 at 10") << true << 25 << 10 << QStringLiteral("1-10,11-20,21-25");
    QTest::newRow("last row fills its page") << true << 40 << 20 << QStringLiteral("1-20,21-40");
    QTest::newRow("base last row fills its page") << false << 20 << 20 << QStringLiteral("1-20");
    QTest::newRow("no rooms") << true << 0 << 20 << QString();
    QTest::newRow("base without rooms") << false << 0 << 20 << QString();
    QTest::newRow("rows per page 0: one page") << false << 5 << 0 << QStringLiteral("1-5");
    QTest::newRow("negative rows per page") << true << 5 << -3 << QStringLiteral("1-5");
    QTest::newRow("more than 800 rooms") << true << 801 << 400 << QStringLiteral("1-400,401-800,801-801");
}

void TestReportWriter::paging() {
    QFETCH(bool, conclusion);
    QFETCH(int, rooms);
    QFETCH(int, rowsPerPage);
    QFETCH(QString, pages);
    ReportFixture f;
    f.state.project.rowsPerPage = rowsPerPage;
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    reports::ReportResult r;
    if (conclusion) {
        f.addDrawRooms(QStringLiteral("语文"), T, rooms);
        r = w.打印抽签结论(QStringLiteral("语文"), T);
    } else {
        f.addRosterRooms(rooms);
        r = w.打印基础数据();
        QCOMPARE(f.state.KSS, rooms);
    }
    QVERIFY2(r, qPrintable(failureOf(r)));
    QCOMPARE(outline(readReport(pathOf(r))), pagedOutline(pages, conclusion));
}

void TestReportWriter::drawWithoutDutiesOrParametersPrintsBlanks() {
    ReportFixture f;
    f.addDrawRoom(QStringLiteral("英语"), T, QStringLiteral("001"), QStringLiteral("张一"),
                  QStringLiteral("李一"));
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult r = w.打印抽签结论(QStringLiteral("英语"), T);
    QVERIFY2(r, qPrintable(failureOf(r)));
    const QString text = readReport(pathOf(r));
    const QString row =
        crlf(conclusionRow(34, QStringLiteral("001"), QStringLiteral("张一"), QStringLiteral("李一"),
                           QStringLiteral("&nbsp;"), QStringLiteral("&nbsp;")));
    QVERIFY(text.contains(row));
    QVERIFY(text.endsWith(QStringLiteral("<tr><td colspan=2><hr></td></tr></table>\r\n")));

    const reports::ReportResult duties = w.打印验卷(QStringLiteral("英语"), T);
    QVERIFY2(duties, qPrintable(failureOf(duties)));
    QVERIFY(!readReport(pathOf(duties)).contains(QStringLiteral("<tr>\r\n")));
}

void TestReportWriter::nameOutsideGbkSurvives() {
    ReportFixture f;
    f.t.addRoom(f.project, QStringLiteral("001"), QStringLiteral("刘䶮"), QStringLiteral("李一"));
    f.addDrawRoom(QStringLiteral("语文"), T, QStringLiteral("001"), QStringLiteral("刘䶮"),
                  QStringLiteral("𠀋明"));
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const reports::ReportResult base = w.打印基础数据();
    QVERIFY2(base, qPrintable(failureOf(base)));
    QVERIFY(readReport(pathOf(base)).contains(td(QStringLiteral("刘䶮"))));
    const reports::ReportResult conclusion = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY2(conclusion, qPrintable(failureOf(conclusion)));
    QVERIFY(readReport(pathOf(conclusion))
                .contains(td(QStringLiteral("刘䶮")) + QStringLiteral("\r\n") + td(QStringLiteral("𠀋明"))));
}

void TestReportWriter::quoteInSubjectBreaksNothing() {
    ReportFixture f;
    const QString subject = QStringLiteral("化学'实验\"<1>");
    f.addDrawRooms(subject, T, 3);
    f.addDrawDuty(subject, T, QStringLiteral("验卷"), QStringLiteral("01"), QStringLiteral("吴卷"),
                  QStringLiteral("002"));
    f.addDrawParameters(subject, T, QStringLiteral("0000000"));
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);

    const reports::ReportResult r = w.打印抽签结论(subject, T);
    QVERIFY2(r, qPrintable(failureOf(r)));
    QCOMPARE(pathOf(r), f.reportPath(QStringLiteral("-抽签结论（化学'实验__1_）.htm")));
    const QString text = readReport(pathOf(r));
    QCOMPARE(outline(text), pagedOutline(QStringLiteral("1-3"), true));
    QVERIFY(text.contains(QStringLiteral("<td class=xx>科目:化学'实验\"&lt;1&gt;</td>")));
    QVERIFY(text.contains(td(QStringLiteral("吴卷"))));
    QVERIFY(text.contains(QStringLiteral("参数：①.抽签模式:甲乙独立抽签；")));
    QVERIFY(text.startsWith(
        QStringLiteral("<!--抽签程序自动报表 考点监考员随机编排系统 化学'实验\"&lt;1&gt; 抽签时间:")));

    const reports::ReportResult duties = w.打印验卷(subject, T);
    QVERIFY2(duties, qPrintable(failureOf(duties)));
    QCOMPARE(pathOf(duties), f.reportPath(QStringLiteral("-场外与验卷（化学'实验__1_）.htm")));
    QVERIFY(readReport(pathOf(duties)).contains(td(QStringLiteral("吴卷"))));
}

void TestReportWriter::longSubjectGetsAReport_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("300 Chinese characters") << QStringLiteral("综").repeated(299) + u'A' << true;
    QTest::newRow("300 letters") << QStringLiteral("x").repeated(299) + u'A' << true;
    QTest::newRow("300 characters beyond the BMP") << QStringLiteral("𠀋").repeated(299) + u'A' << true;
    // 66 characters of 3 bytes are 198 bytes: under the limit, kept whole.
    QTest::newRow("66 Chinese characters") << QStringLiteral("综").repeated(66) << false;
}

void TestReportWriter::longSubjectGetsAReport() {
    QFETCH(QString, subject);
    QFETCH(bool, shortened);
    ReportFixture f;
    f.addDrawRooms(subject, T, 2);
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    for (const reports::ReportResult& r : {w.打印抽签结论(subject, T), w.打印验卷(subject, T)}) {
        QVERIFY2(r, qPrintable(failureOf(r)));
        const QString name = QFileInfo(pathOf(r)).fileName();
        QVERIFY(QFile::exists(pathOf(r)));
        QVERIFY2(QFile::encodeName(name).size() <= 255 - 7, qPrintable(name));
        QCOMPARE(QString::fromUtf8(name.toUtf8()), name); // no half of a surrogate pair
        QVERIFY(name.contains(subject.left(20)));
        QCOMPARE(name.contains(subject), !shortened);
        QCOMPARE(name.contains(QRegularExpression(QStringLiteral("~[0-9a-f]{8}）\\.htm$"))), shortened);
        QVERIFY(readReport(pathOf(r)).contains(subject));
    }
    // Another subject with the same start gets a file of its own, the same subject the same one.
    const QString sibling = subject.chopped(1) + u'B';
    f.addDrawRooms(sibling, T, 2);
    QVERIFY(pathOf(w.打印抽签结论(sibling, T)) != pathOf(w.打印抽签结论(subject, T)));
    QCOMPARE(pathOf(w.打印抽签结论(subject, T)), pathOf(w.打印抽签结论(subject, T)));
}

void TestReportWriter::databaseErrorWritesNothing() {
    ReportFixture f;
    f.addDrawRooms(QStringLiteral("语文"), T, 3);
    f.t.db->exec(QStringLiteral("drop table 抽签总表"));
    f.t.db->exec(QStringLiteral("drop table 人员安排"));
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);
    const QVector<reports::ReportResult> results{w.打印抽签结论(QStringLiteral("语文"), T),
                                                 w.打印验卷(QStringLiteral("语文"), T),
                                                 w.打印验卷(kInitialSubject, {}), w.打印基础数据()};
    for (const reports::ReportResult& r : results) {
        QVERIFY(!r);
        QVERIFY2(failureOf(r).startsWith(QStringLiteral("读取报表数据时数据库出错，报表未生成：\n")),
                 qPrintable(failureOf(r)));
    }
    QVERIFY(!QDir(f.state.MyPath + QStringLiteral("Report")).exists());
}

void TestReportWriter::unwritableTargetIsReported() {
    ReportFixture f;
    f.addDrawRooms(QStringLiteral("语文"), T, 2);
    FakeClock clock;
    ReportWriter w(*f.t.db, f.state, clock);

    QFile blocker(f.state.MyPath + QStringLiteral("Report"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    reports::ReportResult r = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY(!r);
    QVERIFY2(failureOf(r).startsWith(QStringLiteral("无法创建报表目录：")), qPrintable(failureOf(r)));

    QVERIFY(blocker.remove());
    QVERIFY(QDir().mkpath(f.reportPath(QStringLiteral("-抽签结论（语文）.htm"))));
    r = w.打印抽签结论(QStringLiteral("语文"), T);
    QVERIFY(!r);
    QVERIFY2(failureOf(r).startsWith(QStringLiteral("无法写入报表文件：")), qPrintable(failureOf(r)));
}

QTEST_GUILESS_MAIN(TestReportWriter)
#include "test_report_writer.moc"
