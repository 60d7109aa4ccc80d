#include "common/subject_rule.h"
#include "countdown/countdown_rules.h"

#include <QTest>

using namespace common;
using namespace countdown;

Q_DECLARE_METATYPE(QVector<SubjectEntry>)

namespace {

QDateTime at(const QString& text) {
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

SubjectEntry subject(const QString& name, const QString& start, int minutes) {
    return {QString(), name, start, QString::number(minutes)};
}

const QString kPrime2 = QString(QChar(0x2033));
const QString kPrime1 = QString(QChar(0x2032));

// "59:0" reads 59 minutes 0 seconds: the test table stays legible, the primes come from here.
QString cd(const QString& minutesColonSeconds) {
    const QStringList parts = minutesColonSeconds.split(QLatin1Char(':'));
    return parts[0] + kPrime2 + parts[1] + kPrime1;
}

} // namespace

class CountdownRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void countdownText_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << cd(QStringLiteral("0:0"));
        QTest::newRow("seconds only") << qint64(59) << cd(QStringLiteral("0:59"));
        QTest::newRow("one minute") << qint64(60) << cd(QStringLiteral("1:0"));
        QTest::newRow("minutes carry the double prime") << qint64(125) << QStringLiteral("2″5′");
        QTest::newRow("just under an hour") << qint64(3599) << cd(QStringLiteral("59:59"));
        QTest::newRow("minutes past sixty stay minutes") << qint64(7200) << cd(QStringLiteral("120:0"));
    }
    void countdownText() {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(::countdownText(seconds), text);
    }

    void dateAndTimeLines_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("morning") << at("2026-06-07 09:05:03.000") << QStringLiteral("2026年6月7日上午")
                                 << QStringLiteral("9:05:03");
        QTest::newRow("midnight is morning")
            << at("2026-12-31 00:00:00.000") << QStringLiteral("2026年12月31日上午")
            << QStringLiteral("0:00:00");
        QTest::newRow("noon is afternoon")
            << at("2026-06-07 12:00:00.000") << QStringLiteral("2026年6月7日下午")
            << QStringLiteral("12:00:00");
        QTest::newRow("evening") << at("2026-06-07 23:59:59.999") << QStringLiteral("2026年6月7日下午")
                                 << QStringLiteral("23:59:59");
    }
    void dateAndTimeLines() {
        QFETCH(QDateTime, now);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QCOMPARE(dateLineText(now), date);
        QCOMPARE(timeLineText(now), time);
    }

    void lines_data() {
        QTest::addColumn<QVector<SubjectEntry>>("table");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");

        const QVector<SubjectEntry> chinese{
            subject(QStringLiteral("语文"), QStringLiteral("2026-06-07 09:00:00"), 120)};
        const QString 语文 = QStringLiteral("语文");
        const QString notYet = QStringLiteral("考试尚未开始");
        const QString over = QStringLiteral("考试结束");
        const int brk = int(CountdownState::Break), before = int(CountdownState::BeforeStart),
                  running = int(CountdownState::Running), ended = int(CountdownState::Ended);
        auto row = [&](const char* name, const QVector<SubjectEntry>& table, const char* now, int state,
                       const QString& subj, const QString& upper, const QString& lower) {
            QTest::newRow(name) << table << at(QString::fromLatin1(now)) << state << subj << upper << lower;
        };
        auto pause = [&](const char* name, const QVector<SubjectEntry>& table, const char* now) {
            row(name, table, now, brk, kNoExamTime, kBreakText, kBreakText);
        };

        pause("long before", chinese, "2026-06-07 07:00:00.000");
        pause("60 minute boundaries before", chinese, "2026-06-07 08:00:59.000");
        row("59 minute boundaries before", chinese, "2026-06-07 08:01:00.000", before, 语文,
            QStringLiteral("考前 ") + cd("59:0"), notYet);
        row("last second before", chinese, "2026-06-07 08:59:59.000", before, 语文,
            QStringLiteral("考前 ") + cd("0:1"), notYet);
        row("milliseconds do not count", chinese, "2026-06-07 08:59:59.900", before, 语文,
            QStringLiteral("考前 ") + cd("0:1"), notYet);
        row("start", chinese, "2026-06-07 09:00:00.000", running, 语文, QStringLiteral("开考 ") + cd("0:0"),
            QStringLiteral("剩余 ") + cd("120:0"));
        row("in progress", chinese, "2026-06-07 10:02:05.000", running, 语文,
            QStringLiteral("开考 ") + cd("62:5"), QStringLiteral("剩余 ") + cd("57:55"));
        row("last second", chinese, "2026-06-07 10:59:59.000", running, 语文,
            QStringLiteral("开考 ") + cd("119:59"), QStringLiteral("剩余 ") + cd("0:1"));
        row("end", chinese, "2026-06-07 11:00:00.000", ended, 语文, over,
            QStringLiteral("考后 ") + cd("0:0"));
        row("end of the tail", chinese, "2026-06-07 11:09:59.000", ended, 语文, over,
            QStringLiteral("考后 ") + cd("9:59"));
        pause("after the tail", chinese, "2026-06-07 11:10:00.000");
        pause("same time the next day", chinese, "2026-06-08 08:30:00.000");

        const QVector<SubjectEntry> maths{
            subject(QStringLiteral("数学"), QStringLiteral("2026-06-07 12:30:00"), 120)};
        pause("afternoon start, morning within the hour", maths, "2026-06-07 11:31:00.000");
        pause("afternoon start, last morning second", maths, "2026-06-07 11:59:59.000");
        row("afternoon start, noon", maths, "2026-06-07 12:00:00.000", before, QStringLiteral("数学"),
            QStringLiteral("考前 ") + cd("30:0"), notYet);

        const QVector<SubjectEntry> late{
            subject(QStringLiteral("理综"), QStringLiteral("2026-06-07 11:00:00"), 150)};
        pause("a morning subject is not followed into the afternoon", late, "2026-06-07 12:30:00.000");

        // The first subject's tail overlaps the second one's start: timetable order decides.
        const QVector<SubjectEntry> overlap{
            subject(QStringLiteral("物理"), QStringLiteral("2026-06-07 08:00:00"), 60),
            subject(QStringLiteral("化学"), QStringLiteral("2026-06-07 09:00:00"), 120)};
        row("overlap: earlier subject still in its tail", overlap, "2026-06-07 09:05:00.000", ended,
            QStringLiteral("物理"), over, QStringLiteral("考后 ") + cd("5:0"));
        row("overlap: later subject after the tail", overlap, "2026-06-07 09:10:00.000", running,
            QStringLiteral("化学"), QStringLiteral("开考 ") + cd("10:0"),
            QStringLiteral("剩余 ") + cd("110:0"));

        pause("empty timetable", {}, "2026-06-07 09:00:00.000");
        pause("start that is no date", {subject(QStringLiteral("语文"), QStringLiteral("上午九点"), 120)},
              "2026-06-07 09:00:00.000");

        QVector<SubjectEntry> many;
        for (int day = 1; day <= 25; ++day)
            many << subject(QStringLiteral("科目%1").arg(day),
                            QStringLiteral("2026-07-%1 09:00:00").arg(day, 2, 10, QLatin1Char('0')), 90);
        row("the 25th timetable row still counts", many, "2026-07-25 09:30:00.000", running,
            QStringLiteral("科目25"), QStringLiteral("开考 ") + cd("30:0"),
            QStringLiteral("剩余 ") + cd("60:0"));
    }
    void lines() {
        QFETCH(QVector<SubjectEntry>, table);
        QFETCH(QDateTime, now);
        QFETCH(int, state);
        QFETCH(QString, subject);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        const CountdownLines got = countdownLines(table, now);
        QCOMPARE(got.subject, subject);
        QCOMPARE(got.upper, upper);
        QCOMPARE(got.lower, lower);
        QCOMPARE(int(got.state), state);
    }
};

QTEST_GUILESS_MAIN(CountdownRulesTest)
#include "test_countdown_rules.moc"
