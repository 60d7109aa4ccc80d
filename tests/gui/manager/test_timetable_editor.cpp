#include "editor_fixture.h"
#include "manager/ui/timetable_editor.h"

#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

using namespace manager::ui;

using Fixture = EditorFixture<Frm时间设置>;

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
    Frm时间设置& w = f.open();
    w.Cmd追加->click();
    QVERIFY(w.Txt科目->text().isEmpty());
    w.Txt科目->setText(subject);
    w.Txt开考时间->setText(start);
    w.Txt持续时间->setText(minutes);
    w.Cmd追加->click();

    if (!message.isEmpty()) {
        QCOMPARE(f.s.prompter.said.size(), 1);
        QCOMPARE(f.s.prompter.last(), message);
        QCOMPARE(f.s.prompter.said.back().title, u"错误"_qs);
        QCOMPARE(f.s.prompter.said.back().icon, common::Prompter::Icon::Warning);
        QTEST(f.focused(), "focus");
        QCOMPARE(w.Cmd追加->text(), u"确定"_qs);
        QCOMPARE(w.Txt科目->text() + w.Txt开考时间->text() + w.Txt持续时间->text(),
                 subject + start + minutes);
        QCOMPARE(f.rows(u"时间安排"_qs).size(), 1);
        return;
    }
    QVERIFY(f.s.prompter.said.isEmpty());
    const db::Rows rows = f.rows(u"时间安排"_qs);
    QCOMPARE(rows.size(), 2);
    QTEST(db::text(rows[1], u"开考时间"_qs), "stored");
    // The new subject is the current record, shown as it was typed.
    QCOMPARE(w.Cmd追加->text(), u"追加"_qs);
    QCOMPARE(w.grid->rowText(0), u"2.  "_qs + subject + u"  "_qs + db::text(rows[1], u"开考时间"_qs) +
                                     u"  "_qs + minutes + u"分钟"_qs);
}

// The offer while the project is empty, the fields as soon as a subject is typed or filled in.
void TestTimetableEditor::fillFromStandardSwapsThePanels() {
    Fixture f;
    db::insertTemplateTimetables(*f.t.db);
    Frm时间设置& w = f.open();
    const auto offered = [&w] { return w.fillFrame->isVisibleTo(&w) && !w.fieldsFrame->isVisibleTo(&w); };
    QVERIFY(offered());
    QVERIFY(!w.grid->scrollBar()->isEnabled() && w.zhongkaoOption->isChecked());
    w.addOneButton->click();
    QVERIFY(!offered() && w.fieldsFrame->isVisibleTo(&w));
    QCOMPARE(w.Cmd追加->text() + w.Cmd修改->text(), u"确定放弃"_qs);
    w.Cmd修改->click();
    QVERIFY(offered());

    w.gaokaoOption->click();
    w.fillButton->click();
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
    QVERIFY(!w.fillFrame->isVisibleTo(&w) && w.fieldsFrame->isVisibleTo(&w));
    QVERIFY(w.grid->scrollBar()->isEnabled());
    QCOMPARE(w.Txt科目->text(), u"语文"_qs);

    QTest::mouseDClick(w.Txt开考时间, Qt::LeftButton);
    QCOMPARE(w.Txt开考时间->text(), u"2031-05-04 08:05:06"_qs);
}

void TestTimetableEditor::writeGuard() {
    Fixture f;
    f.t.addSubject(f.project, u"语文"_qs, u"2031-06-07 08:00:00"_qs, 120);
    db::insertTemplateTimetables(*f.t.db);
    f.checkWriteGuard([](Frm时间设置& w) {
        return QList<QPushButton*>{w.Cmd追加, w.Cmd修改, w.Cmd删除, w.fillButton, w.addOneButton};
    });
}

QTEST_MAIN(TestTimetableEditor)
#include "test_timetable_editor.moc"
