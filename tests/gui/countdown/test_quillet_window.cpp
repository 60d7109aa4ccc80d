#include "countdown/ui/quillet_window.h"

#include "controls.h"
#include "countdown/countdown_rules.h"
#include "fake_dialogs.h"
#include "test_db.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace common;
using namespace countdown;
using namespace countdown::ui;

namespace {

const QDate kDay(2026, 6, 7);

// A program folder whose current project has 语文 from 09:00 for two hours.
struct Hall {
    TestDb data;
    int project = data.addProject();
    Hall() {
        data.setCurrentProject(project);
        data.addSubject(project, QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 120);
    }
};

struct Screen {
    FakeServices fake;
    FakeClock& clock = fake.clock;
    FakePrompter& prompter = fake.prompter;
    FrmQuillet window{fake.services};
    bool load(const QString& folder) {
        SingleInstance instance(QStringLiteral("Quillet"), folder);
        return window.load(folder, instance);
    }
    void tickAt(const QTime& t) {
        clock.t = QDateTime(kDay, t);
        window.tick();
    }
    QString label(const char* name) const {
        return control<QLabel>(&window, QString::fromUtf8(name))->text();
    }
};

} // namespace

class QuilletWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadSetsCaptionClockAndNotice() {
        Hall hall;
        Screen s;
        s.clock.t = QDateTime(kDay, QTime(14, 5, 9));
        QVERIFY(s.load(hall.data.folder()));
        QVERIFY(s.prompter.said.isEmpty());
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Quillet V13.6.5"));
        QVERIFY(s.window.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(s.window.state().DQXM, hall.project);
        QCOMPARE(s.label("Lbl日期"), QStringLiteral("2026年6月7日下午"));
        QCOMPARE(s.label("Lbl时间"), QStringLiteral("14:05:09"));
        QCOMPARE(s.label("Label3"), kAccuracyNotice);
        const QString where = hall.data.server
                                  ? QStringLiteral("服务器 %1（数据库 %2）")
                                        .arg(TestServerDatabase::socketFolder(), hall.data.server->name())
                                  : QDir::toNativeSeparators(hall.data.path());
        QCOMPARE(s.label("LblDatabase"), u"数据库：" + where);
        const QTimer* timer = control<QTimer>(&s.window, QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
    }

    void tickShowsEachState_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::newRow("break") << QTime(7, 30) << QStringLiteral("当前科目:非考试时间") << kBreakText
                               << kBreakText;
        QTest::newRow("before start") << QTime(8, 30) << QStringLiteral("当前科目:语文")
                                      << QStringLiteral("考前 30″0′") << QStringLiteral("考试尚未开始");
        QTest::newRow("running") << QTime(9, 45, 30) << QStringLiteral("当前科目:语文")
                                 << QStringLiteral("开考 45″30′") << QStringLiteral("剩余 74″30′");
        QTest::newRow("ended") << QTime(11, 2) << QStringLiteral("当前科目:语文")
                               << QStringLiteral("考试结束") << QStringLiteral("考后 2″0′");
    }
    void tickShowsEachState() {
        QFETCH(QTime, now);
        QFETCH(QString, subject);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        Hall hall;
        Screen s;
        QVERIFY(s.load(hall.data.folder()));
        s.tickAt(now);
        QCOMPARE(s.label("Lbl科目"), subject);
        QCOMPARE(s.label("Label1"), upper);
        QCOMPARE(s.label("Label2"), lower);
        QCOMPARE(s.label("Lbl时间"), timeLineText(QDateTime(kDay, now)));
    }

    void subjectWithMarkupIsShownLiterally() {
        Hall hall;
        hall.data.addSubject(hall.project, QStringLiteral("<u>理综</u>"),
                             QStringLiteral("2026-06-07 15:00:00"), 120);
        Screen s;
        QVERIFY(s.load(hall.data.folder()));
        s.tickAt(QTime(15, 5));
        const QLabel* subject = control<QLabel>(&s.window, QStringLiteral("Lbl科目"));
        QVERIFY(subject->text().endsWith(QStringLiteral("<u>理综</u>")));
        QCOMPARE(subject->textFormat(), Qt::PlainText);
    }

    void timetableIsReadOnceAtStart() {
        Hall hall;
        Screen s;
        QVERIFY(s.load(hall.data.folder()));
        hall.data.db->exec(QStringLiteral("update 时间安排 set 科目='数学', 开考时间='2026-06-07 10:00:00'"));
        s.tickAt(QTime(8, 30));
        QCOMPARE(s.label("Lbl科目"), QStringLiteral("当前科目:语文"));
        // Even without the file the screen keeps counting.
        QVERIFY(QFile::remove(hall.data.path()));
        s.tickAt(QTime(9, 0));
        QCOMPARE(s.label("Label1"), QStringLiteral("开考 0″0′"));
    }

    void missingDatabaseEndsTheProgram() {
        QTemporaryDir empty;
        Screen s;
        QVERIFY(!s.load(empty.path()));
        QCOMPARE(s.prompter.said.size(), 1);
        QCOMPARE(s.prompter.said[0].text, QStringLiteral("数据库文件未找到，程序无法正常运行！"));
        QCOMPARE(s.prompter.said[0].title, QStringLiteral("致命错误"));
        QCOMPARE(s.prompter.said[0].icon, Prompter::Icon::Warning);
        QVERIFY(!control<QTimer>(&s.window, QStringLiteral("Timer1"))->isActive());
    }

    void unreadableTimetableEndsTheProgram() {
        Hall hall;
        if (hall.data.server)
            QSKIP("a server's database is looked at by every connection: refused at start-up");
        // All tables are there, so the start-up takes the file for ours; the timetable's
        // query then fails.
        hall.data.db->exec(QStringLiteral("alter table 时间安排 drop column 开考时间"));
        Screen s;
        QVERIFY(!s.load(hall.data.folder()));
        QCOMPARE(s.prompter.said.size(), 1);
        QVERIFY(s.prompter.said[0].text.startsWith(
            QStringLiteral("数据库无法读取，程序无法正常运行！\n数据库中缺少所需的数据表或字段")));
        QCOMPARE(s.prompter.said[0].title, QStringLiteral("致命错误"));
    }

    void secondInstanceIsRefused() {
        Hall hall;
        SingleInstance first(QStringLiteral("Quillet"), hall.data.folder());
        QVERIFY(first.acquire());
        Screen s;
        QVERIFY(!s.load(hall.data.folder()));
        QCOMPARE(s.prompter.said.size(), 1);
        QCOMPARE(s.prompter.said[0].text, QStringLiteral("程序已经运行，不能再次装载！"));
        QCOMPARE(s.prompter.said[0].icon, Prompter::Icon::None);
    }

    void withoutTimetableItIsAlwaysBreak_data() {
        QTest::addColumn<bool>("settingsRow");
        QTest::newRow("no active settings row") << false;
        QTest::newRow("no timetable rows") << true;
    }
    void withoutTimetableItIsAlwaysBreak() {
        QFETCH(bool, settingsRow);
        Hall hall;
        if (settingsRow)
            hall.data.db->exec(QStringLiteral("delete from 时间安排"));
        else
            hall.data.db->exec(QStringLiteral("update 系统设置 set 状态='停用'"));
        Screen s;
        QVERIFY(s.load(hall.data.folder()));
        QVERIFY(s.prompter.said.isEmpty());
        for (const QTime& t : {QTime(8, 30), QTime(9, 0), QTime(11, 5)}) {
            s.tickAt(t);
            QCOMPARE(s.label("Lbl科目"), QStringLiteral("当前科目:非考试时间"));
            QCOMPARE(s.label("Label1"), kBreakText);
            QCOMPARE(s.label("Label2"), kBreakText);
        }
    }

    void fontsFollowTheWindowAndF11TogglesFullScreen() {
        Hall hall;
        hall.data.db->exec(QStringLiteral("update 时间安排 set 科目='信息技术与通用技术综合考试'"));
        Screen s;
        QVERIFY(s.load(hall.data.folder()));
        s.window.resize(720, 480);
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        s.tickAt(QTime(8, 30));
        const QLabel* time = control<QLabel>(&s.window, QStringLiteral("Lbl时间"));
        const int small = time->font().pixelSize();
        s.window.resize(1440, 960);
        QTRY_VERIFY(time->font().pixelSize() >= 2 * small - 1);
        // The long subject name is shrunk to fit the line instead of being cut off.
        const QLabel* subject = control<QLabel>(&s.window, QStringLiteral("Lbl科目"));
        QVERIFY(QFontMetricsF(subject->font()).horizontalAdvance(subject->text()) <= s.window.width());

        QTest::keyClick(&s.window, Qt::Key_F11);
        QVERIFY(s.window.windowState() & Qt::WindowFullScreen);
        QTest::keyClick(&s.window, Qt::Key_F11);
        QVERIFY(!(s.window.windowState() & Qt::WindowFullScreen));
    }
};

QTEST_MAIN(QuilletWindowTest)
#include "test_quillet_window.moc"
