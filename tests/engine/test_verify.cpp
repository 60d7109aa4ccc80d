// Saved draws checked against their certificates: draws saved through the run and verified,
// every kind of tampering caught, another engine version reported as such, and the command.
#include "db/schema.h"
#include "draw_fixtures.h"
#include "engine/draw_run.h"
#include "engine/verify.h"
#include "engine/verify_command.h"
#include "fakes.h"
#include "test_db.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using namespace engine;

Q_DECLARE_METATYPE(engine::DrawSettings)

namespace {

const QString kChinese = QStringLiteral("语文");
const QString kMaths = QStringLiteral("数学");

// A project of eight rooms with both sexes, three units, a B without a unit and an A whose
// sex is an empty text (not NULL), four outside supervisors and three paper checkers.
struct Centre {
    TestDb t;
    int project = 0;
    WorkingSet ws;
    std::uint64_t stream = 1;

    Centre() {
        project = t.addProject();
        db::Transaction tx(*t.db);
        for (int i = 1; i <= 8; ++i) {
            const QString room = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            const QVariant units[] = {QVariant("一中"), QVariant("二中"), QVariant("三中")};
            t.addStaff(
                project, QStringLiteral("监考员"), room, QStringLiteral("甲"), QStringLiteral("甲%1").arg(i),
                i == 3 ? QVariant(QString(QLatin1String(""))) : QVariant(i % 2 ? "男" : "女"), units[i % 3]);
            t.addStaff(project, QStringLiteral("监考员"), room, QStringLiteral("乙"),
                       QStringLiteral("乙%1").arg(i), QVariant(i % 2 ? "女" : "男"),
                       i == 5 ? QVariant() : units[(i + 1) % 3]);
        }
        for (int j = 1; j <= 4; ++j)
            t.addStaff(project, QStringLiteral("场外监考"), QStringLiteral("0%1").arg(j), {},
                       QStringLiteral("外\t%1").arg(j), QStringLiteral("男"), QStringLiteral("一中"),
                       QStringLiteral("%1,%2")
                           .arg(2 * j - 1, 3, 10, QLatin1Char('0'))
                           .arg(2 * j, 3, 10, QLatin1Char('0')));
        for (int j = 1; j <= 3; ++j)
            t.addStaff(project, QStringLiteral("验卷"), QStringLiteral("0%1").arg(j), {},
                       QStringLiteral("验%1").arg(j), QStringLiteral("女"),
                       j == 2 ? QVariant() : QVariant("二中"), QStringLiteral("00%1").arg(j));
        tx.commit();
        ws = loadWorkingSet(*t.db, project);
    }

    // Draws and saves `subject` as the draw window does; the batch number.
    int draw(const QString& subject, const DrawSettings& settings, bool withDuties = true) {
        FixedRandom random(stream++);
        DrawRun run(ws, random);
        const DrawResult started = run.start(settings, loadPairingHistory(*t.db, project),
                                             loadDutyHistory(*t.db, project, QStringLiteral("场外监考"), 4));
        if (started.status == DrawStatus::Impossible) {
            qWarning() << started.reason;
            return -1;
        }
        const DrawResult stopped = run.stop(loadPairingHistory(*t.db, project), 10'000);
        if (stopped.status != DrawStatus::Done) {
            qWarning() << stopped.reason;
            return -1;
        }
        SaveRequest r;
        r.project = project;
        r.subject = subject;
        r.time = QDateTime(QDate(2026, 6, 7), QTime(8, 0)).addSecs(3600 * stream);
        r.withDuties = withDuties;
        r.allowReturn = settings[Rule::AllowReturn];
        r.drawCheckers = settings[Rule::DrawCheckers];
        const SaveOutcome saved = run.save(*t.db, r);
        if (!saved.refusal.isEmpty())
            qWarning() << saved.refusal;
        return saved.refusal.isEmpty() ? saved.batch : -1;
    }

    QVector<BatchVerdict> verify() const { return verifyDraws(*t.db); }
    BatchVerdict verdictOf(int batch) const {
        const QVector<BatchVerdict> v = verifyDraws(*t.db, 0, batch);
        return v.size() == 1 ? v.front() : BatchVerdict{};
    }
};

DrawSettings allRulesOn(int mode) {
    return fixture::settings(mode, {0, 0, 1, 1, 1, 1});
}

// Writes the certificate of `batch` again as another engine version would have: its inputs
// say `version`, and both digests are made to fit what is stored now.
void reissue(db::Database& db, int batch, int version) {
    Certificate c = readCertificates(db, 0, batch).front();
    c.inputs.replace(QStringLiteral("\nengine\t%1\n").arg(c.engineVersion),
                     QStringLiteral("\nengine\t%1\n").arg(version));
    c.engineVersion = version;
    c.inputDigest = sha256Hex(c.inputs);
    c.resultDigest = sha256Hex(canonicalResult(c.inputDigest, readSavedRows(db, c.project, c.subject)));
    db.exec(
        QStringLiteral("update 抽签校验 set 引擎版本=?, 输入数据=?, 输入摘要=?, 结果摘要=? where 数据批次=?"),
        {version, c.inputs, c.inputDigest, c.resultDigest, batch});
}

QByteArray fileDigest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

} // namespace

class TestVerify : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedDrawsVerify_data();
    void savedDrawsVerify();
    void tamperingIsCaught_data();
    void tamperingIsCaught();
    void anotherEngineVersionChecksRulesOnly();
    void olderFileWithoutCertificates();
    void command();
};

void TestVerify::savedDrawsVerify_data() {
    QTest::addColumn<DrawSettings>("settings");
    QTest::addColumn<bool>("withDuties");
    QTest::newRow("甲乙独立抽签") << allRulesOn(0) << true;
    QTest::newRow("只抽乙不动甲") << allRulesOn(1) << true;
    QTest::newRow("只抽甲不动乙") << allRulesOn(2) << true;
    QTest::newRow("returns and partners allowed") << fixture::settings(0, {1, 1, 0, 0, 1, 1}) << true;
    QTest::newRow("duties not drawn") << fixture::settings(0, {0, 0, 0, 0, 0, 0}) << true;
    QTest::newRow("without duties") << allRulesOn(0) << false;
}

// Three subjects saved one after another, each against the history of the ones before; the
// first saved again, which replaces its batch and its certificate.
void TestVerify::savedDrawsVerify() {
    QFETCH(DrawSettings, settings);
    QFETCH(bool, withDuties);
    Centre c;
    for (const QString& subject : {kChinese, kMaths, QStringLiteral("英语"), kChinese})
        QVERIFY(c.draw(subject, settings, withDuties) > 0);
    const QVector<BatchVerdict> verdicts = c.verify();
    QCOMPARE(verdicts.size(), 3);
    for (const BatchVerdict& v : verdicts) {
        QVERIFY2(v.status == BatchVerdict::Status::Consistent, qPrintable(v.line()));
        QVERIFY(v.line().endsWith(QStringLiteral("：一致")));
        QCOMPARE(v.code.size(), 19);
    }
    QCOMPARE(readCertificates(*c.t.db).size(), 3);
    // The history the last save saw holds the other subjects: the replay really used it.
    const std::optional<DrawInputs> in = decodeInputs(readCertificates(*c.t.db).back().inputs);
    QVERIFY(in);
    QCOMPARE(in->pairingHistory.size(), 24);
    QCOMPARE(in->checkers.size(), withDuties ? 4 : 1);
}

void TestVerify::tamperingIsCaught_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("reason");
    QTest::newRow("抽签历史 甲 of a room")
        << QStringLiteral("update 抽签历史 set 甲=case when 甲=1 then 2 else 1 end where 科目='语文' and "
                          "分类='监考员' and 序号=1")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签历史 验卷 row")
        << QStringLiteral("update 抽签历史 set 甲=甲%3+1 where 科目='语文' and 分类='验卷' and 序号=2")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签历史 batch number")
        << QStringLiteral("update 抽签历史 set 数据批次=99 where 科目='语文' and 序号=3 and 分类='监考员'")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签历史 row deleted")
        << QStringLiteral("delete from 抽签历史 where 科目='语文' and 序号=8 and 分类='监考员'")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签总表 name")
        << QStringLiteral(
               "update 抽签总表 set 监考员乙='张三' where 科目='语文' and 分组号='004' and 分类='监考员'")
        << QStringLiteral("抽签总表与抽签历史的安排不符");
    QTest::newRow("抽签总表 scope")
        << QStringLiteral(
               "update 抽签总表 set 责任范围='001' where 科目='语文' and 分类='场外监考' and 分组号='02'")
        << QStringLiteral("抽签总表与重放结果不符");
    QTest::newRow("抽签总表 unit")
        << QStringLiteral(
               "update 抽签总表 set 乙单位='四中' where 科目='语文' and 分组号='002' and 分类='监考员'")
        << QStringLiteral("抽签总表与重放结果不符");
    QTest::newRow("抽签总表 parameter code")
        << QStringLiteral("update 抽签总表 set 分组号='0111111' where 科目='语文' and 分类='抽签参数'")
        << QStringLiteral("抽签总表与抽签历史的安排不符");
    QTest::newRow("抽签总表 row added")
        << QStringLiteral("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号, 监考员甲) select "
                          "项目编号, 科目, 时间, "
                          "'场外监考', '09', '李四' from 抽签总表 where 科目='语文' and 分类='抽签参数'")
        << QStringLiteral("保存的抽签结果与结果摘要不符");
    QTest::newRow("one byte of the inputs")
        << QStringLiteral("update 抽签校验 set 输入数据=replace(输入数据, '乙3', '乙8') where 科目='语文'")
        << QStringLiteral("保存的抽签输入与输入摘要不符");
    QTest::newRow("the seed, digests fitted") << QString() << QStringLiteral("抽签历史与重放结果不符");
}

void TestVerify::tamperingIsCaught() {
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    Centre c;
    const int maths = c.draw(kMaths, allRulesOn(0));
    const int chinese = c.draw(kChinese, allRulesOn(0));
    QCOMPARE(c.verdictOf(chinese).status, BatchVerdict::Status::Consistent);
    if (!sql.isEmpty()) {
        QCOMPARE(c.t.db->exec(sql), 1);
    } else {
        // Whoever can write the file changes the seed and fits both digests to it: the
        // digests agree, the replay does not.
        Certificate cert = readCertificates(*c.t.db, 0, chinese).front();
        cert.inputs.replace(QStringLiteral("\nseed\t") + cert.seed,
                            QStringLiteral("\nseed\t0123456789abcdef"));
        const QString inputDigest = sha256Hex(cert.inputs);
        c.t.db->exec(
            QStringLiteral("update 抽签校验 set 随机种子='0123456789abcdef', 输入数据=?, 输入摘要=?, "
                           "结果摘要=? where 数据批次=?"),
            {cert.inputs, inputDigest,
             sha256Hex(canonicalResult(inputDigest, readSavedRows(*c.t.db, c.project, kChinese))), chinese});
    }
    const BatchVerdict v = c.verdictOf(chinese);
    QCOMPARE(v.status, BatchVerdict::Status::Inconsistent);
    QVERIFY2(v.reasons.contains(reason), qPrintable(v.line()));
    QVERIFY(v.line().startsWith(QStringLiteral("批次 %1（项目 %2，语文，").arg(chinese).arg(c.project)));
    QVERIFY(v.line().contains(QStringLiteral("：不一致：")));
    QCOMPARE(c.verdictOf(maths).status, BatchVerdict::Status::Consistent);
}

void TestVerify::anotherEngineVersionChecksRulesOnly() {
    Centre c;
    c.draw(kMaths, allRulesOn(0));
    const int batch = c.draw(kChinese, allRulesOn(0));
    reissue(*c.t.db, batch, kEngineVersion + 1);
    BatchVerdict v = c.verdictOf(batch);
    QCOMPARE(v.status, BatchVerdict::Status::RulesOnly);
    QVERIFY2(v.line().contains(QStringLiteral("：引擎版本不同，仅核对规则")), qPrintable(v.line()));

    // Rows that break a rule, with a certificate fitted to them, are still caught: room 001 gets
    // the A person that sat there in the batch before.
    const QString row = QStringLiteral("select %1 from 抽签历史 where 科目=? and 分类='监考员' and %2=?");
    const int former =
        c.t.db->scalar(row.arg(QStringLiteral("甲"), QStringLiteral("序号")), {kMaths, 1}).toInt();
    const int there =
        c.t.db->scalar(row.arg(QStringLiteral("序号"), QStringLiteral("甲")), {kChinese, former}).toInt();
    const int first =
        c.t.db->scalar(row.arg(QStringLiteral("甲"), QStringLiteral("序号")), {kChinese, 1}).toInt();
    const QString swap =
        QStringLiteral("update 抽签历史 set 甲=? where 科目='语文' and 分类='监考员' and 序号=?");
    c.t.db->exec(swap, {former, 1});
    c.t.db->exec(swap, {first, there});
    reissue(*c.t.db, batch, kEngineVersion + 1);
    v = c.verdictOf(batch);
    QCOMPARE(v.status, BatchVerdict::Status::Inconsistent);
    QVERIFY2(v.line().contains(QStringLiteral("考场 001：监考员甲 甲%1 重回原考室").arg(former)),
             qPrintable(v.line()));
}

void TestVerify::olderFileWithoutCertificates() {
    Centre c;
    const int old = c.draw(kMaths, allRulesOn(0));
    c.t.db->exec(QStringLiteral("drop table 抽签校验"));
    QVERIFY(!db::hasCertificateTable(*c.t.db));
    QCOMPARE(
        c.verdictOf(old).line(),
        QStringLiteral("批次 %1（项目 %2，数学，2026-06-07 10:00:00）：无校验数据").arg(old).arg(c.project));
    // The next save creates the table within its transaction.
    const int batch = c.draw(kChinese, allRulesOn(0));
    QVERIFY(db::hasCertificateTable(*c.t.db));
    QCOMPARE(c.verdictOf(batch).status, BatchVerdict::Status::Consistent);
    QCOMPARE(c.verdictOf(old).status, BatchVerdict::Status::NoCertificate);
}

void TestVerify::command() {
    Centre c;
    const int maths = c.draw(kMaths, allRulesOn(0));
    const int chinese = c.draw(kChinese, allRulesOn(1));
    c.t.db.reset(); // the file as the programs leave it
    const QByteArray before = fileDigest(c.t.path());
    const auto run = [&c](const QStringList& args, QString* output = nullptr) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runVerifyCommand(args, c.t.folder(), o, e);
        o.flush();
        if (output)
            *output = out + err;
        return code;
    };
    QString out;
    QCOMPARE(run({}, &out), 0);
    QVERIFY2(out.contains(QStringLiteral("批次 %1（项目 %2，数学，").arg(maths).arg(c.project)),
             qPrintable(out));
    QVERIFY(out.endsWith(QStringLiteral("共 2 批：一致 2，不一致 0，仅核对规则 0，无校验数据 0\n")));
    QCOMPARE(run({QStringLiteral("--batch"), QString::number(chinese)}, &out), 0);
    QCOMPARE(out.count(QStringLiteral("批次 ")), 1);
    QCOMPARE(run({QStringLiteral("--project"), QString::number(c.project + 1)}, &out), 1);
    QVERIFY(out.contains(QStringLiteral("没有找到已保存的抽签批次")));
    QCOMPARE(fileDigest(c.t.path()), before);

    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--batch")}, QStringList{QStringLiteral("--batch"), QStringLiteral("x")},
          QStringList{QStringLiteral("--all")}, QStringList{QStringLiteral("a"), QStringLiteral("b")}})
        QCOMPARE(run(wrong), 2);
    QCOMPARE(run({c.t.folder() + QStringLiteral("/nowhere")}, &out), 1);

    {
        db::Database d(c.t.path());
        d.exec(QStringLiteral(
            "update 抽签总表 set 监考员甲='王五' where 科目='数学' and 分组号='001' and 分类='监考员'"));
    }
    QCOMPARE(run({c.t.folder()}, &out), 1);
    QVERIFY2(out.contains(QStringLiteral("批次 %1（项目 %2，数学，").arg(maths).arg(c.project)) &&
                 out.contains(QStringLiteral("：不一致：")),
             qPrintable(out));
}

QTEST_GUILESS_MAIN(TestVerify)
#include "test_verify.moc"
