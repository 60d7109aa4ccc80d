#pragma once

// Checking saved draws against their certificates: the stored inputs against their digest,
// the stored rows against the result digest, a replay of the engine on the inputs and seed,
// and the hard rules checked on the saved rows by code of its own.

#include "db/database.h"
#include "engine/draw_certificate.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace engine {

// The candidate the engine draws from the inputs and seed, as DrawRun::stop draws it;
// nullopt when the rules cannot be met.
std::optional<Candidate> replayCandidate(const DrawInputs& in);

// What breaks a hard rule in force, one text per finding (empty when all hold): each room
// has one A and one B and each person is placed exactly once, nobody of a side that is not
// drawn moves, nobody returns to a room or meets a partner of the history where that is not
// allowed, the duty draws respect their histories, and the printed table 抽签总表 names the
// people, rooms and scopes that 抽签历史 places. Written apart from the engine, so that a
// fault there cannot hide itself here. The gender and unit rules depend on the order of
// the draw's retries and are left to the replay.
QStringList checkRules(const DrawInputs& in, const SavedRows& rows);

// The verdict on one saved batch.
struct BatchVerdict {
    enum class Status { Consistent, Inconsistent, RulesOnly, NoCertificate };
    Status status = Status::NoCertificate;
    int project = 0;
    int batch = 0;
    QString subject;
    QString time;
    QString code;        // the certificate's code, as printed under the draw conclusion
    int savedEngine = 0; // the engine version the batch was drawn with
    QStringList reasons; // why it is inconsistent

    // One line for the console: the batch, its code and the verdict.
    QString line() const;
};

BatchVerdict verifyCertificate(const db::Database& db, const Certificate& c);

// Every saved batch of the file (or of one project, or one batch), by batch number: those with
// a certificate checked, those saved before certificates existed reported as such.
QVector<BatchVerdict> verifyDraws(const db::Database& db, int project = 0, int batch = 0);

} // namespace engine
