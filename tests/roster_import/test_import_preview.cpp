#include "roster_fixture.h"
#include "roster_import/import_files.h"
#include "roster_import/import_preview_model.h"
#include "roster_import/roster_import.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace roster_import;
using namespace roster_fixture;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(roster_import::Category)
Q_DECLARE_METATYPE(roster_import::StagedRoster)

namespace {

const QString kData = QStringLiteral(TEST_DATA_DIR "/import/");

// The site's roster of tests/data/import, staged as the import window stages it.
const StagedRoster& fixtureRoster() {
    static const StagedRoster staged = prepareRosterImport(kData + u"roster.xls"_s, Categories{}, 3);
    return staged;
}

// A roster with both kinds of error and a clean row.
StagedRoster rosterWithErrors() {
    return stageRoster(
        workbook::Workbook{
            {sheet(u"监考员"_s, {invigilatorHeader(), room(u"1"_s, u"甲一"_s, u"乙一"_s),
                                 room(u"2"_s, u"甲二"_s, QString(), u"男"_s, QString())}),
             sheet(u"验卷"_s, {singleHeader(), single(u"1"_s, QString()), single(u"2"_s, u"验卷二"_s)})}},
        workbook::Format::Xls, Categories{true, false, true}, 3);
}

// workbook::Sheet row, group, name and the row's mark (-, W, E), one line per row shown.
QStringList rows(const PreviewModel& m) {
    static const QString marks = u"-WE"_s;
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (const auto c :
             {PreviewModel::Column::SheetRow, PreviewModel::Column::Group, PreviewModel::Column::Name})
            cells << m.index(r, m.sectionOf(c)).data().toString();
        cells << marks.at(m.index(r, 0).data(PreviewModel::kMarkRole).toInt());
        out << cells.join(u'|');
    }
    return out;
}

QStringList headers(const PreviewModel& m) {
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

} // namespace

class TestImportPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Which people each tab shows, how each row is marked, and what the filter keeps.
    void tables_data() {
        QTest::addColumn<bool>("errors");
        QTest::addColumn<Category>("category");
        QTest::addColumn<bool>("problemsOnly");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown");
        // 孙八 on row 5 has no group number: shown where the sheet has him, not imported.
        const QStringList invigilators{
            u"2|007|张\u3000三|W"_s, u"2|007|欧阳修|W"_s,     u"3|234|李|W"_s,      u"3|234|王\u3000五|W"_s,
            u"4|012|赵\u3000六|-"_s, u"4|012|钱\u3000七|W"_s, u"5||孙\u3000八|W"_s, u"6|012|周\u3000九|W"_s,
            u"6|012|吴\u3000十|W"_s, u"7|012|郑十一|W"_s,     u"7|012|冯十二|W"_s};
        const QString title = u"监考员（10人，9人有问题，1人未导入）"_s;
        QTest::newRow("site roster: invigilators")
            << false << Category::Invigilator << false << title << invigilators;
        QStringList withProblems = invigilators;
        withProblems.removeAt(4);
        QTest::newRow("site roster: invigilators with problems")
            << false << Category::Invigilator << true << title << withProblems;
        QTest::newRow("site roster: outside supervisors")
            << false << Category::Outside << false << u"场外监考（3人，1人有问题）"_s
            << QStringList{u"2|001|陈\u3000一|W"_s, u"3|002|褚\u3000二|-"_s, u"5|003|卫\u3000三|-"_s};
        QTest::newRow("site roster: outside supervisors with problems")
            << false << Category::Outside << true << u"场外监考（3人，1人有问题）"_s
            << QStringList{u"2|001|陈\u3000一|W"_s};
        QTest::newRow("errors: the missing partner's row")
            << true << Category::Invigilator << false << u"监考员（4人，1人有问题）"_s
            << QStringList{u"2|001|甲\u3000一|-"_s, u"2|001|乙\u3000一|-"_s, u"3|002|甲\u3000二|-"_s,
                           u"3|002||E"_s};
        QTest::newRow("errors: an empty name")
            << true << Category::Checker << true << u"验卷（2人，1人有问题）"_s << QStringList{u"2|001||E"_s};
        QTest::newRow("errors: an unticked category is empty")
            << true << Category::Outside << false << u"场外监考（0人）"_s << QStringList{};
    }
    void tables() {
        QFETCH(bool, errors);
        QFETCH(Category, category);
        QFETCH(bool, problemsOnly);
        QFETCH(QString, title);
        QFETCH(QStringList, shown);
        PreviewModel m(errors ? rosterWithErrors() : fixtureRoster(), category);
        m.setProblemsOnly(problemsOnly);
        QCOMPARE(m.title(), title);
        QCOMPARE(rows(m), shown);
    }

    // Invigilators show their duty; the problems column says each problem, the tip one a line.
    void columnsAndProblemTexts() {
        PreviewModel invigilators(fixtureRoster(), Category::Invigilator);
        QCOMPARE(headers(invigilators),
                 (QStringList{u"行号"_s, u"分组号"_s, u"任务"_s, u"姓名"_s, u"性别"_s, u"来源单位"_s,
                              u"联系电话"_s, u"身份证号"_s, u"问题"_s}));
        const int problems = invigilators.sectionOf(PreviewModel::Column::Problems);
        QCOMPARE(invigilators.index(3, problems).data().toString(),
                 u"分组号“1234”超过3位，将存为“234”；性别“M”不是“男”或“女”"_s);
        QCOMPARE(invigilators.index(3, problems).data(Qt::ToolTipRole).toString(),
                 u"分组号“1234”超过3位，将存为“234”\n性别“M”不是“男”或“女”"_s);
        QCOMPARE(invigilators.index(4, problems).data(Qt::ToolTipRole), QVariant());
        QCOMPARE(invigilators.index(1, invigilators.sectionOf(PreviewModel::Column::Duty)).data().toString(),
                 u"乙"_s);

        PreviewModel checkers(fixtureRoster(), Category::Checker);
        QCOMPARE(checkers.sectionOf(PreviewModel::Column::Duty), -1);
        QCOMPARE(checkers.columnCount(), 8);
        QCOMPARE(checkers.index(1, checkers.sectionOf(PreviewModel::Column::Problems)).data().toString(),
                 u"与“场外监考”第5行的卫\u3000三姓名和来源单位相同"_s);
    }

    void summary_data() {
        QTest::addColumn<StagedRoster>("staged");
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("people");
        QTest::addColumn<QString>("problems");
        QTest::newRow("site roster")
            << fixtureRoster() << 0 << 15 << u"监考员5组（10人）；场外监考3人；验卷2人"_s
            << u"警告15处：分组号超长2，性别不规范2，人员重复2，分组号重复4，姓名改动4，未导入1"_s;
        QTest::newRow("errors and a warning")
            << rosterWithErrors() << 2 << 1 << u"监考员2组（4人）；验卷2人"_s
            << u"错误2处：姓名为空1，甲乙不全1；警告1处：性别不规范1"_s;
        QTest::newRow("no problems, one category ticked")
            << stageRoster(
                   workbook::Workbook{{sheet(u"场外监考"_s, {singleHeader(), single(u"1"_s, u"王小五"_s)})}},
                   workbook::Format::Csv, Categories::only(Category::Outside), 3)
            << 0 << 0 << u"场外监考1人"_s << u"未发现问题"_s;
    }
    void summary() {
        QFETCH(StagedRoster, staged);
        QFETCH(int, errors);
        QFETCH(int, warnings);
        QFETCH(QString, people);
        QFETCH(QString, problems);
        const PreviewSummary s = previewSummary(staged);
        QCOMPARE(s.errors, errors);
        QCOMPARE(s.warnings, warnings);
        QCOMPARE(s.people, people);
        QCOMPARE(s.problems, problems);
    }

    // The chooser's path and the rule of 导入数据: any format the import reads, once logged in.
    void chooser_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<bool>("enabledNow");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("xls") << u"/名单"_s << u"a.xls"_s << true << false << u"/名单/a.xls"_s << true;
        QTest::newRow("XLS in capitals")
            << u"/名单/"_s << u"A.XLS"_s << true << false << u"/名单/A.XLS"_s << true;
        QTest::newRow("xlsx") << u"C:\\名单"_s << u"a.xlsx"_s << true << false << u"C:\\名单/a.xlsx"_s
                              << true;
        QTest::newRow("csv in a drive root")
            << u"C:\\"_s << u"a.csv"_s << true << false << u"C:\\a.csv"_s << true;
        QTest::newRow("txt") << u"/名单"_s << u"a.txt"_s << true << true << u"/名单/a.txt"_s << false;
        QTest::newRow("xls backup") << u"/名单"_s << u"a.xls.bak"_s << true << true << u"/名单/a.xls.bak"_s
                                    << false;
        QTest::newRow("no file chosen") << u"/名单"_s << QString() << true << true << u"/名单/"_s << false;
        QTest::newRow("xls without login")
            << u"/名单"_s << u"a.xls"_s << false << false << u"/名单/a.xls"_s << false;
        QTest::newRow("without login the state is kept")
            << u"/名单"_s << u"a.csv"_s << false << true << u"/名单/a.csv"_s << true;
    }
    void chooser() {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(bool, loggedIn);
        QFETCH(bool, enabledNow);
        QFETCH(QString, path);
        QFETCH(bool, enabled);
        QCOMPARE(chosenPath(folder, file), path);
        QCOMPARE(importButtonEnabled(path, loggedIn, enabledNow), enabled);
    }

    void listsFoldersAndImportableFiles() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        for (const QString& sub : {u"b"_s, u"A"_s, u"名单.xls"_s})
            QVERIFY(d.mkdir(sub));
        for (const QString& name : {u"x.xls"_s, u"Y.XLSX"_s, u"z.csv"_s, u"n.txt"_s, u"w.xlsm"_s}) {
            QFile f(d.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(importableFiles(dir.path()), (QStringList{u"x.xls"_s, u"Y.XLSX"_s, u"z.csv"_s}));
        QCOMPARE(subfolderEntries(dir.path()), (QStringList{u".."_s, u"A"_s, u"b"_s, u"名单.xls"_s}));
        QCOMPARE(enterFolder(dir.path() + u"/b"_s, u".."_s), QDir::cleanPath(dir.path()));
        QVERIFY(!subfolderEntries(QDir::rootPath()).contains(u".."_s));
        QVERIFY(volumeRoots(dir.path()).contains(volumeRootOf(dir.path())));
    }
};

QTEST_GUILESS_MAIN(TestImportPreview)
#include "test_import_preview.moc"
