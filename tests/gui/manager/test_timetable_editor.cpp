#include "editor_fixture.h"
#include "manager/ui/timetable_editor.h"

#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

using namespace manager::ui;

using Fixture = EditorFixture<Frm时间设置>;

namespace {

struct TimetableControls : EditorControls {
    using EditorControls::EditorControls;
    QLineEdit* Txt科目 = control<QLineEdit>(&w, u"Txt科目"_qs);
    QLineEdit* Txt开考时间 = control<QLineEdit>(&w, u"Txt开考时间"_qs);
    QLineEdit* Txt持续时间 = control<QLineEdit>(&w, u"Txt持续时间"_qs);
    QFrame* fieldsFrame = control<QFrame>(&w, u"Frame2"_qs);
    QFrame* fillFrame = control<QFrame>(&w, u"Frame1"_qs);
    QRadioButton* zhongkaoOption = control<QRadioButton>(&w, u"Option1"_qs);
    QRadioButton* gaokaoOption = control<QRadioButton>(&w, u"Option2"_qs);
    QPushButton* fillButton = control<QPushButton>(&w, u"Command1"_qs);
    QPushButton* addOneButton = control<QPushButton>(&w, u"Command2"_qs);
};

} // namespace

class TestTimetableEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addChecksAndStores_data();
    void addChecksAndStores();
    void fillFromStandardSwapsThePanels();
    void writeGuard();
};

void TestTimetableEditor::addChecksAndStores_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("stored"); // the start as stored
    const QString day = u"2031-6-7 9:00"_qs;
    QTest::newRow("29.5 minutes") << u"数学"_qs << day << "29.5"
                                  << u"考试时间不会小于30分钟哦？！时间应该是以分钟为单位。"_qs
                                  << u"Txt持续时间"_qs << "";
    QTest::newRow("a slash") << u"语/数"_qs << day << "90"
                             << u"科目中存在不能用作文件名的字符，将导致无法输出报表！"_qs << u"Txt科目"_qs
                             << "";
    QTest::newRow("month 13") << u"数学"_qs << u"2031-13-7 9:00"_qs << "90"
                              << u"开考时间必须常规日期格式！\n\n比如: 2005-6-7 9:00"_qs << u"Txt开考时间"_qs
                              << "";
    QTest::newRow("180, a quote, the example start") << u"理'综"_qs << u"2005-6-7 9:00"_qs << "180"
                                                     << ""
                                                     << ""
                                                     << "2005-06-07 09:00:00";
    QTest::newRow("30.5 minutes") << u"数学 "_qs << u"2031/06/07 09:00:00"_qs << "30.5"
                                  << ""
                                  << ""
                                  << "2031-06-07 09:00:00";
}

// Through the window: a refused add keeps add mode and the typed values and stores nothing.
void TestTimetableEditor::addChecksAndStores() {
    QFETCH(QString, subject);
    QFETCH(QString, start);
    QFETCH(QString, minutes);
    QFETCH(QString, message);
    Fixture f;
    f.t.addSubject(f.project, u"语文"_qs, u"2001-06-07 08:00:00"_qs, 120);
    const TimetableControls c(f.open());
    c.Cmd追加->click();
    QVERIFY(c.Txt科目->text().isEmpty());
    c.Txt科目->setText(subject);
    c.Txt开考时间->setText(start);
    c.Txt持续时间->setText(minutes);
    c.Cmd追加->click();

    if (!message.isEmpty()) {
        QCOMPARE(f.s.prompter.said.size(), 1);
        QCOMPARE(f.s.prompter.last(), message);
        QCOMPARE(f.s.prompter.said.back().title, u"错误"_qs);
        QCOMPARE(f.s.prompter.said.back().icon, common::Prompter::Icon::Warning);
        QTEST(f.focused(), "focus");
        QCOMPARE(c.Cmd追加->text(), u"确定"_qs);
        QCOMPARE(c.Txt科目->text() + c.Txt开考时间->text() + c.Txt持续时间->text(),
                 subject + start + minutes);
        QCOMPARE(f.rows(u"时间安排"_qs).size(), 1);
        return;
    }
    QVERIFY(f.s.prompter.said.isEmpty());
    const db::Rows rows = f.rows(u"时间安排"_qs);
    QCOMPARE(rows.size(), 2);
    QTEST(db::text(rows[1], u"开考时间"_qs), "stored");
    // The new subject is the current record, shown as it was typed.
    QCOMPARE(c.Cmd追加->text(), u"追加"_qs);
    QCOMPARE(c.grid->rowText(0), u"2.  "_qs + subject + u"  "_qs + db::text(rows[1], u"开考时间"_qs) +
                                     u"  "_qs + minutes + u"分钟"_qs);
}

// The offer while the project is empty, the fields as soon as a subject is typed or filled in.
void TestTimetableEditor::fillFromStandardSwapsThePanels() {
    Fixture f;
    db::insertTemplateTimetables(*f.t.db);
    Frm时间设置& w = f.open();
    const TimetableControls c(w);
    const auto offered = [&w, &c] { return c.fillFrame->isVisibleTo(&w) && !c.fieldsFrame->isVisibleTo(&w); };
    QVERIFY(offered());
    QVERIFY(!c.grid->scrollBar()->isEnabled() && c.zhongkaoOption->isChecked());
    c.addOneButton->click();
    QVERIFY(!offered() && c.fieldsFrame->isVisibleTo(&w));
    QCOMPARE(c.Cmd追加->text() + c.Cmd修改->text(), u"确定放弃"_qs);
    c.Cmd修改->click();
    QVERIFY(offered());

    c.gaokaoOption->click();
    c.fillButton->click();
    QVERIFY(f.s.prompter.said.isEmpty());
    const db::Rows standard =
        f.t.db->query(u"select * from 时间安排 where 分类='高考' order by 开考时间, 编号"_qs);
    const db::Rows copied = f.rows(u"时间安排"_qs);
    QCOMPARE(copied.size(), standard.size());
    for (int i = 0; i < copied.size(); ++i) {
        QCOMPARE(db::text(copied[i], u"科目"_qs), db::text(standard[i], u"科目"_qs));
        QCOMPARE(db::text(copied[i], u"开考时间"_qs),
                 u"2031"_qs + db::text(standard[i], u"开考时间"_qs).mid(4));
        QCOMPARE(db::text(copied[i], u"时长"_qs), db::text(standard[i], u"时长"_qs));
        QVERIFY(copied[i].value(u"分类"_qs).isNull());
    }
    QVERIFY(!c.fillFrame->isVisibleTo(&w) && c.fieldsFrame->isVisibleTo(&w));
    QVERIFY(c.grid->scrollBar()->isEnabled());
    QCOMPARE(c.Txt科目->text(), u"语文"_qs);

    QTest::mouseDClick(c.Txt开考时间, Qt::LeftButton);
    QCOMPARE(c.Txt开考时间->text(), u"2031-05-04 08:05:06"_qs);
}

void TestTimetableEditor::writeGuard() {
    Fixture f;
    f.t.addSubject(f.project, u"语文"_qs, u"2031-06-07 08:00:00"_qs, 120);
    db::insertTemplateTimetables(*f.t.db);
    // Command1 and Command2: 确认填充 and 单个追加.
    f.checkWriteGuard({u"Cmd追加"_qs, u"Cmd修改"_qs, u"Cmd删除"_qs, u"Command1"_qs, u"Command2"_qs});
}

QTEST_MAIN(TestTimetableEditor)
#include "test_timetable_editor.moc"
