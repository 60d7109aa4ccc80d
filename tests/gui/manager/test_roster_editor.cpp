#include "editor_fixture.h"
#include "manager/ui/roster_editor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

using namespace manager::ui;

namespace {

struct RosterControls : EditorControls {
    using EditorControls::EditorControls;
    QRadioButton* outsideAndCheckersOption = control<QRadioButton>(&w, u"Option5"_qs);
    QRadioButton* firstDutyOption = control<QRadioButton>(&w, u"Option2"_qs);
    QRadioButton* secondDutyOption = control<QRadioButton>(&w, u"Option3"_qs);
    QLabel* listTitleLabel = control<QLabel>(&w, u"Label9"_qs);
    QLabel* numberLabel = control<QLabel>(&w, u"Label8"_qs);
    QPlainTextEdit* txt统计 = control<QPlainTextEdit>(&w, u"txt统计"_qs);
    QLineEdit* Txt编号 = control<QLineEdit>(&w, u"Txt编号"_qs);
    QLineEdit* Txt姓名 = control<QLineEdit>(&w, u"Txt姓名"_qs);
    QComboBox* Cmb性别 = control<QComboBox>(&w, u"Cmb性别"_qs);
    QComboBox* Cmb安排 = control<QComboBox>(&w, u"Cmb安排"_qs);
    QLineEdit* Txt单位 = control<QLineEdit>(&w, u"Txt单位"_qs);
    QLineEdit* Txt电话 = control<QLineEdit>(&w, u"Txt电话"_qs);
    QLineEdit* Txt身份证号 = control<QLineEdit>(&w, u"Txt身份证号"_qs);
    QPushButton* Cmd责任 = control<QPushButton>(&w, u"Cmd责任"_qs);
};

// Room 001 with its pair and one outside supervisor.
struct Fixture : EditorFixture<Frm监考员> {
    Fixture() {
        t.addRoom(project, u"001"_qs, u"张　三"_qs, u"李　四"_qs);
        t.addStaff(project, u"场外监考"_qs, u"001"_qs, u"场外监考"_qs, u"钱　七"_qs);
    }
    void click(const QString& options) {
        for (const QString& name : options.split(u' ', Qt::SkipEmptyParts))
            control<QRadioButton>(w.get(), name)->click();
    }
    void type(const QStringList& fields) {
        const RosterControls c(*w);
        c.Txt编号->setText(fields[0]);
        c.Txt姓名->setText(fields[1]);
        c.Cmb性别->setCurrentText(fields[2]);
        c.Cmb安排->setCurrentText(fields[3]);
        c.Txt单位->setText(fields[4]);
        c.Txt电话->setText(fields[5]);
        c.Txt身份证号->setText(fields[6]);
    }
    QStringList shown() const {
        const RosterControls c(*w);
        return {c.Txt编号->text(), c.Txt姓名->text(), c.Cmb性别->currentText(), c.Cmb安排->currentText(),
                c.Txt单位->text(), c.Txt电话->text(), c.Txt身份证号->text()};
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
    const RosterControls c(f.open());
    QFETCH(QString, options);
    f.click(options);
    QStringList duties;
    for (int i = 0; i < c.Cmb安排->count(); ++i)
        duties << c.Cmb安排->itemText(i);
    QTEST((QStringList{c.firstDutyOption->text(), c.secondDutyOption->text(), c.listTitleLabel->text(),
                       c.numberLabel->text(), duties.join(u',')}),
          "captions");
    QTEST(c.grid->rowText(0), "first");
    QCOMPARE(c.txt统计->toPlainText(),
             u"考场数: 1\n 甲监考: 1(0女)\n 乙监考: 1(0女)\n场　外: 1\n验　卷: 0\n可XLS批量导入！"_qs);
    // An empty view clears and disables the fields until 追加.
    const bool empty = c.grid->rowText(0).isEmpty();
    QCOMPARE(c.Txt姓名->isEnabled() && c.Cmd修改->isEnabled(), !empty);
    QCOMPARE(c.Txt姓名->text().isEmpty(), empty);
    c.Cmd追加->click();
    QVERIFY(c.Txt姓名->isEnabled() && c.Cmd修改->isEnabled());
}

// A refused add keeps the typed values; the accepted one is stored padded and normalised,
// quotes and all, and shown back as stored.
void TestRosterEditor::addChecksAndNormalises() {
    Fixture f;
    const RosterControls c(f.open());
    c.Cmd追加->click();
    QStringList typed{u"3"_qs, u"王 五"_qs, u"女"_qs, u"验卷"_qs, u"一'中\""_qs, u"139'0"_qs, u"ID\"1'"_qs};
    f.type(typed);
    c.Cmd追加->click();
    QCOMPARE(f.s.prompter.last(), u"安排请在列表中选择！"_qs);
    QCOMPARE(f.focused(), u"Cmb安排"_qs);
    QCOMPARE(f.shown(), typed);
    QVERIFY(!c.outsideAndCheckersOption->isEnabled());

    c.Cmb安排->setCurrentText(u"乙"_qs);
    c.Cmd追加->click();
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
    QVERIFY(c.txt统计->toPlainText().startsWith(u"考场数: 2\n 甲监考: 1(0女)\n 乙监考: 2(1女)"_qs));
}

void TestRosterEditor::scopeButtonFollowsTheView() {
    EditorFixture<Frm监考员> f;
    f.addRooms(2);
    const RosterControls c(f.open());
    QVERIFY(!c.Cmd责任->isEnabled());
    c.outsideAndCheckersOption->click();
    QVERIFY(!c.Cmd责任->isEnabled());
    c.Cmd追加->click();
    c.Txt编号->setText(u"12"_qs);
    c.Txt姓名->setText(u"欧 阳 修"_qs);
    c.Cmb性别->setCurrentText(u"男"_qs);
    c.Cmb安排->setCurrentText(u"场外监考"_qs);
    c.Cmd追加->click();
    QCOMPARE(c.grid->rowText(0), u"012  欧阳修  男  场外监考  "_qs);
    QVERIFY(c.Cmd责任->isEnabled());
    c.Cmd责任->click();
    QCOMPARE(f.s.dialogs.ran, QStringList{u"Frm责任"_qs});
}

void TestRosterEditor::modifyKeepsTheCategory() {
    Fixture f;
    const RosterControls c(f.open());
    f.click(u"Option5 Option2"_qs);
    c.Cmb安排->setCurrentText(u"验卷"_qs);
    c.Cmd修改->click();
    const db::Row row = f.person(u"钱　七"_qs);
    QCOMPARE(db::text(row, u"分类"_qs) + db::text(row, u"工作任务"_qs), u"场外监考验卷"_qs);
    QCOMPARE(c.grid->rowText(0), u"001  钱　七  男  验卷  一中"_qs);
}

void TestRosterEditor::writeGuard() {
    Fixture f;
    f.checkWriteGuard({u"Cmd追加"_qs, u"Cmd修改"_qs, u"Cmd删除"_qs});
}

QTEST_MAIN(TestRosterEditor)
#include "test_roster_editor.moc"
