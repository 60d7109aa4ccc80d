#include "audit/verify.h"

#include "audit/deletion_record.h"
#include "audit/save_plan.h"
#include "audit/verify_history.h"
#include "audit/verify_ledger.h"
#include "audit/verify_rules.h"
#include "db/schema.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace engine {

namespace {

constexpr int kReasonsShown = 5;

BatchVerdict inconsistent(BatchVerdict v, const QString& reason) {
    v.status = BatchVerdict::Status::Inconsistent;
    v.reasons << reason;
    return v;
}

// The engine drawn again on the inputs and seed, its rows against the saved ones.
QStringList replayFindings(const DrawInputs& in, const SavedRows& stored) {
    const std::optional<Candidate> candidate = replayCandidate(in);
    const SavePlan plan = candidate ? planSave(in, *candidate) : SavePlan{};
    if (!candidate || !plan.refusal.isEmpty())
        return {QStringLiteral("重放未能得出抽签结果")};
    QStringList found;
    const auto text = [&in](const QVector<QVariantList>& results, const QVector<QVariantList>& history) {
        return canonicalResult(QString(), {results, history}, in.format);
    };
    if (text(stored.results, {}) != text(plan.rows.results, {}))
        found << QStringLiteral("抽签总表与重放结果不符");
    if (text({}, stored.history) != text({}, plan.rows.history))
        found << QStringLiteral("抽签历史与重放结果不符");
    return found;
}

QString subjectKey(const QVariant& project, const QVariant& subject) {
    return project.toString() + QLatin1Char('\t') + subject.toString();
}

QString rowsNote(const QString& table, const db::Row& r, int first) {
    return QStringLiteral("%1 %2 行，编号 %3–%4")
        .arg(table)
        .arg(r.value(first).toInt())
        .arg(r.value(first + 1).toLongLong())
        .arg(r.value(first + 2).toLongLong());
}

class Verifier {
public:
    Verifier(db::Database& db, int project, int batch, const QString& printed)
        : db_(db), project_(project), batch_(batch), printed_(printed) {}

    Verification run() {
        QVector<Certificate> certificates;
        QVector<SavedRows> stored;
        {
            // Everything is read in one state of the database: a save made beside verify is
            // seen whole or not at all. The replays need no database and come after.
            const db::ReadSnapshot snapshot(db_);
            records_ = readDeletionRecords(db_, project_);
            book_.emplace(db_, records_);
            ledger_.emplace(db_);
            verdict_.ledger.rewriters = db::ledgerRewriters(db_);
            certificates = readCertificates(db_, project_, batch_);
            countCertificates();
            for (const Certificate& c : certificates) {
                stored.push_back(readSavedRows(db_, c.project, c.subject));
                book_->read(c.project);
            }
            unaccounted(certificates);
        }
        for (qsizetype i = 0; i < certificates.size(); ++i)
            out_.push_back(verify(certificates.at(i), stored.at(i)));
        deletions();
        std::sort(out_.begin(), out_.end(), [](const BatchVerdict& x, const BatchVerdict& y) {
            return std::tie(x.batch, x.project, x.time, x.subject) <
                   std::tie(y.batch, y.project, y.time, y.subject);
        });
        verdict_.batches = out_;
        judgeLedger(certificates);
        return verdict_;
    }

private:
    void countCertificates() {
        if (!db::hasCertificateTable(db_))
            return;
        for (const db::Row& r : db_.query(
                 QStringLiteral("select 项目编号, 科目, count(*) from 抽签校验 group by 项目编号, 科目")))
            certificatesOf_[subjectKey(r.value(0), r.value(1))] = r.value(2).toInt();
    }

    BatchVerdict verify(const Certificate& c, const SavedRows& stored) {
        BatchVerdict v;
        v.project = c.project;
        v.batch = c.batch;
        v.subject = c.subject;
        v.time = c.time;
        v.code = db::certificateCode(c.resultDigest);
        v.savedEngine = c.engineVersion;
        if (sha256Hex(c.inputs) != c.inputDigest)
            return inconsistent(v, QStringLiteral("保存的抽签输入与输入摘要不符"));
        const int format = inputsFormat(c.inputs);
        if (format < 1 || format > kCertificateFormat)
            return inconsistent(v, QStringLiteral("校验数据的格式为第 %1 版，本程序不认识").arg(format));
        const std::optional<DrawInputs> in = decodeInputs(c.inputs);
        if (!in)
            return inconsistent(v, QStringLiteral("保存的抽签输入无法读取"));
        if (in->project != c.project || in->subject != c.subject || in->time != c.time ||
            in->batch != c.batch || in->engineVersion != c.engineVersion ||
            QStringLiteral("%1").arg(in->seed, 16, 16, QLatin1Char('0')) != c.seed)
            return inconsistent(v, QStringLiteral("校验记录与其抽签输入不符"));
        // Only the engine that drew a batch can draw it again; any other version is no proof.
        if (c.engineVersion != kEngineVersion) {
            v.status = BatchVerdict::Status::UnknownEngine;
            return v;
        }

        if (sha256Hex(canonicalResult(c.inputDigest, stored, format)) != c.resultDigest)
            v.reasons << QStringLiteral("保存的抽签结果与结果摘要不符");
        v.reasons << replayFindings(*in, stored);
        const std::optional<audit::Reading> reading = audit::readCertificate(c.inputs);
        if (!reading) {
            v.reasons << QStringLiteral("校验程序无法读取保存的抽签输入");
        } else {
            v.reasons << audit::checkRules(*reading, stored);
            v.reasons << book_->check(*reading);
        }
        if (const int n = certificatesOf_.value(subjectKey(c.project, c.subject)); n > 1)
            v.reasons << QStringLiteral("同一科目有 %1 条校验记录").arg(n);
        const audit::LedgerBook::BatchCheck recorded = ledger_->checkBatch(c, stored);
        v.reasons << recorded.reasons;
        v.status =
            v.reasons.isEmpty() ? BatchVerdict::Status::Consistent : BatchVerdict::Status::Inconsistent;
        QStringList notes;
        if (format == 1)
            notes << QStringLiteral("第 1 版校验数据，所用历史未能逐批核对");
        if (recorded.beforeLedger)
            notes << QStringLiteral("记录开始之前");
        v.note = notes.join(QStringLiteral("；"));
        return v;
    }

    // Saved rows that no certificate accounts for: history rows of a batch without one, and
    // rows of 抽签总表 whose subject has none.
    void unaccounted(const QVector<Certificate>& certificates) {
        QSet<QString> certifiedBatches;
        for (const Certificate& c : certificates)
            certifiedBatches << subjectKey(c.project, c.subject) + QLatin1Char('\t') +
                                    QString::number(c.batch);
        QHash<QString, QString> resultsNote;
        QHash<QString, db::Row> resultsRow;
        for (const db::Row& r :
             db_.query(QStringLiteral(
                           "select 项目编号, 科目, min(时间), count(*), min(编号), max(编号) from 抽签总表 "
                           "where (?=0 or 项目编号=?) group by 项目编号, 科目"),
                       {project_, project_})) {
            const QString key = subjectKey(r.value(0), r.value(1));
            if (!certificatesOf_.contains(key)) {
                resultsNote[key] = rowsNote(QStringLiteral("抽签总表"), r, 3);
                resultsRow[key] = r;
            }
        }
        for (const db::Row& r : db_.query(
                 QStringLiteral(
                     "select 项目编号, 科目, 数据批次, min(时间), count(*), min(编号), max(编号) from "
                     "抽签历史 "
                     "where (?=0 or 项目编号=?) and (?=0 or 数据批次=?) group by 项目编号, 科目, 数据批次"),
                 {project_, project_, batch_, batch_})) {
            const QString key = subjectKey(r.value(0), r.value(1));
            if (certifiedBatches.contains(key + QLatin1Char('\t') + r.value(2).toString()))
                continue;
            QStringList note{rowsNote(QStringLiteral("抽签历史"), r, 4)};
            if (resultsNote.contains(key))
                note << resultsNote.take(key);
            out_.push_back(missing(r.value(0).toInt(), r.value(1).toString(), r.value(2).toInt(),
                                   r.value(3).toString(), note.join(QStringLiteral("；"))));
        }
        if (batch_ != 0)
            return;
        for (auto it = resultsNote.cbegin(); it != resultsNote.cend(); ++it) {
            const db::Row& r = resultsRow[it.key()];
            out_.push_back(
                missing(r.value(0).toInt(), r.value(1).toString(), 0, r.value(2).toString(), it.value()));
        }
    }

    static BatchVerdict missing(int project, const QString& subject, int batch, const QString& time,
                                const QString& note) {
        BatchVerdict v;
        v.status = BatchVerdict::Status::NoCertificate;
        v.project = project;
        v.subject = subject;
        v.batch = batch;
        v.time = time;
        v.note = note;
        return v;
    }

    void deletions() {
        QVector<bool> unrecorded;
        unrecordedDeletions_ = ledger_->checkDeletions(records_, project_, &unrecorded);
        for (qsizetype i = 0; i < records_.size(); ++i) {
            const DeletionRecord& d = records_[i];
            if (batch_ != 0 && d.batch != batch_)
                continue;
            BatchVerdict v;
            v.status = BatchVerdict::Status::Deleted;
            v.project = d.project;
            v.batch = d.batch;
            v.subject = d.subject;
            v.time = d.time;
            v.code = db::certificateCode(d.resultDigest);
            v.note = QStringLiteral("%1，%2").arg(d.method, d.deletedAt);
            if (sha256Hex(d.resultText) != d.resultDigest)
                v = inconsistent(v, QStringLiteral("删除记录与其结果摘要不符"));
            if (ledger_->started() && unrecorded[i])
                v = inconsistent(v, QStringLiteral("删除记录与记录链不符"));
            out_.push_back(v);
        }
    }

    // The chain itself; with the whole file or project in view, also the deletions and saves it
    // recorded that the file no longer shows.
    void judgeLedger(const QVector<Certificate>& certificates) {
        LedgerVerdict& l = verdict_.ledger;
        l.head = ledger_->head();
        l.problems = ledger_->chainProblems();
        if (batch_ == 0) {
            l.problems << unrecordedDeletions_ << ledger_->checkSaves(certificates, project_);
            l.subjects = ledger_->subjectLines(certificates, project_);
        }
        if (!printed_.isEmpty()) {
            l.printed = ledger_->findPrinted(printed_);
            if (l.printed.isEmpty())
                l.problems
                    << QStringLiteral(
                           "打印的 %1 不在记录链中：记录链在打印之后被改写过，或不是这个数据库的记录链")
                           .arg(printed_.trimmed());
        }
    }

    db::Database& db_;
    int project_;
    int batch_;
    QString printed_;
    QVector<DeletionRecord> records_;
    std::optional<audit::HistoryBook> book_;
    std::optional<audit::LedgerBook> ledger_;
    QStringList unrecordedDeletions_;
    Verification verdict_;
    QHash<QString, int> certificatesOf_;
    QVector<BatchVerdict> out_;
};

} // namespace

std::optional<Candidate> replayCandidate(const DrawInputs& in) {
    SeededRandom random(in.seed);
    DrawEngine engine(in.ws, random);
    if (engine.begin(in.settings, in.pairingHistory, in.supervisorHistory).status == DrawStatus::Impossible)
        return std::nullopt;
    // Ends: the engine reports the rules as too tight after a bounded amount of work.
    for (;;) {
        const DrawResult r = engine.generate(1);
        if (r.status == DrawStatus::Done)
            return engine.candidate();
        if (r.status == DrawStatus::Impossible)
            return std::nullopt;
    }
}

QString BatchVerdict::line() const {
    const QString head = QStringLiteral("批次 %1（项目 %2，%3，%4）")
                             .arg(batch > 0 ? QString::number(batch) : QStringLiteral("-"))
                             .arg(project)
                             .arg(subject, time);
    if (status == Status::NoCertificate)
        return head + QStringLiteral("：无校验数据（") + note + QStringLiteral("）");
    const QString coded = head + QStringLiteral(" 校验码 ") + code;
    switch (status) {
    case Status::Consistent:
        return coded + QStringLiteral("：一致") +
               (note.isEmpty() ? QString() : QStringLiteral("（%1）").arg(note));
    case Status::Deleted:
        return coded + QStringLiteral("：已删除（%1）").arg(note);
    case Status::UnknownEngine:
        return coded + QStringLiteral("：引擎版本未知（抽签时为第 %1 版，本程序为第 %2 版），无法核对")
                           .arg(savedEngine)
                           .arg(kEngineVersion);
    default:
        break;
    }
    QStringList shown = reasons.mid(0, kReasonsShown);
    if (reasons.size() > kReasonsShown)
        shown << QStringLiteral("另有 %1 处").arg(reasons.size() - kReasonsShown);
    return coded + QStringLiteral("：不一致：") + shown.join(QStringLiteral("；"));
}

QStringList LedgerVerdict::lines() const {
    QString first = head;
    if (!problems.isEmpty()) {
        QStringList shown = problems.mid(0, kReasonsShown);
        if (problems.size() > kReasonsShown)
            shown << QStringLiteral("另有 %1 处").arg(problems.size() - kReasonsShown);
        first += QStringLiteral("：不一致：") + shown.join(QStringLiteral("；"));
    }
    QStringList out{first};
    if (!printed.isEmpty())
        out << printed;
    out << subjects;
    if (!rewriters.isEmpty())
        out << QStringLiteral("注意：数据库账户 %1 "
                              "可以改写或删除记录链中的行；记录链是否被改写过，只能与打印的记录链码对照。")
                   .arg(rewriters.join(QStringLiteral("、")));
    return out;
}

Verification verifyFile(db::Database& db, int project, int batch, const QString& printedHead) {
    return Verifier(db, project, batch, printedHead).run();
}

QVector<BatchVerdict> verifyDraws(db::Database& db, int project, int batch) {
    return verifyFile(db, project, batch).batches;
}

} // namespace engine
