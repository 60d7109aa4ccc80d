#pragma once

// The history a certificate lists, rebuilt from what the file holds: the batches still saved
// and the deletion records of those deleted since. Verify trusts no history line that neither
// supports.

#include "audit/deletion_record.h"
#include "audit/verify_reading.h"
#include "db/database.h"

#include <QHash>
#include <QStringList>

#include <memory>

namespace engine::audit {

class HistoryBook {
public:
    // Reads each project's batches when a certificate of it is first checked.
    HistoryBook(const db::Database& db, QVector<DeletionRecord> records);
    ~HistoryBook();
    HistoryBook(const HistoryBook&) = delete;
    HistoryBook& operator=(const HistoryBook&) = delete;

    // What does not hold of the histories a format-2 certificate lists, one text per finding:
    // a history listed though its rule is not in force, more batches than the draw takes, a batch
    // whose lines differ from its rows (saved or recorded at its deletion), a batch neither saved
    // nor recorded, and a saved batch left out between the batches listed.
    QStringList check(const Reading& in);
    // Reads a project's batches now rather than at its first check.
    void read(int number) { project(number); }

private:
    struct Project;
    const Project& project(int number);

    const db::Database& db_;
    QVector<DeletionRecord> records_;
    QHash<int, std::shared_ptr<Project>> projects_;
};

} // namespace engine::audit
