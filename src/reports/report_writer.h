#pragma once

#include "common/clock.h"
#include "common/run_state.h"
#include "db/database.h"
#include "reports/report_html.h"

#include <QString>
#include <QVector>

namespace reports {

// One room of a report: its pair and the duties covering it. Empty fields print as blanks.
struct RoomLine {
    QString room;
    QString aName, aSex, aUnit;
    QString bName, bSex, bUnit;
    QString supervisor; // 场外
    QString checker;    // 验卷
};

// An outside supervisor or paper checker with the rooms in his or her scope.
struct DutyLine {
    QString room;
    QString name;
    QString scope; // room numbers separated by ","
    QString kind;  // "场外监考" or "验卷"
};

// The three reports of the current project (state.DQXM), written into Report/ below
// state.MyPath. Every report reads what it prints fresh from the database; a database
// error or a file that cannot be written gives a result with ok == false and nothing opened.
class ReportWriter {
public:
    ReportWriter(const db::Database& db, common::RunState& state, const common::Clock& clock);

    // The draw conclusion of a saved draw: rooms, pairs, duties, signature columns, parameters,
    // the certificate's code where the draw has one, and what the draw ledger says of it.
    ReportResult 打印抽签结论(const QString& subject, const QString& drawTime);
    // The outside supervisors and paper checkers of a saved draw, or of the initial
    // arrangement for the subject common::kInitialSubject.
    ReportResult 打印验卷(const QString& subject, const QString& drawTime);
    // The initial arrangement of rooms, pairs and duties from the roster.
    ReportResult 打印基础数据();

    // The rooms of the roster in 分组号 order with their pairs; sets state.KSS to their count.
    QVector<RoomLine> 读监考员();
    // Fills the 场外 and 验卷 cells of `rooms` from the roster's duty scopes.
    void 读场外(QVector<RoomLine>& rooms);

private:
    // The rooms of a saved draw with their duties; `parameters` gets the decoded draw parameters.
    QVector<RoomLine> 读抽签结论(const QString& subject, QString& parameters) const;
    // The code of the saved draw's certificate (db::certificateCode), empty without one.
    QString 读校验码(const QString& subject, const QString& drawTime) const;
    ReportResult write(const QString& tail, const HtmlReport& html);
    ReportResult failed(const db::DbError& e) const;
    QString nowText() const;

    const db::Database& db_;
    common::RunState& state_;
    const common::Clock& clock_;
};

// The text under the draw conclusion for a draw parameter code ("参数：①...；②...；...").
QString parameterText(const QString& code);

// Gives every room the outside supervisor and paper checker whose scope lists it; a later
// duty row replaces an earlier one.
void assignDuties(QVector<RoomLine>& rooms, const QVector<DutyLine>& duties);

} // namespace reports
