#include "common/roster_rules.h"

#include <QTest>

using namespace common;

class TestRosterRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roomNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("imported");
        QTest::newRow("7 at 3") << "7" << 3 << "007"
                                << "007";
        QTest::newRow("123 at 2") << "123" << 2 << "23"
                                  << "23";
        QTest::newRow("7 at 5") << "7" << 5 << "0007"
                                << "00007";
        QTest::newRow("1234 at 3") << "1234" << 3 << "234"
                                   << "234";
        QTest::newRow("empty at 3") << "" << 3 << "000"
                                    << "000";
        QTest::newRow("width 0 keeps") << "12" << 0 << "12"
                                       << "12";
    }
    void roomNumbers() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, typed);
        QFETCH(QString, imported);
        QCOMPARE(padTypedRoomNumber(text, width), typed);
        QCOMPARE(padImportedRoomNumber(text, width), imported);
    }

    // What a person meant by a group number: blanks trimmed, full-width digits folded.
    void cleanedRoomNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<bool>("digits");
        QTest::newRow("leading blank") << u" 7"_qs << u"7"_qs << true;
        QTest::newRow("trailing blank") << u"8 "_qs << u"8"_qs << true;
        QTest::newRow("full-width digits") << u"００７"_qs << u"007"_qs << true;
        QTest::newRow("ideographic blanks") << u"\u3000８\u3000"_qs << u"8"_qs << true;
        QTest::newRow("decimal") << u"7.5"_qs << u"7.5"_qs << false;
        QTest::newRow("blank inside") << u"0 7"_qs << u"0 7"_qs << false;
    }
    void cleanedRoomNumbers() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QCOMPARE(cleanRoomNumber(typed), cleaned);
        QTEST(isDigitsOnly(cleaned), "digits");
    }

    // Texts as pasted, and what the import and the editors keep of them.
    void plainTexts_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("codes");
        QTest::newRow("no-break space") << u"王\u00A0五"_qs << u"王 五"_qs << u"U+00A0"_qs;
        QTest::newRow("tab and line breaks") << u"王\t五\r\n"_qs << u"王五"_qs << u"U+0009,U+000D,U+000A"_qs;
        QTest::newRow("zero-width characters")
            << u"\uFEFF王\u200B五\u200D"_qs << u"王五"_qs << u"U+FEFF,U+200B,U+200D"_qs;
        QTest::newRow("right-to-left override") << u"名\u202Efdp.exe"_qs << u"名fdp.exe"_qs << u"U+202E"_qs;
        QTest::newRow("isolates, twice") << u"\u2066语文\u2069\u2066"_qs << u"语文"_qs << u"U+2066,U+2069"_qs;
        QTest::newRow("ideographic space kept") << u"王\u3000五"_qs << u"王\u3000五"_qs << QString();
        QTest::newRow("outside the basic plane") << u"𠀋\u200B"_qs << u"𠀋"_qs << u"U+200B"_qs;
    }
    void plainTexts() {
        QFETCH(QString, typed);
        QTEST(plainText(typed), "plain");
        QTEST(invisibleCharacters(typed).join(u','), "codes");
    }

    void names_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("two with space") << u"张 三"_qs << u"张\u3000三"_qs;
        QTest::newRow("two plain") << u"张三"_qs << u"张\u3000三"_qs;
        QTest::newRow("three with spaces") << u"欧阳 修"_qs << u"欧阳修"_qs;
        QTest::newRow("ideographic spaces") << u"\u3000李\u3000四\u3000"_qs << u"李\u3000四"_qs;
        QTest::newRow("one character") << u"王"_qs << u"王"_qs;
        QTest::newRow("outside the basic plane") << u"𠀋"_qs << u"𠀋"_qs;
        QTest::newRow("two, one outside the basic plane") << u"王𠀋"_qs << u"王\u3000𠀋"_qs;
        QTest::newRow("only spaces") << u"  "_qs << QString();
    }
    void names() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(normaliseName(typed), stored);
    }

    void fileNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << u"语文"_qs << true;
        QTest::newRow("trailing space") << u"语文 "_qs << true;
        QTest::newRow("leading space") << u" 语文"_qs << false;
        QTest::newRow("hash and quote mark") << u"理#综'"_qs << true;
        for (const QChar c : QStringView(u"?*:<>\\/|\""))
            QTest::newRow(qPrintable(QStringLiteral("char %1").arg(c))) << (u"语"_qs + c + u"文"_qs) << false;
    }
    void fileNames() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidFileNameText(text), valid);
    }
};

QTEST_GUILESS_MAIN(TestRosterRules)
#include "test_roster_rules.moc"
