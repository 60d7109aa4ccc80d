#pragma once

// examdb verify's reading of the draw ledger: the chain checked row by row, every saved batch
// against the save and the stop that the ledger recorded for it, every deletion record against
// its row. Written apart from the ledger's writer (draw_ledger.h), from the texts of
// docs/draw-certificate.md alone.

#include "audit/deletion_record.h"
#include "audit/draw_certificate.h"
#include "db/database.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

namespace engine::audit {

class LedgerBook {
public:
    // Reads the whole chain: it is one for every project of the file.
    explicit LedgerBook(const db::Database& db);

    // Whether the file's ledger has begun: without it every batch was saved before it.
    bool started() const { return !rows_.isEmpty(); }
    int rows() const { return static_cast<int>(rows_.size()); }
    // The newest row: its 序号, time, event and code (db::certificateCode of its digest).
    QString head() const;
    // The row whose code a printed conclusion shows ("记录链:…" or the code alone), and how much
    // was recorded after it; empty when no row has that code.
    QString findPrinted(const QString& code) const;

    // What breaks the chain: a digest that does not fit its row or the row before, a gap or a
    // repeat in the order, a row whose content cannot be read, a save that names no stop of its
    // subject, a 重新保存 not followed by its save.
    QStringList chainProblems() const;

    // A saved batch against the ledger: the reasons it does not fit (empty when it does), and
    // whether it was saved before the ledger began.
    struct BatchCheck {
        QStringList reasons;
        bool beforeLedger = false;
    };
    BatchCheck checkBatch(const Certificate& c, const SavedRows& stored) const;

    // The deletion records of `project` (0: all) against the ledger's deletions: `unmatched`
    // gets, per record, whether no ledger row records it; gives the ledger's deletions that no
    // record holds any more.
    QStringList checkDeletions(const QVector<DeletionRecord>& records, int project,
                               QVector<bool>* unmatched) const;
    // The ledger's saves of `project` whose batch is neither among `saved` nor deleted since.
    QStringList checkSaves(const QVector<Certificate>& saved, int project) const;

    // Per subject of `project` (0: all): how often it was stopped, which stops were saved as
    // which batch (of `saved`, or deleted since), and the rooms picked for the person who
    // performs the draw.
    QStringList subjectLines(const QVector<Certificate>& saved, int project) const;

    // A row as stored: its columns as fields (docs/draw-certificate.md, Fields), the content's
    // key lines by key, the opening row's lists.
    struct Row {
        QString seq, time, project, subject, event, previous, digest;
        QString content;   // as stored
        qint64 number = 0; // 序号; 0 when it is no number
        bool readable = false;
        QHash<QString, QString> values;
        QVector<QStringList> saved, deleted;
        QString value(const char* key) const { return values.value(QString::fromLatin1(key)); }
    };

private:
    const Row* rowAt(qint64 seq) const;
    const Row* saveOf(const Certificate& c) const;

    QVector<Row> rows_;
};

} // namespace engine::audit
