#include "common/subject_rule.h"

#include <QTest>

using namespace common;

class TestSubjectRule : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawWindow_data();
    void drawWindow();
    void countdownLead();
    void overlappingWindowsEarlierWins();
    void unparsableAndEmptyEntriesNeverMatch();
    void everyRowIsConsidered();
};

namespace {
QVector<SubjectEntry> table(std::initializer_list<std::pair<const char*, const char*>> rows,
                            int minutes = 120) {
    QVector<SubjectEntry> t;
    int id = 1;
    for (const auto& [subject, start] : rows)
        t.push_back({QString::number(id++), QString::fromUtf8(subject), QString::fromUtf8(start),
                     QString::number(minutes)});
    return t;
}
QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
} // namespace

void TestSubjectRule::drawWindow_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("now");
    QTest::addColumn<bool>("current");
    QTest::newRow("07:00:59 too early") << "2026-06-07 09:00:00"
                                        << "2026-06-07 07:00:59" << false;
    QTest::newRow("07:01:00 starts") << "2026-06-07 09:00:00"
                                     << "2026-06-07 07:01:00" << true;
    QTest::newRow("during") << "2026-06-07 09:00:00"
                            << "2026-06-07 10:30:00" << true;
    QTest::newRow("11:09:59 still") << "2026-06-07 09:00:00"
                                    << "2026-06-07 11:09:59" << true;
    QTest::newRow("11:10:00 over") << "2026-06-07 09:00:00"
                                   << "2026-06-07 11:10:00" << false;
    QTest::newRow("other day") << "2026-06-07 09:00:00"
                               << "2026-06-08 09:00:00" << false;
    QTest::newRow("half-day differs") << "2026-06-07 11:30:00"
                                      << "2026-06-07 12:05:00" << false;
    QTest::newRow("same half-day") << "2026-06-07 11:30:00"
                                   << "2026-06-07 11:55:00" << true;
    QTest::newRow("afternoon from noon") << "2026-06-07 12:30:00"
                                         << "2026-06-07 12:00:00" << true;
    QTest::newRow("afternoon not before noon") << "2026-06-07 12:30:00"
                                               << "2026-06-07 11:59:59" << false;
    QTest::newRow("short form stored") << "2026-6-7 9:00"
                                       << "2026-06-07 08:00:00" << true;
}

void TestSubjectRule::drawWindow() {
    QFETCH(QString, start);
    QFETCH(QString, now);
    QFETCH(bool, current);
    const QVector<SubjectEntry> t{
        {QStringLiteral("1"), QStringLiteral("语文"), start, QStringLiteral("120")}};
    QCOMPARE(currentSubjectIndex(t, at(qPrintable(now)), kDrawLeadMinutes) == 0, current);
}

void TestSubjectRule::countdownLead() {
    const auto t = table({{"语文", "2026-06-07 09:00:00"}});
    QCOMPARE(currentSubjectIndex(t, at("2026-06-07 08:00:59"), kCountdownLeadMinutes), -1);
    QCOMPARE(currentSubjectIndex(t, at("2026-06-07 08:01:00"), kCountdownLeadMinutes), 0);
    QCOMPARE(currentSubjectIndex(t, at("2026-06-07 07:30:00"), kDrawLeadMinutes), 0);
}

void TestSubjectRule::overlappingWindowsEarlierWins() {
    const auto t = table({{"语文", "2026-06-07 08:00:00"}, {"数学", "2026-06-07 10:00:00"}});
    QCOMPARE(currentSubjectIndex(t, at("2026-06-07 09:30:00"), kDrawLeadMinutes), 0);
    QCOMPARE(currentSubjectIndex(t, at("2026-06-07 10:10:00"), kDrawLeadMinutes), 1);
}

void TestSubjectRule::unparsableAndEmptyEntriesNeverMatch() {
    QVector<SubjectEntry> t =
        table({{"", "2026-06-07 09:00:00"}, {"语文", "不是日期"}, {"数学", "2026-06-07 09:00:00"}});
    QCOMPARE(currentSubjectIndex(t, at("2026-06-07 09:00:00"), kDrawLeadMinutes), 2);
}

void TestSubjectRule::everyRowIsConsidered() {
    QVector<SubjectEntry> t;
    for (int i = 0; i < 25; ++i)
        t.push_back({QString::number(i), QStringLiteral("科目%1").arg(i),
                     QStringLiteral("2026-06-%1 09:00:00").arg(i + 1, 2, 10, QLatin1Char('0')),
                     QStringLiteral("60")});
    QCOMPARE(currentSubjectIndex(t, at("2026-06-25 09:30:00"), kDrawLeadMinutes), 24);
}

QTEST_GUILESS_MAIN(TestSubjectRule)
#include "test_subject_rule.moc"
