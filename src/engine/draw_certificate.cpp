#include "engine/draw_certificate.h"

#include "db/schema.h"

#include <QCryptographicHash>

#include <algorithm>

namespace engine {

namespace {

const QString kInputsMagic = QStringLiteral("exam-draw-inputs");
const QString kResultMagic = QStringLiteral("exam-draw-result");
constexpr int kFormat = 1;
const QString kNull = QStringLiteral("\\N");
constexpr int kRoomColumns[] = {0, 1, 2, 3, 5, 6, 7, 8, 10};

// ---- fields ----

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A null QString is bound as NULL, so it is written as NULL too.
QString field(const QVariant& v) {
    if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isNull()))
        return kNull;
    return escaped(v.toString());
}

QString field(const QString& s) {
    return s.isNull() ? kNull : escaped(s);
}

QString field(int v) {
    return QString::number(v);
}

QString seedText(std::uint64_t seed) {
    return QStringLiteral("%1").arg(seed, 16, 16, QLatin1Char('0'));
}

class Writer {
public:
    template <typename... T> void line(const T&... values) { fields({field(values)...}); }
    void fields(const QStringList& parts) { text_ += parts.join(QLatin1Char('\t')) + QLatin1Char('\n'); }
    void raw(const QString& keyword, const QString& value) {
        text_ += keyword + QLatin1Char('\t') + value + u'\n';
    }
    const QString& text() const { return text_; }

private:
    QString text_;
};

void writeHistory(Writer& w, const QString& keyword, const QVector<HistoryRow>& rows) {
    w.raw(keyword, QString::number(rows.size()));
    for (const HistoryRow& h : rows)
        w.line(h.seq, h.a, h.b);
}

void writeDuties(Writer& w, const QString& keyword, const QVector<DutyRow>& rows) {
    const int count = std::max(0, static_cast<int>(rows.size()) - 1);
    w.raw(keyword, QString::number(count));
    for (int j = 1; j <= count; ++j) {
        const DutyRow& d = rows[j];
        w.line(d.room, d.name, d.sex, d.unit, d.scope, d.id);
    }
}

void writeTally(Writer& w, const QString& keyword, const QVector<TallyRow>& rows) {
    w.raw(keyword, QString::number(rows.size()));
    for (const TallyRow& t : rows)
        w.line(t.key, t.count);
}

// ---- reading back ----

struct Field {
    bool null = false;
    QString text;
};

std::optional<Field> unescaped(QStringView s) {
    if (s == kNull)
        return Field{true, {}};
    Field f;
    f.text = QStringLiteral(""); // empty but not null: an empty text is not NULL
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\') {
            f.text += s[i];
            continue;
        }
        if (++i == s.size())
            return std::nullopt;
        switch (s[i].unicode()) {
        case u'\\':
            f.text += u'\\';
            break;
        case u't':
            f.text += u'\t';
            break;
        case u'n':
            f.text += u'\n';
            break;
        case u'r':
            f.text += u'\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return f;
}

class Reader {
public:
    explicit Reader(const QString& text) : lines_(text.split(QLatin1Char('\n'))) {}

    bool ok() const { return ok_; }
    // The next line's fields; a header's first field must be `keyword`.
    QVector<Field> next(int fields, const QString& keyword = {}) {
        QVector<Field> out;
        if (!ok_ || at_ + 1 >= lines_.size()) // the last piece is the empty one after the final LF
            return fail();
        const QStringList parts = lines_[at_++].split(QLatin1Char('\t'));
        const int offset = keyword.isEmpty() ? 0 : 1;
        if (parts.size() != fields + offset || (offset && parts[0] != keyword))
            return fail();
        for (int k = offset; k < parts.size(); ++k) {
            const std::optional<Field> f = unescaped(parts[k]);
            if (!f)
                return fail();
            out.push_back(*f);
        }
        return out;
    }
    int integer(const Field& f) {
        bool good = false;
        const int v = f.null ? 0 : f.text.toInt(&good);
        ok_ = ok_ && good;
        return v;
    }
    int header(const QString& keyword) {
        const QVector<Field> f = next(1, keyword);
        const int v = ok_ ? integer(f[0]) : 0;
        ok_ = ok_ && v >= 0;
        return v;
    }
    QString text(const QString& keyword) {
        const QVector<Field> f = next(1, keyword);
        ok_ = ok_ && !f.isEmpty() && !f[0].null;
        return ok_ ? f[0].text : QString();
    }
    bool atEnd() const { return at_ + 1 == lines_.size() && lines_.back().isEmpty(); }

private:
    QVector<Field> fail() {
        ok_ = false;
        return {};
    }

    QStringList lines_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

QVariant value(const Field& f) {
    return f.null ? QVariant() : QVariant(f.text);
}

QString textOf(const Field& f) {
    return f.null ? QString() : f.text;
}

QVector<HistoryRow> readHistory(Reader& r, const QString& keyword) {
    QVector<HistoryRow> rows;
    const int count = r.header(keyword);
    for (int k = 0; k < count && r.ok(); ++k) {
        const QVector<Field> f = r.next(3);
        if (r.ok())
            rows.push_back({r.integer(f[0]), r.integer(f[1]), r.integer(f[2])});
    }
    return rows;
}

QVector<DutyRow> readDuties(Reader& r, const QString& keyword) {
    QVector<DutyRow> rows(1);
    const int count = r.header(keyword);
    for (int j = 1; j <= count && r.ok(); ++j) {
        const QVector<Field> f = r.next(6);
        if (r.ok())
            rows.push_back({QString::number(j), textOf(f[0]), textOf(f[1]), textOf(f[2]), textOf(f[3]),
                            textOf(f[4]), textOf(f[5])});
    }
    return rows;
}

QVector<TallyRow> readTally(Reader& r, const QString& keyword) {
    QVector<TallyRow> rows;
    const int count = r.header(keyword);
    for (int k = 0; k < count && r.ok(); ++k) {
        const QVector<Field> f = r.next(2);
        if (r.ok())
            rows.push_back({value(f[0]), r.integer(f[1])});
    }
    return rows;
}

RuleState ruleState(Reader& r, const Field& f) {
    const int v = r.integer(f);
    return static_cast<RuleState>(v);
}

// ---- rows ----

QByteArrayList canonicalLines(const QVector<QVariantList>& rows) {
    QByteArrayList lines;
    lines.reserve(rows.size());
    for (const QVariantList& row : rows) {
        QStringList fields;
        for (const QVariant& v : row)
            fields << field(v);
        lines << fields.join(QLatin1Char('\t')).toUtf8();
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

QVector<QVariantList> readRows(const db::Database& db, const QString& table, const QStringList& columns,
                               int project, const QString& subject) {
    const db::Rows rows =
        db.query(QStringLiteral("select %1 from %2 where 项目编号=? and 科目=? order by 编号")
                     .arg(columns.join(QLatin1Char(',')), table),
                 {project, subject});
    QVector<QVariantList> out;
    out.reserve(rows.size());
    for (const db::Row& r : rows) {
        QVariantList values;
        for (int c = 0; c < columns.size(); ++c)
            values << r.value(c);
        out.push_back(values);
    }
    return out;
}

} // namespace

const QStringList& resultColumns() {
    static const QStringList columns = {
        QStringLiteral("项目编号"),   QStringLiteral("科目"),    QStringLiteral("时间"),
        QStringLiteral("分类"),       QStringLiteral("分组号"),  QStringLiteral("监考员甲"),
        QStringLiteral("甲性别"),     QStringLiteral("甲单位"),  QStringLiteral("甲身份证号"),
        QStringLiteral("监考员乙"),   QStringLiteral("乙性别"),  QStringLiteral("乙单位"),
        QStringLiteral("乙身份证号"), QStringLiteral("责任范围")};
    return columns;
}

const QStringList& historyColumns() {
    static const QStringList columns = {QStringLiteral("项目编号"), QStringLiteral("科目"),
                                        QStringLiteral("时间"),     QStringLiteral("数据批次"),
                                        QStringLiteral("分类"),     QStringLiteral("序号"),
                                        QStringLiteral("甲"),       QStringLiteral("乙")};
    return columns;
}

QString encodeInputs(const DrawInputs& in) {
    Writer w;
    w.raw(kInputsMagic, QString::number(kFormat));
    w.raw(QStringLiteral("engine"), QString::number(in.engineVersion));
    w.raw(QStringLiteral("seed"), seedText(in.seed));
    w.raw(QStringLiteral("project"), QString::number(in.project));
    w.raw(QStringLiteral("subject"), field(in.subject.isNull() ? QStringLiteral("") : in.subject));
    w.raw(QStringLiteral("time"), field(in.time.isNull() ? QStringLiteral("") : in.time));
    w.raw(QStringLiteral("batch"), QString::number(in.batch));
    QStringList rules{QString::number(static_cast<int>(in.settings.mode))};
    for (RuleState s : in.settings.rules)
        rules << QString::number(static_cast<int>(s));
    w.raw(QStringLiteral("rules"), rules.join(QLatin1Char('\t')));
    w.raw(QStringLiteral("save"), QStringLiteral("%1\t%2\t%3")
                                      .arg(in.withDuties ? 1 : 0)
                                      .arg(static_cast<int>(in.checkerReturn))
                                      .arg(static_cast<int>(in.checkerDraw)));
    w.raw(QStringLiteral("rooms"), QString::number(in.ws.roomCount()));
    for (int i = 1; i <= in.ws.roomCount(); ++i) {
        QStringList fields;
        for (int c : kRoomColumns)
            fields << field(in.ws.rooms[i].col[static_cast<std::size_t>(c)]);
        w.fields(fields);
    }
    writeTally(w, QStringLiteral("gender-tally"), in.ws.genderTally);
    writeTally(w, QStringLiteral("unit-tally"), in.ws.unitTally);
    writeDuties(w, QStringLiteral("supervisors"), in.ws.supervisors);
    writeDuties(w, QStringLiteral("checkers"), in.checkers);
    writeHistory(w, QStringLiteral("pairing-history"), in.pairingHistory);
    writeHistory(w, QStringLiteral("supervisor-history"), in.supervisorHistory);
    writeHistory(w, QStringLiteral("checker-history"), in.checkerHistory);
    return w.text();
}

std::optional<DrawInputs> decodeInputs(const QString& text) {
    Reader r(text);
    DrawInputs in;
    if (r.header(kInputsMagic) != kFormat)
        return std::nullopt;
    in.engineVersion = r.header(QStringLiteral("engine"));
    bool good = false;
    in.seed = r.text(QStringLiteral("seed")).toULongLong(&good, 16);
    in.project = r.header(QStringLiteral("project"));
    in.subject = r.text(QStringLiteral("subject"));
    in.time = r.text(QStringLiteral("time"));
    in.batch = r.header(QStringLiteral("batch"));
    const QVector<Field> rules = r.next(1 + kRuleCount, QStringLiteral("rules"));
    if (!r.ok() || !good)
        return std::nullopt;
    in.settings.mode = static_cast<DrawMode>(r.integer(rules[0]));
    for (int k = 0; k < kRuleCount; ++k)
        in.settings.rules[static_cast<std::size_t>(k)] = ruleState(r, rules[k + 1]);
    const QVector<Field> save = r.next(3, QStringLiteral("save"));
    if (!r.ok())
        return std::nullopt;
    in.withDuties = r.integer(save[0]) == 1;
    in.checkerReturn = ruleState(r, save[1]);
    in.checkerDraw = ruleState(r, save[2]);
    const int rooms = r.header(QStringLiteral("rooms"));
    in.ws.rooms.resize(1);
    for (int i = 1; i <= rooms && r.ok(); ++i) {
        const QVector<Field> f = r.next(static_cast<int>(std::size(kRoomColumns)));
        RosterRow row;
        for (qsizetype k = 0; k < f.size(); ++k)
            row.col[static_cast<std::size_t>(kRoomColumns[k])] = value(f[k]);
        in.ws.rooms.push_back(row);
    }
    in.ws.genderTally = readTally(r, QStringLiteral("gender-tally"));
    in.ws.unitTally = readTally(r, QStringLiteral("unit-tally"));
    in.ws.supervisors = readDuties(r, QStringLiteral("supervisors"));
    in.checkers = readDuties(r, QStringLiteral("checkers"));
    in.pairingHistory = readHistory(r, QStringLiteral("pairing-history"));
    in.supervisorHistory = readHistory(r, QStringLiteral("supervisor-history"));
    in.checkerHistory = readHistory(r, QStringLiteral("checker-history"));
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    // One text per set of inputs: whatever writes a value differently is not the format.
    if (encodeInputs(in) != text)
        return std::nullopt;
    return in;
}

QString canonicalResult(const QString& inputDigest, const SavedRows& rows) {
    QByteArray text = kResultMagic.toUtf8() + '\t' + QByteArray::number(kFormat) + '\n';
    text += "inputs\t" + inputDigest.toUtf8() + '\n';
    const auto table = [&text](const QString& name, const QVector<QVariantList>& tableRows) {
        text += name.toUtf8() + '\t' + QByteArray::number(tableRows.size()) + '\n';
        for (const QByteArray& line : canonicalLines(tableRows))
            text += line + '\n';
    };
    table(QStringLiteral("抽签总表"), rows.results);
    table(QStringLiteral("抽签历史"), rows.history);
    return QString::fromUtf8(text);
}

QString sha256Hex(const QString& text) {
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::uint64_t checkerSeed(std::uint64_t seed) {
    return seed ^ 0x9E3779B97F4A7C15ULL;
}

Certificate makeCertificate(const DrawInputs& in, const SavedRows& rows) {
    Certificate c;
    c.project = in.project;
    c.subject = in.subject;
    c.time = in.time;
    c.batch = in.batch;
    c.engineVersion = in.engineVersion;
    c.seed = seedText(in.seed);
    c.inputs = encodeInputs(in);
    c.inputDigest = sha256Hex(c.inputs);
    c.resultDigest = sha256Hex(canonicalResult(c.inputDigest, rows));
    return c;
}

void writeCertificate(db::Database& db, const Certificate& c) {
    db::createCertificateTable(db);
    db.exec(
        QStringLiteral("insert into 抽签校验 (项目编号, 科目, 时间, 数据批次, 引擎版本, 随机种子, 输入数据, "
                       "输入摘要, 结果摘要) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {c.project, c.subject, c.time, c.batch, c.engineVersion, c.seed, c.inputs, c.inputDigest,
         c.resultDigest});
}

void deleteCertificate(db::Database& db, int project, const QString& subject) {
    if (db::hasCertificateTable(db))
        db.exec(QStringLiteral("delete from 抽签校验 where 项目编号=? and 科目=?"), {project, subject});
}

QVector<Certificate> readCertificates(const db::Database& db, int project, int batch) {
    QVector<Certificate> out;
    if (!db::hasCertificateTable(db))
        return out;
    const db::Rows rows = db.query(QStringLiteral("select * from 抽签校验 where (?=0 or 项目编号=?) and "
                                                  "(?=0 or 数据批次=?) order by 数据批次, 编号"),
                                   {project, project, batch, batch});
    for (const db::Row& r : rows) {
        Certificate c;
        c.project = db::integer(r, QStringLiteral("项目编号"));
        c.subject = db::text(r, QStringLiteral("科目"));
        c.time = db::text(r, QStringLiteral("时间"));
        c.batch = db::integer(r, QStringLiteral("数据批次"));
        c.engineVersion = db::integer(r, QStringLiteral("引擎版本"));
        c.seed = db::text(r, QStringLiteral("随机种子"));
        c.inputs = db::text(r, QStringLiteral("输入数据"));
        c.inputDigest = db::text(r, QStringLiteral("输入摘要"));
        c.resultDigest = db::text(r, QStringLiteral("结果摘要"));
        out.push_back(c);
    }
    return out;
}

SavedRows readSavedRows(const db::Database& db, int project, const QString& subject) {
    return {readRows(db, QStringLiteral("抽签总表"), resultColumns(), project, subject),
            readRows(db, QStringLiteral("抽签历史"), historyColumns(), project, subject)};
}

} // namespace engine
