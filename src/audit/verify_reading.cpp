#include "audit/verify_reading.h"

#include <bit>

namespace engine::audit {

namespace {

const QString kNullField = QStringLiteral("\\N");

QString escapedText(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// The lines of a text that ends with LF, taken one by one; any misfit fails the whole reading.
class Lines {
public:
    explicit Lines(const QString& text) : lines_(text.split(QLatin1Char('\n'))) {
        failed_ = lines_.back().size() != 0;
    }

    bool failed() const { return failed_; }
    bool atEnd() const { return !failed_ && at_ + 1 == lines_.size(); }

    QStringList take(int fields) {
        if (failed_ || at_ + 1 >= lines_.size())
            return fail(fields);
        const QStringList parts = lines_[at_++].split(QLatin1Char('\t'));
        return parts.size() == fields ? parts : fail(fields);
    }
    // The fields after `word` at the start of the next line.
    QStringList after(const QString& word, int fields) {
        QStringList parts = take(fields + 1);
        if (parts[0] != word)
            return fail(fields);
        parts.removeFirst();
        return parts;
    }
    int integer(const QString& field) {
        const std::optional<int> v = number(field);
        failed_ = failed_ || !v;
        return v.value_or(0);
    }
    int count(const QString& word) {
        const int n = integer(after(word, 1)[0]);
        failed_ = failed_ || n < 0;
        return failed_ ? 0 : n;
    }
    QVector<QStringList> rows(const QString& word, int fields) {
        QVector<QStringList> out;
        for (int k = count(word); k > 0 && !failed_; --k)
            out.push_back(take(fields));
        return out;
    }
    // A flag written as "0" or "1", or NULL where the draw did not read it.
    bool flag(const QString& field, bool nullAllowed) {
        failed_ = failed_ || !(field == QLatin1String("0") || field == QLatin1String("1") ||
                               (nullAllowed && field == kNullField));
        return field == QLatin1String("1");
    }

private:
    QStringList fail(int fields) {
        failed_ = true;
        return QStringList(fields + 1);
    }

    QStringList lines_;
    qsizetype at_ = 0;
    bool failed_ = false;
};

QVector<Source> readFormat1History(Lines& lines, const QString& word) {
    Source all;
    for (const QStringList& f : lines.rows(word, 3))
        all.lines.push_back({lines.integer(f[0]), lines.integer(f[1]), lines.integer(f[2])});
    return all.lines.isEmpty() ? QVector<Source>{} : QVector<Source>{all};
}

QVector<Source> readSources(Lines& lines, const QString& word, bool withB) {
    QVector<Source> sources;
    for (int s = lines.count(word); s > 0 && !lines.failed(); --s) {
        const QStringList head = lines.take(4);
        Source source{lines.integer(head[0]), head[1], head[2], {}};
        for (int k = lines.integer(head[3]); k > 0 && !lines.failed(); --k) {
            const QStringList f = lines.take(withB ? 3 : 2);
            source.lines.push_back(
                {lines.integer(f[0]), lines.integer(f[1]), withB ? lines.integer(f[2]) : 0});
        }
        sources.push_back(source);
    }
    return sources;
}

void readSave(Lines& lines, Reading& r) {
    const QStringList save = lines.after(QStringLiteral("save"), 3);
    r.duties = lines.flag(save[0], false);
    if (r.format == 1) {
        // The states as the boxes stood: the checkers are drawn at 1, returns refused at 0.
        r.checkersDrawn = lines.integer(save[2]) == 1;
        r.checkerReturnsRefused = lines.integer(save[1]) == 0;
        return;
    }
    r.checkersDrawn = lines.flag(save[2], true);
    lines.flag(save[1], true);
    r.checkerReturnsRefused = save[1] == QLatin1String("0");
}

} // namespace

QString token(const QVariant& v, int format) {
    if (!v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isNull()))
        return kNullField;
    if (format >= 2 && v.typeId() == QMetaType::QByteArray)
        return QStringLiteral("\\X") + QString::fromLatin1(v.toByteArray().toHex());
    if (format >= 2 && v.typeId() == QMetaType::Double)
        return QStringLiteral("\\F%1").arg(std::bit_cast<quint64>(v.toDouble()), 16, 16, QLatin1Char('0'));
    return escapedText(v.toString());
}

std::optional<int> number(QStringView field) {
    const QStringView digits = field.startsWith(u'-') ? field.mid(1) : field;
    if (digits.isEmpty() || (digits.size() > 1 && digits[0] == u'0') || (digits != field && digits == u"0"))
        return std::nullopt;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    bool ok = false;
    const int v = field.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<qint64> storedInteger(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
    default:
        return std::nullopt;
    }
}

Sides sidesOf(int mode) {
    switch (mode) {
    case 0:
        return {true, true};
    case 1:
        return {false, true};
    case 2:
        return {true, false};
    default:
        return {};
    }
}

const QString& kindName(HistoryKind kind) {
    static const QString names[] = {QStringLiteral("监考员"), QStringLiteral("场外监考"),
                                    QStringLiteral("验卷")};
    return names[kind];
}

std::optional<Reading> readCertificate(const QString& inputs) {
    Lines lines(inputs);
    Reading r;
    r.format = lines.integer(lines.after(QStringLiteral("exam-draw-inputs"), 1)[0]);
    if (lines.failed() || (r.format != 1 && r.format != 2))
        return std::nullopt;
    // The engine version and the seed matter to the replay alone.
    lines.integer(lines.after(QStringLiteral("engine"), 1)[0]);
    lines.after(QStringLiteral("seed"), 1);
    r.project = lines.integer(lines.after(QStringLiteral("project"), 1)[0]);
    r.subject = lines.after(QStringLiteral("subject"), 1)[0];
    r.time = lines.after(QStringLiteral("time"), 1)[0];
    r.batch = lines.integer(lines.after(QStringLiteral("batch"), 1)[0]);
    const QStringList rules = lines.after(QStringLiteral("rules"), 7);
    r.mode = lines.integer(rules[0]);
    for (int k = 0; k < 6; ++k)
        r.rules[static_cast<std::size_t>(k)] = lines.integer(rules[k + 1]);
    readSave(lines, r);
    r.rooms = lines.rows(QStringLiteral("rooms"), 9);
    lines.rows(QStringLiteral("gender-tally"), 2);
    lines.rows(QStringLiteral("unit-tally"), 2);
    r.supervisors = lines.rows(QStringLiteral("supervisors"), 6);
    r.checkers = lines.rows(QStringLiteral("checkers"), 6);
    const QString words[] = {QStringLiteral("pairing-history"), QStringLiteral("supervisor-history"),
                             QStringLiteral("checker-history")};
    for (int k = 0; k < kHistoryKinds; ++k)
        r.history[static_cast<std::size_t>(k)] =
            r.format == 1 ? readFormat1History(lines, words[k]) : readSources(lines, words[k], k == Pairing);
    if (!lines.atEnd())
        return std::nullopt;
    return r;
}

std::optional<ParameterCode> parseParameterCode(const QString& field) {
    if (field.size() < 7)
        return std::nullopt;
    ParameterCode code;
    const std::optional<int> mode = number(QStringView(field).left(field.size() - 6));
    if (!mode)
        return std::nullopt;
    code.mode = *mode;
    for (int k = 0; k < 6; ++k) {
        const QChar c = field[field.size() - 6 + k];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        code.rules[static_cast<std::size_t>(k)] = c.unicode() - u'0';
    }
    return code;
}

} // namespace engine::audit
