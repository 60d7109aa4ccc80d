#include "countdown/countdown_rules.h"

#include "common/date_format.h"
#include "common/subject_rule.h"
#include "db/date_text.h"

namespace countdown {

namespace {

// The screen counts whole seconds: dropping the milliseconds makes every difference
// count second boundaries, so the display changes exactly when the clock's second does.
QDateTime wholeSeconds(const QDateTime& t) {
    return t.addMSecs(-t.time().msec());
}

} // namespace

QString countdownText(qint64 seconds) {
    const qint64 minutes = seconds / 60;
    return QString::number(minutes) + QChar(0x2033) + QString::number(seconds - minutes * 60) + QChar(0x2032);
}

QString dateLineText(const QDateTime& now) {
    return common::longDateText(now.date()) + common::ampmText(now.time());
}

QString timeLineText(const QDateTime& now) {
    const QTime t = now.time();
    return QStringLiteral("%1:%2:%3")
        .arg(t.hour())
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

CountdownLines countdownLines(const QVector<common::SubjectEntry>& table, const QDateTime& clockNow) {
    CountdownLines out;
    out.subject = common::kNoExamTime;
    out.upper = kBreakText;
    out.lower = kBreakText;
    const QDateTime now = wholeSeconds(clockNow);
    const int index = common::currentSubjectIndex(table, now, common::kCountdownLeadMinutes);
    if (index < 0)
        return out;

    const common::SubjectEntry& e = table[index];
    // The rule only picks entries whose start parses, so the optional holds a value here.
    const QDateTime start = *db::parseDateText(e.start);
    const QDateTime end = start.addSecs(qint64(e.minutes.trimmed().toDouble()) * 60);
    out.subject = e.subject;
    const qint64 toStart = now.secsTo(start);
    if (toStart > 0) {
        out.state = CountdownState::BeforeStart;
        out.upper = QStringLiteral("考前 ") + countdownText(toStart);
        out.lower = QStringLiteral("考试尚未开始");
    } else if (now.secsTo(end) > 0) {
        out.state = CountdownState::Running;
        out.upper = QStringLiteral("开考 ") + countdownText(-toStart);
        out.lower = QStringLiteral("剩余 ") + countdownText(now.secsTo(end));
    } else {
        out.state = CountdownState::Ended;
        out.upper = QStringLiteral("考试结束");
        out.lower = QStringLiteral("考后 ") + countdownText(end.secsTo(now));
    }
    return out;
}

} // namespace countdown
