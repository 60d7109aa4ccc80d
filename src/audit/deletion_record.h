#pragma once

// Deleting a saved draw leaves a record: which batch went, when and how, and the canonical
// text of the rows it removed. examdb verify can then tell a batch the program deleted from one
// that went missing, and rebuild from it the history that later draws took from that batch.

#include "db/database.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace engine {

// How a batch was deleted: by the load dialog's delete, or by a save that replaces the subject.
inline const QString kDeletedByOperator = QStringLiteral("删除");
inline const QString kDeletedBySave = QStringLiteral("重新保存");

// One row of the table 抽签删除记录.
struct DeletionRecord {
    int project = 0;
    QString subject;
    QString time;         // 时间 of the deleted rows, as they stored it
    int batch = 0;        // 0 when the deleted rows named no batch
    QString deletedAt;    // yyyy-MM-dd HH:mm:ss
    QString method;       // kDeletedByOperator or kDeletedBySave
    QString resultDigest; // SHA-256 of resultText: the code of a deleted batch is still known
    QString resultText;   // the canonical result of the deleted rows (docs/draw-certificate.md)
};

// Records what deleting the subject's saved draw is about to remove, and the deletion in the
// ledger (opened by the caller); nothing when the subject holds no rows. Part of the caller's
// transaction.
void recordDeletion(db::Database& db, int project, const QString& subject, const QDateTime& when,
                    const QString& method);

// The deletion records of one project (0: all), oldest first; none in files without the table.
QVector<DeletionRecord> readDeletionRecords(const db::Database& db, int project = 0);

} // namespace engine
