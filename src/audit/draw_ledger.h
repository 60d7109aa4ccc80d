#pragma once

// The draw ledger: every stop, save, deletion and pick of the person who performs the draw, one
// row each in the order they happened. Each row's digest is taken over its canonical text, which
// holds the digest of the row before, so that no row can be changed, removed or moved without
// every later digest changing; the newest digest is printed under the draw conclusion. The texts
// are written down in docs/draw-certificate.md; examdb verify reads and checks them with code of
// its own (verify_ledger.h).

#include "audit/draw_certificate.h"
#include "db/database.h"
#include "draw/draw_engine.h"

#include <QDateTime>
#include <QString>

namespace engine {

inline constexpr int kLedgerFormat = 1;

// The events, as the column 事件 names them.
inline const QString kOpenedEvent = QStringLiteral("开始");
inline const QString kStopEvent = QStringLiteral("停止");
inline const QString kSaveEvent = QStringLiteral("保存");
inline const QString kDeletionEvent = QStringLiteral("删除");
inline const QString kPickEvent = QStringLiteral("选抽签人");

// One event, before it takes its place in the chain.
struct LedgerEvent {
    QString time; // yyyy-MM-dd HH:mm:ss
    int project = 0;
    QString subject;
    QString kind;    // one of the events above
    QString content; // the event's own lines, each ended by LF
};

// The canonical text of row `seq` holding `event`, after the row whose digest is `previous`
// (a null text for the first row).
QString ledgerRowText(int seq, const QString& previous, const LedgerEvent& event);

// Opens the ledger of a database from before it (its table made by db::upgradeSchema): the
// opening row that lists the batches and deletion records saved before it. Nothing when the
// ledger has rows. Called first in a write
// transaction, before anything else of it changes the file; `when` dates the opening row.
void openLedger(db::Database& db, const QDateTime& when);

// Appends `event` as the next row, in the caller's write transaction; gives its 序号.
int appendEvent(db::Database& db, const LedgerEvent& event);

// The texts a stop is recorded with. The inputs are the certificate's inputs as far as they are
// known at the stop: no time, batch 0, nothing saved, no paper checkers. The result is the
// pairing, room by room, as the save writes it into 抽签历史.
QString stopInputsText(DrawInputs inputs);
QString stopResultText(const Candidate& candidate, int rooms);

// Where and when a stop, a save or a pick happens.
struct EventPlace {
    int project = 0;
    QString subject;
    QDateTime time;
};

// Records a stop that drew `candidate` from `inputs` (whose seed and engine version it holds) as
// the window's `drawNumber`-th, in a write transaction of its own; gives the row's 序号.
int recordStop(db::Database& db, const EventPlace& at, const DrawInputs& inputs, const Candidate& candidate,
               int drawNumber);

// Records the pick of the person who performs the draw: the room whose box stayed lit.
int recordPick(db::Database& db, const EventPlace& at, const QString& room);

// The content of a stop that drew `candidate` from `inputs` as the window's `drawNumber`-th; of a
// pick of `room`; of a save of `batch` from the stop in row `stop`, whose certificate has the result
// digest `resultDigest`; and of a deletion of the batch of `deletedTime` and `batch` (NULL when
// no history row named one) made in `way`, whose rows had the digest `resultDigest`.
QString stopContent(const DrawInputs& inputs, const Candidate& candidate, int drawNumber);
QString pickContent(const QString& room);
QString saveContent(int stop, int batch, const QString& resultDigest);
QString deletionContent(const QVariant& deletedTime, const QVariant& batch, const QString& way,
                        const QString& resultDigest);

} // namespace engine
