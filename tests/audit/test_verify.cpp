// Saved draws checked against their certificates: draws saved through the run and verified,
// every kind of tampering caught, another engine version reported as such, and the command.
#include "audit/deletion_record.h"
#include "audit/draw_ledger.h"
#include "audit/verify.h"
#include "cli/command_line.h"
#include "db/db_file.h"
#include "db/schema.h"
#include "draw_fixtures.h"
#include "fakes.h"
#include "store/draw_history.h"
#include "store/draw_run.h"
#include "test_db.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

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

    // Draws `subject` and stops as the draw window does, the stop recorded in the ledger.
    bool stop(DrawRun& run, const QString& subject, const DrawSettings& settings, const QDateTime& when) {
        const DrawResult started = run.start(settings, loadPairingHistory(*t.db, project),
                                             loadDutyHistory(*t.db, project, QStringLiteral("场外监考"), 4));
        const DrawResult stopped = started.status == DrawStatus::Impossible
                                       ? started
                                       : run.stop(loadPairingHistory(*t.db, project), 10'000);
        if (stopped.status != DrawStatus::Done) {
            qWarning() << stopped.reason;
            return false;
        }
        run.record(*t.db, {project, subject, when});
        return true;
    }

    // Draws and saves `subject` as the draw window does; the batch number.
    int draw(const QString& subject, const DrawSettings& settings, bool withDuties = true) {
        FixedRandom random(stream++);
        DrawRun run(ws, random);
        SaveRequest r;
        r.project = project;
        r.subject = subject;
        r.time = QDateTime(QDate(2026, 6, 7), QTime(8, 0)).addSecs(3600 * stream);
        r.withDuties = withDuties;
        r.allowReturn = settings[Rule::AllowReturn];
        r.drawCheckers = settings[Rule::DrawCheckers];
        if (!stop(run, subject, settings, r.time))
            return -1;
        const SaveOutcome saved = run.save(*t.db, r);
        if (!saved)
            qWarning() << saved.error().text();
        return saved.value_or(-1);
    }

    QVector<BatchVerdict> verify() const { return verifyDraws(*t.db); }
    // The verdict on the batch as saved now (not on a deletion record of the same number).
    BatchVerdict verdictOf(int batch) const {
        for (const BatchVerdict& v : verifyDraws(*t.db, 0, batch))
            if (v.status != BatchVerdict::Status::Deleted)
                return v;
        return {};
    }
    // Every line of the whole file's verdicts that names the batch, and whether one fails.
    QString linesOf(int batch, bool* fails = nullptr) const {
        QStringList lines;
        for (const BatchVerdict& v : verify())
            if (v.batch == batch) {
                lines << v.line();
                if (fails)
                    *fails = *fails || v.fails();
            }
        return lines.join(QLatin1Char('\n'));
    }
};

DrawSettings allRulesOn(int mode) {
    return fixture::settings(mode, {0, 0, 1, 1, 1, 1});
}

// Rewrites the certificate of `batch` as whoever can write the file would: `edit` changes it,
// then both digests are fitted to it and to the rows stored now.
void refit(db::Database& db, int batch, const std::function<void(Certificate&)>& edit) {
    Certificate c = readCertificates(db, 0, batch).front();
    edit(c);
    c.inputDigest = sha256Hex(c.inputs);
    c.resultDigest = sha256Hex(
        canonicalResult(c.inputDigest, readSavedRows(db, c.project, c.subject), inputsFormat(c.inputs)));
    db.exec(QStringLiteral("update 抽签校验 set 引擎版本=?, 随机种子=?, 输入数据=?, 输入摘要=?, 结果摘要=? "
                           "where 数据批次=?"),
            {c.engineVersion, c.seed, c.inputs, c.inputDigest, c.resultDigest, batch});
}

// 语文's pairing rows copied as a batch 99 of a subject nobody drew.
void injectHistory(db::Database& db) {
    db.exec(QStringLiteral(
        "insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) select 项目编号, "
        "'化学', '2026-06-09 08:00:00', 99, 分类, 序号, 甲, 乙 from 抽签历史 where 科目='语文' "
        "and 分类='监考员'"));
}

// examdb verify on the program folder: its exit status, and what it said.
int runVerify(const QString& folder, const QStringList& args, QString* output = nullptr) {
    QString out, err;
    QTextStream o(&out), e(&err), in(stdin);
    const int code = cli::run(QStringList{QStringLiteral("verify")} + args,
                              {folder, QDateTime::currentDateTime(), {in, o, e}});
    o.flush();
    if (output)
        *output = out + err;
    return code;
}

// Renumbers the ledger's rows and fits every digest to them, as whoever can write the file would
// after taking rows out.
void rechain(db::Database& db) {
    const db::Rows rows = db.query(
        QStringLiteral("select 编号, 时间, 项目编号, 科目, 事件, 内容 from 抽签记录链 order by 序号"));
    db.exec(QStringLiteral("update 抽签记录链 set 序号=-序号"));
    QString previous;
    for (int k = 0; k < rows.size(); ++k) {
        const db::Row& r = rows[k];
        const LedgerEvent e{db::text(r, QStringLiteral("时间")), db::integer(r, QStringLiteral("项目编号")),
                            db::text(r, QStringLiteral("科目")), db::text(r, QStringLiteral("事件")),
                            db::text(r, QStringLiteral("内容"))};
        const QString digest = sha256Hex(ledgerRowText(k + 1, previous, e));
        db.exec(QStringLiteral("update 抽签记录链 set 序号=?, 前一摘要=?, 摘要=? where 编号=?"),
                {k + 1, previous.isNull() ? QVariant() : QVariant(previous), digest, r.value(0)});
        previous = digest;
    }
}

QByteArray fileDigest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

} // namespace

// Changes the file after 数学 and then 语文 were saved; gives the batch whose verdict must fail.
using Tamper = std::function<int(Centre&, int maths, int chinese)>;
Q_DECLARE_METATYPE(Tamper)

class TestVerify : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedDrawsVerify_data();
    void savedDrawsVerify();
    void tamperingIsCaught_data();
    void tamperingIsCaught();
    void historyOrderDoesNotMatter();
    void formatOneStaysVerifiable();
    void olderFileWithoutCertificates();
    void ledgerTamperingFailsVerify_data();
    void ledgerTamperingFailsVerify();
    void command();
};

void TestVerify::savedDrawsVerify_data() {
    QTest::addColumn<DrawSettings>("settings");
    QTest::addColumn<bool>("withDuties");
    QTest::addColumn<int>("subjects");
    QTest::addColumn<int>("historyLines");
    QTest::newRow("甲乙独立抽签") << allRulesOn(0) << true << 3 << 24;
    QTest::newRow("只抽乙不动甲") << allRulesOn(1) << true << 3 << 24;
    QTest::newRow("只抽甲不动乙") << allRulesOn(2) << true << 3 << 24;
    QTest::newRow("returns and partners allowed")
        << fixture::settings(0, {1, 1, 0, 0, 1, 1}) << true << 3 << 0;
    QTest::newRow("duties not drawn") << fixture::settings(0, {0, 0, 0, 0, 0, 0}) << true << 3 << 24;
    QTest::newRow("without duties") << allRulesOn(0) << false << 3 << 24;
    // More batches than any history window takes: the three paper checkers' draw takes two.
    QTest::newRow("six subjects, duties drawn")
        << fixture::settings(0, {0, 0, 0, 0, 1, 1}) << true << 6 << 32;
}

// Subjects saved one after another, each against the history of the ones before; the first
// saved again, which replaces its batch and its certificate and leaves a deletion record that
// the last draw's history is checked against.
void TestVerify::savedDrawsVerify() {
    QFETCH(DrawSettings, settings);
    QFETCH(bool, withDuties);
    QFETCH(int, subjects);
    QFETCH(int, historyLines);
    Centre c;
    QString firstCode;
    const QStringList series{kChinese,
                             kMaths,
                             QStringLiteral("英语"),
                             QStringLiteral("物理"),
                             QStringLiteral("化学"),
                             QStringLiteral("历史")};
    for (const QString& subject : series.mid(0, subjects) + QStringList{kChinese}) {
        QVERIFY(c.draw(subject, settings, withDuties) > 0);
        if (firstCode.isEmpty())
            firstCode = db::certificateCode(readCertificates(*c.t.db).front().resultDigest);
    }
    QVector<BatchVerdict> saved;
    for (const BatchVerdict& v : c.verify()) {
        if (v.status == BatchVerdict::Status::Deleted) {
            // The replaced batch keeps the code printed under its conclusion.
            QCOMPARE(
                v.line(),
                QStringLiteral("批次 1（项目 %1，语文，2026-06-07 10:00:00） 校验码 %2：已删除（重新保存，"
                               "%3）")
                    .arg(c.project)
                    .arg(firstCode)
                    .arg(QDateTime(QDate(2026, 6, 7), QTime(9 + subjects + 1, 0))
                             .toString(u"yyyy-MM-dd HH:mm:ss")));
            continue;
        }
        saved << v;
        QVERIFY2(v.status == BatchVerdict::Status::Consistent, qPrintable(v.line()));
        QVERIFY(v.line().endsWith(QStringLiteral("：一致")));
        QCOMPARE(v.code.size(), 19);
    }
    QCOMPARE(saved.size(), subjects);
    QCOMPARE(readCertificates(*c.t.db).size(), subjects);
    // The history the last save applied holds the other subjects and its own earlier batch.
    const std::optional<DrawInputs> in = decodeInputs(readCertificates(*c.t.db).back().inputs);
    QVERIFY(in);
    QCOMPARE(in->pairingHistory.size(), historyLines);
    QCOMPARE(in->checkers.size(), withDuties ? 4 : 1);
}

void TestVerify::tamperingIsCaught_data() {
    QTest::addColumn<Tamper>("tamper");
    QTest::addColumn<QString>("reason");
    const auto sql = [](const char* statement) {
        return Tamper([statement](Centre& c, int, int chinese) {
            c.t.db->exec(QString::fromUtf8(statement));
            return chinese;
        });
    };
    QTest::newRow("抽签历史 甲 of a room") << sql("update 抽签历史 set 甲=case when 甲=1 then 2 else 1 end "
                                                  "where 科目='语文' and 分类='监考员' and 序号=1")
                                           << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签历史 验卷 row")
        << sql("update 抽签历史 set 甲=甲%3+1 where 科目='语文' and 分类='验卷' and 序号=2")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签历史 batch number")
        << sql("update 抽签历史 set 数据批次=99 where 科目='语文' and 序号=3 and 分类='监考员'")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签历史 row deleted")
        << sql("delete from 抽签历史 where 科目='语文' and 序号=8 and 分类='监考员'")
        << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("抽签总表 name")
        << sql("update 抽签总表 set 监考员乙='张三' where 科目='语文' and 分组号='004' and 分类='监考员'")
        << QStringLiteral("抽签总表与抽签历史的安排不符");
    QTest::newRow("抽签总表 scope")
        << sql("update 抽签总表 set 责任范围='001' where 科目='语文' and 分类='场外监考' and 分组号='02'")
        << QStringLiteral("抽签总表与重放结果不符");
    QTest::newRow("抽签总表 unit")
        << sql("update 抽签总表 set 乙单位='四中' where 科目='语文' and 分组号='002' and 分类='监考员'")
        << QStringLiteral("抽签总表与抽签历史的安排不符");
    QTest::newRow("抽签总表 parameter code")
        << sql("update 抽签总表 set 分组号='0111111' where 科目='语文' and 分类='抽签参数'")
        << QStringLiteral("抽签参数与校验数据的抽签规则不符");
    QTest::newRow("抽签总表 row added")
        << sql("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号, 监考员甲) select 项目编号, 科目, "
               "时间, "
               "'场外监考', '09', '李四' from 抽签总表 where 科目='语文' and 分类='抽签参数'")
        << QStringLiteral("保存的抽签结果与结果摘要不符");
    QTest::newRow("one byte of the inputs")
        << sql("update 抽签校验 set 输入数据=replace(输入数据, '乙3', '乙8') where 科目='语文'")
        << QStringLiteral("保存的抽签输入与输入摘要不符");
    QTest::newRow("the seed, digests fitted") << Tamper([](Centre& c, int, int chinese) {
        refit(*c.t.db, chinese, [](Certificate& cert) {
            cert.inputs.replace(QStringLiteral("\nseed\t") + cert.seed,
                                QStringLiteral("\nseed\t0123456789abcdef"));
            cert.seed = QStringLiteral("0123456789abcdef");
        });
        return chinese;
    }) << QStringLiteral("抽签历史与重放结果不符");
    QTest::newRow("an engine version never issued, digests fitted")
        << Tamper([](Centre& c, int, int chinese) {
               refit(*c.t.db, chinese, [](Certificate& cert) {
                   cert.inputs.replace(QStringLiteral("\nengine\t1\n"), QStringLiteral("\nengine\t0\n"));
                   cert.engineVersion = 0;
               });
               return chinese;
           })
        << QStringLiteral("：引擎版本未知（抽签时为第 0 版");
    QTest::newRow("a history line dropped, digests fitted") << Tamper([](Centre& c, int maths, int chinese) {
        refit(*c.t.db, chinese, [maths](Certificate& cert) {
            QStringList lines = cert.inputs.split(QLatin1Char('\n'));
            const auto source = std::find_if(lines.begin(), lines.end(), [maths](const QString& l) {
                return l.startsWith(QStringLiteral("%1\t数学\t").arg(maths));
            });
            const int count = source->section(QLatin1Char('\t'), 3).toInt();
            *source = source->section(QLatin1Char('\t'), 0, 2) + QStringLiteral("\t%1").arg(count - 1);
            lines.removeAt(source - lines.begin() + 1);
            cert.inputs = lines.join(QLatin1Char('\n'));
        });
        return chinese;
    }) << QStringLiteral("监考员历史所列批次");
    QTest::newRow("a deletion record's rows edited") << Tamper([](Centre& c, int, int chinese) {
        c.draw(kChinese, allRulesOn(0)); // saved again: the batch lives on as a deletion record
        c.t.db->exec(QStringLiteral("update 抽签删除记录 set 结果数据=replace(结果数据, '甲1', '甲9')"));
        return chinese;
    }) << QStringLiteral("：不一致：删除记录与其结果摘要不符");
    QTest::newRow("certificate deleted")
        << sql("delete from 抽签校验 where 科目='语文'") << QStringLiteral("：无校验数据（抽签历史 15 行");
    QTest::newRow("rows of 抽签总表 nobody saved") << Tamper([](Centre& c, int, int) {
        c.t.db->exec(
            QStringLiteral("insert into 抽签总表 (项目编号, 科目, 时间, 分类, 分组号) values (?, '化学', "
                           "'2026-06-09 08:00:00', '监考员', '001')"),
            {c.project});
        return 0;
    }) << QStringLiteral("批次 -（项目 1，化学，2026-06-09 08:00:00）：无校验数据（抽签总表 1 行");
    QTest::newRow("history injected under a subject nobody drew") << Tamper([](Centre& c, int, int) {
        injectHistory(*c.t.db);
        return 99;
    }) << QStringLiteral("：无校验数据（抽签历史 8 行");
    QTest::newRow("injected history applied by the next draw, then erased")
        << Tamper([](Centre& c, int, int) {
               injectHistory(*c.t.db);
               const int english = c.draw(QStringLiteral("英语"), allRulesOn(0));
               c.t.db->exec(QStringLiteral("delete from 抽签历史 where 数据批次=99"));
               return english;
           })
        << QStringLiteral("监考员历史所列批次 99（化学，2026-06-09 08:00:00）既不在数据库中，也没有删除记录");
    QTest::newRow("injected history applied by the next draw, then deleted by the program")
        << Tamper([](Centre& c, int, int) {
               injectHistory(*c.t.db);
               const int english = c.draw(QStringLiteral("英语"), allRulesOn(0));
               deleteSavedDraw(*c.t.db, c.project, QStringLiteral("化学"));
               return english;
           })
        << QStringLiteral("监考员历史所列批次 99（化学，2026-06-09 08:00:00）删除前没有校验数据");
}

// Each change to the file is caught, in the verdict of the batch it touches, while the other
// batch stays consistent.
void TestVerify::tamperingIsCaught() {
    QFETCH(Tamper, tamper);
    QFETCH(QString, reason);
    Centre c;
    const int maths = c.draw(kMaths, allRulesOn(0));
    const int chinese = c.draw(kChinese, allRulesOn(0));
    QCOMPARE(c.verdictOf(chinese).status, BatchVerdict::Status::Consistent);
    const int touched = tamper(c, maths, chinese);
    bool fails = false;
    const QString lines = c.linesOf(touched, &fails);
    QVERIFY2(fails && lines.contains(reason), qPrintable(lines));
    QCOMPARE(c.verdictOf(maths).status, BatchVerdict::Status::Consistent);
    // Every kind of finding makes examdb verify end with 1.
    QString out;
    QTextStream o(&out), e(&out), in(stdin);
    QCOMPARE(cli::run({QStringLiteral("verify"), c.t.folder()},
                      {c.t.folder(), QDateTime::currentDateTime(), {in, o, e}}),
             int(cli::kRefused));
}

// The same rows under other keys: the history reads back in another order, the certificate's
// text stays the same, and every batch still verifies.
void TestVerify::historyOrderDoesNotMatter() {
    Centre c;
    c.draw(kMaths, allRulesOn(0));
    c.draw(QStringLiteral("英语"), allRulesOn(0));
    const QVector<HistoryRow> before = loadPairingHistory(*c.t.db, c.project);
    c.t.db->exec(QStringLiteral("create temp table 倒序 as select * from 抽签历史 order by 编号 desc"));
    c.t.db->exec(QStringLiteral("delete from 抽签历史"));
    c.t.db->exec(QStringLiteral(
        "insert into 抽签历史 (项目编号, 科目, 时间, 数据批次, 分类, 序号, 甲, 乙) select 项目编号, "
        "科目, 时间, 数据批次, 分类, 序号, 甲, 乙 from 倒序"));
    const QVector<HistoryRow> after = loadPairingHistory(*c.t.db, c.project);
    QCOMPARE(after.size(), before.size());
    QVERIFY(after.front().seq != before.front().seq || after.front().batch != before.front().batch);
    DrawInputs x, y;
    x.settings = y.settings = allRulesOn(0);
    x.ws = y.ws = c.ws;
    x.pairingHistory = before;
    y.pairingHistory = after;
    QCOMPARE(encodeInputs(y), encodeInputs(x));

    QVERIFY(c.draw(kChinese, allRulesOn(0)) > 0);
    const QVector<BatchVerdict> verdicts = c.verify();
    QCOMPARE(verdicts.size(), 3);
    for (const BatchVerdict& v : verdicts)
        QVERIFY2(v.status == BatchVerdict::Status::Consistent, qPrintable(v.line()));
}

// A certificate of format 1, as files saved before format 2 (and before the ledger) hold them,
// still verifies, before the ledger began and after, and still catches a changed row.
void TestVerify::formatOneStaysVerifiable() {
    Centre c;
    c.draw(kMaths, allRulesOn(0));
    const int batch = c.draw(kChinese, allRulesOn(0));
    refit(*c.t.db, batch, [](Certificate& cert) {
        DrawInputs in = *decodeInputs(cert.inputs);
        in.format = 1;
        cert.inputs = encodeInputs(in);
    });
    c.t.db->exec(QStringLiteral("drop table 抽签记录链"));
    c.t.reopen(); // the older program's file, opened by this one
    QVERIFY(readCertificates(*c.t.db, 0, batch)
                .front()
                .inputs.startsWith(QStringLiteral("exam-draw-inputs\t1\n")));
    const QString before = QStringLiteral("：一致（第 1 版校验数据，所用历史未能逐批核对；记录开始之前）");
    BatchVerdict v = c.verdictOf(batch);
    QVERIFY2(v.status == BatchVerdict::Status::Consistent, qPrintable(v.line()));
    QVERIFY(v.line().endsWith(before));
    // The next draw begins the ledger; its opening row lists the batches saved before.
    const int next = c.draw(QStringLiteral("英语"), allRulesOn(0));
    QVERIFY(c.verdictOf(batch).line().endsWith(before));
    QVERIFY(c.verdictOf(next).line().endsWith(QStringLiteral("：一致")));
    c.t.db->exec(QStringLiteral(
        "update 抽签总表 set 乙性别='女' where 科目='语文' and 分组号='003' and 分类='监考员'"));
    v = c.verdictOf(batch);
    QVERIFY2(v.reasons.contains(QStringLiteral("抽签总表与抽签历史的安排不符")), qPrintable(v.line()));
}

// Files from before the certificates and the deletion records: the next open for writing adds
// both tables; the batch saved before has no certificate and makes verify fail.
void TestVerify::olderFileWithoutCertificates() {
    Centre c;
    const int old = c.draw(kMaths, allRulesOn(0), false);
    c.t.db->exec(QStringLiteral("drop table 抽签校验"));
    c.t.db->exec(QStringLiteral("drop table 抽签删除记录"));
    QVERIFY(!db::hasCertificateTable(*c.t.db) && !db::hasDeletionTable(*c.t.db));
    const BatchVerdict missing = c.verdictOf(old);
    QCOMPARE(missing.line(),
             QStringLiteral("批次 %1（项目 %2，数学，2026-06-07 10:00:00）：无校验数据（抽签历史 8 行，"
                            "编号 1–8；抽签总表 9 行，编号 1–9）")
                 .arg(old)
                 .arg(c.project));
    QVERIFY(missing.fails());
    c.t.reopen();
    QVERIFY(db::hasCertificateTable(*c.t.db) && db::hasDeletionTable(*c.t.db));
    const int batch = c.draw(kChinese, allRulesOn(0));
    QCOMPARE(c.verdictOf(batch).status, BatchVerdict::Status::Consistent);
    QCOMPARE(c.verdictOf(old).status, BatchVerdict::Status::NoCertificate);
}

void TestVerify::ledgerTamperingFailsVerify_data() {
    QTest::addColumn<QStringList>("statements"); // run in turn on the file
    QTest::addColumn<bool>("rechained");         // then the digests fitted
    QTest::addColumn<QString>("said");
    const QString firstStop = QStringLiteral("(select min(序号) from 抽签记录链 where 事件='停止')");
    // The stop of the batch 语文 holds now: its second.
    const QString savedStop = QStringLiteral("(select max(序号) from 抽签记录链 where 事件='停止' and 序号<"
                                             "(select max(序号) from 抽签记录链 where 事件='保存'))");
    QTest::newRow("a stop deleted") << QStringList{QStringLiteral("delete from 抽签记录链 where 序号=") +
                                                   firstStop}
                                    << false << QStringLiteral("第 1 行之后缺少第 2 行");
    QTest::newRow("a seed edited, digests fitted")
        << QStringList{QStringLiteral(
                           "update 抽签记录链 set 内容=replace(内容, 'seed\t', 'seed\tf') where 序号=") +
                       savedStop}
        << true << QStringLiteral("随机种子或引擎版本与记录链第 6 行的停止不符");
    QTest::newRow("two rows swapped")
        << QStringList{QStringLiteral("update 抽签记录链 set 序号=-1 where 序号=4"),
                       QStringLiteral("update 抽签记录链 set 序号=4 where 序号=5"),
                       QStringLiteral("update 抽签记录链 set 序号=5 where 序号=-1")}
        << false << QStringLiteral("第 4 行的摘要与其内容不符");
    QTest::newRow("a deletion record dropped")
        << QStringList{QStringLiteral("delete from 抽签删除记录 where 删除方式='删除'")} << false
        << QStringLiteral("所记的删除没有删除记录");
    QTest::newRow("删除时间 edited")
        << QStringList{QStringLiteral(
               "update 抽签删除记录 set 删除时间='2026-06-07 07:00:00' where 删除方式='重新保存'")}
        << false << QStringLiteral("删除记录与记录链不符");
    QTest::newRow("a deletion record's rows replaced, digest fitted")
        << QStringList{QStringLiteral(
               "update 抽签删除记录 set 结果数据=(select 结果数据 from 抽签删除记录 where 删除方式='删除'), "
               "结果摘要=(select 结果摘要 from 抽签删除记录 where 删除方式='删除') where "
               "删除方式='重新保存'")}
        << false << QStringLiteral("删除记录与记录链不符");
    QTest::newRow("the latest batch erased with its certificate")
        << QStringList{QStringLiteral("delete from 抽签总表 where 科目='语文'"),
                       QStringLiteral("delete from 抽签历史 where 科目='语文'"),
                       QStringLiteral("delete from 抽签校验 where 科目='语文'")}
        << false
        << QStringLiteral(
               "记录链第 8 行保存的批次 2（语文，2026-06-07 12:00:00）既不在数据库中，也没有删除记录");
    QTest::newRow("a batch saved behind the ledger's back, digests fitted")
        << QStringList{QStringLiteral("delete from 抽签记录链 where 序号 between 6 and 8")} << true
        << QStringLiteral("记录链中没有这一批的保存");
    QTest::newRow("the save that replaced a batch taken out, digests fitted")
        << QStringList{QStringLiteral("delete from 抽签记录链 where 序号=8")} << true
        << QStringLiteral("第 7 行的重新保存之后没有它的保存");
    QTest::newRow("a save's stop taken out, digests fitted")
        << QStringList{QStringLiteral("delete from 抽签记录链 where 序号=") + savedStop} << true
        << QStringLiteral("第 7 行的保存所指的第 6 行不是本科目此前的停止");
    // The documented limit: rows newer than every printed code, that nothing else names, go
    // unseen.
    QTest::newRow("the newest stops dropped: passes")
        << QStringList{QStringLiteral(
               "delete from 抽签记录链 where 序号>(select max(序号) from 抽签记录链 where "
               "事件<>'停止')")}
        << false << QString();
}

// A file with stops, saves, a re-save, a delete and two stops nobody saved; each change to its
// ledger or deletion records makes examdb verify fail, except dropping the rows after the last
// printed code.
void TestVerify::ledgerTamperingFailsVerify() {
    QFETCH(QStringList, statements);
    QFETCH(bool, rechained);
    QFETCH(QString, said);
    Centre c;
    c.draw(kMaths, allRulesOn(0));   // rows 2 and 3, after the opening row
    c.draw(kChinese, allRulesOn(0)); // 4, 5
    c.draw(kChinese, allRulesOn(0)); // 6, 7 (重新保存), 8
    deleteSavedDraw(*c.t.db, c.project, kMaths, QDateTime(QDate(2026, 6, 7), QTime(14, 0))); // 9
    for (int k = 0; k < 2; ++k) {                                                            // 10, 11
        FixedRandom random(c.stream++);
        DrawRun run(c.ws, random);
        QVERIFY(c.stop(run, kChinese, allRulesOn(0), QDateTime(QDate(2026, 6, 7), QTime(15, k))));
    }
    // The conclusion printed after the last save carries row 8's code.
    const QString printed =
        QStringLiteral("记录链:") +
        db::certificateCode(
            c.t.db->scalar(QStringLiteral("select 摘要 from 抽签记录链 where 序号=8")).toString());
    const QStringList head{QStringLiteral("--head"), printed};
    QString out;
    QCOMPARE(runVerify(c.t.folder(), head, &out), 0);
    QVERIFY2(out.contains(QStringLiteral("打印的 %1 是第 8 行（2026-06-07 12:00:00，保存），其后又记入 3 行")
                              .arg(printed)) &&
                 out.contains(QStringLiteral("记录链 11 行")) &&
                 out.contains(QStringLiteral("项目 1，语文：抽签 4 次")) &&
                 out.contains(QStringLiteral("保存的是第 1 次（批次 2，已删除）、第 2 次（批次 2）")),
             qPrintable(out));
    for (const QString& sql : statements)
        c.t.db->exec(sql);
    if (rechained)
        rechain(*c.t.db);
    const int status = runVerify(c.t.folder(), head, &out);
    if (said.isEmpty()) {
        QVERIFY2(status == 0 && out.contains(QStringLiteral("记录链 9 行")), qPrintable(out));
        return;
    }
    QVERIFY2(status == 1 && out.contains(said), qPrintable(out));
}

void TestVerify::command() {
    Centre c;
    const int maths = c.draw(kMaths, allRulesOn(0));
    const int chinese = c.draw(kChinese, allRulesOn(1));
    const bool onServer = c.t.server != nullptr;
    const qint64 rosterPage =
        onServer ? 0
                 : c.t.db->scalar(QStringLiteral("select rootpage from sqlite_master where name='人员安排'"))
                       .toLongLong();
    const qint64 pageSize = onServer ? 0 : c.t.db->scalar(QStringLiteral("pragma page_size")).toLongLong();
    c.t.db.reset(); // the file as the programs leave it
    const QByteArray before = fileDigest(c.t.path());
    const auto run = [&c](const QStringList& args, QString* output = nullptr) {
        return runVerify(c.t.folder(), args, output);
    };
    QString out;
    QCOMPARE(run({}, &out), 0);
    QVERIFY2(out.contains(QStringLiteral("批次 %1（项目 %2，数学，").arg(maths).arg(c.project)),
             qPrintable(out));
    QVERIFY(out.endsWith(
        QStringLiteral("共 2 批：一致 2，不一致 0，引擎版本未知 0，无校验数据 0；删除记录 0 条\n")));
    QCOMPARE(run({QStringLiteral("--batch"), QString::number(chinese)}, &out), 0);
    QCOMPARE(out.count(QStringLiteral("批次 ")), 1);
    QCOMPARE(run({QStringLiteral("--project"), QString::number(c.project + 1)}, &out), 1);
    QVERIFY(out.contains(QStringLiteral("没有找到已保存的抽签批次")));
    QCOMPARE(fileDigest(c.t.path()), before);

    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--batch")}, QStringList{QStringLiteral("--batch"), QStringLiteral("x")},
          QStringList{QStringLiteral("--all")}, QStringList{QStringLiteral("a"), QStringLiteral("b")}})
        QCOMPARE(run(wrong), 2);
    QCOMPARE(run({c.t.folder() + QStringLiteral("/nowhere")}, &out), 2);

    // A file that is no database, and a copy damaged where no check reads: verify cannot run.
    QTemporaryDir other;
    QDir(other.path()).mkpath(QStringLiteral("Db"));
    const QString copy = db::databasePath(other.path());
    {
        QFile f(copy);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no database at all");
    }
    QCOMPARE(run({other.path()}, &out), 2);
    if (!onServer) {
        QVERIFY(QFile::remove(copy) && QFile::copy(c.t.path(), copy));
        {
            QFile f(copy);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((rosterPage - 1) * pageSize));
            f.write(QByteArray(64, '\xff'));
        }
        QCOMPARE(run({other.path()}, &out), 2);
        QVERIFY2(out.contains(QStringLiteral("数据库文件已损坏")), qPrintable(out));
    }

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
