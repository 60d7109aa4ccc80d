#include "common/check_text_in.h"
#include "reports/report_html.h"
#include "reports/report_writer.h"

#include <QtTest>

using namespace common;
using namespace reports;

class TestReportHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowHeight_data();
    void rowHeight();
    void roomInScope_data();
    void roomInScope();
    void parameters_data();
    void parameters();
    void cells();
    void htmlText_data();
    void htmlText();
    void safeFileName_data();
    void safeFileName();
};

void TestReportHelpers::rowHeight_data() {
    QTest::addColumn<int>("rowsPerPage");
    QTest::addColumn<int>("height");
    QTest::newRow("40") << 40 << 18;
    QTest::newRow("36") << 36 << 18;
    QTest::newRow("35") << 35 << 24;
    QTest::newRow("31") << 31 << 24;
    QTest::newRow("30") << 30 << 28;
    QTest::newRow("26") << 26 << 28;
    QTest::newRow("25") << 25 << 34;
    QTest::newRow("21") << 21 << 34;
    QTest::newRow("20") << 20 << 45;
    QTest::newRow("15") << 15 << 45;
    QTest::newRow("0") << 0 << 45;
    QTest::newRow("negative") << -4 << 45;
}

void TestReportHelpers::rowHeight() {
    QFETCH(int, rowsPerPage);
    QFETCH(int, height);
    QCOMPARE(reports::rowHeight(rowsPerPage), height);
}

// The reports ask whether a room is in a scope with mode 3 and ",".
void TestReportHelpers::roomInScope_data() {
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("scope");
    QTest::addColumn<bool>("in");
    QTest::newRow("blank before item, trailing comma") << "3"
                                                       << "1,2, 3," << true;
    QTest::newRow("digits of longer numbers") << "3"
                                              << "13,23" << false;
    QTest::newRow("empty scope") << "3"
                                 << "" << false;
    QTest::newRow("1 is not 01") << "1"
                                 << "01" << false;
    QTest::newRow("1 is not 11") << "1"
                                 << "11,01" << false;
    QTest::newRow("01 is not 1") << "01"
                                 << "1, 11" << false;
    QTest::newRow("blank after comma") << "2"
                                       << "1, 2" << true;
    QTest::newRow("padded rooms") << "002"
                                  << "001,002,003" << true;
}

void TestReportHelpers::roomInScope() {
    QFETCH(QString, room);
    QFETCH(QString, scope);
    QFETCH(bool, in);
    QCOMPARE(CheckTextIN(room, scope, QStringLiteral(","), 3), in);

    // The same answer decides who covers the room in a report.
    QVector<RoomLine> rooms(1);
    rooms[0].room = room;
    assignDuties(rooms, {{QStringLiteral("01"), QStringLiteral("周外"), scope, QStringLiteral("场外监考")}});
    QCOMPARE(rooms[0].supervisor == QStringLiteral("周外"), in);
}

void TestReportHelpers::parameters_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("2101010") << "2101010"
                             << "参数：①.抽签模式:只抽甲不动乙；②.重回考室:√；③.再搭档:×；④.异性组合:√；"
                                "⑤.异校组合:×；⑥.抽场外:√；⑦.抽验卷:×；";
    QTest::newRow("1000010") << "1000010"
                             << "参数：①.抽签模式:只抽乙不动甲；②.重回考室:×；③.再搭档:×；④.异性组合:×；"
                                "⑤.异校组合:×；⑥.抽场外:√；⑦.抽验卷:×；";
    QTest::newRow("0111111") << "0111111"
                             << "参数：①.抽签模式:甲乙独立抽签；②.重回考室:√；③.再搭档:√；④.异性组合:√；"
                                "⑤.异校组合:√；⑥.抽场外:√；⑦.抽验卷:√；";
    QTest::newRow("short") << "21"
                           << "参数：①.抽签模式:只抽甲不动乙；②.重回考室:√；③.再搭档:×；④.异性组合:×；"
                              "⑤.异校组合:×；⑥.抽场外:×；⑦.抽验卷:×；";
    QTest::newRow("empty") << ""
                           << "参数：①.抽签模式:甲乙独立抽签；②.重回考室:×；③.再搭档:×；④.异性组合:×；"
                              "⑤.异校组合:×；⑥.抽场外:×；⑦.抽验卷:×；";
    QTest::newRow("grey boxes count as not ticked")
        << "0222222"
        << "参数：①.抽签模式:甲乙独立抽签；②.重回考室:×；③.再搭档:×；"
           "④.异性组合:×；⑤.异校组合:×；⑥.抽场外:×；⑦.抽验卷:×；";
    QTest::newRow("unknown mode") << "9111111"
                                  << "参数：①.抽签模式:甲乙独立抽签；②.重回考室:√；③.再搭档:√；④.异性组合:√；"
                                     "⑤.异校组合:√；⑥.抽场外:√；⑦.抽验卷:√；";
}

void TestReportHelpers::parameters() {
    QFETCH(QString, code);
    QFETCH(QString, text);
    QCOMPARE(parameterText(code), text);
}

void TestReportHelpers::cells() {
    QCOMPARE(reports::ChkNull(QString()), QStringLiteral("&nbsp;"));
    QCOMPARE(reports::ChkNull(QStringLiteral("0")), QStringLiteral("0"));
    const QString open = QStringLiteral(
        "<td style='BORDER-right: rgb(100,100,100) 1px groove; BORDER-bottom: rgb(100,100,100) 1px groove'>");
    QCOMPARE(reports::dataCell(QStringLiteral("A&B <i>")), open + QStringLiteral("A&amp;B &lt;i&gt;</td>"));
    QCOMPARE(reports::dataCell(QStringLiteral("O'Hara \"Jr\"")), open + QStringLiteral("O'Hara \"Jr\"</td>"));
    QCOMPARE(
        reports::spanHeaderCell(QStringLiteral("rowspan='2'"), QStringLiteral("考场")),
        QStringLiteral("<td rowspan='2' style='BORDER-right: rgb(100,100,100) 1px groove; BORDER-bottom: "
                       "rgb(100,100,100) 1px groove'>考场</td>"));
}

void TestReportHelpers::htmlText_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("markup");
    QTest::newRow("markup signs") << "A&B <i>"
                                  << "A&amp;B &lt;i&gt;";
    QTest::newRow("NUL, bell, escape, DEL") << QStringLiteral("张\u0000三\u0007\u001b[0m\u007f") << "张三[0m";
    QTest::newRow("C1 control") << QStringLiteral("李\u0085四\u009b") << "李四";
    QTest::newRow("tab, CR and LF stay") << "王\t五\r\n"
                                         << "王\t五\r\n";
    QTest::newRow("unicode beyond the BMP") << "𠀋明"
                                            << "𠀋明";
}

void TestReportHelpers::htmlText() {
    QFETCH(QString, value);
    QFETCH(QString, markup);
    QCOMPARE(reports::htmlText(value), markup);
}

void TestReportHelpers::safeFileName_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "语文"
                           << "语文";
    QTest::newRow("every forbidden sign") << "a\\b/c:d*e?f\"g<h>i|j"
                                          << "a_b_c_d_e_f_g_h_i_j";
    QTest::newRow("control characters") << "英语\t听力\n"
                                        << "英语_听力_";
    QTest::newRow("NUL and escape left out") << QStringLiteral("物\u0000理\u001b") << "物理";
    QTest::newRow("kept as they are") << "理#综 (A)'1'.x"
                                      << "理#综 (A)'1'.x";
}

void TestReportHelpers::safeFileName() {
    QFETCH(QString, subject);
    QFETCH(QString, name);
    QCOMPARE(reports::safeFileName(subject), name);
}

QTEST_GUILESS_MAIN(TestReportHelpers)
#include "test_report_helpers.moc"
