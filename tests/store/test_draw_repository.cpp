#include "audit/deletion_record.h"
#include "audit/draw_ledger.h"
#include "fakes.h"
#include "store/draw_repository.h"
#include "test_db.h"

#include <QTest>

using namespace common;
using namespace engine;

namespace {

const QString kChinese = QStringLiteral("语文");

struct Fixture {
    TestDb t;
    FixedRandom random;
    int project = 0;
    WorkingSet ws;

    explicit Fixture(int rooms = 3) {
        project = t.addProject();
        for (int i = 1; i <= rooms; ++i)
            t.addRoom(project, QStringLiteral("00%1").arg(i), QStringLiteral("甲%1").arg(i),
                      QStringLiteral("乙%1").arg(i));
        t.addStaff(project, QStringLiteral("场外监考"), QStringLiteral("01"), {}, QStringLiteral("外一"),
                   QStringLiteral("男"), QStringLiteral("一中"), QStringLiteral("001,002"));
        t.addStaff(project, QStringLiteral("场外监考"), QStringLiteral("02"), {}, QStringLiteral("外二"),
                   QStringLiteral("女"), QStringLiteral("二中"), QStringLiteral("003"));
        t.addStaff(project, QStringLiteral("验卷"), QStringLiteral("01"), {}, QStringLiteral("验一"),
                   QStringLiteral("男"), QStringLiteral("一中"), QStringLiteral("001"));
        t.addStaff(project, QStringLiteral("验卷"), QStringLiteral("02"), {}, QStringLiteral("验二"),
                   QStringLiteral("女"), QVariant(), QStringLiteral("002,003"));
        ws = loadWorkingSet(*t.db, project);
    }

    // Room i gets A person (i mod N) + 1 and B person i; the supervisors swap scopes.
    Candidate shifted() const {
        const int n = ws.roomCount();
        Candidate c;
        c.a = c.b = QVector<int>(n + 1);
        for (int i = 1; i <= n; ++i) {
            c.a[i] = i % n + 1;
            c.b[i] = i;
        }
        c.supervisor = {0, 2, 1};
        return c;
    }

    SaveOutcome save(const QString& subject, bool withDuties, int project = 0) {
        SaveRequest r;
        r.project = project ? project : this->project;
        r.subject = subject;
        r.time = QDateTime(QDate(2026, 6, 7), QTime(9, 30));
        r.withDuties = withDuties;
        r.allowReturn = RuleState::On;
        r.drawCheckers = RuleState::Off;
        StoppedDraw draw;
        draw.candidate = shifted();
        draw.settings.mode = DrawMode::OnlyB;
        draw.settings[Rule::DrawSupervisors] = RuleState::On;
        draw.seed = random.next64();
        draw.stop = recordStop(*t.db, {r.project, subject, r.time}, drawnInputs(ws, draw, r.project, subject),
                               draw.candidate, 1);
        return saveDraw(*t.db, ws, draw, r);
    }

    int count(const QString& table, const QString& kind) const {
        return t.db->scalar(QStringLiteral("select count(*) from %1 where 分类=?").arg(table), {kind})
            .toInt();
    }
    QList<int> batches() const {
        QList<int> out;
        for (const db::Row& r :
             t.db->query(QStringLiteral("select distinct 数据批次 from 抽签历史 order by 1")))
            out << r.value(0).toInt();
        return out;
    }
};

} // namespace

class TestDrawRepository : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void invigilatorRowsCarryTheDrawnPeople();
    void dutiesOnlyWhenAsked_data();
    void dutiesOnlyWhenAsked();
    void dutyRowsSwapScopesAndPeople();
    void batchNumbersCountOverTheWholeTable();
    void failedSaveKeepsThePreviousOne();
    void subjectWithAQuote();
    void listLoadAndDelete();
    void loadedSupervisorIsTheLastScopeNamingTheRoom();
};

void TestDrawRepository::invigilatorRowsCarryTheDrawnPeople() {
    Fixture f;
    QCOMPARE(f.save(kChinese, false).value_or(0), 1);
    const db::Rows rows =
        f.t.db->query(QStringLiteral("select * from 抽签总表 where 分类='监考员' order by 分组号"));
    QCOMPARE(rows.size(), 3);
    const db::Row& first = rows.front();
    QCOMPARE(db::text(first, QStringLiteral("分组号")), QStringLiteral("001"));
    QCOMPARE(db::text(first, QStringLiteral("监考员甲")), QStringLiteral("甲2"));
    QCOMPARE(db::text(first, QStringLiteral("甲身份证号")), QStringLiteral("ID-甲2"));
    QCOMPARE(db::text(first, QStringLiteral("监考员乙")), QStringLiteral("乙1"));
    QCOMPARE(db::text(first, QStringLiteral("乙单位")), QStringLiteral("一中"));
    QCOMPARE(db::text(first, QStringLiteral("科目")), kChinese);
    QCOMPARE(db::text(first, QStringLiteral("时间")), QStringLiteral("2026-06-07 09:30:00"));
    QVERIFY(first.value(QStringLiteral("责任范围")).isNull());

    const db::Rows code = f.t.db->query(QStringLiteral("select * from 抽签总表 where 分类='抽签参数'"));
    QCOMPARE(code.size(), 1);
    QCOMPARE(db::text(code.front(), QStringLiteral("分组号")), QStringLiteral("1000010"));
    QVERIFY(code.front().value(QStringLiteral("监考员甲")).isNull());

    const db::Rows history = f.t.db->query(QStringLiteral("select * from 抽签历史 order by 序号"));
    QCOMPARE(history.size(), 3);
    QCOMPARE(db::integer(history[2], QStringLiteral("序号")), 3);
    QCOMPARE(db::integer(history[2], QStringLiteral("甲")), 1);
    QCOMPARE(db::integer(history[2], QStringLiteral("乙")), 3);
    QCOMPARE(db::text(history[2], QStringLiteral("分类")), QStringLiteral("监考员"));
    QCOMPARE(db::integer(history[2], QStringLiteral("数据批次")), 1);
}

void TestDrawRepository::dutiesOnlyWhenAsked_data() {
    QTest::addColumn<bool>("withDuties");
    QTest::addColumn<int>("dutyRows");
    QTest::newRow("不追加场外及验卷") << false << 0;
    QTest::newRow("按预选参数处理") << true << 2;
}

void TestDrawRepository::dutiesOnlyWhenAsked() {
    QFETCH(bool, withDuties);
    QFETCH(int, dutyRows);
    Fixture f;
    // An earlier save of the subject with duties: a save without them leaves none behind.
    f.save(kChinese, true);
    f.save(kChinese, withDuties);
    for (const QString& table : {QStringLiteral("抽签总表"), QStringLiteral("抽签历史")}) {
        QCOMPARE(f.count(table, QStringLiteral("场外监考")), dutyRows);
        QCOMPARE(f.count(table, QStringLiteral("验卷")), dutyRows);
        QCOMPARE(f.count(table, QStringLiteral("监考员")), 3);
    }
    QCOMPARE(f.count(QStringLiteral("抽签总表"), QStringLiteral("抽签参数")), 1);
}

void TestDrawRepository::dutyRowsSwapScopesAndPeople() {
    Fixture f;
    f.save(kChinese, true);
    // Outside supervisor j keeps its own details and receives the scope of row p[j].
    const db::Rows outside =
        f.t.db->query(QStringLiteral("select * from 抽签总表 where 分类='场外监考' order by 分组号"));
    QCOMPARE(db::text(outside[0], QStringLiteral("监考员甲")), QStringLiteral("外一"));
    QCOMPARE(db::text(outside[0], QStringLiteral("责任范围")), QStringLiteral("003"));
    QCOMPARE(db::text(outside[1], QStringLiteral("甲性别")), QStringLiteral("女"));
    QCOMPARE(db::text(outside[1], QStringLiteral("责任范围")), QStringLiteral("001,002"));
    const db::Rows history = f.t.db->query(
        QStringLiteral("select 序号, 甲, 乙 from 抽签历史 where 分类='场外监考' order by 序号"));
    QCOMPARE(history[0].value(1).toInt(), 2);
    QVERIFY(history[0].value(2).isNull());
    // Check6 unchecked: every paper-check scope keeps its own checker; a NULL unit is stored empty.
    const db::Rows checkers =
        f.t.db->query(QStringLiteral("select * from 抽签总表 where 分类='验卷' order by 分组号"));
    QCOMPARE(db::text(checkers[1], QStringLiteral("监考员甲")), QStringLiteral("验二"));
    QCOMPARE(db::text(checkers[1], QStringLiteral("责任范围")), QStringLiteral("002,003"));
    QCOMPARE(checkers[1].value(QStringLiteral("甲单位")).toString(), QString());
}

void TestDrawRepository::batchNumbersCountOverTheWholeTable() {
    Fixture f;
    const int other = f.t.addProject(QStringLiteral("另一考试"));
    f.t.db->exec(QStringLiteral("insert into 抽签历史 (项目编号, 科目, 数据批次, 分类, 序号, 甲, 乙) "
                                "values (?, '数学', 12, '监考员', 1, 1, 1)"),
                 {other});
    QCOMPARE(f.save(kChinese, false).value_or(0), 13);
    // The subject's own batch held the maximum: deleted first, its number comes back.
    QCOMPARE(f.save(kChinese, false).value_or(0), 13);
    QCOMPARE(f.save(QStringLiteral("数学"), false).value_or(0), 14);
    QCOMPARE(f.save(kChinese, false).value_or(0), 15);
    QCOMPARE(f.batches(), (QList<int>{12, 14, 15}));
}

void TestDrawRepository::failedSaveKeepsThePreviousOne() {
    Fixture f;
    f.save(kChinese, true);
    const auto snapshot = [&f] {
        QStringList rows;
        for (const QString& table : {QStringLiteral("抽签总表"), QStringLiteral("抽签历史"),
                                     QStringLiteral("抽签校验"), QStringLiteral("抽签删除记录")})
            for (const db::Row& r :
                 f.t.db->query(QStringLiteral("select * from %1 order by 编号").arg(table))) {
                QStringList fields;
                for (int i = 0; i < r.count(); ++i)
                    fields << r.value(i).toString();
                rows << fields.join(QLatin1Char('|'));
            }
        return rows;
    };
    const QStringList before = snapshot();
    f.t.failInserts(QStringLiteral("抽签历史"), QStringLiteral("disk is full"),
                    QStringLiteral("new.分类='监考员'"));
    const SaveOutcome failed = f.save(kChinese, true); // the database's error, returned
    QVERIFY(!failed);
    QVERIFY2(failed.error().text().contains(QStringLiteral("disk is full")),
             qPrintable(failed.error().text()));
    QCOMPARE(snapshot(), before);
}

void TestDrawRepository::subjectWithAQuote() {
    Fixture f;
    const QString subject = QStringLiteral("O'Neil 英语");
    f.save(subject, true);
    QCOMPARE(savedDraws(*f.t.db, f.project).size(), 1);
    QCOMPARE(savedDraws(*f.t.db, f.project).front().entry(),
             subject + QStringLiteral(" # 2026-06-07 09:30:00"));
    QCOMPARE(loadSavedDraw(*f.t.db, f.project, subject, false).size(), 3);
    QCOMPARE(readCertificates(*f.t.db).size(), 1);
    const Certificate saved = readCertificates(*f.t.db).front();
    deleteSavedDraw(*f.t.db, f.project, subject, QDateTime(QDate(2026, 6, 8), QTime(7, 0)));
    for (const QString& table :
         {QStringLiteral("抽签总表"), QStringLiteral("抽签历史"), QStringLiteral("抽签校验")})
        QCOMPARE(f.t.db->scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt(), 0);
    // What went is on record, with the digest (and so the printed code) of its certificate.
    const QVector<DeletionRecord> gone = readDeletionRecords(*f.t.db);
    QCOMPARE(gone.size(), 1);
    QCOMPARE(gone[0].subject, subject);
    QCOMPARE(gone[0].batch, saved.batch);
    QCOMPARE(gone[0].time, saved.time);
    QCOMPARE(gone[0].deletedAt, QStringLiteral("2026-06-08 07:00:00"));
    QCOMPARE(gone[0].method, kDeletedByOperator);
    QCOMPARE(gone[0].resultDigest, saved.resultDigest);
}

void TestDrawRepository::listLoadAndDelete() {
    Fixture f;
    const int other = f.t.addProject(QStringLiteral("另一考试"));
    f.save(kChinese, false);
    f.t.db->exec(QStringLiteral("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号) values "
                                "(?, '数学', '2026-06-07 15:30:00', '监考员', '001')"),
                 {f.project});
    f.t.db->exec(QStringLiteral("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号) values "
                                "(?, '物理', '2026-06-08 15:30:00', '监考员', '001')"),
                 {other});
    const QVector<SavedDraw> list = savedDraws(*f.t.db, f.project);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0].entry(), QStringLiteral("数学 # 2026-06-07 15:30:00"));
    QCOMPARE(list[1].entry(), QStringLiteral("语文 # 2026-06-07 09:30:00"));

    const QVector<SavedRoom> rooms = loadSavedDraw(*f.t.db, f.project, kChinese, false);
    QCOMPARE(rooms.size(), 3);
    QCOMPARE(rooms[0].boxText(), QStringLiteral("001.甲2,乙1,"));

    deleteSavedDraw(*f.t.db, f.project, kChinese);
    QCOMPARE(savedDraws(*f.t.db, f.project).size(), 1);
    QCOMPARE(f.count(QStringLiteral("抽签历史"), QStringLiteral("监考员")), 0);
    QCOMPARE(savedDraws(*f.t.db, other).size(), 1);
}

void TestDrawRepository::loadedSupervisorIsTheLastScopeNamingTheRoom() {
    Fixture f;
    f.save(kChinese, true);
    auto addSupervisor = [&f](const QString& room, const QString& name, const QVariant& scope) {
        f.t.db->exec(
            QStringLiteral("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号, 监考员甲, 责任范围) "
                           "values (?, ?, '2026-06-07 09:30:00', '场外监考', ?, ?, ?)"),
            {f.project, kChinese, room, name, scope});
    };
    addSupervisor(QStringLiteral("03"), QStringLiteral("外三"), QStringLiteral("002, 001"));
    addSupervisor(QStringLiteral("04"), QStringLiteral("外四"), QVariant());
    const QVector<SavedRoom> rooms = loadSavedDraw(*f.t.db, f.project, kChinese, true);
    QCOMPARE(rooms[0].boxText(), QStringLiteral("001.甲2,乙1,外二"));
    // " 001" is not "001": the pieces are compared untrimmed.
    QCOMPARE(rooms[1].supervisor, QStringLiteral("外三"));
    QCOMPARE(rooms[2].supervisor, QStringLiteral("外一"));
}

QTEST_MAIN(TestDrawRepository)
#include "test_draw_repository.moc"
