#include "audit/verify_ledger.h"

#include "audit/verify_reading.h"
#include "db/schema.h"

#include <QCryptographicHash>

#include <algorithm>
#include <optional>

namespace engine::audit {

namespace {

const QString kOpened = QStringLiteral("开始");
const QString kStop = QStringLiteral("停止");
const QString kSave = QStringLiteral("保存");
const QString kDeletion = QStringLiteral("删除");
const QString kPick = QStringLiteral("选抽签人");
const QString kResave = QStringLiteral("重新保存");
const QString kNullField = QStringLiteral("\\N");
constexpr int kStoredFormat = 2; // the fields of the ledger's texts, as format 2 writes them

QString digestOf(const QString& text) {
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString field(const QVariant& v) {
    return token(v, kStoredFormat);
}

// The lines of each event's content, in their order; each line a key and one field.
const QHash<QString, QStringList>& eventKeys() {
    static const QHash<QString, QStringList> keys{
        {kStop,
         {QStringLiteral("engine"), QStringLiteral("seed"), QStringLiteral("inputs"),
          QStringLiteral("result"), QStringLiteral("draw")}},
        {kSave, {QStringLiteral("stop"), QStringLiteral("batch"), QStringLiteral("result")}},
        {kDeletion,
         {QStringLiteral("time"), QStringLiteral("batch"), QStringLiteral("way"), QStringLiteral("result")}},
        {kPick, {QStringLiteral("room")}},
    };
    return keys;
}

// The opening row: "saved<TAB>n" and n lines of five fields, "deleted<TAB>m" and m of seven.
bool readOpening(const QStringList& lines, LedgerBook::Row& row) {
    qsizetype at = 0;
    const auto list = [&](const QString& key, int fields, QVector<QStringList>& into) {
        const QStringList head = at < lines.size() ? lines[at++].split(QLatin1Char('\t')) : QStringList();
        const std::optional<int> n = head.size() == 2 && head[0] == key ? number(head[1]) : std::nullopt;
        if (!n || *n < 0 || at + *n > lines.size())
            return false;
        for (int k = 0; k < *n; ++k) {
            const QStringList f = lines[at++].split(QLatin1Char('\t'));
            if (f.size() != fields)
                return false;
            into.push_back(f);
        }
        return true;
    };
    return list(QStringLiteral("saved"), 5, row.saved) && list(QStringLiteral("deleted"), 7, row.deleted) &&
           at == lines.size();
}

bool readContent(LedgerBook::Row& row) {
    QStringList lines = row.content.split(QLatin1Char('\n'));
    if (!lines.back().isEmpty())
        return false;
    lines.removeLast();
    if (row.event == kOpened)
        return readOpening(lines, row);
    const QStringList keys = eventKeys().value(row.event);
    if (keys.isEmpty() || keys.size() != lines.size())
        return false;
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const QStringList f = lines[k].split(QLatin1Char('\t'));
        if (f.size() != 2 || f[0] != keys[k])
            return false;
        row.values.insert(f[0], f[1]);
    }
    return true;
}

QString rowText(const LedgerBook::Row& r) {
    return QStringLiteral("exam-draw-ledger\t1\nseq\t") + r.seq + QStringLiteral("\nprevious\t") +
           r.previous + QStringLiteral("\ntime\t") + r.time + QStringLiteral("\nproject\t") + r.project +
           QStringLiteral("\nsubject\t") + r.subject + QStringLiteral("\nevent\t") + r.event + u'\n' +
           r.content;
}

// The certificate's inputs as the stop knew them: time, batch, save line, paper checkers and
// their history as a save that has not happened yet leaves them. Format 2 only: the ledger
// began after it.
std::optional<QString> stopInputs(const QString& inputs) {
    QStringList lines = inputs.split(QLatin1Char('\n'));
    if (lines.size() < 10 || lines[0] != QLatin1String("exam-draw-inputs\t2"))
        return std::nullopt;
    lines[5] = QStringLiteral("time\t");
    lines[6] = QStringLiteral("batch\t0");
    lines[8] = QStringLiteral("save\t0\t\\N\t\\N");
    qsizetype at = 9;
    // The count a keyword line ends with; -1 where the line is not that keyword's.
    const auto count = [&lines, &at](const char* keyword) {
        const QStringList f = at < lines.size() ? lines[at].split(QLatin1Char('\t')) : QStringList();
        const std::optional<int> n =
            f.size() >= 2 && f[0] == QLatin1String(keyword) ? number(f.back()) : std::nullopt;
        return n.value_or(-1);
    };
    for (const char* section : {"rooms", "gender-tally", "unit-tally", "supervisors"}) {
        const int n = count(section);
        if (n < 0)
            return std::nullopt;
        at += 1 + n;
    }
    const int checkers = count("checkers");
    if (checkers < 0 || at + 1 + checkers > lines.size())
        return std::nullopt;
    lines[at] = QStringLiteral("checkers\t0");
    lines.remove(at + 1, checkers);
    ++at;
    for (const char* history : {"pairing-history", "supervisor-history"}) {
        const int batches = count(history);
        if (batches < 0)
            return std::nullopt;
        ++at;
        for (int b = 0; b < batches; ++b) {
            // A batch line ends with the number of its lines.
            const int n =
                at < lines.size() ? number(lines[at].section(QLatin1Char('\t'), -1)).value_or(-1) : -1;
            if (n < 0)
                return std::nullopt;
            at += 1 + n;
        }
    }
    if (count("checker-history") < 0)
        return std::nullopt;
    lines = lines.mid(0, at);
    lines << QStringLiteral("checker-history\t0") << QString();
    return lines.join(QLatin1Char('\n'));
}

// What the stop drew, from the batch's 监考员 rows of 抽签历史: 序号, 甲, 乙 room by room.
QString stopResult(const SavedRows& stored) {
    QVector<std::array<qint64, 3>> rooms;
    for (const QVariantList& h : stored.history) {
        if (field(h.value(4)) != QStringLiteral("监考员"))
            continue;
        rooms.push_back({storedInteger(h.value(5)).value_or(0), storedInteger(h.value(6)).value_or(0),
                         storedInteger(h.value(7)).value_or(0)});
    }
    std::sort(rooms.begin(), rooms.end());
    QString text = QStringLiteral("exam-draw-stop\t1\nrooms\t%1\n").arg(rooms.size());
    for (const auto& r : rooms)
        text += QStringLiteral("%1\t%2\t%3\n").arg(r[0]).arg(r[1]).arg(r[2]);
    return text;
}

QString projectField(int project) {
    return QString::number(project);
}

// A deletion as its record and its ledger row both give it.
QString deletionKey(const QStringList& fields) {
    return fields.join(QLatin1Char('\t'));
}

} // namespace

LedgerBook::LedgerBook(const db::Database& db) {
    if (!db::hasLedgerTable(db))
        return;
    const db::Rows rows = db.query(QStringLiteral(
        "select 序号, 时间, 项目编号, 科目, 事件, 内容, 前一摘要, 摘要 from 抽签记录链 order by 序号, 编号"));
    rows_.reserve(rows.size());
    for (const db::Row& r : rows) {
        Row row;
        row.seq = field(r.value(0));
        row.time = field(r.value(1));
        row.project = field(r.value(2));
        row.subject = field(r.value(3));
        row.event = field(r.value(4));
        row.content = r.value(5).toString();
        row.previous = field(r.value(6));
        row.digest = r.value(7).toString();
        row.number = storedInteger(r.value(0)).value_or(0);
        row.readable = !r.value(5).isNull() && readContent(row);
        rows_.push_back(row);
    }
}

const LedgerBook::Row* LedgerBook::rowAt(qint64 seq) const {
    // Rows stand at 序号 - 1 in an unbroken chain; elsewhere they are looked for.
    if (seq >= 1 && seq <= rows_.size() && rows_[seq - 1].number == seq)
        return &rows_[seq - 1];
    const auto it =
        std::find_if(rows_.cbegin(), rows_.cend(), [seq](const Row& r) { return r.number == seq; });
    return it == rows_.cend() ? nullptr : &*it;
}

QString LedgerBook::head() const {
    if (rows_.isEmpty())
        return QStringLiteral("记录链：尚未开始，已保存的批次都在记录开始之前。");
    const Row& last = rows_.back();
    return QStringLiteral("记录链 %1 行，最新一行为第 %2 行（%3，%4） 记录链:%5")
        .arg(rows_.size())
        .arg(last.seq, last.time, last.event, db::certificateCode(last.digest));
}

QString LedgerBook::findPrinted(const QString& printed) const {
    const QString code = printed.trimmed().remove(QStringLiteral("记录链:")).trimmed().toUpper();
    for (qsizetype k = 0; k < rows_.size(); ++k) {
        if (db::certificateCode(rows_[k].digest) == code && !code.isEmpty())
            return QStringLiteral("打印的 记录链:%1 是第 %2 行（%3，%4），其后又记入 %5 行")
                .arg(code, rows_[k].seq, rows_[k].time, rows_[k].event)
                .arg(rows_.size() - k - 1);
    }
    return {};
}

QStringList LedgerBook::chainProblems() const {
    QStringList problems;
    QString previous = kNullField;
    qint64 before = 0;
    for (qsizetype k = 0; k < rows_.size(); ++k) {
        const Row& row = rows_[k];
        if (row.number != before + 1)
            problems << (row.number > before + 1 && before > 0
                             ? QStringLiteral("第 %1 行之后缺少第 %2 行").arg(before).arg(before + 1)
                             : QStringLiteral("序号“%1”不在第 %2 行的位置上").arg(row.seq).arg(before + 1));
        before = std::max(before, row.number);
        if (row.previous != previous)
            problems << QStringLiteral("第 %1 行所记的前一摘要与上一行的摘要不符").arg(row.seq);
        if (digestOf(rowText(row)) != row.digest)
            problems << QStringLiteral("第 %1 行的摘要与其内容不符").arg(row.seq);
        previous = row.digest;
        if (!row.readable) {
            problems << QStringLiteral("第 %1 行（%2）的内容无法读取").arg(row.seq, row.event);
            continue;
        }
        if ((k == 0) != (row.event == kOpened))
            problems << (k == 0 ? QStringLiteral("第 1 行不是记录链的开始")
                                : QStringLiteral("第 %1 行又是记录链的开始").arg(row.seq));
        if (row.event == kSave) {
            const Row* stop = rowAt(number(row.value("stop")).value_or(0));
            if (!stop || stop->event != kStop || stop->number >= row.number || stop->project != row.project ||
                stop->subject != row.subject)
                problems << QStringLiteral("第 %1 行的保存所指的第 %2 行不是本科目此前的停止")
                                .arg(row.seq, row.value("stop"));
        }
        if (row.event == kDeletion && row.value("way") == kResave) {
            const Row* next = k + 1 < rows_.size() ? &rows_[k + 1] : nullptr;
            if (!next || next->event != kSave || next->project != row.project ||
                next->subject != row.subject || next->time != row.time)
                problems << QStringLiteral("第 %1 行的重新保存之后没有它的保存").arg(row.seq);
        }
    }
    return problems;
}

const LedgerBook::Row* LedgerBook::saveOf(const Certificate& c) const {
    const QString project = projectField(c.project), subject = field(c.subject), time = field(c.time),
                  batch = QString::number(c.batch);
    for (auto it = rows_.crbegin(); it != rows_.crend(); ++it)
        if (it->event == kSave && it->readable && it->project == project && it->subject == subject &&
            it->time == time && it->value("batch") == batch)
            return &*it;
    return nullptr;
}

LedgerBook::BatchCheck LedgerBook::checkBatch(const Certificate& c, const SavedRows& stored) const {
    BatchCheck check;
    const Row* save = saveOf(c);
    if (!save) {
        const QStringList listed{projectField(c.project), field(c.subject), field(c.time),
                                 QString::number(c.batch), field(c.resultDigest)};
        check.beforeLedger =
            rows_.isEmpty() || (rows_.front().event == kOpened && rows_.front().saved.contains(listed));
        if (!check.beforeLedger)
            check.reasons << QStringLiteral("记录链中没有这一批的保存");
        return check;
    }
    if (save->value("result") != c.resultDigest)
        check.reasons << QStringLiteral("记录链所记的保存与结果摘要不符");
    const Row* stop = rowAt(number(save->value("stop")).value_or(0));
    if (!stop || stop->event != kStop || !stop->readable) {
        check.reasons << QStringLiteral("记录链中没有这一批的停止");
        return check;
    }
    if (stop->value("seed") != c.seed || stop->value("engine") != QString::number(c.engineVersion))
        check.reasons << QStringLiteral("随机种子或引擎版本与记录链第 %1 行的停止不符").arg(stop->seq);
    const std::optional<QString> inputs = stopInputs(c.inputs);
    if (!inputs || digestOf(*inputs) != stop->value("inputs"))
        check.reasons << QStringLiteral("抽签输入与记录链第 %1 行的停止不符").arg(stop->seq);
    if (digestOf(stopResult(stored)) != stop->value("result"))
        check.reasons << QStringLiteral("抽签结果与记录链第 %1 行的停止不符").arg(stop->seq);
    return check;
}

QStringList LedgerBook::checkDeletions(const QVector<DeletionRecord>& records, int project,
                                       QVector<bool>* unmatched) const {
    struct Recorded {
        QString key, where;
    };
    QVector<Recorded> recorded;
    const auto wanted = [project](const QString& p) { return project == 0 || p == projectField(project); };
    if (!rows_.isEmpty() && rows_.front().event == kOpened)
        for (const QStringList& d : rows_.front().deleted)
            if (wanted(d[0]))
                recorded.push_back({deletionKey(d), QStringLiteral("第 1 行（记录开始之前）")});
    for (const Row& row : rows_) {
        if (row.event != kDeletion || !row.readable || !wanted(row.project))
            continue;
        recorded.push_back(
            {deletionKey({row.project, row.subject, row.value("time"), row.value("batch"), row.time,
                          row.value("way"), row.value("result")}),
             QStringLiteral("第 %1 行（%2，%3，%4）").arg(row.seq, row.subject, row.time, row.value("way"))});
    }
    unmatched->fill(false, records.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        const DeletionRecord& d = records[i];
        const QString key = deletionKey({projectField(d.project), field(d.subject), field(d.time),
                                         d.batch > 0 ? QString::number(d.batch) : kNullField,
                                         field(d.deletedAt), field(d.method), field(d.resultDigest)});
        const auto at = std::find_if(recorded.begin(), recorded.end(),
                                     [&key](const Recorded& r) { return r.key == key; });
        if (at == recorded.end())
            (*unmatched)[i] = true;
        else
            recorded.erase(at);
    }
    QStringList problems;
    for (const Recorded& r : recorded)
        problems << QStringLiteral("记录链%1所记的删除没有删除记录").arg(r.where);
    return problems;
}

QStringList LedgerBook::checkSaves(const QVector<Certificate>& saved, int project) const {
    QStringList problems;
    for (qsizetype k = 0; k < rows_.size(); ++k) {
        const Row& row = rows_[k];
        if (row.event != kSave || !row.readable || (project != 0 && row.project != projectField(project)))
            continue;
        const QString batch = row.value("batch");
        const bool live = std::any_of(saved.cbegin(), saved.cend(), [&](const Certificate& c) {
            return projectField(c.project) == row.project && field(c.subject) == row.subject &&
                   field(c.time) == row.time && QString::number(c.batch) == batch;
        });
        const bool deleted = std::any_of(rows_.cbegin() + k + 1, rows_.cend(), [&](const Row& d) {
            return d.event == kDeletion && d.readable && d.project == row.project &&
                   d.subject == row.subject && d.value("time") == row.time && d.value("batch") == batch;
        });
        if (!live && !deleted)
            problems << QStringLiteral("记录链第 %1 行保存的批次 %2（%3，%4）既不在数据库中，也没有删除记录")
                            .arg(row.seq, batch, row.subject, row.time);
    }
    return problems;
}

QStringList LedgerBook::subjectLines(const QVector<Certificate>& saved, int project) const {
    struct Subject {
        QString project, subject;
        QStringList stops, saves, picks;
        QVector<qint64> stopNumbers;
    };
    QVector<Subject> subjects;
    for (const Row& row : rows_) {
        if (!row.readable || (row.event != kStop && row.event != kSave && row.event != kPick) ||
            (project != 0 && row.project != projectField(project)))
            continue;
        auto it = std::find_if(subjects.begin(), subjects.end(), [&row](const Subject& s) {
            return s.project == row.project && s.subject == row.subject;
        });
        if (it == subjects.end())
            it = subjects.insert(subjects.end(), {row.project, row.subject, {}, {}, {}, {}});
        if (row.event == kStop) {
            it->stops << row.time;
            it->stopNumbers << row.number;
        } else if (row.event == kPick) {
            it->picks << row.value("room");
        } else {
            const qint64 stop = number(row.value("stop")).value_or(0);
            const qsizetype ordinal = it->stopNumbers.indexOf(stop) + 1;
            const bool live = std::any_of(saved.cbegin(), saved.cend(), [&](const Certificate& c) {
                return projectField(c.project) == row.project && field(c.subject) == row.subject &&
                       field(c.time) == row.time && QString::number(c.batch) == row.value("batch");
            });
            it->saves << QStringLiteral("第 %1 次（批次 %2%3）")
                             .arg(ordinal)
                             .arg(row.value("batch"), live ? QString() : QStringLiteral("，已删除"));
        }
    }
    std::stable_sort(subjects.begin(), subjects.end(), [](const Subject& x, const Subject& y) {
        return number(x.project).value_or(0) < number(y.project).value_or(0);
    });
    QStringList lines;
    for (const Subject& s : subjects) {
        QString text =
            QStringLiteral("项目 %1，%2：抽签 %3 次").arg(s.project, s.subject).arg(s.stops.size());
        if (!s.stops.isEmpty())
            text += QStringLiteral("（%1）").arg(s.stops.join(QStringLiteral("、")));
        text += s.saves.isEmpty() ? QStringLiteral("，未保存")
                                  : QStringLiteral("，保存的是") + s.saves.join(QStringLiteral("、"));
        if (!s.picks.isEmpty())
            text += QStringLiteral("；选抽签人 %1 次（%2）")
                        .arg(s.picks.size())
                        .arg(s.picks.join(QStringLiteral("、")));
        lines << text;
    }
    return lines;
}

} // namespace engine::audit
