#include "audit/draw_certificate.h"

#include "db/schema.h"

#include <QCryptographicHash>

#include <algorithm>
#include <bit>
#include <tuple>
#include <vector>

namespace engine {

namespace {

const QString kInputsMagic = QStringLiteral("exam-draw-inputs");
const QString kResultMagic = QStringLiteral("exam-draw-result");
const QString kNull = QStringLiteral("\\N");
// A room's fields as the certificate writes them: everything but the telephones.
constexpr RosterRow::Field kRoomColumns[] = {RosterRow::Room,  RosterRow::AName, RosterRow::ASex,
                                             RosterRow::AUnit, RosterRow::AId,   RosterRow::BName,
                                             RosterRow::BSex,  RosterRow::BUnit, RosterRow::BId};

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
bool isNull(const QVariant& v) {
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isNull());
}

QString hex64(quint64 v) {
    return QStringLiteral("%1").arg(v, 16, 16, QLatin1Char('0'));
}

// Format 1 wrote every value as its text; from format 2 on a value keeps its SQLite storage
// class: a REAL as the 64 bits of its IEEE 754 double (exact, and the same in every language),
// a BLOB as its bytes, both behind an escape no text can produce.
QString field(const QVariant& v, int format) {
    if (isNull(v))
        return kNull;
    if (format >= 2) {
        switch (v.typeId()) {
        case QMetaType::QByteArray:
            return QStringLiteral("\\X") + QString::fromLatin1(v.toByteArray().toHex());
        case QMetaType::Double:
        case QMetaType::Float:
            return QStringLiteral("\\F") + hex64(std::bit_cast<quint64>(v.toDouble()));
        default:
            break;
        }
    }
    return escaped(v.toString());
}

QString field(const QString& s) {
    return s.isNull() ? kNull : escaped(s);
}

QString field(int v) {
    return QString::number(v);
}

class Writer {
public:
    explicit Writer(int format) : format_(format) {}

    template <typename... T> void line(const T&... values) { fields({value(values)...}); }
    void fields(const QStringList& parts) { text_ += parts.join(QLatin1Char('\t')) + QLatin1Char('\n'); }
    void raw(const QString& keyword, const QString& value) {
        text_ += keyword + QLatin1Char('\t') + value + u'\n';
    }
    QString value(const QVariant& v) const { return field(v, format_); }
    QString value(const QString& s) const { return field(s); }
    QString value(int v) const { return field(v); }
    const QString& text() const { return text_; }

private:
    int format_;
    QString text_;
};

// Format 1: the rows as loaded, in the order the database returned them, whether applied or not.
void writeHistory(Writer& w, const QString& keyword, const QVector<HistoryRow>& rows) {
    w.raw(keyword, QString::number(rows.size()));
    for (const HistoryRow& h : rows)
        w.line(h.seq, h.a, h.b);
}

// Format 2: the rows the draw applied, grouped by the batch they came from. Batches by number,
// then subject and time (NULL first, then by UTF-8 bytes); rows by 序号, 甲, 乙.
void writeSources(Writer& w, const QString& keyword, const QVector<HistoryRow>& rows, bool applied,
                  bool withB) {
    struct Keyed {
        int batch;
        bool subjectSet, timeSet;
        QByteArray subject, time;
        int seq, a, b;
        const HistoryRow* row;
        auto key() const { return std::tie(batch, subjectSet, subject, timeSet, time, seq, a, b); }
        bool sameSource(const Keyed& o) const {
            return std::tie(batch, subjectSet, subject, timeSet, time) ==
                   std::tie(o.batch, o.subjectSet, o.subject, o.timeSet, o.time);
        }
    };
    std::vector<Keyed> keyed;
    if (applied)
        for (const HistoryRow& h : rows)
            keyed.push_back({h.batch, !h.subject.isNull(), !h.time.isNull(), h.subject.toUtf8(),
                             h.time.toUtf8(), h.seq, h.a, withB ? h.b : 0, &h});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) { return x.key() < y.key(); });
    int sources = 0;
    for (std::size_t k = 0; k < keyed.size(); ++k)
        sources += k == 0 || !keyed[k].sameSource(keyed[k - 1]) ? 1 : 0;
    w.raw(keyword, QString::number(sources));
    for (std::size_t k = 0; k < keyed.size();) {
        std::size_t end = k;
        while (end < keyed.size() && keyed[end].sameSource(keyed[k]))
            ++end;
        const HistoryRow& first = *keyed[k].row;
        w.line(first.batch, first.subject, first.time, static_cast<int>(end - k));
        for (; k < end; ++k) {
            if (withB)
                w.line(keyed[k].seq, keyed[k].a, keyed[k].b);
            else
                w.line(keyed[k].seq, keyed[k].a);
        }
    }
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

// Format 1 wrote the states as they stood. Format 2 writes what the paper-checker draw used:
// nothing without the duties; whether the checkers were drawn; and, only when they were,
// whether returns were allowed (an undecided box allows them, as the draw reads it).
QString saveFields(const DrawInputs& in) {
    if (in.format == 1)
        return QStringLiteral("%1\t%2\t%3")
            .arg(in.withDuties ? 1 : 0)
            .arg(static_cast<int>(in.checkerReturn))
            .arg(static_cast<int>(in.checkerDraw));
    if (!in.withDuties)
        return QStringLiteral("0\t\\N\t\\N");
    if (in.checkerDraw != RuleState::On)
        return QStringLiteral("1\t\\N\t0");
    return QStringLiteral("1\t%1\t1").arg(in.checkerReturn == RuleState::Off ? 0 : 1);
}

// ---- reading back ----

std::optional<QString> unescaped(QStringView s) {
    QString text = QStringLiteral(""); // empty but not null: an empty text is not NULL
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\') {
            text += s[i];
            continue;
        }
        if (++i == s.size())
            return std::nullopt;
        switch (s[i].unicode()) {
        case u'\\':
            text += u'\\';
            break;
        case u't':
            text += u'\t';
            break;
        case u'n':
            text += u'\n';
            break;
        case u'r':
            text += u'\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

// A field as a value: NULL as an invalid QVariant, REAL and BLOB forms from format 2 on.
// Malformed hex is left to the final comparison with the text written back.
std::optional<QVariant> valueOf(QStringView s, int format) {
    if (s == kNull)
        return QVariant();
    if (format >= 2 && s.startsWith(u"\\X"))
        return QVariant(QByteArray::fromHex(s.mid(2).toLatin1()));
    if (format >= 2 && s.startsWith(u"\\F")) {
        bool ok = false;
        const quint64 bits = s.mid(2).toULongLong(&ok, 16);
        return ok ? std::optional<QVariant>(QVariant(std::bit_cast<double>(bits))) : std::nullopt;
    }
    const std::optional<QString> text = unescaped(s);
    return text ? std::optional<QVariant>(QVariant(*text)) : std::nullopt;
}

class Reader {
public:
    Reader(const QString& text, int format) : lines_(text.split(QLatin1Char('\n'))), format_(format) {}

    bool ok() const { return ok_; }
    // The next line's fields, as written; a header's first field must be `keyword`.
    QStringList next(int fields, const QString& keyword = {}) {
        if (!ok_ || at_ + 1 >= lines_.size()) // the last piece is the empty one after the final LF
            return fail();
        QStringList parts = lines_[at_++].split(QLatin1Char('\t'));
        const int offset = keyword.isEmpty() ? 0 : 1;
        if (parts.size() != fields + offset || (offset && parts[0] != keyword))
            return fail();
        if (offset)
            parts.removeFirst();
        return parts;
    }
    int integer(const QString& f) {
        bool good = false;
        const int v = f.toInt(&good);
        ok_ = ok_ && good;
        return v;
    }
    QVariant value(const QString& f) {
        const std::optional<QVariant> v = valueOf(f, format_);
        ok_ = ok_ && v.has_value();
        return v.value_or(QVariant());
    }
    // NULL as a null QString.
    QString text(const QString& f) {
        const QVariant v = value(f);
        return v.isValid() ? v.toString() : QString();
    }
    int header(const QString& keyword) {
        const QStringList f = next(1, keyword);
        const int v = ok_ ? integer(f[0]) : 0;
        ok_ = ok_ && v >= 0;
        return v;
    }
    QString textLine(const QString& keyword) {
        const QStringList f = next(1, keyword);
        const QString v = ok_ ? text(f[0]) : QString();
        ok_ = ok_ && !v.isNull();
        return v;
    }
    bool atEnd() const { return at_ + 1 == lines_.size() && lines_.back().isEmpty(); }
    int format() const { return format_; }

private:
    QStringList fail() {
        ok_ = false;
        return {};
    }

    QStringList lines_;
    int format_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

QVector<HistoryRow> readHistory(Reader& r, const QString& keyword) {
    QVector<HistoryRow> rows;
    const int count = r.header(keyword);
    for (int k = 0; k < count && r.ok(); ++k) {
        const QStringList f = r.next(3);
        if (r.ok())
            rows.push_back({r.integer(f[0]), r.integer(f[1]), r.integer(f[2])});
    }
    return rows;
}

QVector<HistoryRow> readSources(Reader& r, const QString& keyword, bool withB) {
    QVector<HistoryRow> rows;
    const int sources = r.header(keyword);
    for (int s = 0; s < sources && r.ok(); ++s) {
        const QStringList batch = r.next(4);
        if (!r.ok())
            break;
        HistoryRow source{0, 0, 0, r.integer(batch[0]), r.text(batch[1]), r.text(batch[2])};
        const int count = r.integer(batch[3]);
        for (int k = 0; k < count && r.ok(); ++k) {
            const QStringList f = r.next(withB ? 3 : 2);
            if (!r.ok())
                break;
            HistoryRow h = source;
            h.seq = r.integer(f[0]);
            h.a = r.integer(f[1]);
            h.b = withB ? r.integer(f[2]) : 0;
            rows.push_back(h);
        }
    }
    return rows;
}

QVector<DutyRow> readDuties(Reader& r, const QString& keyword) {
    QVector<DutyRow> rows(1);
    const int count = r.header(keyword);
    for (int j = 1; j <= count && r.ok(); ++j) {
        const QStringList f = r.next(6);
        if (r.ok())
            rows.push_back({QString::number(j), r.text(f[0]), r.text(f[1]), r.text(f[2]), r.text(f[3]),
                            r.text(f[4]), r.text(f[5])});
    }
    return rows;
}

QVector<TallyRow> readTally(Reader& r, const QString& keyword) {
    QVector<TallyRow> rows;
    const int count = r.header(keyword);
    for (int k = 0; k < count && r.ok(); ++k) {
        const QStringList f = r.next(2);
        if (r.ok())
            rows.push_back({r.value(f[0]), r.integer(f[1])});
    }
    return rows;
}

RuleState ruleState(Reader& r, const QString& f) {
    return static_cast<RuleState>(r.integer(f));
}

bool readSave(Reader& r, DrawInputs& in) {
    const QStringList save = r.next(3, QStringLiteral("save"));
    if (!r.ok())
        return false;
    in.withDuties = r.integer(save[0]) == 1;
    if (r.format() == 1) {
        in.checkerReturn = ruleState(r, save[1]);
        in.checkerDraw = ruleState(r, save[2]);
    } else {
        // What saveFields() writes; anything else fails the comparison with the text written back.
        in.checkerDraw = save[2] == QLatin1String("1") ? RuleState::On : RuleState::Off;
        in.checkerReturn = save[1] == QLatin1String("0") ? RuleState::Off : RuleState::On;
    }
    return r.ok();
}

// ---- rows ----

QByteArrayList canonicalLines(const QVector<QVariantList>& rows, int format) {
    QByteArrayList lines;
    lines.reserve(rows.size());
    for (const QVariantList& row : rows) {
        QStringList fields;
        for (const QVariant& v : row)
            fields << field(v, format);
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

AppliedHistory appliedHistory(const DrawInputs& in) {
    const DrawSettings& s = in.settings;
    const bool returnsRefused = s[Rule::AllowReturn] == RuleState::Off;
    AppliedHistory a;
    a.pairing = ((s.drawsA() || s.drawsB()) && returnsRefused) ||
                (s.drawsB() && s[Rule::AllowRepartner] == RuleState::Off);
    // The duty draws consult no history with two people or fewer.
    a.supervisors =
        s[Rule::DrawSupervisors] == RuleState::On && returnsRefused && in.ws.supervisorCount() > 2;
    a.checkers = in.withDuties && in.checkerDraw == RuleState::On && in.checkerReturn == RuleState::Off &&
                 in.checkers.size() - 1 > 2;
    return a;
}

QString encodeInputs(const DrawInputs& in) {
    Writer w(in.format);
    w.raw(kInputsMagic, QString::number(in.format));
    w.raw(QStringLiteral("engine"), QString::number(in.engineVersion));
    w.raw(QStringLiteral("seed"), hex64(in.seed));
    w.raw(QStringLiteral("project"), QString::number(in.project));
    w.raw(QStringLiteral("subject"), field(in.subject.isNull() ? QStringLiteral("") : in.subject));
    w.raw(QStringLiteral("time"), field(in.time.isNull() ? QStringLiteral("") : in.time));
    w.raw(QStringLiteral("batch"), QString::number(in.batch));
    QStringList rules{QString::number(static_cast<int>(in.settings.mode))};
    for (RuleState s : in.settings.rules)
        rules << QString::number(static_cast<int>(s));
    w.raw(QStringLiteral("rules"), rules.join(QLatin1Char('\t')));
    w.raw(QStringLiteral("save"), saveFields(in));
    w.raw(QStringLiteral("rooms"), QString::number(in.ws.roomCount()));
    for (int i = 1; i <= in.ws.roomCount(); ++i) {
        QStringList fields;
        for (const RosterRow::Field c : kRoomColumns)
            fields << w.value(in.ws.rooms[i].col[c]);
        w.fields(fields);
    }
    writeTally(w, QStringLiteral("gender-tally"), in.ws.genderTally);
    writeTally(w, QStringLiteral("unit-tally"), in.ws.unitTally);
    writeDuties(w, QStringLiteral("supervisors"), in.ws.supervisors);
    writeDuties(w, QStringLiteral("checkers"), in.checkers);
    if (in.format == 1) {
        writeHistory(w, QStringLiteral("pairing-history"), in.pairingHistory);
        writeHistory(w, QStringLiteral("supervisor-history"), in.supervisorHistory);
        writeHistory(w, QStringLiteral("checker-history"), in.checkerHistory);
    } else {
        const AppliedHistory applied = appliedHistory(in);
        writeSources(w, QStringLiteral("pairing-history"), in.pairingHistory, applied.pairing, true);
        writeSources(w, QStringLiteral("supervisor-history"), in.supervisorHistory, applied.supervisors,
                     false);
        writeSources(w, QStringLiteral("checker-history"), in.checkerHistory, applied.checkers, false);
    }
    return w.text();
}

int inputsFormat(const QString& text) {
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    const QString prefix = kInputsMagic + QLatin1Char('\t');
    bool ok = false;
    const int format = first.startsWith(prefix) ? first.mid(prefix.size()).toInt(&ok) : 0;
    return ok ? format : 0;
}

std::optional<DrawInputs> decodeInputs(const QString& text) {
    DrawInputs in;
    in.format = inputsFormat(text);
    if (in.format != 1 && in.format != 2)
        return std::nullopt;
    Reader r(text, in.format);
    r.header(kInputsMagic);
    in.engineVersion = r.header(QStringLiteral("engine"));
    bool good = false;
    in.seed = r.textLine(QStringLiteral("seed")).toULongLong(&good, 16);
    in.project = r.header(QStringLiteral("project"));
    in.subject = r.textLine(QStringLiteral("subject"));
    in.time = r.textLine(QStringLiteral("time"));
    in.batch = r.header(QStringLiteral("batch"));
    const QStringList rules = r.next(1 + kRuleCount, QStringLiteral("rules"));
    if (!r.ok() || !good)
        return std::nullopt;
    in.settings.mode = static_cast<DrawMode>(r.integer(rules[0]));
    for (int k = 0; k < kRuleCount; ++k)
        in.settings.rules[static_cast<std::size_t>(k)] = ruleState(r, rules[k + 1]);
    if (!readSave(r, in))
        return std::nullopt;
    const int rooms = r.header(QStringLiteral("rooms"));
    in.ws.rooms.resize(1);
    for (int i = 1; i <= rooms && r.ok(); ++i) {
        const QStringList f = r.next(static_cast<int>(std::size(kRoomColumns)));
        RosterRow row;
        for (qsizetype k = 0; k < f.size(); ++k)
            row.col[kRoomColumns[k]] = r.value(f[k]);
        in.ws.rooms.push_back(row);
    }
    in.ws.genderTally = readTally(r, QStringLiteral("gender-tally"));
    in.ws.unitTally = readTally(r, QStringLiteral("unit-tally"));
    in.ws.supervisors = readDuties(r, QStringLiteral("supervisors"));
    in.checkers = readDuties(r, QStringLiteral("checkers"));
    if (in.format == 1) {
        in.pairingHistory = readHistory(r, QStringLiteral("pairing-history"));
        in.supervisorHistory = readHistory(r, QStringLiteral("supervisor-history"));
        in.checkerHistory = readHistory(r, QStringLiteral("checker-history"));
    } else {
        in.pairingHistory = readSources(r, QStringLiteral("pairing-history"), true);
        in.supervisorHistory = readSources(r, QStringLiteral("supervisor-history"), false);
        in.checkerHistory = readSources(r, QStringLiteral("checker-history"), false);
    }
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    // One text per set of inputs: whatever writes a value differently is not the format.
    if (encodeInputs(in) != text)
        return std::nullopt;
    return in;
}

QString canonicalResult(const QString& inputDigest, const SavedRows& rows, int format) {
    QByteArray text = kResultMagic.toUtf8() + '\t' + QByteArray::number(format) + '\n';
    text += "inputs\t" + (format >= 2 && inputDigest.isNull() ? kNull : inputDigest).toUtf8() + '\n';
    const auto table = [&text, format](const QString& name, const QVector<QVariantList>& tableRows) {
        text += name.toUtf8() + '\t' + QByteArray::number(tableRows.size()) + '\n';
        for (const QByteArray& line : canonicalLines(tableRows, format))
            text += line + '\n';
    };
    table(QStringLiteral("抽签总表"), rows.results);
    table(QStringLiteral("抽签历史"), rows.history);
    return QString::fromUtf8(text);
}

QString fieldText(const QVariant& v) {
    return field(v, kCertificateFormat);
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
    c.seed = hex64(in.seed);
    c.inputs = encodeInputs(in);
    c.inputDigest = sha256Hex(c.inputs);
    c.resultDigest = sha256Hex(canonicalResult(c.inputDigest, rows, in.format));
    return c;
}

void writeCertificate(db::Database& db, const Certificate& c) {
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
