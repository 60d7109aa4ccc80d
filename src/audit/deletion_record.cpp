#include "audit/deletion_record.h"

#include "audit/draw_certificate.h"
#include "audit/draw_ledger.h"
#include "db/date_text.h"
#include "db/schema.h"

namespace engine {

void recordDeletion(db::Database& db, int project, const QString& subject, const QDateTime& when,
                    const QString& method) {
    const SavedRows rows = readSavedRows(db, project, subject);
    if (rows.results.isEmpty() && rows.history.isEmpty())
        return;
    // Written as the deleted batch's certificate wrote its result, so that an untouched batch keeps
    // its printed code; rows without a certificate get the current format and no input digest.
    QVariant batch, time;
    QString inputDigest;
    int format = kCertificateFormat;
    const db::Rows certificate =
        db::hasCertificateTable(db)
            ? db.query(
                  QStringLiteral("select 数据批次, 时间, 输入数据, 输入摘要 from 抽签校验 where 项目编号=? "
                                 "and 科目=? order by 编号 desc limit 1"),
                  {project, subject})
            : db::Rows{};
    if (!certificate.isEmpty()) {
        batch = certificate.front().value(0);
        time = certificate.front().value(1);
        const int written = inputsFormat(certificate.front().value(2).toString());
        format = written >= 1 && written <= kCertificateFormat ? written : kCertificateFormat;
        inputDigest = certificate.front().value(3).toString();
    } else {
        const int batchColumn = static_cast<int>(historyColumns().indexOf(QStringLiteral("数据批次")));
        for (const QVariantList& h : rows.history)
            if (batch.isNull() || h.value(batchColumn).toLongLong() > batch.toLongLong())
                batch = h.value(batchColumn);
        time = (rows.history.isEmpty() ? rows.results : rows.history).front().value(2);
    }
    const QString text = canonicalResult(inputDigest, rows, format);
    const QString digest = sha256Hex(text);
    db.exec(QStringLiteral(
                "insert into 抽签删除记录 (项目编号, 科目, 时间, 数据批次, 删除时间, 删除方式, 结果摘要, "
                "结果数据) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {project, subject, time, batch, db::toDateText(when), method, digest, text});
    appendEvent(db, {db::toDateText(when), project, subject, kDeletionEvent,
                     deletionContent(time, batch, method, digest)});
}

QVector<DeletionRecord> readDeletionRecords(const db::Database& db, int project) {
    QVector<DeletionRecord> out;
    if (!db::hasDeletionTable(db))
        return out;
    const db::Rows rows =
        db.query(QStringLiteral("select * from 抽签删除记录 where (?=0 or 项目编号=?) order by 编号"),
                 {project, project});
    for (const db::Row& r : rows)
        out.push_back({db::integer(r, QStringLiteral("项目编号")), db::text(r, QStringLiteral("科目")),
                       db::text(r, QStringLiteral("时间")), db::integer(r, QStringLiteral("数据批次")),
                       db::text(r, QStringLiteral("删除时间")), db::text(r, QStringLiteral("删除方式")),
                       db::text(r, QStringLiteral("结果摘要")), db::text(r, QStringLiteral("结果数据"))});
    return out;
}

} // namespace engine
