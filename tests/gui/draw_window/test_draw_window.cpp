#include "controls.h"
#include "dialog_controls.h"
#include "draw_window/draw_window.h"
#include "draw_window/load_dialog.h"
#include "draw_window/save_dialog.h"
#include "fake_dialogs.h"
#include "reports/report_writer.h"
#include "test_db.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTest>
#include <QTimer>

using namespace common;
using namespace engine;
using namespace draw;

namespace {

const QString kUnsavedAtStart =
    QStringLiteral("存在未保存的抽签结论，如果继续抽签，将抛弃数据！\n是否真要放弃之前数据？");
const QString kUnsavedAtLoad =
    QStringLiteral("存在未保存的抽签结论，加载历史数据，将抛弃数据！\n是否真要放弃之前数据？");
const QString kUnsavedAtClose =
    QStringLiteral("存在未保存的抽签结论，如果关闭窗口，将抛弃数据！\n是否真要放弃之前数据？");
const QString kTooMany = QStringLiteral("参与抽签的考室数量154大于设计最高数量，需要重新定制软件！");

QString room(int i) {
    return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
}

// The draw window with its controls, found by the names the operator's screen gives them.
struct Window {
    std::unique_ptr<Frm抽签> window;
    QFrame* panelFrame = control<QFrame>(window.get(), QStringLiteral("Frame1"));
    QLabel* examLabel = control<QLabel>(window.get(), QStringLiteral("Label1"));
    QLabel* siteLabel = control<QLabel>(window.get(), QStringLiteral("Label2"));
    QLabel* subjectLabel = control<QLabel>(window.get(), QStringLiteral("Label3"));
    QLabel* recordLabel = control<QLabel>(window.get(), QStringLiteral("recordLabel"));
    QList<QLineEdit*> Txt监考员 = controlArray<QLineEdit>(window.get(), QStringLiteral("Txt监考员"));
    QPushButton* Cmd抽签 = control<QPushButton>(window.get(), QStringLiteral("Cmd抽签"));
    QPushButton* Cmd选抽签人 = control<QPushButton>(window.get(), QStringLiteral("Cmd选抽签人"));
    QPushButton* Cmd保存 = control<QPushButton>(window.get(), QStringLiteral("Cmd保存"));
    QPushButton* Cmd加载 = control<QPushButton>(window.get(), QStringLiteral("Cmd加载"));
    QPushButton* Cmd打印 = control<QPushButton>(window.get(), QStringLiteral("Cmd打印"));
    QCheckBox* allowReturnBox = control<QCheckBox>(window.get(), QStringLiteral("Check1"));
    QCheckBox* allowRepartnerBox = control<QCheckBox>(window.get(), QStringLiteral("Check2"));
    QCheckBox* fewerSameGenderBox = control<QCheckBox>(window.get(), QStringLiteral("Check3"));
    QCheckBox* fewerSameUnitBox = control<QCheckBox>(window.get(), QStringLiteral("Check4"));
    QCheckBox* drawSupervisorsBox = control<QCheckBox>(window.get(), QStringLiteral("Check5"));
    QCheckBox* drawCheckersBox = control<QCheckBox>(window.get(), QStringLiteral("Check6"));
    QTimer* stopDelayTimer = control<QTimer>(window.get(), QStringLiteral("Timer1"));

    Frm抽签* operator->() const { return window.get(); }
    Frm抽签* get() const { return window.get(); }
};

struct Env {
    TestDb t;
    FakeServices fake;
    FakePrompter& prompter = fake.prompter;
    FakeClock& clock = fake.clock;
    FixedRandom& random = fake.random;
    RunState st;
    int reports = 0;
    int logins = 0;
    bool loginGrants = true;
    int project = 0;
    int dialogs = 0;
    // How the next dialogs of the window are answered; closed by the frame when unset.
    std::function<void(Frm保存&)> onSave;
    std::function<void(Frm加载数据&)> onLoad;

    explicit Env(int rooms = 4, int supervisors = 0) {
        project = t.addProject(QStringLiteral("中考"), QStringLiteral("一中"));
        addRooms(project, rooms);
        for (int j = 1; j <= supervisors; ++j)
            t.addStaff(project, QStringLiteral("场外监考"), QStringLiteral("0%1").arg(j), {},
                       QStringLiteral("外%1").arg(j), QStringLiteral("男"), QStringLiteral("一中"), room(j));
        st.MyPath = t.folder() + QLatin1Char('/');
        st.MyDb = t.path();
        st.db = t.db.get();
        st.DQXM = project;
        st.DQKM = QStringLiteral("语文");
        st.project.examName = QStringLiteral("中考");
        st.project.siteName = QStringLiteral("一中");
        st.LoginSucceeded = true;
    }
    void addRooms(int p, int rooms) {
        t.db->begin();
        for (int i = 1; i <= rooms; ++i)
            t.addRoom(p, room(i), QStringLiteral("甲%1").arg(i), QStringLiteral("乙%1").arg(i));
        t.db->commit();
    }
    void set(const QString& column, const QVariant& value) {
        t.db->exec(QStringLiteral("update 考点设置 set %1=? where 编号=?").arg(column), {value, project});
    }
    // The stop button's one-second delay is shortened unless a test measures it.
    Window open(bool quickStop = true) {
        Window w{std::make_unique<Frm抽签>(st, fake.services, nullptr)};
        answerDialogs();
        if (quickStop)
            w.stopDelayTimer->setInterval(5);
        w->show();
        return w;
    }
    void answerDialogs() {
        auto& h = fake.dialogs.handlers;
        h[QStringLiteral("Frm报表")] = [this](QDialog&) {
            ++reports;
            return int(QDialog::Rejected);
        };
        h[QStringLiteral("FrmLogin")] = [this](QDialog&) {
            ++logins;
            if (loginGrants)
                st.LoginSucceeded = true;
            return int(QDialog::Rejected);
        };
        h[QStringLiteral("Frm保存")] = [this](QDialog& d) {
            ++dialogs;
            if (onSave)
                onSave(static_cast<Frm保存&>(d));
            else
                d.close();
            return d.result();
        };
        h[QStringLiteral("Frm加载数据")] = [this](QDialog& d) {
            ++dialogs;
            if (onLoad)
                onLoad(static_cast<Frm加载数据&>(d));
            else
                d.close();
            return d.result();
        };
    }
    int rows(const QString& table, const QString& kind = {}) const {
        if (kind.isEmpty())
            return t.db->scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt();
        return t.db->scalar(QStringLiteral("select count(*) from %1 where 分类=?").arg(table), {kind})
            .toInt();
    }
};

void drawOnce(const Window& w) {
    w.Cmd抽签->click();
    QVERIFY(w->drawing());
    QTRY_VERIFY(w.Cmd抽签->isEnabled() && w->resultCounter() > 0);
    w.Cmd抽签->click();
    QTRY_VERIFY(!w->drawing());
}

void saveWith(Env& e, const Window& w, int option) {
    e.onSave = [option](Frm保存& s) {
        const SaveControls c(s);
        if (option == 1)
            c.invigilatorsOnly->setChecked(true);
        c.save->click();
    };
    w.Cmd保存->click();
}

QStringList boxTexts(const Window& w, int count) {
    QStringList out;
    for (int k = 0; k < count; ++k)
        out << w.Txt监考员[k]->text();
    return out;
}

} // namespace

class TestDrawWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opening();
    void unreadableDatabaseRefusesToOpen();
    void checkBoxesFromTheProject_data();
    void checkBoxesFromTheProject();
    void layoutBands_data();
    void layoutBands();
    void layoutFollowsCheck5AtTheNextStart();
    void tooManyRooms();
    void stopIsUsableOneSecondAfterTheStart();
    void runAndStop();
    void impossibleDrawStopsAndSaysWhy();
    void confirmations();
    void closeIsRefusedWhileDrawing();
    void saveDialogResults_data();
    void saveDialogResults();
    void parameterCode_data();
    void parameterCode();
    void saveNeedsWritableDatabaseAndLogin();
    void savesUnderTheSubjectItShows();
    void failedSaveSaysSoAndKeepsThePreviousOne();
    void savesBesideOtherWriters();
    void loadSavedAndInitial();
    void pickThePerformer();
    void everyStopIsOnTheRecord();
};

void TestDrawWindow::opening() {
    Env e(3, 2);
    e.set(QStringLiteral("考试名称"), QStringLiteral("新名称"));
    e.set(QStringLiteral("场外与验卷抽签"), 1);
    e.set(QStringLiteral("文字色"), QVariant());
    e.set(QStringLiteral("底色"), QStringLiteral("0,128,255"));
    auto w = e.open();
    // The labels show what the main window held; the project's settings are refreshed.
    QCOMPARE(w.examLabel->text(), QStringLiteral("中考"));
    QCOMPARE(w.siteLabel->text(), QStringLiteral("一中监考员安排表"));
    QCOMPARE(w.subjectLabel->text(), QStringLiteral("语文"));
    QCOMPARE(e.st.project.examName, QStringLiteral("新名称"));
    QCOMPARE(e.st.KSS, 3);
    QCOMPARE(w->windowTitle(), QStringLiteral("抽签  加载初始数据"));
    for (QLabel* l : {w.examLabel, w.siteLabel, w.subjectLabel})
        QCOMPARE(l->textFormat(), Qt::PlainText);
    QCOMPARE(boxTexts(w, 3),
             (QStringList{QStringLiteral("001.甲1,乙1,外1"), QStringLiteral("002.甲2,乙2,外2"),
                          QStringLiteral("003.甲3,乙3,")}));
    QCOMPARE(w.Txt监考员[0]->palette().color(QPalette::Base), QColor(0, 128, 255));
    QCOMPARE(w.Txt监考员[0]->palette().color(QPalette::Text), QColor(0, 0, 0));
    QVERIFY(w.Txt监考员[0]->isReadOnly());
    QCOMPARE(w.Txt监考员.size(), 161);
    QCOMPARE(w.Cmd抽签->text(), QStringLiteral("开始抽签"));
    QVERIFY(w.Cmd抽签->isEnabled() && w.Cmd选抽签人->isEnabled() && w.Cmd加载->isEnabled() &&
            w.Cmd打印->isEnabled());
    QVERIFY(!w.Cmd保存->isEnabled());
    QVERIFY(w->saved());
    w.Cmd打印->click();
    QCOMPARE(e.reports, 1);
    QVERIFY(e.prompter.said.isEmpty());
}

void TestDrawWindow::unreadableDatabaseRefusesToOpen() {
    Env e;
    e.t.db->exec(QStringLiteral("drop table 人员安排"));
    Frm抽签 w(e.st, e.fake.services, nullptr);
    QCOMPARE(e.prompter.said.size(), 1);
    QVERIFY(e.prompter.last().contains(QStringLiteral("人员安排")));
    QVERIFY(!w.isUsable());
}

void TestDrawWindow::checkBoxesFromTheProject_data() {
    QTest::addColumn<int>("dutyDraw");
    QTest::addColumn<int>("rulesEditable");
    QTest::addColumn<QString>("states"); // Check1..Check6: 0, 1 or 2 (grey)
    QTest::newRow("不抽签") << 0 << 1 << QStringLiteral("211000");
    QTest::newRow("同步抽签") << 1 << 1 << QStringLiteral("211011");
    QTest::newRow("只抽场外监考") << 2 << 1 << QStringLiteral("211010");
    QTest::newRow("只抽验卷") << 3 << 0 << QStringLiteral("211001");
}

void TestDrawWindow::checkBoxesFromTheProject() {
    QFETCH(int, dutyDraw);
    QFETCH(int, rulesEditable);
    QFETCH(QString, states);
    Env e;
    e.set(QStringLiteral("场外与验卷抽签"), dutyDraw);
    e.set(QStringLiteral("允许抽签时修改参数"), rulesEditable);
    e.set(QStringLiteral("允许重回原考室"), 2);
    e.set(QStringLiteral("最大性别组合"), 1);
    e.set(QStringLiteral("最大异校搭档"), 0);
    auto w = e.open();
    const QCheckBox* boxes[6] = {w.allowReturnBox,   w.allowRepartnerBox,  w.fewerSameGenderBox,
                                 w.fewerSameUnitBox, w.drawSupervisorsBox, w.drawCheckersBox};
    QString seen;
    for (const QCheckBox* c : boxes) {
        seen += QString::number(c->checkState() == Qt::Checked            ? 1
                                : c->checkState() == Qt::PartiallyChecked ? 2
                                                                          : 0);
        QCOMPARE(c->isEnabled(), rulesEditable != 0);
    }
    QCOMPARE(seen, states);
}

void TestDrawWindow::layoutBands_data() {
    QTest::addColumn<int>("rooms");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<int>("rowsPerColumn");
    QTest::addColumn<int>("top0");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("pitch");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("width");
    QTest::newRow("20 narrow") << 20 << false << 5 << 2840 << 200 << 3850 << 1200 << 3000;
    QTest::newRow("20 wide") << 20 << true << 7 << 2540 << 200 << 5150 << 850 << 4300;
    QTest::newRow("21 narrow") << 21 << false << 10 << 1890 << 200 << 3850 << 750 << 3000;
    QTest::newRow("21 wide") << 21 << true << 7 << 2540 << 200 << 5150 << 850 << 4300;
    QTest::newRow("60 narrow") << 60 << false << 12 << 1740 << 200 << 2950 << 660 << 2800;
    QTest::newRow("60 wide") << 60 << true << 15 << 1640 << 200 << 3700 << 550 << 3500;
    QTest::newRow("154 narrow") << 154 << false << 22 << 1440 << 150 << 2110 << 385 << 2000;
    QTest::newRow("154 wide") << 154 << true << 31 << 1440 << 70 << 3000 << 270 << 2800;
}

void TestDrawWindow::layoutBands() {
    QFETCH(int, rooms);
    QFETCH(bool, wide);
    QFETCH(int, rowsPerColumn);
    QFETCH(int, top0);
    QFETCH(int, margin);
    QFETCH(int, pitch);
    QFETCH(int, step);
    QFETCH(int, width);
    Env e(rooms, 3);
    e.set(QStringLiteral("场外与验卷抽签"), wide ? 2 : 0);
    auto w = e.open();
    for (const QSize size : {QSize(800, 600), QSize(1920, 1080)}) {
        w->resize(size);
        const double scale = w->layoutScale() / 15.0;
        QVERIFY(scale > 0);
        QVector<QRect> shown;
        for (int k = 0; k < 161; ++k) {
            QLineEdit* box = w.Txt监考员[k];
            QCOMPARE(!box->isHidden(), k < rooms);
            if (k >= rooms)
                continue;
            const int column = k / rowsPerColumn, row = k % rowsPerColumn;
            QVERIFY(qAbs(box->x() - (margin + pitch * column) * scale) <= 1);
            QVERIFY(qAbs(box->y() - (top0 + step * row) * scale) <= 1);
            QVERIFY(box->width() >= width * scale - 1);
            QVERIFY(box->geometry().bottom() < w.panelFrame->height());
            QVERIFY(box->fontMetrics().horizontalAdvance(box->text()) < box->width());
            shown << box->geometry();
        }
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY(!shown[i].intersects(shown[j]));
    }
    QVERIFY(e.prompter.said.isEmpty());
}

void TestDrawWindow::layoutFollowsCheck5AtTheNextStart() {
    Env e(20);
    auto w = e.open();
    const int narrowX = w.Txt监考员[5]->x();
    w.drawSupervisorsBox->setChecked(true);
    QCOMPARE(w.Txt监考员[5]->x(), narrowX);
    drawOnce(w);
    // Three columns of seven: box 5 is still in the first column, box 7 opens the second.
    QCOMPARE(w.Txt监考员[5]->x(), w.Txt监考员[0]->x());
    QVERIFY(w.Txt监考员[7]->x() > narrowX);
    QVERIFY(w.Txt监考员[0]->text().endsWith(QLatin1Char(',')));
}

void TestDrawWindow::tooManyRooms() {
    Env e(155);
    auto w = e.open();
    QCOMPARE(e.prompter.said.size(), 1);
    QCOMPARE(e.prompter.last(), kTooMany);
    QCOMPARE(w.Txt监考员[0]->text(), QStringLiteral(" 抽签总数不能大于154"));
    QVERIFY(!w.Txt监考员[0]->isHidden());
    for (int k = 1; k < 161; ++k)
        QVERIFY(w.Txt监考员[k]->isHidden());
    QVERIFY(!w.Cmd抽签->isEnabled());
    QVERIFY(w.Cmd加载->isEnabled() && w.Cmd打印->isEnabled());

    e.onLoad = [](Frm加载数据& d) { LoadControls(d).ok->click(); }; // the initial arrangement
    w.Cmd加载->click();
    QCOMPARE(e.prompter.said.size(), 2);
    QCOMPARE(w.Txt监考员[0]->text(), QStringLiteral(" 抽签总数不能大于154"));
    // The pick gives the buttons back, but never the draw.
    w.Cmd选抽签人->click();
    w.Cmd选抽签人->click();
    QVERIFY(!w.Cmd抽签->isEnabled());
}

void TestDrawWindow::stopIsUsableOneSecondAfterTheStart() {
    Env e;
    auto w = e.open(false);
    QCOMPARE(w.stopDelayTimer->interval(), 1000);
    w.Cmd抽签->click();
    QCOMPARE(w.Cmd抽签->text(), QStringLiteral("停止"));
    QTest::qWait(500);
    QVERIFY(!w.Cmd抽签->isEnabled());
    QVERIFY(w->resultCounter() > 0);
    QTRY_VERIFY_WITH_TIMEOUT(w.Cmd抽签->isEnabled(), 2000);
    QVERIFY(w.Cmd抽签->isDefault());
    w.Cmd抽签->click();
    QTRY_VERIFY(!w->drawing());
}

void TestDrawWindow::runAndStop() {
    Env e(6, 2);
    e.set(QStringLiteral("场外与验卷抽签"), 2);
    auto w = e.open();
    w.Cmd抽签->click();
    QVERIFY(w->drawing());
    for (QWidget* c : std::initializer_list<QWidget*>{w.Cmd选抽签人, w.Cmd加载, w.Cmd保存, w.Cmd打印,
                                                      w.allowReturnBox, w.drawCheckersBox})
        QVERIFY(!c->isEnabled());
    QTRY_VERIFY(w.Cmd抽签->isEnabled() && w->resultCounter() > 1);
    QCOMPARE(w->windowTitle(), QStringLiteral("已随机产生 %1 组符合要求的抽签结论").arg(w->resultCounter()));
    bool flashing = false;
    for (int k = 0; k < 6; ++k)
        flashing = flashing || w.Txt监考员[k]->palette().color(QPalette::Base) != QColor(255, 255, 0);
    QVERIFY(flashing);

    const int counter = w->resultCounter();
    w.Cmd抽签->click();
    QTRY_VERIFY(!w->drawing());
    QCOMPARE(w->resultCounter(), counter);
    QCOMPARE(w.Cmd抽签->text(), QStringLiteral("开始抽签"));
    QVERIFY(w.Cmd抽签->isEnabled() && w.Cmd选抽签人->isEnabled() && w.Cmd加载->isEnabled() &&
            w.Cmd保存->isEnabled() && w.allowReturnBox->isEnabled());
    QVERIFY(!w.Cmd打印->isEnabled());
    QVERIFY(!w->saved());
    // The boxes show the result, in the project's colours again.
    const Candidate& c = w->result();
    for (int i = 1; i <= 6; ++i) {
        const QString text = w.Txt监考员[i - 1]->text();
        QVERIFY2(text.startsWith(room(i) + QStringLiteral(".甲%1,乙%2,").arg(c.a[i]).arg(c.b[i])),
                 qPrintable(text));
        QCOMPARE(w.Txt监考员[i - 1]->palette().color(QPalette::Base), QColor(255, 255, 0));
    }
    QVERIFY(e.prompter.said.isEmpty());
}

void TestDrawWindow::impossibleDrawStopsAndSaysWhy() {
    // One room, a history that puts person 1 back into room 1, and returns forbidden.
    Env e(1);
    e.set(QStringLiteral("允许重回原考室"), 0);
    e.t.db->exec(QStringLiteral("insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) "
                                "values (?, '数学', '2026-06-06 09:00:00', 1, '监考员', 1, 1, 1)"),
                 {e.project});
    auto w = e.open();
    w.Cmd抽签->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->drawing(), 10000);
    QCOMPARE(e.prompter.said.size(), 1);
    QVERIFY(!e.prompter.last().isEmpty());
    QCOMPARE(w.Cmd抽签->text(), QStringLiteral("开始抽签"));
    QVERIFY(w.Cmd抽签->isEnabled() && w.Cmd加载->isEnabled() && w.Cmd打印->isEnabled());
    QVERIFY(!w.Cmd保存->isEnabled());
    QCOMPARE(w.Txt监考员[0]->text(), QStringLiteral("001.甲1,乙1"));
    QVERIFY(w->saved());
    w->close();
    QVERIFY(w->isHidden());
}

void TestDrawWindow::confirmations() {
    Env e;
    auto w = e.open();
    drawOnce(w);

    // Start: No keeps the result; Yes draws again.
    e.prompter.answers = {false};
    w.Cmd抽签->click();
    QCOMPARE(e.prompter.last(), kUnsavedAtStart);
    QVERIFY(!w->drawing());
    e.prompter.answers = {true};
    drawOnce(w);

    // Load: No never opens the dialog; Yes does.
    e.prompter.answers = {false};
    w.Cmd加载->click();
    QCOMPARE(e.prompter.last(), kUnsavedAtLoad);
    QCOMPARE(e.dialogs, 0);
    e.prompter.answers = {true};
    w.Cmd加载->click();
    QCOMPARE(e.dialogs, 1);

    // Close: No keeps the window open; Yes closes it.
    e.prompter.answers = {false};
    w->close();
    QCOMPARE(e.prompter.last(), kUnsavedAtClose);
    QVERIFY(w->isVisible());
    const int asked = e.prompter.said.size();
    e.prompter.answers = {true};
    w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(e.prompter.said.size(), asked + 1);

    // Nothing unsaved: no question.
    auto again = e.open();
    again->close();
    QVERIFY(!again->isVisible());
    QCOMPARE(e.prompter.said.size(), asked + 1);
}

void TestDrawWindow::closeIsRefusedWhileDrawing() {
    Env e;
    auto w = e.open();
    w.Cmd抽签->click();
    w->close();
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QVERIFY(e.prompter.said.isEmpty());
    QTRY_VERIFY(w.Cmd抽签->isEnabled());
    w.Cmd抽签->click();
    QTRY_VERIFY(!w->drawing());
}

void TestDrawWindow::saveDialogResults_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("invigilators");
    QTest::addColumn<int>("duties");
    QTest::newRow("放弃数据") << QStringLiteral("discard") << 0 << 0;
    QTest::newRow("closed by the frame") << QStringLiteral("close") << 0 << 0;
    QTest::newRow("不追加场外及验卷") << QStringLiteral("option1") << 4 << 0;
    QTest::newRow("按预选参数处理") << QStringLiteral("option2") << 4 << 2;
}

void TestDrawWindow::saveDialogResults() {
    QFETCH(QString, answer);
    QFETCH(int, invigilators);
    QFETCH(int, duties);
    Env e(4, 2);
    e.t.addStaff(e.project, QStringLiteral("验卷"), QStringLiteral("01"), {}, QStringLiteral("验1"));
    e.t.addStaff(e.project, QStringLiteral("验卷"), QStringLiteral("02"), {}, QStringLiteral("验2"));
    auto w = e.open();
    drawOnce(w);
    e.onSave = [answer](Frm保存& s) {
        const SaveControls c(s);
        QCOMPARE(s.windowTitle(), QStringLiteral("保存抽签结论"));
        QVERIFY(c.withDuties->isChecked());
        if (answer == QStringLiteral("discard"))
            c.discard->click();
        else if (answer == QStringLiteral("close"))
            s.close();
        else {
            c.invigilatorsOnly->setChecked(answer == QStringLiteral("option1"));
            c.save->click();
        }
    };
    w.Cmd保存->click();
    QVERIFY(w.Cmd打印->isEnabled());
    QCOMPARE(w->saved(), invigilators > 0);
    QCOMPARE(e.rows(QStringLiteral("抽签总表"), QStringLiteral("监考员")), invigilators);
    QCOMPARE(e.rows(QStringLiteral("抽签历史"), QStringLiteral("监考员")), invigilators);
    QCOMPARE(e.rows(QStringLiteral("抽签总表"), QStringLiteral("抽签参数")), invigilators ? 1 : 0);
    QCOMPARE(e.rows(QStringLiteral("抽签总表"), QStringLiteral("场外监考")), duties);
    QCOMPARE(e.rows(QStringLiteral("抽签历史"), QStringLiteral("验卷")), duties);
    if (!invigilators)
        return;
    const Candidate& c = w->result();
    const db::Rows rows =
        e.t.db->query(QStringLiteral("select * from 抽签总表 where 分类='监考员' order by 分组号"));
    for (int i = 1; i <= 4; ++i) {
        QCOMPARE(db::text(rows[i - 1], QStringLiteral("监考员甲")), QStringLiteral("甲%1").arg(c.a[i]));
        QCOMPARE(db::text(rows[i - 1], QStringLiteral("乙身份证号")), QStringLiteral("ID-乙%1").arg(c.b[i]));
        QCOMPARE(db::text(rows[i - 1], QStringLiteral("科目")), QStringLiteral("语文"));
        QCOMPARE(db::text(rows[i - 1], QStringLiteral("时间")), QStringLiteral("2026-06-07 09:00:00"));
    }
    // Saved: closing asks nothing.
    const int said = e.prompter.said.size();
    w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(e.prompter.said.size(), said);
}

void TestDrawWindow::parameterCode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("returns");
    QTest::addColumn<int>("dutyDraw");
    QTest::addColumn<QString>("code");
    QTest::newRow("only B, outside supervisors") << 1 << 0 << 2 << QStringLiteral("1000010");
    QTest::newRow("both, returns allowed, both duties") << 0 << 1 << 1 << QStringLiteral("0100011");
    QTest::newRow("only A, grey return box") << 2 << 2 << 3 << QStringLiteral("2200001");
}

void TestDrawWindow::parameterCode() {
    QFETCH(int, mode);
    QFETCH(int, returns);
    QFETCH(int, dutyDraw);
    QFETCH(QString, code);
    Env e;
    e.set(QStringLiteral("抽签模式"), mode);
    e.set(QStringLiteral("允许重回原考室"), returns);
    e.set(QStringLiteral("允许甲乙再搭档"), 0);
    e.set(QStringLiteral("场外与验卷抽签"), dutyDraw);
    auto w = e.open();
    drawOnce(w);
    // The code is the one in force at the start, whatever the boxes say at saving.
    w.allowRepartnerBox->setChecked(true);
    saveWith(e, w, 2);
    QCOMPARE(e.t.db->scalar(QStringLiteral("select 分组号 from 抽签总表 where 分类='抽签参数'")).toString(),
             code);
}

void TestDrawWindow::savesUnderTheSubjectItShows() {
    Env e(3, 0);
    auto w = e.open();
    drawOnce(w);
    // The main window's clock moves on past the subject's window while the draw is shown.
    e.st.DQKM = QStringLiteral("非考试时间");
    saveWith(e, w, 1);
    QCOMPARE(w.subjectLabel->text(), QStringLiteral("语文"));
    QCOMPARE(e.t.db->scalar(QStringLiteral("select count(*) from 抽签总表 where 科目='语文'")).toInt(), 4);
    QCOMPARE(e.t.db->scalar(QStringLiteral("select count(*) from 抽签历史 where 科目<>'语文'")).toInt(), 0);
}

void TestDrawWindow::saveNeedsWritableDatabaseAndLogin() {
    Env e;
    {
        e.st.ZD = true;
        auto w = e.open();
        drawOnce(w);
        // A read-only run keeps no ledger, as it keeps no save.
        QCOMPARE(e.t.db->scalar(QStringLiteral("select count(*) from 抽签记录链")).toInt(), 0);
        saveWith(e, w, 2);
        QCOMPARE(e.prompter.last(), readOnlyWriteText());
        QCOMPARE(e.prompter.said.back().icon, Prompter::Icon::Critical);
        QCOMPARE(e.dialogs, 0);
        QVERIFY(!w->saved());
        e.prompter.answers = {true};
        w->close();
    }
    e.st.ZD = false;
    e.st.LoginSucceeded = false;
    e.loginGrants = false;
    auto w = e.open();
    drawOnce(w);
    saveWith(e, w, 2);
    QCOMPARE(e.logins, 1);
    QCOMPARE(e.dialogs, 0);
    QCOMPARE(e.rows(QStringLiteral("抽签总表")), 0);
    e.loginGrants = true;
    saveWith(e, w, 2);
    QCOMPARE(e.logins, 2);
    QCOMPARE(e.dialogs, 1);
    QVERIFY(w->saved());
    QCOMPARE(e.rows(QStringLiteral("抽签总表"), QStringLiteral("监考员")), 4);
}

void TestDrawWindow::failedSaveSaysSoAndKeepsThePreviousOne() {
    Env e;
    auto w = e.open();
    drawOnce(w);
    saveWith(e, w, 1);
    const db::Rows before =
        e.t.db->query(QStringLiteral("select 监考员甲, 监考员乙 from 抽签总表 order by 编号"));
    e.t.failInserts(QStringLiteral("抽签历史"), QStringLiteral("disk is full"));
    drawOnce(w);
    saveWith(e, w, 1);
    QVERIFY(e.prompter.last().contains(QStringLiteral("disk is full")));
    QVERIFY(!w->saved());
    const db::Rows after =
        e.t.db->query(QStringLiteral("select 监考员甲, 监考员乙 from 抽签总表 order by 编号"));
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i)
        QCOMPARE(after[i].value(0), before[i].value(0));
    QCOMPARE(e.rows(QStringLiteral("抽签历史")), 4);
}

void TestDrawWindow::savesBesideOtherWriters() {
    // A save loop and an import loop write the same file meanwhile: every save of the window
    // either lands or says that the file is busy, never that a healthy file is damaged.
    Env e(6, 2);
    e.t.setCurrentProject(e.project);
    e.t.addSubject(e.project, QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 150);
    e.t.addSubject(e.project, QStringLiteral("数学"), QStringLiteral("2026-06-07 15:00:00"), 120);
    QProcess saves, imports;
    saves.start(QStringLiteral(SAVE_LOOP), {e.t.folder()});
    imports.start(QStringLiteral(SIDE_PEER), {QStringLiteral("import-loop"), e.t.folder(),
                                              QStringLiteral(TEST_DATA_DIR "/import/roster.xls")});
    const auto stop = qScopeGuard([&] {
        for (QProcess* p : {&saves, &imports}) {
            p->kill();
            p->waitForFinished();
        }
    });
    QVERIFY2(saves.waitForReadyRead(30000), qPrintable(QString::fromUtf8(saves.readAllStandardError())));
    auto w = e.open();
    int busy = 0;
    qint64 longest = 0;
    for (int k = 0; k < 10; ++k) {
        drawOnce(w);
        // The operator saves again after "busy" until the save lands.
        for (int attempt = 0; !w->saved() && attempt < 5; ++attempt) {
            e.prompter.said.clear();
            QElapsedTimer took;
            took.start();
            saveWith(e, w, 1);
            longest = qMax(longest, took.elapsed());
            if (!w->saved()) {
                QVERIFY2(e.prompter.last().contains(QStringLiteral("数据库正被其他程序使用")),
                         qPrintable(e.prompter.last()));
                ++busy;
            }
        }
        QVERIFY(w->saved());
    }
    QVERIFY2(saves.state() == QProcess::Running, qPrintable(QString::fromUtf8(saves.readAllStandardError())));
    qInfo(
        "window saves beside a save loop and an import loop: 10 landed, %d busy on the way, longest %lld ms",
        busy, longest);
    QVERIFY(e.t.db->damage().isEmpty());
}

void TestDrawWindow::loadSavedAndInitial() {
    Env e(4, 2);
    auto w = e.open();
    const QStringList initial = boxTexts(w, 4);
    drawOnce(w);
    saveWith(e, w, 2);
    const Candidate c = w->result();

    // Cancelled: nothing changes.
    w.Cmd抽签->click();
    QTRY_VERIFY(w.Cmd抽签->isEnabled());
    w.Cmd抽签->click();
    QTRY_VERIFY(!w->drawing());
    e.prompter.answers = {true};
    const QStringList shown = boxTexts(w, 4);
    const QString caption = w->windowTitle();
    e.onLoad = [](Frm加载数据& d) { LoadControls(d).cancel->click(); };
    w.Cmd加载->click();
    QCOMPARE(boxTexts(w, 4), shown);
    QCOMPARE(w->windowTitle(), caption);

    // A saved draw: without supervisors every box ends with ",".
    e.onLoad = [](Frm加载数据& d) {
        const LoadControls c(d);
        QCOMPARE(c.list->count(), 2);
        QCOMPARE(c.list->currentText(), QStringLiteral("语文 # 2026-06-07 09:00:00"));
        QCOMPARE(c.list->itemText(1), QStringLiteral("初始数据 # 考前初始安排数据"));
        c.ok->click();
    };
    e.prompter.answers = {true};
    w.Cmd加载->click();
    QCOMPARE(w->windowTitle(), QStringLiteral("抽签  加载[语文]数据"));
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(w.Txt监考员[i - 1]->text(), room(i) + QStringLiteral(".甲%1,乙%2,").arg(c.a[i]).arg(c.b[i]));
    // Loading leaves the unsaved result unsaved.
    QVERIFY(!w->saved());

    w.drawSupervisorsBox->setChecked(true);
    e.prompter.answers = {true};
    w.Cmd加载->click();
    QVERIFY(w.Txt监考员[0]->text().endsWith(QStringLiteral(",外1")) ||
            w.Txt监考员[0]->text().endsWith(QStringLiteral(",外2")));

    e.onLoad = [](Frm加载数据& d) {
        const LoadControls c(d);
        c.list->setCurrentIndex(1);
        c.ok->click();
    };
    e.prompter.answers = {true};
    w.drawSupervisorsBox->setChecked(false);
    w.Cmd加载->click();
    QCOMPARE(w->windowTitle(), QStringLiteral("抽签  加载初始数据"));
    QCOMPARE(boxTexts(w, 4), initial);
}

void TestDrawWindow::pickThePerformer() {
    Env e(5);
    auto w = e.open();
    w.Cmd选抽签人->click();
    QCOMPARE(w.Cmd选抽签人->text(), QStringLiteral("停止"));
    QCOMPARE(w->windowTitle(), QStringLiteral("选抽签人"));
    QVERIFY(w.Cmd选抽签人->isDefault());
    for (QWidget* c :
         std::initializer_list<QWidget*>{w.Cmd抽签, w.Cmd加载, w.Cmd保存, w.Cmd打印, w.fewerSameGenderBox})
        QVERIFY(!c->isEnabled());
    QTest::qWait(200);
    w.Cmd选抽签人->click();
    QCOMPARE(w.Cmd选抽签人->text(), QStringLiteral("选抽签人"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Vardel"));
    QVERIFY(w.Cmd抽签->isEnabled() && w.Cmd抽签->isDefault());
    QVERIFY(w.Cmd加载->isEnabled() && w.Cmd打印->isEnabled() && w.fewerSameGenderBox->isEnabled());
    QVERIFY(!w.Cmd保存->isEnabled());
    // Exactly one box stays highlighted: the text colour as background.
    int highlighted = 0;
    for (int k = 0; k < 5; ++k)
        highlighted += w.Txt监考员[k]->palette().color(QPalette::Base) == QColor(0, 0, 0) ? 1 : 0;
    QCOMPARE(highlighted, 1);
}

// Stops and picks go into the ledger whether or not the operator logged in; three stops and a
// save of the third are said so after the save and on the conclusion. A stop the ledger cannot
// take is shown, said, and never saved.
void TestDrawWindow::everyStopIsOnTheRecord() {
    Env e(4);
    e.st.LoginSucceeded = false;
    auto w = e.open();
    w.Cmd选抽签人->click();
    w.Cmd选抽签人->click();
    drawOnce(w);
    for (int k = 0; k < 2; ++k) {
        e.prompter.answers = {true}; // the unsaved result is given up
        drawOnce(w);
    }
    const auto events = [&e](const QString& kind) {
        return e.t.db
            ->scalar(QStringLiteral("select count(*) from 抽签记录链 where 事件=? and 科目='语文'"), {kind})
            .toInt();
    };
    QCOMPARE(events(QStringLiteral("停止")), 3);
    QCOMPARE(events(QStringLiteral("选抽签人")), 1);
    QCOMPARE(e.logins, 0);
    saveWith(e, w, 1);
    QCOMPARE(e.logins, 1);
    QVERIFY(w->saved());
    const QString code = db::certificateCode(
        e.t.db->scalar(QStringLiteral("select 摘要 from 抽签记录链 order by 序号 desc limit 1")).toString());
    QCOMPARE(w.recordLabel->text(), QStringLiteral("本科目共抽签3次，保存的是第3次　记录链:") + code);

    reports::ReportWriter writer(*e.t.db, e.st, e.clock);
    const reports::ReportResult printed =
        writer.打印抽签结论(QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"));
    QVERIFY(printed);
    QFile report(*printed);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString html = QStringDecoder("GB18030").decode(report.readAll());
    QVERIFY2(html.endsWith(QStringLiteral("<div align=right>本科目共抽签3次，保存的是第3次</div>\r\n"
                                          "<div align=right>记录链:%1</div>\r\n")
                               .arg(code)),
             qPrintable(html.right(300)));

    e.t.failInserts(QStringLiteral("抽签记录链"), QStringLiteral("disk is full"));
    drawOnce(w);
    QVERIFY(w.recordLabel->text().isEmpty());
    QVERIFY(e.prompter.last().startsWith(kUnrecordedStop));
    QVERIFY(e.prompter.last().contains(QStringLiteral("disk is full")));
    saveWith(e, w, 1);
    QVERIFY(e.prompter.last().contains(kUnrecordedStop));
    QVERIFY(!w->saved());
    QCOMPARE(events(QStringLiteral("保存")), 1);
}

QTEST_MAIN(TestDrawWindow)
#include "test_draw_window.moc"
