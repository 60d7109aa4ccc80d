#include "cli/import_command.h"
#include "roster_fixture.h"
#include "roster_import/import_texts.h"
#include "roster_import/roster_file.h"
#include "roster_import/roster_import.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace roster_import;
using namespace roster_fixture;

Q_DECLARE_METATYPE(roster_import::Categories)
Q_DECLARE_METATYPE(QVector<workbook::Sheet>)
Q_DECLARE_METATYPE(roster_import::StagedRoster::Status)

namespace {

const Categories kAll{};
const Categories kOnlyOutside{false, true, false};
const Categories kNoCheckers{true, true, false};

QVector<workbook::Sheet> fullRoster() {
    return {sheet(u"监考员"_qs, {invigilatorHeader(), room(u"1"_qs, u"甲一"_qs, u"乙一"_qs),
                                 room(u"2"_qs, u"甲二"_qs, u"乙二"_qs)}),
            sheet(u"场外监考"_qs, {singleHeader(), single(u"1"_qs, u"场外一"_qs)}),
            sheet(u"验卷"_qs, {singleHeader(), single(u"1"_qs, u"验卷一"_qs)})};
}

// Rows of the LibreOffice workbook edges.xls: a sheet's header and the rows given, numbered as
// the spreadsheet numbers them.
workbook::Sheet edgeRows(const QString& name, const QVector<int>& rows) {
    static const workbook::WorkbookContent edges =
        readRosterFile(TEST_DATA_DIR "/import/edges.xls", Categories{}.sheetNames()).content;
    const workbook::Sheet* all = edges->sheet(name);
    workbook::Sheet out{name, {all->rows.value(0)}};
    for (const int r : rows)
        out.rows << all->rows.value(r - 1);
    return out;
}

QVector<QStringList> manyRooms(int count) {
    QVector<QStringList> rows{invigilatorHeader()};
    for (int i = 1; i <= count; ++i)
        rows << room(QString::number(i), u"甲%1"_qs.arg(i), u"乙%1"_qs.arg(i));
    return rows;
}

} // namespace

class TestRosterImport : public QObject {
    Q_OBJECT

    TestDb t;
    int project = 0;
    int otherProject = 0;

    QString workbookFile(const QVector<workbook::Sheet>& sheets, const QString& name = u"roster.xls"_qs) {
        return writeFile(t.dir.filePath(name), workbookBytes(sheets));
    }

    // The roster before each import: a room, one of each duty, and a project that must never change.
    void seedRoster() {
        t.db->exec(u"delete from 人员安排"_qs);
        t.addRoom(project, u"009"_qs, u"旧甲"_qs, u"旧乙"_qs);
        t.addStaff(project, u"场外监考"_qs, u"001"_qs, u"场外监考"_qs, u"旧场外"_qs);
        t.addStaff(project, u"验卷"_qs, u"001"_qs, u"验卷"_qs, u"旧验卷"_qs);
        t.addRoom(otherProject, u"001"_qs, u"别甲"_qs, u"别乙"_qs);
    }

    QStringList namesOf(const QString& category) {
        QStringList names;
        for (const db::Row& r :
             t.db->query(u"select 姓名 from 人员安排 where 项目编号=? and 分类=? order by 编号"_qs,
                         {project, category}))
            names << db::text(r, u"姓名"_qs);
        return names;
    }

private Q_SLOTS:
    void initTestCase() {
        project = t.addProject();
        otherProject = t.addProject(u"另一考试"_qs);
        t.setCurrentProject(project);
    }
    void init() { seedRoster(); }

    // What the staging makes of the sheets: statuses, padded numbers, names, counts and the
    // problem marks of the preview.
    void staging_data() {
        QTest::addColumn<QVector<workbook::Sheet>>("sheets");
        QTest::addColumn<Categories>("ticked");
        QTest::addColumn<StagedRoster::Status>("status");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QStringList>("people");
        using S = StagedRoster::Status;
        const workbook::Sheet outsideOnly =
            sheet(u"场外监考"_qs, {singleHeader(), single(u"2"_qs, u"某人"_qs)});

        QTest::newRow("room numbers padded to 3 and cut on the left")
            << QVector<workbook::Sheet>{sheet(u"监考员"_qs,
                                              {invigilatorHeader(), room(u"7"_qs, u"张三丰"_qs, u"李四光"_qs),
                                               room(u"1234"_qs, u"王老五"_qs, u"赵小六"_qs)})}
            << Categories{true, false, false} << S::Ready << QString()
            << QStringList{u"监考员|007|甲|张三丰|"_qs, u"监考员|007|乙|李四光|"_qs,
                           u"监考员|234|甲|王老五|GroupTooLong"_qs, u"监考员|234|乙|赵小六|GroupTooLong"_qs};
        QTest::newRow("name rule: blanks, two characters, one character")
            << QVector<workbook::Sheet>{sheet(
                   u"验卷"_qs, {singleHeader(), single(u"1"_qs, u"张 三"_qs), single(u"2"_qs, u"欧阳 修"_qs),
                                single(u"3"_qs, u"李"_qs), single(u"4"_qs, u"王五"_qs)})}
            << Categories{false, false, true} << S::Ready << QString()
            << QStringList{u"验卷|001|验卷|张\u3000三|NameChanged"_qs, u"验卷|002|验卷|欧阳修|NameChanged"_qs,
                           u"验卷|003|验卷|李|"_qs, u"验卷|004|验卷|王\u3000五|"_qs};
        QTest::newRow("columns in another order")
            << QVector<workbook::Sheet>{sheet(
                   u"场外监考"_qs,
                   {{u"联系电话"_qs, u"姓名"_qs, u"身份证号"_qs, u"性别"_qs, u"来源单位"_qs, u"分组号"_qs},
                    {u"139"_qs, u"钱七"_qs, u"110101198001010071"_qs, u"女"_qs, u"四中"_qs, u"5"_qs}})}
            << kOnlyOutside << S::Ready << QString() << QStringList{u"场外监考|005|场外监考|钱\u3000七|"_qs};
        QTest::newRow("rows without a group number are left out; none left is nothing usable")
            << QVector<workbook::Sheet>{sheet(u"场外监考"_qs,
                                              {singleHeader(), single(QString(), u"某人"_qs)})}
            << kOnlyOutside << S::Empty << QString()
            << QStringList{u"场外监考||场外监考|某\u3000人|LeftOut"_qs};
        // 15 and 18 characters are ID numbers (the last may be X); 16 and 17 digits are not. A
        // unit of 100 characters is stored, one of 101 is too long.
        QTest::newRow("ID numbers and units at their limits")
            << QVector<workbook::Sheet>{sheet(
                   u"验卷"_qs,
                   {singleHeader(), single(u"1"_qs, u"甲"_qs, QString(16, u'1'), QString(100, u'单')),
                    single(u"2"_qs, u"乙"_qs, QString(17, u'1'), QString(101, u'单')),
                    single(u"3"_qs, u"丙"_qs, QString(17, u'1') + u'X'),
                    single(u"4"_qs, u"丁"_qs, QString(15, u'1'))})}
            << Categories{false, false, true} << S::Refused
            << u"工作表“验卷”第3行：来源单位有101个字符，超过100个字符的上限"_qs
            << QStringList{u"验卷|001|验卷|甲|IdNumber"_qs, u"验卷|002|验卷|乙|TooLong,IdNumber"_qs,
                           u"验卷|003|验卷|丙|"_qs, u"验卷|004|验卷|丁|"_qs};
        QTest::newRow("ID typed as a number, telephone in scientific notation")
            << QVector<workbook::Sheet>{edgeRows(u"监考员"_qs, {2})} << Categories{true, false, false}
            << S::Ready << QString()
            << QStringList{u"监考员|001|甲|孙\u3000三|IdNumber"_qs,
                           u"监考员|001|乙|李\u3000四|PhoneScientific"_qs};
        QTest::newRow("group numbers with blanks and full-width digits")
            << QVector<workbook::Sheet>{edgeRows(u"监考员"_qs, {3, 4, 5, 6, 7})}
            << Categories{true, false, false} << S::Ready << QString()
            << QStringList{u"监考员|007|甲|周\u3000五|"_qs,
                           u"监考员|007|乙|吴\u3000六|"_qs,
                           u"监考员|008|甲|郑\u3000七|"_qs,
                           u"监考员|008|乙|王\u3000八|"_qs,
                           u"监考员|009|甲|冯\u3000九|"_qs,
                           u"监考员|009|乙|陈\u3000十|"_qs,
                           u"监考员|006|甲|褚\u3000一|"_qs,
                           u"监考员|006|乙|卫\u3000二|"_qs,
                           u"监考员|7.5|甲|蒋\u3000三|GroupNotDigits"_qs,
                           u"监考员|7.5|乙|沈\u3000四|GroupNotDigits"_qs};
        QTest::newRow("rows left out: no group number, below a merged group cell")
            << QVector<workbook::Sheet>{edgeRows(u"监考员"_qs, {8, 9, 10})} << Categories{true, false, false}
            << S::Ready << QString()
            << QStringList{u"监考员||甲|韩\u3000五|LeftOut"_qs, u"监考员||乙|杨\u3000六|LeftOut"_qs,
                           u"监考员|010|甲|朱\u3000七|"_qs,     u"监考员|010|乙|秦\u3000八|"_qs,
                           u"监考员||甲|尤\u3000九|LeftOut"_qs, u"监考员||乙|许\u3000十|LeftOut"_qs};
        QTest::newRow("invisible characters in names and units")
            << QVector<workbook::Sheet>{edgeRows(u"监考员"_qs, {11, 12}), edgeRows(u"场外监考"_qs, {2})}
            << kNoCheckers << S::Ready << QString()
            << QStringList{u"监考员|011|甲|何\u3000平|Invisible,Invisible"_qs,
                           u"监考员|011|乙|吕\u3000方|Invisible"_qs, u"监考员|012|甲|施\u3000展|Invisible"_qs,
                           u"监考员|012|乙|张\u3000弛|Invisible"_qs,
                           u"场外监考|001|场外监考|名fdp.exe|Invisible"_qs};
        QTest::newRow("a name over 30 characters stops the import")
            << QVector<workbook::Sheet>{sheet(u"验卷"_qs,
                                              {singleHeader(), single(u"1"_qs, QString(31, u'长')),
                                               single(u"2"_qs, QString(30, u'长'))})}
            << Categories{false, false, true} << S::Refused
            << u"工作表“验卷”第2行：姓名有31个字符，超过30个字符的上限"_qs
            << QStringList{u"验卷|001|验卷|"_qs + QString(31, u'长') + u"|TooLong"_qs,
                           u"验卷|002|验卷|"_qs + QString(30, u'长') + u"|"_qs};
        QTest::newRow("gender, duplicates and a repeated room are warnings")
            << QVector<workbook::Sheet>{sheet(u"监考员"_qs,
                                              {invigilatorHeader(),
                                               room(u"1"_qs, u"甲一"_qs, u"乙一"_qs, u"M"_qs, u"女 "_qs),
                                               room(u"01"_qs, u"甲二"_qs, u"乙二"_qs, u"男"_qs, QString())}),
                                        sheet(u"场外监考"_qs,
                                              {singleHeader(),
                                               single(u"1"_qs, u"甲一"_qs, QString(), u"一中"_qs),
                                               single(u"2"_qs, u"甲二"_qs, u"11010119800101001X"_qs),
                                               single(u"3"_qs, u"乙三"_qs, u"11010119800101001x"_qs)})}
            << kNoCheckers << S::Ready << QString()
            << QStringList{u"监考员|001|甲|甲\u3000一|Gender"_qs,
                           u"监考员|001|乙|乙\u3000一|Gender"_qs,
                           u"监考员|001|甲|甲\u3000二|GroupRepeated"_qs,
                           u"监考员|001|乙|乙\u3000二|Gender,GroupRepeated"_qs,
                           u"场外监考|001|场外监考|甲\u3000一|DuplicatePerson"_qs,
                           u"场外监考|002|场外监考|甲\u3000二|"_qs,
                           u"场外监考|003|场外监考|乙\u3000三|DuplicatePerson"_qs};
        QTest::newRow("a room with only 监考员甲 stops the import after every row was marked")
            << QVector<workbook::Sheet>{sheet(u"监考员"_qs,
                                              {invigilatorHeader(), room(u"1"_qs, u"甲一"_qs, QString()),
                                               room(u"2"_qs, QString(), QString())})}
            << Categories{true, false, false} << S::Refused
            << u"工作表“监考员”第2行：只有监考员甲，缺监考员乙"_qs
            << QStringList{u"监考员|001|甲|甲\u3000一|"_qs, u"监考员|001|乙||GroupIncomplete"_qs,
                           u"监考员|002|甲||EmptyName"_qs, u"监考员|002|乙||EmptyName"_qs};
        QTest::newRow("missing header 监考员乙")
            << QVector<workbook::Sheet>{sheet(
                   u"监考员"_qs,
                   {QStringList(invigilatorHeader()).replaceInStrings(u"监考员乙"_qs, u"监考员丙"_qs),
                    room(u"1"_qs, u"甲一"_qs, u"乙一"_qs)})}
            << kAll << S::Refused << kMissingHeaderDetail.arg(u"监考员"_qs, u"监考员乙"_qs) << QStringList{};
        QTest::newRow("no sheet 验卷, not ticked")
            << QVector<workbook::Sheet>{outsideOnly} << kOnlyOutside << S::Ready << QString()
            << QStringList{u"场外监考|002|场外监考|某\u3000人|"_qs};
        QTest::newRow("no sheet 验卷, ticked")
            << QVector<workbook::Sheet>{outsideOnly} << Categories{false, true, true} << S::Refused
            << kMissingSheetDetail.arg(u"验卷"_qs) << QStringList{u"场外监考|002|场外监考|某\u3000人|"_qs};
    }
    void staging() {
        QFETCH(QVector<workbook::Sheet>, sheets);
        QFETCH(Categories, ticked);
        QFETCH(StagedRoster::Status, status);
        QFETCH(QString, detail);
        QFETCH(QStringList, people);
        const StagedRoster staged = prepareRosterImport(workbookFile(sheets), ticked, 3);
        QCOMPARE(summary(staged), people);
        QCOMPARE(staged.status, status);
        QCOMPARE(staged.refusal.detail, detail);
        QCOMPARE(staged.refusal.message,
                 status == StagedRoster::Status::Refused ? u"准备导入的XLS数据表不符合要求！"_qs : QString());
    }

    void atMostAThousandPeople_data() {
        QTest::addColumn<int>("rooms");
        QTest::addColumn<int>("extraCheckers");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("500 rooms") << 500 << 0 << true;
        QTest::newRow("501 rooms") << 501 << 0 << false;
        QTest::newRow("500 rooms and one paper checker") << 500 << 1 << false;
    }
    void atMostAThousandPeople() {
        QFETCH(int, rooms);
        QFETCH(int, extraCheckers);
        QFETCH(bool, accepted);
        QVector<QStringList> checkers{singleHeader()};
        for (int i = 0; i < extraCheckers; ++i)
            checkers << single(u"1"_qs, u"验卷%1"_qs.arg(i));
        const StagedRoster staged = prepareRosterImport(
            workbookFile({sheet(u"监考员"_qs, manyRooms(rooms)), sheet(u"场外监考"_qs, {singleHeader()}),
                          sheet(u"验卷"_qs, checkers)}),
            kAll, 3);
        QCOMPARE(staged.status == StagedRoster::Status::Ready, accepted);
        if (accepted)
            QCOMPARE(staged.counts.groups, 500);
        else
            QCOMPARE(staged.refusal.detail, kTooManyPeopleDetail.arg(1000));
    }

    void confirmationTextIsExact() {
        const QByteArray expected = readFile(TEST_DATA_DIR "/import/confirmation.txt");
        QCOMPARE(confirmationText(u"D:\\名单\\roster.xls"_qs, {5, 3, 0}).toUtf8(), expected);
    }

    // The ticked categories are replaced, in staging order; the others and other projects stay.
    void replacesOnlyTheTickedCategories_data() {
        QTest::addColumn<Categories>("ticked");
        QTest::addColumn<QStringList>("invigilators");
        QTest::addColumn<QStringList>("outside");
        QTest::addColumn<QStringList>("checkers");
        QTest::newRow("all") << kAll
                             << QStringList{u"甲\u3000一"_qs, u"乙\u3000一"_qs, u"甲\u3000二"_qs,
                                            u"乙\u3000二"_qs}
                             << QStringList{u"场外一"_qs} << QStringList{u"验卷一"_qs};
        QTest::newRow("only 场外监考") << kOnlyOutside << QStringList{u"旧甲"_qs, u"旧乙"_qs}
                                       << QStringList{u"场外一"_qs} << QStringList{u"旧验卷"_qs};
    }
    void replacesOnlyTheTickedCategories() {
        QFETCH(Categories, ticked);
        QFETCH(QStringList, invigilators);
        QFETCH(QStringList, outside);
        QFETCH(QStringList, checkers);
        const QStringList otherBefore = rosterDump(*t.db).filter(u"别"_qs);
        const StagedRoster staged = prepareRosterImport(workbookFile(fullRoster()), ticked, 3);
        const base::Result<QString> r = replaceRoster(*t.db, project, staged);
        QVERIFY(r);
        QCOMPARE(*r, kImportDoneText);
        QCOMPARE(namesOf(u"监考员"_qs), invigilators);
        QCOMPARE(namesOf(u"场外监考"_qs), outside);
        QCOMPARE(namesOf(u"验卷"_qs), checkers);
        QCOMPARE(rosterDump(*t.db).filter(u"别"_qs), otherBefore);
    }

    void csvReplacesOnlyItsOwnCategory() {
        const QString path = writeFile(t.dir.filePath(u"场外监考.csv"_qs),
                                       "分组号,姓名,性别,身份证号,来源单位,联系电话\n4,新人,女,,五中,\n");
        const StagedRoster unticked = prepareRosterImport(path, Categories{true, false, true}, 3);
        QCOMPARE(unticked.status, StagedRoster::Status::Refused);
        QCOMPARE(unticked.refusal.detail, u"这是“场外监考”的CSV文件，但没有勾选“场外监考”。"_qs);
        QVERIFY(replaceRoster(*t.db, project, prepareRosterImport(path, kAll, 3)));
        QCOMPARE(namesOf(u"场外监考"_qs), QStringList{u"新\u3000人"_qs});
        QCOMPARE(namesOf(u"监考员"_qs), (QStringList{u"旧甲"_qs, u"旧乙"_qs}));
        QCOMPARE(namesOf(u"验卷"_qs), QStringList{u"旧验卷"_qs});
    }

    void refusedStagingChangesNothing() {
        const QStringList before = rosterDump(*t.db);
        QVector<workbook::Sheet> sheets = fullRoster();
        sheets[0].rows[0].replaceInStrings(u"监考员乙"_qs, u"乙"_qs);
        const StagedRoster staged = prepareRosterImport(workbookFile(sheets), kAll, 3);
        QCOMPARE(staged.status, StagedRoster::Status::Refused);
        QVERIFY(!replaceRoster(*t.db, project, staged));
        QCOMPARE(rosterDump(*t.db), before);
    }

    // The engine refuses one insert half-way: the deletes and the earlier inserts are undone.
    void failureDuringInsertsLeavesTheRosterAsItWas() {
        const QStringList before = rosterDump(*t.db);
        t.failInserts(u"人员安排"_qs, u"disk full"_qs, u"new.姓名='乙\u3000二'"_qs);
        const StagedRoster staged = prepareRosterImport(workbookFile(fullRoster()), kAll, 3);
        const base::Result<QString> r = replaceRoster(*t.db, project, staged);
        t.stopFailingInserts(u"人员安排"_qs);
        QVERIFY(!r);
        QCOMPARE(r.error().message, kWriteFailedText);
        QVERIFY(r.error().detail.contains(u"disk full"_qs));
        QCOMPARE(rosterDump(*t.db), before);
    }

    // examdb import: the same checks and question on the console; 0 only when replaced.
    void importCommand_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QStringList>("outside");
        QTest::newRow("yes on the console")
            << QStringList{} << u"y\n"_qs << 0 << kImportDoneText << QStringList{u"场外一"_qs};
        QTest::newRow("no answer cancels")
            << QStringList{} << QString() << 1 << kCancelledText << QStringList{u"旧场外"_qs};
        QTest::newRow("--yes, --only 验卷") << QStringList{u"--yes"_qs, u"--only"_qs, u"验卷"_qs} << QString()
                                            << 0 << kImportDoneText << QStringList{u"旧场外"_qs};
        QTest::newRow("unknown category")
            << QStringList{u"--only=监考"_qs} << QString() << 2 << QString() << QStringList{u"旧场外"_qs};
    }
    void importCommand() {
        QFETCH(QStringList, options);
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(QString, lastLine);
        QFETCH(QStringList, outside);
        const QString file = workbookFile(fullRoster());
        QString output, errors;
        QCOMPARE(examdb(QStringList{u"import"_qs, file} + options + QStringList{t.folder()}, answer, output,
                        errors),
                 status);
        if (!lastLine.isEmpty()) {
            QVERIFY2(output.contains(u"监考员2组；场外监考1人；验卷1人\n"_qs) || options.contains(u"验卷"_qs),
                     qPrintable(output));
            QVERIFY2(output.endsWith(lastLine + u'\n'), qPrintable(output));
        }
        QCOMPARE(namesOf(u"场外监考"_qs), outside);
    }

    // Every warning of a site's workbook on the console, with its row and value, and the
    // scopes the import would clear; an incomplete room is named after the one who is there.
    void consoleNamesEveryProblem() {
        t.db->exec(u"update 人员安排 set 责任范围='009' where 项目编号=? and 分类='场外监考'"_qs, {project});
        QString output, errors;
        QCOMPARE(examdb({u"import"_qs, QStringLiteral(TEST_DATA_DIR "/import/edges.xls"), t.folder()},
                        u"n\n"_qs, output, errors),
                 1);
        const QStringList warnings = output.split(u'\n').filter(QRegularExpression(u"^(警告|错误) "_qs));
        QCOMPARE(warnings.join(u'\n') + u'\n',
                 QString::fromUtf8(readFile(TEST_DATA_DIR "/import/edges_warnings.txt")));

        QVector<workbook::Sheet> incomplete = fullRoster();
        incomplete[0].rows[2][6].clear();
        QCOMPARE(prepareRosterImport(workbookFile(incomplete), kAll, 3).problemLines().value(0),
                 u"错误 监考员 第3行 甲\u3000二：只有监考员甲，缺监考员乙"_qs);
    }

    // What a path names when it is no file; a name that is not UTF-8 as it stands.
    void pathsThatNameNoFile() {
        const QString folder = t.dir.filePath(u"名单.xls"_qs);
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(prepareRosterImport(folder, kAll, 3).refusal.detail,
                 kNotRegularFileDetail.arg(folder, u"文件夹"_qs));
        const QString fifo = t.dir.filePath(u"名单.csv"_qs);
        if (QProcess::execute(u"mkfifo"_qs, {fifo}) == 0)
            QCOMPARE(prepareRosterImport(fifo, kAll, 3).refusal.detail,
                     kNotRegularFileDetail.arg(fifo, u"命名管道（FIFO）"_qs));
        // "名单" in GBK after a UTF-8 "ä".
        QCOMPARE(cli::undecodableArgument("\xC3\xA4\xC3\xFB\xB5\xA5.xls"),
                 std::optional(u"ä\\xC3\\xFB\\xB5\\xA5.xls"_qs));
        QCOMPARE(cli::undecodableArgument("名单.xls"), std::nullopt);
    }

    void templateCommand() {
        QString output, errors;
        QCOMPARE(examdb({u"template"_qs, t.folder()}, {}, output, errors,
                        QDateTime(QDate(2009, 3, 4), QTime(5, 6, 7))),
                 0);
        QVERIFY2(output.startsWith(u"“空表_20090304050607.xls”成功创建在“"_qs +
                                   QDir::toNativeSeparators(t.folder()) + u"”！\n"_qs),
                 qPrintable(output));
        QVERIFY(QFile::exists(t.dir.filePath(u"空表_20090304050607.xls"_qs)));
        QCOMPARE(examdb({u"template"_qs, t.dir.filePath(u"no/such/folder"_qs)}, {}, output, errors), 2);
        QVERIFY2(errors.startsWith(kTemplateFailedText), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestRosterImport)
#include "test_roster_import.moc"
