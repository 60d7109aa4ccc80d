#include "audit/draw_ledger.h"

#include "db/date_text.h"
#include "db/schema.h"

namespace engine {

namespace {

QString line(const QString& key, const QVariant& value) {
    return key + QLatin1Char('\t') + fieldText(value) + QLatin1Char('\n');
}

// The batches and deletion records a file held before its ledger began, so that verify can tell
// them from batches saved behind the ledger's back.
QString openingContent(const db::Database& db) {
    const auto section = [&db](const QString& key, const QString& sql) {
        const db::Rows rows = db.query(sql);
        QString text = line(key, static_cast<int>(rows.size()));
        for (const db::Row& r : rows) {
            QStringList fields;
            for (int c = 0; c < r.count(); ++c)
                fields << fieldText(r.value(c));
            text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
        return text;
    };
    return section(QStringLiteral("saved"),
                   QStringLiteral(
                       "select 项目编号, 科目, 时间, 数据批次, 结果摘要 from 抽签校验 order by 编号")) +
           section(QStringLiteral("deleted"),
                   QStringLiteral("select 项目编号, 科目, 时间, 数据批次, 删除时间, 删除方式, 结果摘要 from "
                                  "抽签删除记录 order by 编号"));
}

void insertRow(db::Database& db, int seq, const QString& previous, const LedgerEvent& e) {
    db.exec(QStringLiteral("insert into 抽签记录链 (序号, 时间, 项目编号, 科目, 事件, 内容, 前一摘要, 摘要) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {seq, e.time, e.project, e.subject, e.kind, e.content,
             previous.isNull() ? QVariant() : QVariant(previous),
             sha256Hex(ledgerRowText(seq, previous, e))});
}

// A transaction of its own for an event that stands alone: a stop or a pick.
int appendAlone(db::Database& db, const LedgerEvent& e, const QDateTime& when) {
    db::Transaction tx(db);
    openLedger(db, when);
    const int seq = appendEvent(db, e);
    tx.commit();
    return seq;
}

} // namespace

QString ledgerRowText(int seq, const QString& previous, const LedgerEvent& e) {
    return line(QStringLiteral("exam-draw-ledger"), kLedgerFormat) + line(QStringLiteral("seq"), seq) +
           line(QStringLiteral("previous"), previous.isNull() ? QVariant() : QVariant(previous)) +
           line(QStringLiteral("time"), e.time) + line(QStringLiteral("project"), e.project) +
           line(QStringLiteral("subject"), e.subject) + line(QStringLiteral("event"), e.kind) + e.content;
}

void openLedger(db::Database& db, const QDateTime& when) {
    if (!db.query(QStringLiteral("select 序号 from 抽签记录链 limit 1")).isEmpty())
        return;
    insertRow(db, 1, QString(),
              {db::toDateText(when), 0, QStringLiteral(""), kOpenedEvent, openingContent(db)});
}

int appendEvent(db::Database& db, const LedgerEvent& e) {
    const db::Rows last =
        db.query(QStringLiteral("select 序号, 摘要 from 抽签记录链 order by 序号 desc limit 1"));
    if (last.isEmpty())
        throw db::DbError(db::ErrorKind::Refused, QStringLiteral("抽签记录链尚未建立。"), {});
    const int seq = last.front().value(0).toInt() + 1;
    insertRow(db, seq, last.front().value(1).toString(), e);
    return seq;
}

QString stopInputsText(DrawInputs in) {
    in.format = kCertificateFormat;
    in.time = QStringLiteral("");
    in.batch = 0;
    in.withDuties = false;
    in.checkers.resize(1);
    in.checkerHistory.clear();
    return encodeInputs(in);
}

QString stopResultText(const Candidate& c, int rooms) {
    QString text =
        line(QStringLiteral("exam-draw-stop"), kLedgerFormat) + line(QStringLiteral("rooms"), rooms);
    for (int i = 1; i <= rooms; ++i)
        text += QStringLiteral("%1\t%2\t%3\n").arg(i).arg(c.a.value(i)).arg(c.b.value(i));
    return text;
}

int recordStop(db::Database& db, const EventPlace& at, const DrawInputs& inputs, const Candidate& candidate,
               int drawNumber) {
    return appendAlone(db,
                       {db::toDateText(at.time), at.project, at.subject, kStopEvent,
                        stopContent(inputs, candidate, drawNumber)},
                       at.time);
}

int recordPick(db::Database& db, const EventPlace& at, const QString& room) {
    return appendAlone(db, {db::toDateText(at.time), at.project, at.subject, kPickEvent, pickContent(room)},
                       at.time);
}

QString stopContent(const DrawInputs& inputs, const Candidate& candidate, int drawNumber) {
    return line(QStringLiteral("engine"), inputs.engineVersion) +
           line(QStringLiteral("seed"), QStringLiteral("%1").arg(inputs.seed, 16, 16, QLatin1Char('0'))) +
           line(QStringLiteral("inputs"), sha256Hex(stopInputsText(inputs))) +
           line(QStringLiteral("result"), sha256Hex(stopResultText(candidate, inputs.ws.roomCount()))) +
           line(QStringLiteral("draw"), drawNumber);
}

QString pickContent(const QString& room) {
    return line(QStringLiteral("room"), room);
}

QString saveContent(int stop, int batch, const QString& resultDigest) {
    return line(QStringLiteral("stop"), stop) + line(QStringLiteral("batch"), batch) +
           line(QStringLiteral("result"), resultDigest);
}

QString deletionContent(const QVariant& deletedTime, const QVariant& batch, const QString& way,
                        const QString& resultDigest) {
    return line(QStringLiteral("time"), deletedTime) + line(QStringLiteral("batch"), batch) +
           line(QStringLiteral("way"), way) + line(QStringLiteral("result"), resultDigest);
}

} // namespace engine
