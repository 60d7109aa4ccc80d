#pragma once

// Checking saved draws against their certificates: the stored inputs against their digest,
// the stored rows against the result digest, a replay of the engine on the inputs and seed,
// the hard rules and the history checked by code of verify's own, and every saved row
// accounted for by a certificate.

#include "audit/draw_certificate.h"
#include "db/database.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace engine {

// The candidate the engine draws from the inputs and seed, as DrawRun::stop draws it;
// nullopt when the rules cannot be met.
std::optional<Candidate> replayCandidate(const DrawInputs& in);

// The verdict on one saved batch, or on one deletion record.
struct BatchVerdict {
    enum class Status {
        Consistent,    // the certificate holds
        Inconsistent,  // it does not: reasons say why
        UnknownEngine, // drawn by an engine version this program does not know: cannot be checked
        NoCertificate, // saved rows no certificate accounts for
        Deleted,       // deleted by the program (a deletion record), shown for its code
    };
    Status status = Status::NoCertificate;
    int project = 0;
    int batch = 0; // 0 for rows of 抽签总表 that no batch names
    QString subject;
    QString time;
    QString code;        // the certificate's code, as printed under the draw conclusion
    int savedEngine = 0; // the engine version the batch was drawn with
    QStringList reasons; // why it is inconsistent
    QString note;        // what is known besides: the rows without a certificate, how it was deleted

    // Whether this verdict makes examdb verify fail.
    bool fails() const { return status != Status::Consistent && status != Status::Deleted; }
    // One line for the console: the batch, its code and the verdict.
    QString line() const;
};

// The verdict on the draw ledger.
struct LedgerVerdict {
    QString head;          // how many rows, and the newest one with its code
    QStringList problems;  // what breaks the chain or disagrees with the file: verify fails
    QStringList subjects;  // per subject: its stops and which of them were saved
    QString printed;       // where the head a conclusion printed stands in the chain, when asked
    QStringList rewriters; // on a server, the accounts that could change or delete its rows

    bool fails() const { return !problems.isEmpty(); }
    // The lines for the console, after the batches.
    QStringList lines() const;
};

struct Verification {
    QVector<BatchVerdict> batches;
    LedgerVerdict ledger;
};

// Every saved batch of the file (or of one project, or one batch), the rows no certificate
// accounts for and the deletion records, by batch number; and the ledger, with the row whose
// code is `printedHead` (as a conclusion prints it) looked up when one is given. All is read in
// one snapshot of the database (or in the caller's open transaction).
Verification verifyFile(db::Database& db, int project = 0, int batch = 0, const QString& printedHead = {});
// The batches alone.
QVector<BatchVerdict> verifyDraws(db::Database& db, int project = 0, int batch = 0);

} // namespace engine
