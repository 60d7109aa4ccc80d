#pragma once

#include "common/run_state.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace countdown {

// What the countdown screen shows at one moment. Derived afresh from the clock and the
// timetable on every tick; nothing is carried over from the previous one.
enum class CountdownState { Break, BeforeStart, Running, Ended };

struct CountdownLines {
    CountdownState state = CountdownState::Break;
    QString subject; // "非考试时间" when no subject is current
    QString upper;   // Label1
    QString lower;   // Label2
};

// 获取当前科目 and the two countdown lines for `now`, with the 60-minute lead.
CountdownLines countdownLines(const QVector<common::SubjectEntry>& table, const QDateTime& now);

// Minutes before the double prime, seconds before the single prime, neither padded:
// 125 seconds read "2″5′".
QString countdownText(qint64 seconds);

// The long date immediately followed by the morning or afternoon designator, as the
// date line shows it: "2026年6月7日上午".
QString dateLineText(const QDateTime& now);

// The long time, as the clock line shows it: "9:05:03".
QString timeLineText(const QDateTime& now);

inline const QString kBreakText = QStringLiteral("现在是休息时间");
inline const QString kSubjectPrefix = QStringLiteral("当前科目:");
inline const QString kAccuracyNotice = QStringLiteral(
    "为保证考试记时的准确性，请在使用该系统前检查系统时间与考试安排是否正确。实际考试过程中本时间做"
    "参考，考试指令下达以招生办公室文件为依据并由主考根据准确的北京时间负责实施。");

} // namespace countdown
