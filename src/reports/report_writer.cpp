#include "reports/report_writer.h"

#include "common/check_text_in.h"
#include "common/roster_reader.h"
#include "db/schema.h"
#include "reports/ledger_lines.h"

namespace reports {

namespace {

const QStringList kDutyKinds{db::kOutsideCategory, db::kPaperCheckCategory};
const QString kFooterOpen = QStringLiteral("<table width=100%  border=0 cellspacing=0 cellpadding=1>");

QString title(const common::RunState& state, const QString& tail) {
    return TitleOpen + htmlText(state.project.examName) + QStringLiteral("<br>") +
           htmlText(state.project.siteName) + tail;
}

QString gridHead(const QStringList& captions) {
    QString head = GridTableOpen + QStringLiteral("<tr>");
    for (const QString& c : captions)
        head += headerCell(c);
    return head + QStringLiteral("</tr>");
}

QString conclusionHead() {
    return gridHead({QStringLiteral("考场"), QStringLiteral("监考员甲"), QStringLiteral("监考员乙"),
                     QStringLiteral("场外"), QStringLiteral("验卷"), QStringLiteral("领卷签字"),
                     QStringLiteral("答卷/卡"), QStringLiteral("试卷"), QStringLiteral("余卷"),
                     QStringLiteral("草稿纸"), QStringLiteral("交卷签字"), QStringLiteral("收卷签字")});
}

QString baseHead() {
    return GridTableOpen + QStringLiteral("<tr>") +
           spanHeaderCell(QStringLiteral("rowspan='2'"), QStringLiteral("考场")) +
           spanHeaderCell(QStringLiteral("colspan='3'"), QStringLiteral("监考员甲")) +
           spanHeaderCell(QStringLiteral("colspan='3'"), QStringLiteral("监考员乙")) +
           spanHeaderCell(QStringLiteral("rowspan='2'"), QStringLiteral("场外")) +
           spanHeaderCell(QStringLiteral("rowspan='2'"), QStringLiteral("验卷")) +
           QStringLiteral("</tr><tr>") + headerCell(QStringLiteral("姓名")) +
           headerCell(QStringLiteral("性别")) + headerCell(QStringLiteral("来源单位")) +
           headerCell(QStringLiteral("姓名")) + headerCell(QStringLiteral("性别")) +
           headerCell(QStringLiteral("来源单位")) + QStringLiteral("</tr>");
}

QVector<DutyLine> dutyLines(const db::Rows& rows, const QString& nameColumn) {
    QVector<DutyLine> duties;
    duties.reserve(rows.size());
    for (const db::Row& r : rows) {
        duties.push_back({db::text(r, QStringLiteral("分组号")), db::text(r, nameColumn),
                          db::text(r, QStringLiteral("责任范围")), db::text(r, QStringLiteral("分类"))});
    }
    return duties;
}

} // namespace

QString parameterText(const QString& code) {
    auto at = [&code](int position) { return position <= code.size() ? code.at(position - 1) : QChar(); };
    auto flag = [&at](int position, const QString& label) -> QString {
        return label + (at(position) == u'1' ? QStringLiteral("√；") : QStringLiteral("×；"));
    };
    QString text = QStringLiteral("参数：");
    if (at(1) == u'1')
        text += QStringLiteral("①.抽签模式:只抽乙不动甲；");
    else if (at(1) == u'2')
        text += QStringLiteral("①.抽签模式:只抽甲不动乙；");
    else
        text += QStringLiteral("①.抽签模式:甲乙独立抽签；");
    text += flag(2, QStringLiteral("②.重回考室:"));
    text += flag(3, QStringLiteral("③.再搭档:"));
    text += flag(4, QStringLiteral("④.异性组合:"));
    text += flag(5, QStringLiteral("⑤.异校组合:"));
    text += flag(6, QStringLiteral("⑥.抽场外:"));
    text += flag(7, QStringLiteral("⑦.抽验卷:"));
    return text;
}

void assignDuties(QVector<RoomLine>& rooms, const QVector<DutyLine>& duties) {
    for (RoomLine& room : rooms) {
        for (const DutyLine& d : duties) {
            if (!common::CheckTextIN(room.room, d.scope, QStringLiteral(","), 3))
                continue;
            if (d.kind == db::kOutsideCategory)
                room.supervisor = d.name;
            else if (d.kind == db::kPaperCheckCategory)
                room.checker = d.name;
        }
    }
}

ReportWriter::ReportWriter(const db::Database& db, common::RunState& state, const common::Clock& clock)
    : db_(db), state_(state), clock_(clock) {}

QString ReportWriter::nowText() const {
    return clock_.now().toString(kNowFormat);
}

ReportResult ReportWriter::write(const QString& tail, const HtmlReport& html) {
    return saveReport(state_.MyPath, QString::number(state_.DQXM) + tail, html);
}

ReportResult ReportWriter::failed(const db::DbError& e) const {
    return base::failure(QStringLiteral("读取报表数据时数据库出错，报表未生成："), e.text());
}

QVector<RoomLine> ReportWriter::读抽签结论(const QString& subject, QString& parameters) const {
    const QVariantList key{state_.DQXM, subject};
    const QVector<DutyLine> duties =
        dutyLines(db_.query(QStringLiteral(
                                "select * from (select * from 抽签总表 where 项目编号=? and (分类='场外监考' "
                                "or 分类='验卷') and 科目=?) cwry"),
                            key),
                  QStringLiteral("监考员甲"));
    QVector<RoomLine> rooms;
    const db::Rows roomRows = db_.query(
        QStringLiteral(
            "select * from (select * from 抽签总表 where 项目编号=? and 分类='监考员' and 科目=?) temp "
            "order by 分组号"),
        key);
    for (const db::Row& r : roomRows) {
        rooms.push_back({db::text(r, QStringLiteral("分组号")), db::text(r, QStringLiteral("监考员甲")),
                         db::text(r, QStringLiteral("甲性别")), db::text(r, QStringLiteral("甲单位")),
                         db::text(r, QStringLiteral("监考员乙")), db::text(r, QStringLiteral("乙性别")),
                         db::text(r, QStringLiteral("乙单位")), QString(), QString()});
    }
    const db::Rows params = db_.query(
        QStringLiteral(
            "select * from (select * from 抽签总表 where 项目编号=? and 分类='抽签参数' and 科目=?) temp"),
        key);
    parameters =
        params.isEmpty() ? QString() : parameterText(db::text(params.front(), QStringLiteral("分组号")));
    assignDuties(rooms, duties);
    return rooms;
}

QString ReportWriter::读校验码(const QString& subject, const QString& drawTime) const {
    if (!db::hasCertificateTable(db_))
        return {};
    const QVariant digest = db_.scalar(
        QStringLiteral(
            "select 结果摘要 from 抽签校验 where 项目编号=? and 科目=? and 时间=? order by 编号 desc"),
        {state_.DQXM, subject, drawTime});
    return digest.isNull() ? QString() : db::certificateCode(digest.toString());
}

ReportResult ReportWriter::打印抽签结论(const QString& subject, const QString& drawTime) {
    QVector<RoomLine> rooms;
    QString parameters, code;
    LedgerLines ledger;
    try {
        rooms = 读抽签结论(subject, parameters);
        code = 读校验码(subject, drawTime);
        ledger = ledgerLines(db_, state_.DQXM, subject, drawTime);
    } catch (const db::DbError& e) {
        return failed(e);
    }

    const QString now = nowText();
    const int height = rowHeight(state_.project.rowsPerPage);
    const QStringList heading{
        title(state_, QStringLiteral(" 监考员安排</span></div>")),
        QStringLiteral("<table width=100%><tr><td class=xx>科目:") + htmlText(subject) +
            QStringLiteral("</td><td align=right class=xx>抽签时间:") + htmlText(drawTime) +
            QStringLiteral("</td></tr></table>"),
        conclusionHead(),
    };
    HtmlReport html;
    html.frame(subject + QStringLiteral(" 抽签时间:") + drawTime + QStringLiteral(" 打印时间:") + now);
    html.lines(heading);
    for (int i = 0; i < rooms.size(); ++i) {
        const RoomLine& r = rooms[i];
        html.line(QStringLiteral("<tr>"));
        html.line(heightCell(height, r.room));
        html.line(dataCell(r.aName));
        html.line(dataCell(r.bName));
        html.line(dataCell(r.supervisor));
        html.line(dataCell(r.checker));
        for (int k = 0; k < 7; ++k)
            html.line(dataCell(QString()));
        html.line(QStringLiteral("</tr>"));
        html.pageBreakAfter(i + 1, rooms.size(), state_.project.rowsPerPage, heading);
    }
    html.line(QStringLiteral("</table>"));
    html.line(kFooterOpen + QStringLiteral("<tr><td></td><td align=right>打印时间:") + now +
              QStringLiteral(
                  "</td></tr><tr><td>考点主任（签字）:__________________</td><td align=right>考点单位:") +
              htmlText(state_.DWMC) + QChar(0x3000) + kCredit +
              QStringLiteral("</td></tr><tr><td colspan=2><hr>") + parameters +
              QStringLiteral("</td></tr></table>"));
    // The code a supervisor holds against examdb verify; a draw without a certificate prints none.
    // Then how often the subject was drawn and which draw was saved, and the ledger's newest row:
    // a ledger rewritten after printing no longer shows it.
    for (const QString& line :
         {code.isEmpty() ? QString() : QStringLiteral("校验码:") + code, ledger.stops, ledger.head})
        if (!line.isEmpty())
            html.line(QStringLiteral("<div align=right>") + line + QStringLiteral("</div>"));
    return write(QStringLiteral("-抽签结论（") + safeFileName(subject) + QStringLiteral("）.htm"), html);
}

ReportResult ReportWriter::打印验卷(const QString& subject, const QString& drawTime) {
    const bool initial = subject == common::kInitialSubject;
    QVector<DutyLine> duties;
    try {
        if (initial) {
            duties =
                dutyLines(common::readDutyRows(db_, state_.DQXM, kDutyKinds, QStringLiteral("分类,分组号")),
                          QStringLiteral("姓名"));
        } else {
            duties = dutyLines(
                db_.query(QStringLiteral(
                              "select * from (select * from 抽签总表 where 项目编号=? and (分类='场外监考' "
                              "or 分类='验卷') and 科目=?) cwry order by 分类,分组号"),
                          {state_.DQXM, subject}),
                QStringLiteral("监考员甲"));
        }
    } catch (const db::DbError& e) {
        return failed(e);
    }

    const QString now = nowText();
    HtmlReport html;
    html.frame(subject + QStringLiteral(" 抽签时间:") + drawTime + QStringLiteral(" 打印时间:") + now);
    html.line(title(state_, QStringLiteral("<br>场外与验卷安排  （") + htmlText(subject) +
                                QStringLiteral("）</span></div>")));
    html.line(gridHead({QStringLiteral("分类"), QStringLiteral("分组号"), QStringLiteral("负责人"),
                        QStringLiteral("责任范围")}));
    for (const DutyLine& d : duties) {
        html.line(QStringLiteral("<tr>"));
        html.line(dataCell(d.kind));
        html.line(dataCell(d.room));
        html.line(dataCell(d.name));
        html.line(dataCell(d.scope));
        html.line(QStringLiteral("</tr>"));
    }
    html.line(QStringLiteral("</table>"));
    const QString note = initial ? QStringLiteral("此为初始数据，开考时根据抽签情况可能发生变更！")
                                 : QStringLiteral("抽签时间:") + htmlText(drawTime);
    html.line(kFooterOpen + QStringLiteral("<tr><td>") + note +
              QStringLiteral("</td><td align=right>打印时间:") + now +
              QStringLiteral("</td></tr><tr><td></td><td align=right>") + kCredit +
              QStringLiteral("</td></tr></table>"));
    return write(QStringLiteral("-场外与验卷（") + safeFileName(subject) + QStringLiteral("）.htm"), html);
}

QVector<RoomLine> ReportWriter::读监考员() {
    state_.KSS = 0;
    QVector<RoomLine> rooms;
    for (const common::RosterRoom& r : common::readRosterRooms(db_, state_.DQXM)) {
        rooms.push_back({r.room.toString(),
                         r.a.name.toString(),
                         r.a.sex.toString(),
                         r.a.unit.toString(),
                         r.b.name.toString(),
                         r.b.sex.toString(),
                         r.b.unit.toString(),
                         {},
                         {}});
    }
    state_.KSS = static_cast<int>(rooms.size());
    return rooms;
}

void ReportWriter::读场外(QVector<RoomLine>& rooms) {
    assignDuties(rooms,
                 dutyLines(common::readDutyRows(db_, state_.DQXM, kDutyKinds), QStringLiteral("姓名")));
}

ReportResult ReportWriter::打印基础数据() {
    QVector<RoomLine> rooms;
    try {
        rooms = 读监考员();
        读场外(rooms);
    } catch (const db::DbError& e) {
        return failed(e);
    }

    const QString now = nowText();
    const int height = rowHeight(state_.project.rowsPerPage);
    const QStringList heading{title(state_, QStringLiteral("（初始安排数据）</span></div>")), baseHead()};
    HtmlReport html;
    html.frame(QStringLiteral("报表时间:") + now);
    html.lines(heading);
    for (int i = 0; i < rooms.size(); ++i) {
        const RoomLine& r = rooms[i];
        html.line(QStringLiteral("<tr>"));
        html.line(heightCell(height, r.room));
        for (const QString* v :
             {&r.aName, &r.aSex, &r.aUnit, &r.bName, &r.bSex, &r.bUnit, &r.supervisor, &r.checker})
            html.line(dataCell(*v));
        html.line(QStringLiteral("</tr>"));
        html.pageBreakAfter(i + 1, rooms.size(), state_.project.rowsPerPage, heading);
    }
    html.line(QStringLiteral("</table>"));
    html.line(kFooterOpen +
              QStringLiteral(
                  "<tr><td colspan=2>以上数据表内容为初始名单，实际工作时会根据抽签情况发生变更！</td></tr>"
                  "<tr><td>打印时间:") +
              now + QStringLiteral("</td><td align=right>考点单位:") + htmlText(state_.DWMC) + QChar(0x3000) +
              kCredit + QStringLiteral("</td></tr></table>"));
    return write(QStringLiteral("-基础数据.htm"), html);
}

} // namespace reports
