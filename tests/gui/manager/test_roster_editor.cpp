#include "editor_fixture.h"
#include "manager/ui/roster_editor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

using namespace manager::ui;

namespace {

// Room 001 with its pair and one outside supervisor.
struct Fixture : EditorFixture<Frm监考员> {
    Fixture() {
        t.addRoom(project, u"001"_qs, u"张　三"_qs, u"李　四"_qs);
        t.addStaff(project, u"场外监考"_qs, u"001"_qs, u"场外监考"_qs, u"钱　七"_qs);
    }
    void click(const QString& options) {
        for (const QString& name : options.split(u' ', Qt::SkipEmptyParts))
            w->findChild<QRadioButton*>(name)->click();
    }
    void type(const QStringList& fields) {
        w->Txt编号->setText(fields[0]);
        w->Txt姓名->setText(fields[1]);
        w->Cmb性别->setCurrentText(fields[2]);
        w->Cmb安排->setCurrentText(fields[3]);
        w->Txt单位->setText(fields[4]);
        w->Txt电话->setText(fields[5]);
        w->Txt身份证号->setText(fields[6]);
    }
    QStringList shown() const {
        return {w->Txt编号->text(), w->Txt姓名->text(), w->Cmb性别->currentText(), w->Cmb安排->currentText(),
                w->Txt单位->text(), w->Txt电话->text(), w->Txt身份证号->text()};
    }
    db::Row person(const QString& name) {
        return t.db->query(u"select * from 人员安排 where 姓名=?"_qs, {name}).value(0);
    }
};

} // namespace

class TestRosterEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void views_data();
    void views();
    void addChecksAndNormalises();
    void scopeButtonFollowsTheView();
    void modifyKeepsTheCategory();
    void writeGuard();
};

void TestRosterEditor::views_data() {
    QTest::addColumn<QString>("options");      // clicked in order
    QTest::addColumn<QStringList>("captions"); // Option2, Option3, Label9, Label8, the list of Cmb安排
    QTest::addColumn<QString>("first");        // grid row 0
    QTest::newRow("invigilators") << ""
                                  << QStringList{"仅显示甲", "仅显示乙", "监考员名单", "考场号：", "甲,乙"}
                                  << "001  张　三  男  甲  一中";
    QTest::newRow("A") << "Option2" << QStringList{"仅显示甲", "仅显示乙", "监考员甲名单", "考场号：", "甲"}
                       << "001  张　三  男  甲  一中";
    QTest::newRow("B") << "Option3" << QStringList{"仅显示甲", "仅显示乙", "监考员乙名单", "考场号：", "乙"}
                       << "001  李　四  男  乙  一中";
    QTest::newRow("duties") << "Option5"
                            << QStringList{"仅场外监考", "仅验卷", "场外监考及验卷人员", "分组号：",
                                           "场外监考,验卷"}
                            << "001  钱　七  男  场外监考  一中";
    QTest::newRow("outside") << "Option5 Option2"
                             << QStringList{"仅场外监考", "仅验卷", "场外监考人员", "分组号：", "场外监考"}
                             << "001  钱　七  男  场外监考  一中";
    QTest::newRow("paper check") << "Option3 Option5"
                                 << QStringList{"仅场外监考", "仅验卷", "验卷员名单", "分组号：", "验卷"}
                                 << "";
}

void TestRosterEditor::views() {
    Fixture f;
    Frm监考员& w = f.open();
    QFETCH(QString, options);
    f.click(options);
    QStringList duties;
    for (int i = 0; i < w.Cmb安排->count(); ++i)
        duties << w.Cmb安排->itemText(i);
    QTEST((QStringList{w.firstDutyOption->text(), w.secondDutyOption->text(), w.listTitleLabel->text(),
                       w.numberLabel->text(), duties.join(u',')}),
          "captions");
    QTEST(w.grid->rowText(0), "first");
    QCOMPARE(w.txt统计->toPlainText(),
             u"考场数: 1\n 甲监考: 1(0女)\n 乙监考: 1(0女)\n场　外: 1\n验　卷: 0\n可XLS批量导入！"_qs);
    // An empty view clears and disables the fields until 追加.
    const bool empty = w.grid->rowText(0).isEmpty();
    QCOMPARE(w.Txt姓名->isEnabled() && w.Cmd修改->isEnabled(), !empty);
    QCOMPARE(w.Txt姓名->text().isEmpty(), empty);
    w.Cmd追加->click();
    QVERIFY(w.Txt姓名->isEnabled() && w.Cmd修改->isEnabled());
}

// A refused add keeps the typed values; the accepted one is stored padded and normalised,
// quotes and all, and shown back as stored.
void TestRosterEditor::addChecksAndNormalises() {
    Fixture f;
    Frm监考员& w = f.open();
    w.Cmd追加->click();
    QStringList typed{u"3"_qs, u"王 五"_qs, u"女"_qs, u"验卷"_qs, u"一'中\""_qs, u"139'0"_qs, u"ID\"1'"_qs};
    f.type(typed);
    w.Cmd追加->click();
    QCOMPARE(f.s.prompter.last(), u"安排请在列表中选择！"_qs);
    QCOMPARE(f.focused(), u"Cmb安排"_qs);
    QCOMPARE(f.shown(), typed);
    QVERIFY(!w.outsideAndCheckersOption->isEnabled());

    w.Cmb安排->setCurrentText(u"乙"_qs);
    w.Cmd追加->click();
    QCOMPARE(f.s.prompter.said.size(), 1);
    typed[0] = u"003"_qs;
    typed[1] = u"王　五"_qs;
    typed[3] = u"乙"_qs;
    QCOMPARE(f.shown(), typed);
    const db::Row row = f.person(u"王　五"_qs);
    QCOMPARE(db::text(row, u"分组号"_qs), u"003"_qs);
    QCOMPARE(db::text(row, u"分类"_qs), u"监考员"_qs);
    QCOMPARE(db::text(row, u"来源单位"_qs) + db::text(row, u"联系电话"_qs) + db::text(row, u"身份证号"_qs),
             typed[4] + typed[5] + typed[6]);
    QVERIFY(w.txt统计->toPlainText().startsWith(u"考场数: 2\n 甲监考: 1(0女)\n 乙监考: 2(1女)"_qs));
}

void TestRosterEditor::scopeButtonFollowsTheView() {
    EditorFixture<Frm监考员> f;
    f.addRooms(2);
    Frm监考员& w = f.open();
    QVERIFY(!w.Cmd责任->isEnabled());
    w.outsideAndCheckersOption->click();
    QVERIFY(!w.Cmd责任->isEnabled());
    w.Cmd追加->click();
    w.Txt编号->setText(u"12"_qs);
    w.Txt姓名->setText(u"欧 阳 修"_qs);
    w.Cmb性别->setCurrentText(u"男"_qs);
    w.Cmb安排->setCurrentText(u"场外监考"_qs);
    w.Cmd追加->click();
    QCOMPARE(w.grid->rowText(0), u"012  欧阳修  男  场外监考  "_qs);
    QVERIFY(w.Cmd责任->isEnabled());
    w.Cmd责任->click();
    QCOMPARE(f.s.dialogs.ran, QStringList{u"Frm责任"_qs});
}

void TestRosterEditor::modifyKeepsTheCategory() {
    Fixture f;
    Frm监考员& w = f.open();
    f.click(u"Option5 Option2"_qs);
    w.Cmb安排->setCurrentText(u"验卷"_qs);
    w.Cmd修改->click();
    const db::Row row = f.person(u"钱　七"_qs);
    QCOMPARE(db::text(row, u"分类"_qs) + db::text(row, u"工作任务"_qs), u"场外监考验卷"_qs);
    QCOMPARE(w.grid->rowText(0), u"001  钱　七  男  验卷  一中"_qs);
}

void TestRosterEditor::writeGuard() {
    Fixture f;
    f.checkWriteGuard([](Frm监考员& w) { return QList<QPushButton*>{w.Cmd追加, w.Cmd修改, w.Cmd删除}; });
}

QTEST_MAIN(TestRosterEditor)
#include "test_roster_editor.moc"
