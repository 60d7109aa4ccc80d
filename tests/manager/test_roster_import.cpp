#include "manager/import_command.h"
#include "manager/import_texts.h"
#include "manager/roster_import.h"
#include "roster_fixture.h"

#include <QTest>

using namespace manager;
using namespace roster_fixture;

Q_DECLARE_METATYPE(manager::Categories)
Q_DECLARE_METATYPE(QVector<manager::Sheet>)
Q_DECLARE_METATYPE(manager::StagedRoster::Status)

namespace {

const Categories kAll{};
const Categories kOnlyOutside{false, true, false};
const Categories kNoCheckers{true, true, false};

QVector<Sheet> fullRoster() {
    return {sheet(u"监考员"_qs, {invigilatorHeader(), room(u"1"_qs, u"甲一"_qs, u"乙一"_qs),
                                 room(u"2"_qs, u"甲二"_qs, u"乙二"_qs)}),
            sheet(u"场外监考"_qs, {singleHeader(), single(u"1"_qs, u"场外一"_qs)}),
            sheet(u"验卷"_qs, {singleHeader(), single(u"1"_qs, u"验卷一"_qs)})};
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

    QString workbookFile(const QVector<Sheet>& sheets, const QString& name = u"roster.xls"_qs) {
        return writeFile(t.dir.filePath(name), workbook(sheets));
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
        QTest::addColumn<QVector<Sheet>>("sheets");
        QTest::addColumn<Categories>("ticked");
        QTest::addColumn<StagedRoster::Status>("status");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QStringList>("people");
        using S = StagedRoster::Status;
        const Sheet outsideOnly = sheet(u"场外监考"_qs, {singleHeader(), single(u"2"_qs, u"某人"_qs)});

        QTest::newRow("room numbers padded to 3 and cut on the left")
            << QVector<Sheet>{sheet(u"监考员"_qs,
                                    {invigilatorHeader(), room(u"7"_qs, u"张三丰"_qs, u"李四光"_qs),
                                     room(u"1234"_qs, u"王老五"_qs, u"赵小六"_qs)})}
            << Categories{true, false, false} << S::Ready << QString()
            << QStringList{u"监考员|007|甲|张三丰|"_qs, u"监考员|007|乙|李四光|"_qs,
                           u"监考员|234|甲|王老五|GroupTooLong"_qs, u"监考员|234|乙|赵小六|GroupTooLong"_qs};
        QTest::newRow("name rule: blanks, two characters, one character")
            << QVector<Sheet>{sheet(u"验卷"_qs, {singleHeader(), single(u"1"_qs, u"张 三"_qs),
                                                 single(u"2"_qs, u"欧阳 修"_qs), single(u"3"_qs, u"李"_qs),
                                                 single(u"4"_qs, u"王五"_qs)})}
            << Categories{false, false, true} << S::Ready << QString()
            << QStringList{u"验卷|001|验卷|张\u3000三|NameChanged"_qs, u"验卷|002|验卷|欧阳修|NameChanged"_qs,
                           u"验卷|003|验卷|李|"_qs, u"验卷|004|验卷|王\u3000五|"_qs};
        QTest::newRow("columns in another order")
            << QVector<Sheet>{sheet(
                   u"场外监考"_qs,
                   {{u"联系电话"_qs, u"姓名"_qs, u"身份证号"_qs, u"性别"_qs, u"来源单位"_qs, u"分组号"_qs},
                    {u"139"_qs, u"钱七"_qs, u"ID7"_qs, u"女"_qs, u"四中"_qs, u"5"_qs}})}
            << kOnlyOutside << S::Ready << QString() << QStringList{u"场外监考|005|场外监考|钱\u3000七|"_qs};
        QTest::newRow("rows without a group number are skipped; none left is nothing usable")
            << QVector<Sheet>{sheet(u"场外监考"_qs, {singleHeader(), single(QString(), u"某人"_qs)})}
            << kOnlyOutside << S::Empty << QString() << QStringList{};
        QTest::newRow("gender, duplicates and a repeated room are warnings")
            << QVector<Sheet>{sheet(u"监考员"_qs,
                                    {invigilatorHeader(),
                                     room(u"1"_qs, u"甲一"_qs, u"乙一"_qs, u"M"_qs, u"女 "_qs),
                                     room(u"01"_qs, u"甲二"_qs, u"乙二"_qs, u"男"_qs, QString())}),
                              sheet(u"场外监考"_qs,
                                    {singleHeader(), single(u"1"_qs, u"甲一"_qs, QString(), u"一中"_qs),
                                     single(u"2"_qs, u"甲二"_qs, u"X1"_qs),
                                     single(u"3"_qs, u"乙三"_qs, u"x1"_qs)})}
            << kNoCheckers << S::Ready << QString()
            << QStringList{u"监考员|001|甲|甲\u3000一|Gender"_qs,
                           u"监考员|001|乙|乙\u3000一|Gender"_qs,
                           u"监考员|001|甲|甲\u3000二|GroupRepeated"_qs,
                           u"监考员|001|乙|乙\u3000二|Gender,GroupRepeated"_qs,
                           u"场外监考|001|场外监考|甲\u3000一|DuplicatePerson"_qs,
                           u"场外监考|002|场外监考|甲\u3000二|"_qs,
                           u"场外监考|003|场外监考|乙\u3000三|DuplicatePerson"_qs};
        QTest::newRow("a room with only 监考员甲 stops the import after every row was marked")
            << QVector<Sheet>{sheet(u"监考员"_qs, {invigilatorHeader(), room(u"1"_qs, u"甲一"_qs, QString()),
                                                   room(u"2"_qs, QString(), QString())})}
            << Categories{true, false, false} << S::Refused
            << u"工作表“监考员”第2行：只有监考员甲，缺监考员乙"_qs
            << QStringList{u"监考员|001|甲|甲\u3000一|"_qs, u"监考员|001|乙||GroupIncomplete"_qs,
                           u"监考员|002|甲||EmptyName"_qs, u"监考员|002|乙||EmptyName"_qs};
        QTest::newRow("missing header 监考员乙")
            << QVector<Sheet>{sheet(
                   u"监考员"_qs,
                   {QStringList(invigilatorHeader()).replaceInStrings(u"监考员乙"_qs, u"监考员丙"_qs),
                    room(u"1"_qs, u"甲一"_qs, u"乙一"_qs)})}
            << kAll << S::Refused << kMissingHeaderDetail.arg(u"监考员"_qs, u"监考员乙"_qs) << QStringList{};
        QTest::newRow("no sheet 验卷, not ticked")
            << QVector<Sheet>{outsideOnly} << kOnlyOutside << S::Ready << QString()
            << QStringList{u"场外监考|002|场外监考|某\u3000人|"_qs};
        QTest::newRow("no sheet 验卷, ticked")
            << QVector<Sheet>{outsideOnly} << Categories{false, true, true} << S::Refused
            << kMissingSheetDetail.arg(u"验卷"_qs) << QStringList{u"场外监考|002|场外监考|某\u3000人|"_qs};
    }
    void staging() {
        QFETCH(QVector<Sheet>, sheets);
        QFETCH(Categories, ticked);
        QFETCH(StagedRoster::Status, status);
        QFETCH(QString, detail);
        QFETCH(QStringList, people);
        const StagedRoster staged = prepareRosterImport(workbookFile(sheets), ticked, 3);
        QCOMPARE(summary(staged), people);
        QCOMPARE(staged.status, status);
        QCOMPARE(staged.detail, detail);
        QCOMPARE(staged.message, status == StagedRoster::Status::Refused
                                     ? u"准备导入的XLS数据表不符合要求！"_qs
                                 : status == StagedRoster::Status::Empty ? kNothingUsableText
                                                                         : QString());
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
            QCOMPARE(staged.detail, kTooManyPeopleDetail.arg(1000));
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
        const ImportResult r = replaceRoster(*t.db, project, staged);
        QVERIFY(r.ok);
        QCOMPARE(r.message, kImportDoneText);
        QCOMPARE(namesOf(u"监考员"_qs), invigilators);
        QCOMPARE(namesOf(u"场外监考"_qs), outside);
        QCOMPARE(namesOf(u"验卷"_qs), checkers);
        QCOMPARE(rosterDump(*t.db).filter(u"别"_qs), otherBefore);
    }

    void csvReplacesOnlyItsOwnCategory() {
        const QString path = writeFile(t.dir.filePath(u"场外监考.csv"_qs),
                                       "分组号,姓名,性别,身份证号,来源单位,联系电话\n4,新人,女,,五中,\n");
        const ImportResult r = replaceRoster(*t.db, project, prepareRosterImport(path, kAll, 3));
        QVERIFY(r.ok);
        QCOMPARE(namesOf(u"场外监考"_qs), QStringList{u"新\u3000人"_qs});
        QCOMPARE(namesOf(u"监考员"_qs), (QStringList{u"旧甲"_qs, u"旧乙"_qs}));
        QCOMPARE(namesOf(u"验卷"_qs), QStringList{u"旧验卷"_qs});
    }

    void refusedStagingChangesNothing() {
        const QStringList before = rosterDump(*t.db);
        QVector<Sheet> sheets = fullRoster();
        sheets[0].rows[0].replaceInStrings(u"监考员乙"_qs, u"乙"_qs);
        const StagedRoster staged = prepareRosterImport(workbookFile(sheets), kAll, 3);
        QCOMPARE(staged.status, StagedRoster::Status::Refused);
        QVERIFY(!replaceRoster(*t.db, project, staged).ok);
        QCOMPARE(rosterDump(*t.db), before);
    }

    // The engine refuses one insert half-way: the deletes and the earlier inserts are undone.
    void failureDuringInsertsLeavesTheRosterAsItWas() {
        const QStringList before = rosterDump(*t.db);
        t.db->exec(u"create trigger refuse before insert on 人员安排 when new.姓名='乙\u3000二' "
                   u"begin select raise(abort, 'disk full'); end"_qs);
        const StagedRoster staged = prepareRosterImport(workbookFile(fullRoster()), kAll, 3);
        const ImportResult r = replaceRoster(*t.db, project, staged);
        t.db->exec(u"drop trigger refuse"_qs);
        QVERIFY(!r.ok);
        QCOMPARE(r.message, kWriteFailedText);
        QVERIFY(r.detail.contains(u"disk full"_qs));
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
        QString input = answer, output, errors;
        QTextStream in(&input), out(&output), err(&errors);
        QCOMPARE(
            runImportCommand(QStringList{file} + options + QStringList{t.folder()}, QString(), in, out, err),
            status);
        out.flush();
        err.flush();
        if (!lastLine.isEmpty()) {
            QVERIFY2(output.contains(u"监考员2组；场外监考1人；验卷1人\n"_qs) || options.contains(u"验卷"_qs),
                     qPrintable(output));
            QVERIFY2(output.endsWith(lastLine + u'\n'), qPrintable(output));
        }
        QCOMPARE(namesOf(u"场外监考"_qs), outside);
    }

    void templateCommand() {
        QString output, errors;
        QTextStream out(&output), err(&errors);
        QCOMPARE(runTemplateCommand({t.folder()}, QString(), QDateTime(QDate(2009, 3, 4), QTime(5, 6, 7)),
                                    out, err),
                 0);
        out.flush();
        QVERIFY(output.startsWith(u"“空表_20090304050607.xls”成功创建在程序安装目录！\n"_qs));
        QVERIFY(QFile::exists(t.dir.filePath(u"空表_20090304050607.xls"_qs)));
        QCOMPARE(runTemplateCommand({t.dir.filePath(u"no/such/folder"_qs)}, QString(),
                                    QDateTime::currentDateTime(), out, err),
                 1);
        err.flush();
        QCOMPARE(errors.trimmed(), kTemplateFailedText);
    }
};

QTEST_GUILESS_MAIN(TestRosterImport)
#include "test_roster_import.moc"
