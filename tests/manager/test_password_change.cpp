#include "common/startup.h"
#include "db/password_hash.h"
#include "manager/password_change.h"
#include "test_db.h"

#include <QTest>

using namespace manager;

class TestPasswordChange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusalsInOrder_data();
    void refusalsInOrder();
    void savesTheRowTheLoginChecks();
};

void TestPasswordChange::refusalsInOrder_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("text"); // empty: accepted
    QTest::addColumn<int>("box");
    QTest::addColumn<bool>("clear");
    const int none = int(PasswordBox::None), oldBox = int(PasswordBox::Old), newBox = int(PasswordBox::New),
              again = int(PasswordBox::Again);
    // The stored password is "Secret1".
    QTest::newRow("read-only before anything") << true << "x"
                                               << ""
                                               << "" << common::readOnlyWriteText() << none << false;
    QTest::newRow("old in another case") << false << "secret1"
                                         << "abc"
                                         << ""
                                         << "旧密码不正确！" << oldBox << true;
    QTest::newRow("3 characters") << false << "Secret1"
                                  << "abc"
                                  << "abc"
                                  << "新密码需要不少于4个字符！" << newBox << true;
    QTest::newRow("same as old") << false << "Secret1"
                                 << "Secret1"
                                 << "Secret1"
                                 << "新密码与旧密码相同，无须修改！" << newBox << true;
    QTest::newRow("again empty") << false << "Secret1"
                                 << "abcd"
                                 << ""
                                 << "请再输入一次新密码！" << again << false;
    QTest::newRow("again differs") << false << "Secret1"
                                   << "abcd"
                                   << "abce"
                                   << "两次新密码不一致！" << again << true;
    QTest::newRow("4 characters accepted") << false << "Secret1"
                                           << "abcd"
                                           << "abcd"
                                           << "" << none << false;
}

void TestPasswordChange::refusalsInOrder() {
    QFETCH(bool, readOnly);
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, again);
    QFETCH(QString, text);
    QFETCH(int, box);
    QFETCH(bool, clear);
    common::RunState state;
    state.ZD = readOnly;
    static const QString stored = db::hashPassword(u"Secret1"_qs);
    state.YhMm = stored;
    const std::optional<PasswordRefusal> r = checkPasswordChange({oldText, newText, again}, state);
    if (text.isEmpty()) {
        QVERIFY(!r);
        return;
    }
    QVERIFY(r);
    QCOMPARE(*r, (PasswordRefusal{text, PasswordBox(box), clear}));
}

void TestPasswordChange::savesTheRowTheLoginChecks() {
    TestDb t;
    db::insertSystemSettings(*t.db, u"第二单位"_qs, u"other"_qs);
    common::RunState state;
    QVERIFY(common::readActiveSettings(*t.db, state));
    QVERIFY(savePassword(*t.db, state, u"n'ew1"_qs));
    const QString stored =
        t.db->scalar(u"select 密码 from 系统设置 where 编号=?"_qs, {state.XTID}).toString();
    QCOMPARE(state.YhMm, stored);
    QVERIFY2(db::isPasswordHash(stored), qPrintable(stored));
    QVERIFY(db::passwordMatches(stored, u"n'ew1"_qs));
    QCOMPARE(t.db->scalar(u"select count(*) from 系统设置 where 密码='other'"_qs).toInt(), 1);
}

QTEST_GUILESS_MAIN(TestPasswordChange)
#include "test_password_change.moc"
