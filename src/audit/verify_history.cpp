#include "audit/verify_history.h"

#include <QSet>

#include <algorithm>
#include <limits>

namespace engine::audit {

namespace {

// Stands for a stored value that is no integer: equal to no line a certificate can hold.
constexpr qint64 kNotInteger = std::numeric_limits<qint64>::min();

QString batchKey(const QString& number, const QString& subject, const QString& time) {
    return number + QLatin1Char('\t') + subject + QLatin1Char('\t') + time;
}

int kindOf(const QString& field) {
    for (int k = 0; k < kHistoryKinds; ++k)
        if (field == kindName(static_cast<HistoryKind>(k)))
            return k;
    return -1;
}

// One batch as the history query would find it: its rows of each kind, sorted.
struct Batch {
    std::optional<qint64> number;
    QString subject, time;
    bool certified = true; // a deleted batch that had a certificate when it was deleted
    std::array<QVector<HistoryLine>, kHistoryKinds> lines;

    void add(int kind, qint64 seq, qint64 a, qint64 b) {
        lines[static_cast<std::size_t>(kind)].push_back({seq, a, kind == Pairing ? b : 0});
    }
    void sort() {
        for (QVector<HistoryLine>& l : lines)
            std::sort(l.begin(), l.end());
    }
};

qint64 integerOr(const std::optional<qint64>& v) {
    return v.value_or(kNotInteger);
}

qint64 integerOr(const QString& field) {
    const std::optional<int> v = number(field);
    return v ? *v : kNotInteger;
}

// The 抽签历史 lines of a deletion record's text (a canonical result), by batch.
void addRecorded(QHash<QString, Batch>& batches, const QString& text, int project) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    const bool certified = lines.value(1).startsWith(QLatin1String("inputs\t")) &&
                           lines.value(1) != QLatin1String("inputs\t\\N") && lines.value(1).size() > 7;
    const QString projectField = QString::number(project);
    const QString heading = QStringLiteral("抽签历史\t");
    const auto at =
        std::find_if(lines.cbegin(), lines.cend(), [&](const QString& l) { return l.startsWith(heading); });
    if (at == lines.cend())
        return;
    const qsizetype count = number(at->mid(heading.size())).value_or(0);
    const qsizetype first = at - lines.cbegin() + 1;
    for (qsizetype k = first; k < first + count && k < lines.size(); ++k) {
        const QStringList f = lines[k].split(QLatin1Char('\t'));
        const int kind = f.size() == 8 ? kindOf(f[4]) : -1;
        if (kind < 0 || f[0] != projectField)
            continue;
        Batch& b = batches[batchKey(f[3], f[1], f[2])];
        b.number = number(f[3]);
        b.subject = f[1];
        b.time = f[2];
        b.certified = certified;
        b.add(kind, integerOr(f[5]), integerOr(f[6]), integerOr(f[7]));
    }
}

} // namespace

struct HistoryBook::Project {
    QHash<QString, Batch> live;
    QHash<QString, Batch> recorded;
};

HistoryBook::HistoryBook(const db::Database& db, QVector<DeletionRecord> records)
    : db_(db), records_(std::move(records)) {}

HistoryBook::~HistoryBook() = default;

const HistoryBook::Project& HistoryBook::project(int number) {
    std::shared_ptr<Project>& p = projects_[number];
    if (p)
        return *p;
    p = std::make_shared<Project>();
    const db::Rows rows = db_.query(
        QStringLiteral("select 科目, 时间, 数据批次, 分类, 序号, 甲, 乙 from 抽签历史 where 项目编号=?"),
        {number});
    for (const db::Row& r : rows) {
        const int kind = kindOf(token(r.value(3), 2));
        if (kind < 0)
            continue;
        const QString subject = token(r.value(0), 2), time = token(r.value(1), 2);
        Batch& b = p->live[batchKey(token(r.value(2), 2), subject, time)];
        b.number = storedInteger(r.value(2));
        b.subject = subject;
        b.time = time;
        b.add(kind, integerOr(storedInteger(r.value(4))), integerOr(storedInteger(r.value(5))),
              integerOr(storedInteger(r.value(6))));
    }
    for (const DeletionRecord& d : records_)
        if (d.project == number)
            addRecorded(p->recorded, d.resultText, number);
    for (QHash<QString, Batch>* batches : {&p->live, &p->recorded})
        for (Batch& b : *batches)
            b.sort();
    return *p;
}

QStringList HistoryBook::check(const Reading& in) {
    QStringList problems;
    if (in.format < 2)
        return problems;
    const Project& p = project(in.project);
    const Sides sides = sidesOf(in.mode);
    const bool refused = in.rules[AllowReturn] == 0;
    const int m = static_cast<int>(in.supervisors.size()), k = static_cast<int>(in.checkers.size());
    const bool inForce[] = {((sides.a || sides.b) && refused) || (sides.b && in.rules[AllowRepartner] == 0),
                            in.rules[DrawSupervisors] == 1 && refused && m > 2,
                            in.duties && in.checkersDrawn && in.checkerReturnsRefused && k > 2};
    // The pairing draw takes the latest four batches, a duty draw one fewer than its people, at most four.
    const int window[] = {4, std::min(m - 1, 4), std::min(k - 1, 4)};

    for (int kind = 0; kind < kHistoryKinds; ++kind) {
        const QString& name = kindName(static_cast<HistoryKind>(kind));
        const QVector<Source>& sources = in.history[static_cast<std::size_t>(kind)];
        if (!inForce[kind]) {
            if (!sources.isEmpty())
                problems << QStringLiteral("本批的规则用不到%1历史，却列出了").arg(name);
            continue;
        }
        QSet<QString> listed;
        QSet<qint64> numbers, liveNumbers;
        for (const Source& s : sources) {
            const QString key = batchKey(QString::number(s.batch), s.subject, s.time);
            const QString which =
                QStringLiteral("%1历史所列批次 %2（%3，%4）").arg(name).arg(s.batch).arg(s.subject, s.time);
            QVector<HistoryLine> lines = s.lines;
            std::sort(lines.begin(), lines.end());
            listed << key;
            numbers << s.batch;
            const auto saved = p.live.constFind(key);
            const auto deleted = p.recorded.constFind(key);
            const auto holds = [kind, &lines](const Batch& b) {
                return b.lines[static_cast<std::size_t>(kind)] == lines;
            };
            // A batch saved again within the same second may share number, subject and time
            // with the one it replaced: either may be the one listed.
            if (saved != p.live.cend() && (holds(*saved) || deleted == p.recorded.cend())) {
                liveNumbers << s.batch;
                if (!holds(*saved))
                    problems << which + QStringLiteral("与数据库中的记录不符");
            } else if (deleted != p.recorded.cend()) {
                if (!holds(*deleted))
                    problems << which + QStringLiteral("与删除记录不符");
                if (!deleted->certified)
                    problems << which + QStringLiteral("删除前没有校验数据");
            } else {
                problems << which + QStringLiteral("既不在数据库中，也没有删除记录");
            }
        }
        if (numbers.size() > window[kind])
            problems << QStringLiteral("%1历史列出了 %2 批，多于抽签所取的最近 %3 批")
                            .arg(name)
                            .arg(numbers.size())
                            .arg(window[kind]);
        // A batch saved after the history was read got a number above every batch then saved, so a
        // saved batch numbered below the highest listed one that is still saved was there to be read.
        if (liveNumbers.isEmpty())
            continue;
        const qint64 highest = *std::max_element(liveNumbers.begin(), liveNumbers.end());
        const qint64 lowest = *std::min_element(numbers.begin(), numbers.end());
        for (auto it = p.live.cbegin(); it != p.live.cend(); ++it) {
            const Batch& b = it.value();
            if (listed.contains(it.key()) || !b.number || *b.number >= in.batch ||
                b.lines[static_cast<std::size_t>(kind)].isEmpty())
                continue;
            const bool inWindow =
                *b.number < highest && (numbers.size() < window[kind] || *b.number > lowest);
            if (inWindow || liveNumbers.contains(*b.number))
                problems << QStringLiteral("%1历史漏列了批次 %2（%3，%4）")
                                .arg(name)
                                .arg(*b.number)
                                .arg(b.subject, b.time);
        }
    }
    return problems;
}

} // namespace engine::audit
