#pragma once

// The certificate of a saved draw: everything needed to draw the batch again and to show that
// its rows are the ones the draw produced. The text formats are written down in
// docs/draw-certificate.md, so that a second checker can be written without this code.

#include "db/database.h"
#include "draw/draw_engine.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <cstdint>
#include <optional>

namespace engine {

// The version of the certificate's texts. 1: as written until the history named the batches it
// came from; still read, so that the batches saved then stay verifiable. 2: every section in a
// stated order, history only where the draw applied it, grouped by the batch it came from.
inline constexpr int kCertificateFormat = 2;

// What a saved batch was drawn from: the working set as the engine saw it, the rules, the
// histories as loaded, the seed, and what the save added (subject, time, batch, the paper
// checkers with their history and rules).
struct DrawInputs {
    int format = kCertificateFormat;
    int engineVersion = kEngineVersion;
    std::uint64_t seed = 0;
    int project = 0;
    QString subject;
    QString time; // as stored: "yyyy-MM-dd HH:mm:ss"
    int batch = 0;
    DrawSettings settings;
    bool withDuties = false;                  // outside supervisors and paper checkers saved too
    RuleState checkerReturn = RuleState::Off; // 允许重回原考室 as the paper-checker draw read it
    RuleState checkerDraw = RuleState::Off;   // 验卷员同步抽签 as the paper-checker draw read it
    WorkingSet ws;                            // telephones and the initial supervisors left out
    QVector<DutyRow> checkers;                // index 0 unused; empty unless withDuties
    QVector<HistoryRow> pairingHistory;
    QVector<HistoryRow> supervisorHistory;
    QVector<HistoryRow> checkerHistory;
};

// The rows one save writes, each in the column order below (NULL as an invalid QVariant).
struct SavedRows {
    QVector<QVariantList> results; // 抽签总表
    QVector<QVariantList> history; // 抽签历史
};
const QStringList& resultColumns();
const QStringList& historyColumns();

// The canonical text of the inputs in `in.format`, and its reading back (nullopt for anything
// malformed, or written otherwise than encodeInputs would write it).
QString encodeInputs(const DrawInputs& in);
std::optional<DrawInputs> decodeInputs(const QString& text);
// The format version the text's first line names; 0 when it names none.
int inputsFormat(const QString& text);

// Which of the three histories the draw applied: a history whose rule is off changes nothing,
// and from format 2 on the text lists only these.
struct AppliedHistory {
    bool pairing = false;
    bool supervisors = false;
    bool checkers = false;
};
AppliedHistory appliedHistory(const DrawInputs& in);

// The canonical text of a batch's rows, bound to its inputs by their digest (a null digest for
// rows without a certificate is written as NULL).
QString canonicalResult(const QString& inputDigest, const SavedRows& rows, int format = kCertificateFormat);

// A value as a field of the current format: `\N` for NULL, an escaped text, a number, `\F…`, `\X…`.
QString fieldText(const QVariant& v);

// SHA-256 of the text's UTF-8 bytes, 64 lowercase hex digits.
QString sha256Hex(const QString& text);

// The seed of the paper checkers' stream: a second stream of the draw's seed.
std::uint64_t checkerSeed(std::uint64_t seed);

// One row of the certificate table.
struct Certificate {
    int project = 0;
    QString subject;
    QString time;
    int batch = 0;
    int engineVersion = 0;
    QString seed; // 16 hex digits
    QString inputs;
    QString inputDigest;
    QString resultDigest;
};

Certificate makeCertificate(const DrawInputs& in, const SavedRows& rows);

// Writes `c`; part of the caller's transaction.
void writeCertificate(db::Database& db, const Certificate& c);
// Removes the subject's certificate with its rows; nothing to do in files without the table.
void deleteCertificate(db::Database& db, int project, const QString& subject);
// The certificates of one project (project 0: all), or of one batch (batch 0: all), by batch.
QVector<Certificate> readCertificates(const db::Database& db, int project = 0, int batch = 0);

// The rows the database holds for a project's subject, as a save writes them.
SavedRows readSavedRows(const db::Database& db, int project, const QString& subject);

} // namespace engine
