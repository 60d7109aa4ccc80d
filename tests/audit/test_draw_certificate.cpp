// The certificate's texts and the rule checker, without a database.
#include "audit/draw_ledger.h"
#include "audit/save_plan.h"
#include "audit/verify.h"
#include "audit/verify_rules.h"
#include "db/schema.h"
#include "draw_fixtures.h"
#include "store/draw_repository.h"

#include <QFile>
#include <QTest>

#include <functional>
#include <numeric>

using namespace engine;

namespace {

using Mutation = std::function<void(DrawInputs&, Candidate&)>;
using RowEdit = std::function<void(DrawInputs&, SavedRows&)>;

// Six rooms, three outside supervisors and three paper checkers, nothing in the history.
DrawInputs sixRooms() {
    DrawInputs in;
    in.seed = 0x0123456789abcdefULL;
    in.project = 7;
    in.subject = QStringLiteral("语文");
    in.time = QStringLiteral("2026-06-07 09:30:00");
    in.batch = 12;
    in.withDuties = true;
    in.checkerReturn = RuleState::Off;
    in.checkerDraw = RuleState::On;
    in.settings = fixture::settings(0, {0, 0, 0, 0, 1, 1});
    in.ws = fixture::rooms(6);
    in.checkers.resize(1);
    for (int j = 1; j <= 3; ++j) {
        fixture::addSupervisor(in.ws, QStringLiteral("外%1").arg(j),
                               QStringLiteral("00%1,00%2").arg(2 * j - 1).arg(2 * j));
        in.checkers.push_back({QString::number(j), QStringLiteral("0%1").arg(j),
                               QStringLiteral("验%1").arg(j), QStringLiteral("女"), QString(),
                               QStringLiteral("00%1").arg(j), QString()});
    }
    return in;
}

// Text that looks like the format's own marks, NULL next to an empty text, and every history.
DrawInputs exotic() {
    DrawInputs in = sixRooms();
    in.subject = QStringLiteral("语文\t(2)\\N");
    in.ws.rooms[2].col[1] = QStringLiteral("\\N");
    in.ws.rooms[2].col[2] = QVariant();
    in.ws.rooms[3].col[2] = QString(QLatin1String(""));
    in.ws.rooms[4].col[6] = QStringLiteral("王\n五\r");
    in.ws.unitTally.push_back({QVariant(), 2});
    in.ws.supervisors[2].scope = QString();
    in.ws.supervisors[3].scope = QString(QLatin1String(""));
    in.pairingHistory = fixture::shifted(6, {1, 2});
    in.supervisorHistory = {{1, 2, 0}};
    in.checkerHistory = {{3, 1, 0}};
    in.settings.mode = static_cast<DrawMode>(7);
    return in;
}

// The worked example of docs/draw-certificate.md: three rooms, one earlier batch applied.
DrawInputs documentExample() {
    DrawInputs in;
    in.seed = 0x2026060709300003ULL;
    in.project = 1;
    in.subject = QStringLiteral("语文");
    in.time = QStringLiteral("2026-06-07 09:30:00");
    in.batch = 5;
    in.settings = fixture::settings(0, {0, 0, 0, 0, 1, 0});
    in.ws.rooms.resize(1);
    const QVariant null;
    const QVariantList rooms[] = {
        {"001", "张伟", "男", "一中", null, "李娜", "女", "二中", "110101199001010021"},
        {"002", "王芳", "女", null, null, "刘洋", "男", "一中", null},
        {"003", "陈静", "女", "二中", null, "赵\\强", "男", "", null},
    };
    const int columns[] = {0, 1, 2, 3, 5, 6, 7, 8, 10};
    for (const QVariantList& values : rooms) {
        RosterRow row;
        for (int k = 0; k < 9; ++k)
            row.col[static_cast<std::size_t>(columns[k])] =
                values[k].isNull() ? QVariant() : QVariant(values[k].toString());
        in.ws.rooms.push_back(row);
    }
    fixture::retally(in.ws);
    in.ws.supervisors.resize(1);
    in.ws.supervisors.push_back({QStringLiteral("1"), QStringLiteral("01"), QStringLiteral("孙丽"),
                                 QStringLiteral("女"), QStringLiteral("三中"), QStringLiteral("001,002,003"),
                                 QString()});
    in.checkers.resize(1);
    for (const HistoryRow& h : fixture::shifted(3, {1}))
        in.pairingHistory.push_back(
            {h.seq, h.a, h.b, 4, QStringLiteral("数学"), QStringLiteral("2026-06-06 14:30:00")});
    return in;
}

QString fixtureText(const QString& name) {
    QFile f(QStringLiteral(TEST_DATA_DIR "/certificates/") + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

Candidate identity(int n, int m) {
    Candidate c;
    for (QVector<int>* v : {&c.a, &c.b})
        for (int i = 0; i <= n; ++i)
            v->push_back(i);
    for (int j = 0; j <= m; ++j)
        c.supervisor.push_back(j);
    return c;
}

// Sets the 甲 (or 乙) of the 抽签历史 row of `kind` at position `seq`.
void setHistory(SavedRows& rows, const QString& kind, int seq, int column, int value) {
    for (QVariantList& h : rows.history)
        if (h[4].toString() == kind && h[5].toInt() == seq)
            h[column] = value;
}

} // namespace

Q_DECLARE_METATYPE(Mutation)
Q_DECLARE_METATYPE(RowEdit)

class TestDrawCertificate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inputsReadBackExactly();
    void goldenTexts_data();
    void goldenTexts();
    void ledgerExampleIsTheDocuments();
    void malformedInputsAreRefused_data();
    void malformedInputsAreRefused();
    void resultTextIsCanonical();
    void engineOutputIsPinned();
    void ruleCheckerFindsEachBrokenRule_data();
    void ruleCheckerFindsEachBrokenRule();
    void ruleCheckerPassesEngineDraws();
};

void TestDrawCertificate::inputsReadBackExactly() {
    const DrawInputs in = exotic();
    const QString text = encodeInputs(in);
    const std::optional<DrawInputs> back = decodeInputs(text);
    QVERIFY(back);
    QCOMPARE(encodeInputs(*back), text);
    QCOMPARE(back->subject, in.subject);
    QCOMPARE(back->seed, in.seed);
    QVERIFY(back->ws.rooms[2].col[2].isNull());
    QVERIFY(!back->ws.rooms[3].col[2].isNull() && back->ws.rooms[3].col[2].toString().isEmpty());
    QCOMPARE(back->ws.rooms[2].col[1].toString(), QStringLiteral("\\N"));
    QCOMPARE(back->ws.rooms[4].col[6].toString(), QStringLiteral("王\n五\r"));
    QVERIFY(back->ws.supervisors[2].scope.isNull());
    QVERIFY(!back->ws.supervisors[3].scope.isNull());
    QVERIFY(back->ws.unitTally.back().key.isNull());
    QCOMPARE(back->checkers[1].name, QStringLiteral("验1"));
    QCOMPARE(static_cast<int>(back->settings.mode), 7);
    // The same draw from the inputs read back: what the replay relies on.
    const Candidate c = identity(6, 3);
    QCOMPARE(canonicalResult(QString(), planSave(*back, c).rows),
             canonicalResult(QString(), planSave(in, c).rows));
}

void TestDrawCertificate::goldenTexts_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("format 1, as the program wrote it before format 2") << 1 << QStringLiteral("format1");
    QTest::newRow("format 2, the document's example") << 2 << QStringLiteral("example");
}

// Both texts byte for byte: format 1 as it stands in files saved before format 2, and the worked
// example of the format document, which must show exactly what the program writes.
void TestDrawCertificate::goldenTexts() {
    QFETCH(int, format);
    QFETCH(QString, name);
    DrawInputs in = format == 1 ? exotic() : documentExample();
    in.format = format;
    const QString inputs = encodeInputs(in);
    QCOMPARE(inputs, fixtureText(name + QStringLiteral("-inputs.txt")));
    QVERIFY(decodeInputs(inputs));
    const std::optional<Candidate> drawn = format == 1 ? identity(6, 3) : replayCandidate(in);
    QVERIFY(drawn);
    const QString result = canonicalResult(sha256Hex(inputs), planSave(in, *drawn).rows, format);
    QCOMPARE(result, fixtureText(name + QStringLiteral("-result.txt")));
    if (format == 1)
        return;
    QFile doc(QStringLiteral(TEST_DATA_DIR "/../../docs/draw-certificate.md"));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const QStringList shownInDocument{QString(QStringLiteral("```\n") + inputs + QStringLiteral("```")),
                                      QString(QStringLiteral("```\n") + result + QStringLiteral("```")),
                                      sha256Hex(inputs), sha256Hex(result),
                                      db::certificateCode(sha256Hex(result))};
    for (const QString& shown : shownInDocument)
        QVERIFY2(text.contains(shown), qPrintable(shown));
}

// The ledger's worked example in the format document: the example's draw stopped twice and the
// second stop saved, in a file that held batch 4 before its ledger began. Every text and digest
// the document shows is what the program writes.
void TestDrawCertificate::ledgerExampleIsTheDocuments() {
    const DrawInputs in = documentExample();
    DrawInputs first = in;
    first.seed = 0x1f2e3d4c5b6a7988ULL;
    const std::optional<Candidate> unsaved = replayCandidate(first), saved = replayCandidate(in);
    QVERIFY(unsaved && saved);
    const QString result = canonicalResult(sha256Hex(encodeInputs(in)), planSave(in, *saved).rows);
    const LedgerEvent events[] = {
        {QStringLiteral("2026-06-07 09:20:00"), 0, QStringLiteral(""), kOpenedEvent,
         QStringLiteral("saved\t1\n1\t数学\t2026-06-06 14:30:00\t4\t") + QString(64, u'e') +
             QStringLiteral("\ndeleted\t0\n")},
        {QStringLiteral("2026-06-07 09:25:00"), 1, QStringLiteral("语文"), kPickEvent,
         pickContent(QStringLiteral("002"))},
        {QStringLiteral("2026-06-07 09:28:10"), 1, QStringLiteral("语文"), kStopEvent,
         stopContent(first, *unsaved, 1)},
        {QStringLiteral("2026-06-07 09:29:40"), 1, QStringLiteral("语文"), kStopEvent,
         stopContent(in, *saved, 2)},
        {in.time, 1, QStringLiteral("语文"), kSaveEvent, saveContent(4, in.batch, sha256Hex(result))},
    };
    QStringList shown{sha256Hex(stopInputsText(in)),
                      QStringLiteral("```\n") + stopResultText(*saved, 3) + QStringLiteral("```"),
                      sha256Hex(stopResultText(*saved, 3))};
    QString previous;
    for (int k = 0; k < 5; ++k) {
        const QString text = ledgerRowText(k + 1, previous, events[k]);
        previous = sha256Hex(text);
        shown << QStringLiteral("```\n") + text + QStringLiteral("```") << previous;
    }
    shown << QStringLiteral("记录链:") + db::certificateCode(previous);
    QFile doc(QStringLiteral(TEST_DATA_DIR "/../../docs/draw-certificate.md"));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    for (const QString& s : shown)
        QVERIFY2(text.contains(s), qPrintable(s));
}

void TestDrawCertificate::malformedInputsAreRefused_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("no final line end")
        << QStringLiteral("checker-history\t0\n") << QStringLiteral("checker-history\t0");
    QTest::newRow("line after the end")
        << QStringLiteral("checker-history\t0\n") << QStringLiteral("checker-history\t0\nx\n");
    QTest::newRow("count too high") << QStringLiteral("rooms\t6\n") << QStringLiteral("rooms\t7\n");
    QTest::newRow("count too low") << QStringLiteral("rooms\t6\n") << QStringLiteral("rooms\t5\n");
    QTest::newRow("unknown escape") << QStringLiteral("\t甲2\t") << QStringLiteral("\t甲\\x2\t");
    QTest::newRow("number with a sign") << QStringLiteral("batch\t12\n") << QStringLiteral("batch\t+12\n");
    QTest::newRow("seed in capitals")
        << QStringLiteral("0123456789abcdef") << QStringLiteral("0123456789ABCDEF");
    QTest::newRow("sections swapped") << QStringLiteral("gender-tally") << QStringLiteral("unit-tallx");
    QTest::newRow("other format version")
        << QStringLiteral("exam-draw-inputs\t2") << QStringLiteral("exam-draw-inputs\t3");
    QTest::newRow("a field too many") << QStringLiteral("\t乙1\t") << QStringLiteral("\t乙1\t\t");
    QTest::newRow("a state the checker draw did not use")
        << QStringLiteral("save\t1\t0\t1") << QStringLiteral("save\t1\t2\t1");
    QTest::newRow("history lines out of order")
        << QStringLiteral("1\t2\t2\n2\t3\t3\n") << QStringLiteral("2\t3\t3\n1\t2\t2\n");
    QTest::newRow("history of a rule that is off")
        << QStringLiteral("rules\t0\t0\t0") << QStringLiteral("rules\t0\t1\t1");
    QTest::newRow("a REAL in capitals")
        << QStringLiteral("\t甲3\t") << QStringLiteral("\t\\F3FF0000000000000\t");
}

void TestDrawCertificate::malformedInputsAreRefused() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    DrawInputs in = sixRooms();
    in.pairingHistory = fixture::shifted(6, {1});
    const QString text = encodeInputs(in);
    QVERIFY2(text.contains(from), qPrintable(text));
    QVERIFY(!decodeInputs(QString(text).replace(from, to)));
}

// The digest covers the rows, not the order the database hands them out in, and binds them to
// the inputs.
void TestDrawCertificate::resultTextIsCanonical() {
    const DrawInputs in = sixRooms();
    SavedRows rows = planSave(in, identity(6, 3)).rows;
    const QString text = canonicalResult(QStringLiteral("ab"), rows);
    std::reverse(rows.results.begin(), rows.results.end());
    std::reverse(rows.history.begin(), rows.history.end());
    QCOMPARE(canonicalResult(QStringLiteral("ab"), rows), text);
    QVERIFY(canonicalResult(QStringLiteral("ac"), rows) != text);
    QVERIFY(text.startsWith(QStringLiteral("exam-draw-result\t2\ninputs\tab\n抽签总表\t13\n")));
    QVERIFY(text.contains(QStringLiteral("\n抽签历史\t12\n")));
    QVERIFY(text.contains(QStringLiteral("\n7\t语文\t2026-06-07 09:30:00\t抽签参数\t0000011\t\\N\t")));
    rows.results[0][5] = QString(QLatin1String(""));
    const QString withEmpty = canonicalResult(QStringLiteral("ab"), rows);
    rows.results[0][5] = QVariant();
    QVERIFY(canonicalResult(QStringLiteral("ab"), rows) != withEmpty);
}

// One set of inputs and one seed, drawn once for all: when this digest of the rows changes, the
// draw's output changed, and kEngineVersion must go up with it (then update the digest here).
void TestDrawCertificate::engineOutputIsPinned() {
    DrawInputs in = sixRooms();
    in.ws = fixture::rooms(
        9,
        [](int k) {
            return fixture::Person{k % 2 ? "男" : "女", k % 3 ? "一中" : "二中"};
        },
        [](int k) {
            return fixture::Person{k % 3 ? "女" : "男", k % 2 ? "二中" : "三中"};
        });
    for (int j = 1; j <= 3; ++j)
        fixture::addSupervisor(in.ws, QStringLiteral("外%1").arg(j), QStringLiteral("00%1").arg(j));
    in.settings = fixture::settings(0, {0, 0, 1, 1, 1, 1});
    in.pairingHistory = fixture::shifted(9, {1, 4}, {2, 5});
    in.supervisorHistory = {{1, 2, 0}, {2, 3, 0}};
    in.checkerHistory = {{1, 1, 0}};
    const std::optional<Candidate> c = replayCandidate(in);
    QVERIFY(c);
    QCOMPARE(sha256Hex(canonicalResult(QString(), planSave(in, *c).rows, 1)).left(16),
             QStringLiteral("0ea922b834e7ee93"));
}

void TestDrawCertificate::ruleCheckerFindsEachBrokenRule_data() {
    QTest::addColumn<Mutation>("draw");
    QTest::addColumn<RowEdit>("edit");
    QTest::addColumn<QString>("finding");
    const RowEdit none = [](DrawInputs&, SavedRows&) {};
    const auto swapA = [](DrawInputs&, Candidate& c) { std::swap(c.a[1], c.a[2]); };
    QTest::newRow("A back in a former room") << Mutation([swapA](DrawInputs& in, Candidate& c) {
        swapA(in, c);
        in.pairingHistory = {{1, 2, 5}};
    }) << none << QStringLiteral("考场 001：监考员甲 甲2 重回原考室");
    QTest::newRow("B back in a former room") << Mutation([](DrawInputs& in, Candidate&) {
        in.pairingHistory = {{3, 1, 3}};
    }) << none << QStringLiteral("考场 003：监考员乙 乙3 重回原考室");
    QTest::newRow("former partners") << Mutation([](DrawInputs& in, Candidate&) {
        in.pairingHistory = {{6, 4, 4}};
    }) << none << QStringLiteral("考场 004：监考员甲 甲4 与监考员乙 乙4 再次搭档");
    QTest::newRow("A moved though only B is drawn") << Mutation([swapA](DrawInputs& in, Candidate& c) {
        swapA(in, c);
        in.settings.mode = DrawMode::OnlyB;
    }) << none << QStringLiteral("考场 001：监考员甲不参加抽签，却被调动");
    QTest::newRow("B moved though only A is drawn") << Mutation([](DrawInputs& in, Candidate& c) {
        std::swap(c.b[5], c.b[6]);
        in.settings.mode = DrawMode::OnlyA;
    }) << none << QStringLiteral("考场 005：监考员乙不参加抽签，却被调动");
    QTest::newRow("a person in two rooms") << Mutation([](DrawInputs&, Candidate& c) { c.b[2] = 1; }) << none
                                           << QStringLiteral("监考员乙不是每人恰好安排一次");
    QTest::newRow("a room without its row")
        << Mutation() << RowEdit([](DrawInputs&, SavedRows& rows) { rows.history.removeLast(); })
        << QStringLiteral("抽签历史的监考员行不是每个序号恰好一行");
    QTest::newRow("supervisor gets a former scope") << Mutation([](DrawInputs& in, Candidate& c) {
        c.supervisor = {0, 2, 3, 1};
        in.supervisorHistory = {{2, 3, 0}};
    }) << none << QStringLiteral("场外监考第 2 行再次分到近期批次的第 3 行");
    QTest::newRow("supervisors moved though not drawn") << Mutation([](DrawInputs& in, Candidate& c) {
        c.supervisor = {0, 2, 1, 3};
        in.settings[Rule::DrawSupervisors] = RuleState::Off;
    }) << none << QStringLiteral("场外监考不参加抽签，第 1 行却被调动");
    QTest::newRow("checker gets a former scope")
        << Mutation() << RowEdit([](DrawInputs& in, SavedRows& rows) {
               for (const QVariantList& h : rows.history)
                   if (h[4].toString() == QStringLiteral("验卷") && h[5].toInt() == 3)
                       in.checkerHistory = {{3, h[6].toInt(), 0}};
           })
        << QStringLiteral("验卷第 3 行再次分到近期批次的第");
    QTest::newRow("a checker twice") << Mutation() << RowEdit([](DrawInputs&, SavedRows& rows) {
        setHistory(rows, QStringLiteral("验卷"), 1, 6, 1);
        setHistory(rows, QStringLiteral("验卷"), 2, 6, 1);
    }) << QStringLiteral("验卷不是每行恰好分配一次");
    QTest::newRow("duty rows though duties were not saved")
        << Mutation() << RowEdit([](DrawInputs& in, SavedRows&) { in.withDuties = false; })
        << QStringLiteral("未保存场外及验卷，抽签历史却有场外监考行");
    QTest::newRow("printed name other than the history's")
        << Mutation() << RowEdit([](DrawInputs&, SavedRows& rows) {
               for (QVariantList& r : rows.results)
                   if (r[4].toString() == QStringLiteral("002") &&
                       r[3].toString() == QStringLiteral("监考员"))
                       r[5] = QStringLiteral("甲5");
           })
        << QStringLiteral("抽签总表与抽签历史的安排不符");
    const auto printed = [](int column, const char* value) {
        return RowEdit([column, value](DrawInputs&, SavedRows& rows) {
            for (QVariantList& r : rows.results)
                if (r[4].toString() == QStringLiteral("003") && r[3].toString() == QStringLiteral("监考员"))
                    r[column] = QString::fromUtf8(value);
        });
    };
    QTest::newRow("printed gender other than the roster's")
        << Mutation() << printed(6, "女") << QStringLiteral("抽签总表与抽签历史的安排不符");
    QTest::newRow("printed unit other than the roster's")
        << Mutation() << printed(11, "九中") << QStringLiteral("抽签总表与抽签历史的安排不符");
    QTest::newRow("parameter code of other rules") << Mutation() << RowEdit([](DrawInputs&, SavedRows& rows) {
        for (QVariantList& r : rows.results)
            if (r[3].toString() == QStringLiteral("抽签参数"))
                r[4] = QStringLiteral("0100011");
    }) << QStringLiteral("抽签参数与校验数据的抽签规则不符");
    QTest::newRow("returns allowed") << Mutation([swapA](DrawInputs& in, Candidate& c) {
        swapA(in, c);
        in.pairingHistory = {{1, 2, 1}, {2, 2, 1}};
        in.settings[Rule::AllowReturn] = RuleState::On;
        in.settings[Rule::AllowRepartner] = RuleState::On;
    }) << none << QString();
}

void TestDrawCertificate::ruleCheckerFindsEachBrokenRule() {
    QFETCH(Mutation, draw);
    QFETCH(RowEdit, edit);
    QFETCH(QString, finding);
    DrawInputs in = sixRooms();
    Candidate c = identity(6, 3);
    c.supervisor = {0, 3, 1, 2};
    if (draw)
        draw(in, c);
    SavePlan plan = planSave(in, c);
    QVERIFY2(plan.refusal.isEmpty(), qPrintable(plan.refusal));
    edit(in, plan.rows);
    const std::optional<audit::Reading> reading = audit::readCertificate(encodeInputs(in));
    QVERIFY(reading);
    const QStringList found = audit::checkRules(*reading, plan.rows);
    if (finding.isEmpty())
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'|')));
    else
        QVERIFY2(found.join(u'|').contains(finding), qPrintable(found.join(u'|')));
}

// The checker finds nothing in what the engine draws under any rules, histories included.
void TestDrawCertificate::ruleCheckerPassesEngineDraws() {
    engine::SeededRandom random(2026);
    int checked = 0;
    for (int attempt = 0; attempt < 3000 && checked < 1000; ++attempt) {
        const int n = 3 + random.index(10);
        DrawInputs in;
        in.seed = random.next64();
        in.project = 1;
        in.subject = QStringLiteral("科目");
        in.time = QStringLiteral("2026-06-07 09:00:00");
        in.batch = attempt + 1;
        in.settings.mode = static_cast<DrawMode>(random.index(3) - 1);
        for (RuleState& s : in.settings.rules)
            s = random.index(3) == 1 ? RuleState::On : RuleState::Off;
        in.withDuties = random.index(4) > 1;
        in.checkerReturn = random.index(2) == 1 ? RuleState::On : RuleState::Off;
        in.checkerDraw = in.settings[Rule::DrawCheckers];
        in.ws = fixture::rooms(
            n,
            [&](int) {
                return fixture::Person{random.index(2) == 1 ? "男" : "女",
                                       random.index(2) == 1 ? "一中" : "二中"};
            },
            [&](int) {
                return fixture::Person{random.index(2) == 1 ? "男" : "女",
                                       random.index(3) == 1 ? "一中" : "三中"};
            });
        const int m = random.index(5) - 1, k = random.index(5) - 1;
        for (int j = 1; j <= m; ++j)
            fixture::addSupervisor(in.ws, QStringLiteral("外%1").arg(j),
                                   QStringLiteral("%1").arg(j, 3, 10, QLatin1Char('0')));
        in.checkers.resize(1);
        for (int j = 1; j <= k; ++j)
            in.checkers.push_back(
                {QString::number(j), QString::number(j), QStringLiteral("验%1").arg(j), {}, {}, {}, {}});
        // Up to four earlier batches, each a random arrangement.
        for (int b = random.index(5) - 1; b > 0; --b) {
            QVector<int> pa(n + 1), pb(n + 1);
            std::iota(pa.begin(), pa.end(), 0);
            std::iota(pb.begin(), pb.end(), 0);
            for (int i = n; i > 1; --i) {
                std::swap(pa[i], pa[random.index(i)]);
                std::swap(pb[i], pb[random.index(i)]);
            }
            for (int i = 1; i <= n; ++i)
                in.pairingHistory.push_back({i, pa[i], pb[i]});
            for (int j = 1; j <= m; ++j)
                in.supervisorHistory.push_back({j, j % m + 1, 0});
            for (int j = 1; j <= k; ++j)
                in.checkerHistory.push_back({j, (j + b) % k + 1, 0});
        }
        const std::optional<Candidate> c = replayCandidate(in);
        if (!c)
            continue;
        const SavePlan plan = planSave(in, *c);
        if (!plan.refusal.isEmpty())
            continue;
        const QStringList found = audit::checkRules(*audit::readCertificate(encodeInputs(in)), plan.rows);
        QVERIFY2(found.isEmpty(), qPrintable(encodeInputs(in) + found.join(u'\n')));
        // The text leaves out the history the rules did not apply: the draw from it is the same.
        const std::optional<Candidate> again = replayCandidate(*decodeInputs(encodeInputs(in)));
        QVERIFY(again && again->a == c->a && again->b == c->b && again->supervisor == c->supervisor);
        ++checked;
    }
    QCOMPARE(checked, 1000);
}

QTEST_GUILESS_MAIN(TestDrawCertificate)
#include "test_draw_certificate.moc"
