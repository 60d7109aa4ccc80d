#pragma once

// examdb verify's own reading of a certificate. It is written apart from the engine's reader
// and shares nothing with the engine but the canonical text, so that a fault in the engine's
// reading, its mode mapping or its parameter code cannot hide itself from the checks made with
// it. Values stay the fields the text holds (`\N`, escaped text, `\F…`, `\X…`); the database's
// values are turned into the same form before they are compared.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <array>
#include <optional>

namespace engine::audit {

// The field a certificate of `format` writes for a stored value.
QString token(const QVariant& v, int format);
// An integer field: "0", or digits without a leading zero after an optional "-".
std::optional<int> number(QStringView field);
// A value the table stores as an INTEGER; nullopt for NULL, text, REAL or BLOB.
std::optional<qint64> storedInteger(const QVariant& v);

// Who a draw mode moves: 0 both sides, 1 only B, 2 only A, any other value nobody.
struct Sides {
    bool a = false;
    bool b = false;
};
Sides sidesOf(int mode);

// Positions of the six rule states, in the order of the parameter code.
enum RuleIndex { AllowReturn, AllowRepartner, MixGender, MixUnit, DrawSupervisors, DrawCheckers };

// The three histories and the 分类 of their rows in 抽签历史.
enum HistoryKind { Pairing, Supervisors, Checkers };
inline constexpr int kHistoryKinds = 3;
const QString& kindName(HistoryKind kind);

// A history line: 序号, 甲, 乙 (乙 is 0 for the duty kinds, which do not record it).
using HistoryLine = std::array<qint64, 3>;

// One batch a history came from. Format 1 names none: its lines stand in one source with
// batch -1.
struct Source {
    qint64 batch = -1;
    QString subject, time; // fields
    QVector<HistoryLine> lines;
};

struct Reading {
    int format = 0;
    int project = 0;
    QString subject, time; // fields
    int batch = 0;
    int mode = 0;
    std::array<int, 6> rules{};
    bool duties = false;                // the outside supervisors and paper checkers were saved
    bool checkersDrawn = false;         // the paper checkers were drawn
    bool checkerReturnsRefused = false; // ... without returns to a recent row
    QVector<QStringList> rooms; // room k at k - 1: 分组号, then A's and B's 姓名, 性别, 来源单位, 身份证号
    QVector<QStringList> supervisors; // 分组号, 姓名, 性别, 来源单位, 责任范围, 身份证号
    QVector<QStringList> checkers;    // the same
    std::array<QVector<Source>, kHistoryKinds> history;
};

// Reads format 1 or 2; nullopt for anything that does not follow it.
std::optional<Reading> readCertificate(const QString& inputs);

// The 分组号 of a 抽签参数 row: the draw mode in decimal followed by the six rule states.
struct ParameterCode {
    int mode = 0;
    std::array<int, 6> rules{};
};
std::optional<ParameterCode> parseParameterCode(const QString& field);

} // namespace engine::audit
