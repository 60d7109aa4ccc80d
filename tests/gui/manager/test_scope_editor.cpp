#include "editor_fixture.h"
#include "manager/ui/scope_editor.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

using namespace manager::ui;

using Fixture = EditorFixture<Frm责任>;

namespace {

const QString kOutside = u"场外监考"_qs;

struct ScopeControls {
    const Frm责任& w;
    QRadioButton* checkersOption = control<QRadioButton>(&w, u"Option2"_qs);
    QLabel* headingLabel = control<QLabel>(&w, u"Label7"_qs);
    RecordGrid* grid = control<RecordGrid>(&w, u"recordGrid"_qs);
    QList<QCheckBox*> Chk考室 = controlArray<QCheckBox>(&w, u"Chk考室"_qs);
    QPushButton* saveButton = control<QPushButton>(&w, u"Command1"_qs);
    QPushButton* invertButton = control<QPushButton>(&w, u"Command2"_qs);
    QPushButton* selectAllButton = control<QPushButton>(&w, u"Command3"_qs);
    QPushButton* oneToOneButton = control<QPushButton>(&w, u"Command4"_qs);
    QLabel* Lbl超出 = control<QLabel>(&w, u"Lbl超出"_qs);
    explicit ScopeControls(const Frm责任& window) : w(window) {}
};

QString tickedRooms(const Frm责任& w) {
    QStringList out;
    for (const QCheckBox* box : ScopeControls(w).Chk考室) {
        if (box->isVisibleTo(&w) && box->isChecked())
            out << box->text();
    }
    return out.join(u',');
}

QString scopeOf(Fixture& f, const QString& name) {
    return f.t.db->scalar(u"select 责任范围 from 人员安排 where 姓名=?"_qs, {name}).toString();
}

} // namespace

class TestScopeEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scopesOfTheCurrentAndOthers();
    void oneToOne_data();
    void oneToOne();
    void emptyCategory();
    void gridPlacesAndMoreRooms();
    void writeGuard();
};

// The current person's rooms ticked and red; another's rooms disabled and never saved, not
// even after 全选; inverting and saving leaves an empty scope.
void TestScopeEditor::scopesOfTheCurrentAndOthers() {
    Fixture f;
    f.addRooms(12);
    f.addDuty(kOutside, 2, {u"003,004"_qs});
    f.t.addStaff(f.project, kOutside, u"009"_qs, kOutside, u"O'Neil \"小\""_qs, u"男"_qs, u"一中"_qs,
                 u"009"_qs);
    Frm责任& w = f.open();
    const ScopeControls c(w);
    QCOMPARE(c.grid->rowText(2), u"009 O'Neil \"小\" 男"_qs);
    QCOMPARE(tickedRooms(w), u"003,004"_qs);
    for (int k = 0; k < 12; ++k) {
        QCOMPARE(c.Chk考室[k]->text(), Fixture::room(k + 1));
        QCOMPARE(c.Chk考室[k]->styleSheet().contains(u"255, 0, 0"_qs), k == 2 || k == 3);
        QCOMPARE(c.Chk考室[k]->isEnabled(), k != 8);
    }
    QVERIFY(!c.Chk考室[12]->isVisibleTo(&w));

    QTest::mouseClick(c.grid->row(1), Qt::LeftButton);
    QCOMPARE(c.grid->rowText(0), u"002 场外监考2 男"_qs);
    QCOMPARE(tickedRooms(w), QString());
    QVERIFY(!c.Chk考室[2]->isEnabled() && !c.Chk考室[3]->isEnabled() && c.Chk考室[4]->isEnabled());
    c.selectAllButton->click();
    c.saveButton->click();
    QCOMPARE(scopeOf(f, u"场外监考2"_qs), u"001,002,005,006,007,008,010,011,012"_qs);
    QVERIFY(c.Chk考室[2]->isChecked());
    c.invertButton->click();
    QCOMPARE(tickedRooms(w), QString());
    c.saveButton->click();
    QCOMPARE(scopeOf(f, u"场外监考2"_qs), QString());
    QCOMPARE(scopeOf(f, u"场外监考1"_qs), u"003,004"_qs);
    QVERIFY(f.s.prompter.said.isEmpty());
}

void TestScopeEditor::oneToOne_data() {
    QTest::addColumn<int>("people");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("12 for 12 rooms") << 12 << true;
    QTest::newRow("11 for 12 rooms") << 11 << false;
}

void TestScopeEditor::oneToOne() {
    QFETCH(int, people);
    Fixture f;
    f.addRooms(12);
    f.addDuty(u"验卷"_qs, people);
    Frm责任& w = f.open();
    const ScopeControls c(w);
    QVERIFY(!c.oneToOneButton->isEnabled());
    c.checkersOption->click();
    QCOMPARE(c.headingLabel->text(), u"验卷责任范围"_qs);
    QTEST(c.oneToOneButton->isEnabled(), "enabled");
    if (!c.oneToOneButton->isEnabled())
        return;
    QTest::mouseClick(c.grid->row(3), Qt::LeftButton);
    c.oneToOneButton->click();
    for (int j = 1; j <= people; ++j)
        QCOMPARE(scopeOf(f, u"验卷"_qs + QString::number(j)), Fixture::room(j));
    QCOMPARE(c.grid->rowText(0), u"001 验卷1 男"_qs);
    QCOMPARE(tickedRooms(w), u"001"_qs);
}

void TestScopeEditor::emptyCategory() {
    Fixture f;
    f.addRooms(12);
    f.addDuty(u"验卷"_qs, 3);
    Frm责任& w = f.open();
    const ScopeControls c(w);
    QCOMPARE(c.grid->rowText(0), QString());
    for (int k = 0; k < 12; ++k)
        QVERIFY(c.Chk考室[k]->isVisibleTo(&w) && !c.Chk考室[k]->isEnabled());
    QVERIFY(!c.saveButton->isEnabled() && !c.invertButton->isEnabled() && !c.selectAllButton->isEnabled());
}

// Box k stands in column k div 18, row k mod 18; rooms beyond the 162 places are said once,
// and a save keeps those of them the scope holds.
void TestScopeEditor::gridPlacesAndMoreRooms() {
    Fixture f;
    f.addRooms(200);
    f.addDuty(kOutside, 1, {u"001,170"_qs});
    Frm责任& w = f.open();
    const ScopeControls c(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QCheckBox* box18 = c.Chk考室[18];
    QCOMPARE(box18->toolTip() + box18->text(), u"18019"_qs);
    QCOMPARE(box18->y(), c.Chk考室[0]->y());
    QVERIFY(box18->x() > c.Chk考室[17]->x());
    QCOMPARE(c.Chk考室[17]->x(), c.Chk考室[0]->x());
    QCOMPARE(c.Chk考室.size(), 162);
    QVERIFY(c.Chk考室[161]->isVisible());
    QVERIFY(c.Lbl超出->isVisible() && c.Lbl超出->text().contains(u"200"_qs));

    c.Chk考室[1]->setChecked(true);
    c.saveButton->click();
    QCOMPARE(scopeOf(f, u"场外监考1"_qs), u"001,002,170"_qs);
}

void TestScopeEditor::writeGuard() {
    Fixture f;
    f.addRooms(2);
    f.addDuty(kOutside, 2);
    f.checkWriteGuard({u"Command1"_qs, u"Command4"_qs}); // 保存, 一对一自动匹配
}

QTEST_MAIN(TestScopeEditor)
#include "test_scope_editor.moc"
