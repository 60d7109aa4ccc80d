#include "controls.h"
#include "fake_dialogs.h"
#include "roster_fixture.h"
#include "roster_import/import_texts.h"
#include "roster_import/roster_import.h"
#include "roster_import/ui/import_window.h"
#include "test_db.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace roster_import;
using namespace roster_import::ui;
using namespace roster_fixture;
using namespace Qt::StringLiterals;

namespace {

// The import window's controls, as the operator meets them.
struct ImportControls {
    const Frm数据导入& w;
    QLabel* examLabel = control<QLabel>(&w, u"Label7"_s);
    QLabel* noticeLabel = control<QLabel>(&w, u"Label1"_s);
    QLineEdit* Txt目录 = control<QLineEdit>(&w, u"Txt目录"_s);
    QListWidget* folderList = control<QListWidget>(&w, u"Dir1"_s);
    QListWidget* fileList = control<QListWidget>(&w, u"File1"_s);
    QCheckBox* invigilatorsBox = control<QCheckBox>(&w, u"Check1"_s);
    QCheckBox* outsideBox = control<QCheckBox>(&w, u"Check2"_s);
    QCheckBox* checkersBox = control<QCheckBox>(&w, u"Check3"_s);
    QPushButton* importButton = control<QPushButton>(&w, u"Command1"_s);
    QPushButton* templateButton = control<QPushButton>(&w, u"Command2"_s);
    explicit ImportControls(const Frm数据导入& window) : w(window) {}
};

const QString kData = QStringLiteral(TEST_DATA_DIR "/import/");

// A project with a roster, the site's files in <program folder>/名单, and the run state of a
// logged-in operator with room numbers of three digits.
struct ImportFixture {
    TestDb t;
    int project = t.addProject(u"2026年<b>高考</b>"_s, u"第一考点"_s);
    common::RunState state = t.runState(project);
    FakeServices fs;
    QString folder = t.dir.filePath(u"名单"_s);
    QStringList previewTabs; // the tabs of every preview shown

    ImportFixture() {
        t.setCurrentProject(project);
        state.project.roomDigits = 3;
        state.project.examName = u"2026年<b>高考</b>"_s;
        state.project.siteName = u"第一考点"_s;
        t.addRoom(project, u"009"_s, u"旧甲"_s, u"旧乙"_s);
        t.addStaff(project, u"场外监考"_s, u"001"_s, u"场外监考"_s, u"旧场外"_s);
        t.addStaff(project, u"验卷"_s, u"001"_s, u"验卷"_s, u"旧验卷"_s);
        t.addRoom(project + 1, u"001"_s, u"别甲"_s, u"别乙"_s);

        QDir(t.folder()).mkdir(u"名单"_s);
        for (const QString& name : {u"roster.xls"_s, u"roster.xlsx"_s, u"roster_场外监考.csv"_s})
            QFile::copy(kData + name, file(name));
        writeFile(file(u"ROSTER2.XLS"_s), readFile(kData + u"roster.xls"_s));
        writeFile(file(u"notes.txt"_s), "not a roster");
        writeFile(file(u"damaged.xls"_s), QByteArray(4096, '\x5a'));
        writeFile(file(u"empty.xls"_s), workbookBytes({sheet(u"监考员"_s, {invigilatorHeader()}),
                                                       sheet(u"场外监考"_s, {singleHeader()}),
                                                       sheet(u"验卷"_s, {singleHeader()})}));
        writeFile(
            file(u"no_groups.xls"_s),
            workbookBytes({sheet(u"监考员"_s, {invigilatorHeader(), room(QString(), u"甲一"_s, u"乙一"_s)}),
                           sheet(u"场外监考"_s, {singleHeader()}), sheet(u"验卷"_s, {singleHeader()})}));
        writeFile(file(u"errors.xls"_s),
                  workbookBytes({sheet(u"监考员"_s, {invigilatorHeader(), room(u"1"_s, u"甲一"_s, u"乙一"_s),
                                                     room(u"2"_s, u"甲二"_s, QString())}),
                                 sheet(u"场外监考"_s, {singleHeader(), single(u"1"_s, u"场外一"_s)}),
                                 sheet(u"验卷"_s, {singleHeader()})}));
        fs.dialogs.handlers[u"Frm导入预览"_s] = [this](QDialog& d) {
            const QTabWidget* tabs = control<QTabWidget>(&d, u"Tab分类"_s);
            for (int i = 0; i < tabs->count(); ++i)
                previewTabs << tabs->tabText(i);
            control<QPushButton>(&d, previewAnswer ? u"Cmd继续"_s : u"Cmd取消"_s)->click();
            return d.result();
        };
    }
    bool previewAnswer = true;

    QString file(const QString& name) const { return folder + u'/' + name; }

    // The window on the names folder with `name` chosen in its file list.
    void choose(Frm数据导入& w, const QString& name) {
        w.显示目录(folder);
        QListWidget* files = control<QListWidget>(&w, u"File1"_s);
        const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(name));
        files->setCurrentItem(found.front());
    }

    QStringList roster() const {
        QStringList out;
        for (const db::Row& r :
             t.db->query(u"select 分类, 分组号, 工作任务, 姓名 from 人员安排 where 项目编号=? "
                         u"order by 编号"_s,
                         {project}))
            out << QStringList{db::text(r, u"分类"_s), db::text(r, u"分组号"_s), db::text(r, u"工作任务"_s),
                               db::text(r, u"姓名"_s)}
                       .join(u'|');
        return out;
    }
};

// "I:" information, "C:" critical, "Q:" a Yes/No question; a text ending in "…" is a beginning.
QStringList said(const FakePrompter& p) {
    QStringList out;
    for (const FakePrompter::Said& s : p.said) {
        const QString kind = s.question                                   ? u"Q:"_s
                             : s.icon == common::Prompter::Icon::Critical ? u"C:"_s
                                                                          : u"I:"_s;
        out << kind + s.text;
    }
    return out;
}

void compareSaid(const QStringList& actual, const QStringList& expected) {
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        if (expected[i].endsWith(u'…'))
            QVERIFY2(actual[i].startsWith(expected[i].chopped(1)), qPrintable(actual[i]));
        else
            QCOMPARE(actual[i], expected[i]);
    }
}

const QStringList kOldRoster{u"监考员|009|甲|旧甲"_s, u"监考员|009|乙|旧乙"_s,
                             u"场外监考|001|场外监考|旧场外"_s, u"验卷|001|验卷|旧验卷"_s};

} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensInTheProgramFolder() {
        ImportFixture f;
        Frm数据导入 w(f.state, f.fs.services);
        const ImportControls c(w);
        QCOMPARE(w.windowTitle(), u"数据导入"_s);
        QCOMPARE(c.examLabel->text(), u"2026年<b>高考</b>\n第一考点"_s);
        QCOMPARE(c.examLabel->textFormat(), Qt::PlainText);
        QCOMPARE(c.noticeLabel->text(), kImportNoticeText);
        QVERIFY(c.invigilatorsBox->isChecked() && c.outsideBox->isChecked() && c.checkersBox->isChecked());
        QVERIFY(!c.importButton->isEnabled());
        QCOMPARE(QDir(c.Txt目录->text()), QDir(f.t.folder()));
        QCOMPARE(c.folderList->item(0)->text(), u".."_s);
        QVERIFY(!c.folderList->findItems(u"名单"_s, Qt::MatchExactly).isEmpty());
        QCOMPARE(c.fileList->count(), 0);

        // Entering the names folder lists what the import reads, and nothing is chosen yet.
        Q_EMIT c.folderList->itemActivated(c.folderList->findItems(u"名单"_s, Qt::MatchExactly).front());
        QStringList files;
        for (int i = 0; i < c.fileList->count(); ++i)
            files << c.fileList->item(i)->text();
        QCOMPARE(files, (QStringList{u"damaged.xls"_s, u"empty.xls"_s, u"errors.xls"_s, u"no_groups.xls"_s,
                                     u"roster.xls"_s, u"roster.xlsx"_s, u"ROSTER2.XLS"_s,
                                     u"roster_场外监考.csv"_s}));
        QVERIFY(!c.importButton->isEnabled());

        // A chosen file is dropped when the folder changes.
        f.choose(w, u"roster.xls"_s);
        QVERIFY(c.importButton->isEnabled());
        Q_EMIT c.folderList->itemActivated(c.folderList->item(0));
        QCOMPARE(QDir(c.Txt目录->text()), QDir(f.t.folder()));
        QVERIFY(!c.importButton->isEnabled());
    }

    void enabling_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<bool>("enabled");
        for (const QString& file :
             {u"roster.xls"_s, u"ROSTER2.XLS"_s, u"roster.xlsx"_s, u"roster_场外监考.csv"_s}) {
            QTest::addRow("%s logged in", qPrintable(file)) << file << true << true;
            QTest::addRow("%s without login", qPrintable(file)) << file << false << false;
        }
    }
    void enabling() {
        QFETCH(QString, file);
        QFETCH(bool, loggedIn);
        QFETCH(bool, enabled);
        ImportFixture f;
        f.state.LoginSucceeded = loggedIn;
        Frm数据导入 w(f.state, f.fs.services);
        const ImportControls c(w);
        f.choose(w, file);
        QCOMPARE(c.importButton->isEnabled(), enabled);
    }

    // The whole import as the operator meets it: the messages in order, the preview's tabs,
    // and the roster afterwards.
    void import_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("fault"); // "write": the inserts fail
        QTest::addColumn<bool>("previewAnswer");
        QTest::addColumn<QVector<bool>>("answers");
        QTest::addColumn<QStringList>("previewTabs");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("roster");

        const QString xls = u"名单/roster.xls"_s;
        const QStringList allTabs{u"监考员（10人，9人有问题，1人未导入）"_s, u"场外监考（3人，1人有问题）"_s,
                                  u"验卷（2人，2人有问题）"_s};
        const QStringList newRoster{u"监考员|007|甲|张\u3000三"_s,
                                    u"监考员|007|乙|欧阳修"_s,
                                    u"监考员|234|甲|李"_s,
                                    u"监考员|234|乙|王\u3000五"_s,
                                    u"监考员|012|甲|赵\u3000六"_s,
                                    u"监考员|012|乙|钱\u3000七"_s,
                                    u"监考员|012|甲|周\u3000九"_s,
                                    u"监考员|012|乙|吴\u3000十"_s,
                                    u"监考员|012|甲|郑十一"_s,
                                    u"监考员|012|乙|冯十二"_s,
                                    u"场外监考|001|场外监考|陈\u3000一"_s,
                                    u"场外监考|002|场外监考|褚\u3000二"_s,
                                    u"场外监考|003|场外监考|卫\u3000三"_s,
                                    u"验卷|001|验卷|蒋\u3000四"_s,
                                    u"验卷|002|验卷|卫\u3000三"_s};
        const QString done = u"I:"_s + kImportDoneText;
        const QString cancelled = u"I:"_s + kCancelledText;

        QTest::newRow("accepted") << xls << u"111"_s << false << QString() << true << QVector<bool>{true}
                                  << allTabs << QStringList{u"Q:{5,3,2}"_s, done} << newRoster;
        QTest::newRow("preview cancelled")
            << xls << u"111"_s << false << QString() << false << QVector<bool>{true} << allTabs
            << QStringList{cancelled} << kOldRoster;
        QTest::newRow("question answered No")
            << xls << u"111"_s << false << QString() << true << QVector<bool>{false} << allTabs
            << QStringList{u"Q:{5,3,2}"_s, cancelled} << kOldRoster;
        QTest::newRow("only outside supervisors ticked")
            << xls << u"010"_s << false << QString() << true << QVector<bool>{true}
            << QStringList{u"场外监考（3人，1人有问题）"_s} << QStringList{u"Q:{0,3,0}"_s, done}
            << (kOldRoster.mid(0, 2) + kOldRoster.mid(3) + newRoster.mid(10, 3));
        QTest::newRow("xlsx") << u"名单/roster.xlsx"_s << u"111"_s << false << QString() << true
                              << QVector<bool>{true} << allTabs << QStringList{u"Q:{5,3,2}"_s, done}
                              << newRoster;
        QTest::newRow("csv replaces its own category")
            << u"名单/roster_场外监考.csv"_s << u"111"_s << false << QString() << true << QVector<bool>{true}
            << QStringList{u"场外监考（3人，1人有问题）"_s} << QStringList{u"Q:{0,3,0}"_s, done}
            << (kOldRoster.mid(0, 2) + kOldRoster.mid(3) + newRoster.mid(10, 3));
        QTest::newRow("error rows: preview to close, then the refusal")
            << u"名单/errors.xls"_s << u"111"_s << false << QString() << true << QVector<bool>{true}
            << QStringList{u"监考员（4人，1人有问题）"_s, u"场外监考（1人）"_s, u"验卷（0人）"_s}
            << QStringList{u"C:准备导入的XLS数据表不符合要求！\n工作表“监考员”第3行：只有监考员甲，缺监考员乙"_s}
            << kOldRoster;
        QTest::newRow("damaged file")
            << u"名单/damaged.xls"_s << u"111"_s << false << QString() << true << QVector<bool>{true}
            << QStringList{}
            << QStringList{u"C:准备导入的XLS数据表不符合要求！\n"_s + workbook::kNotXlsDetail} << kOldRoster;
        QTest::newRow("nothing usable")
            << u"名单/empty.xls"_s << u"111"_s << false << QString() << true << QVector<bool>{true}
            << QStringList{} << QStringList{u"I:"_s + kNothingUsableText} << kOldRoster;
        QTest::newRow("only rows without a group number: they are shown, then nothing usable")
            << u"名单/no_groups.xls"_s << u"111"_s << false << QString() << true << QVector<bool>{true}
            << QStringList{u"监考员（0人，2人未导入）"_s, u"场外监考（0人）"_s, u"验卷（0人）"_s}
            << QStringList{u"I:"_s + kNothingUsableText} << kOldRoster;
        // The file is gone before the click: a read-only run must not even look for it.
        QTest::newRow("read-only database")
            << u"名单/gone.xls"_s << u"111"_s << true << QString() << true << QVector<bool>{true}
            << QStringList{} << QStringList{u"C:"_s + common::readOnlyWriteText()} << kOldRoster;
        QTest::newRow("write fails: rolled back")
            << xls << u"111"_s << false << u"write"_s << true << QVector<bool>{true} << allTabs
            << QStringList{u"Q:{5,3,2}"_s, u"C:"_s + kWriteFailedText + u"\n…"_s} << kOldRoster;
    }
    void import() {
        QFETCH(QString, file);
        QFETCH(QString, ticked);
        QFETCH(bool, readOnly);
        QFETCH(QString, fault);
        QFETCH(bool, previewAnswer);
        QFETCH(QVector<bool>, answers);
        QFETCH(QStringList, previewTabs);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, roster);
        ImportFixture f;
        const QString path = f.t.dir.filePath(file);
        if (!QFile::exists(path))
            writeFile(path, readFile(kData + u"roster.xls"_s));
        if (fault == u"write"_s)
            f.t.failInserts(u"人员安排"_s, u"磁盘已满"_s);
        f.previewAnswer = previewAnswer;
        f.fs.prompter.answers = answers;
        Frm数据导入 w(f.state, f.fs.services);
        const ImportControls c(w);
        f.choose(w, QFileInfo(path).fileName());
        QFile::remove(f.file(u"gone.xls"_s));
        f.state.ZD = readOnly;
        c.invigilatorsBox->setChecked(ticked[0] == u'1');
        c.outsideBox->setChecked(ticked[1] == u'1');
        c.checkersBox->setChecked(ticked[2] == u'1');

        c.importButton->click();

        for (QString& m : messages) {
            if (m.startsWith(u"Q:{"_s)) {
                const QStringList n = m.mid(3, m.size() - 4).split(u',');
                m = u"Q:"_s + confirmationText(QDir::toNativeSeparators(path),
                                               {n[0].toInt(), n[1].toInt(), n[2].toInt()});
            }
        }
        compareSaid(said(f.fs.prompter), messages);
        QCOMPARE(f.previewTabs, previewTabs);
        QCOMPARE(f.roster(), roster);
        QCOMPARE(f.t.db->scalar(u"select count(*) from 人员安排 where 项目编号=?"_s, {f.project + 1}).toInt(),
                 2);
    }

    // No login and no read-only check: the database is not touched.
    void templateButton_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("message");
        QTest::newRow("program folder") << true << u"I:“空表_20090304050607.xls”成功创建在程序安装目录！"_s;
        QTest::newRow("folder gone") << false << u"C:"_s + kTemplateFailedText;
    }
    void templateButton() {
        QFETCH(bool, writable);
        QFETCH(QString, message);
        ImportFixture f;
        f.state.LoginSucceeded = false;
        f.state.ZD = true;
        f.fs.clock.t = QDateTime(QDate(2009, 3, 4), QTime(5, 6, 7));
        Frm数据导入 w(f.state, f.fs.services);
        const ImportControls c(w);
        if (!writable)
            f.state.MyPath = f.t.folder() + u"/gone/"_s;
        c.templateButton->click();
        QCOMPARE(said(f.fs.prompter), QStringList{message});
        const QString made = f.t.dir.filePath(u"空表_20090304050607.xls"_s);
        QCOMPARE(QFile::exists(made), writable);
        QCOMPARE(c.fileList->findItems(u"空表_20090304050607.xls"_s, Qt::MatchExactly).size(),
                 writable ? 1 : 0);
    }
};

QTEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
