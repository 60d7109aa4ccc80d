#pragma once

#include "draw/draw_engine.h"

#include <QMap>
#include <QTest>

#include <cmath>
#include <functional>

// In-memory working sets and helpers shared by the draw tests.
namespace fixture {

// A value or NULL, as the roster holds it.
inline QVariant v(const char* text) {
    return text ? QVariant(QString::fromUtf8(text)) : QVariant();
}

// The B tallies as the loader builds them: one row per distinct value, NULL as its own key.
inline void retally(engine::WorkingSet& ws) {
    auto tally = [&](int column) {
        QMap<QString, int> counts;
        int nulls = 0;
        for (int k = 1; k <= ws.roomCount(); ++k) {
            const QVariant& value = ws.rooms[k].col[column];
            if (value.isNull())
                ++nulls;
            else
                ++counts[value.toString()];
        }
        QVector<engine::TallyRow> rows;
        if (nulls > 0)
            rows.push_back({QVariant(), nulls});
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            rows.push_back({it.key(), it.value()});
        return rows;
    };
    ws.genderTally = tally(7);
    ws.unitTally = tally(8);
}

struct Person {
    const char* sex = "男";
    const char* unit = "一中";
};

// Rooms 001.. with A person k and B person k; sex and unit per person.
inline engine::WorkingSet rooms(int n, const std::function<Person(int)>& aOf = {},
                                const std::function<Person(int)>& bOf = {}) {
    engine::WorkingSet ws;
    ws.rooms.resize(n + 1);
    ws.supervisors.resize(1);
    for (int k = 1; k <= n; ++k) {
        engine::RosterRow& row = ws.rooms[k];
        const Person a = aOf ? aOf(k) : Person{};
        const Person b = bOf ? bOf(k) : Person{};
        row.col[0] = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
        row.col[1] = QStringLiteral("甲%1").arg(k);
        row.col[2] = v(a.sex);
        row.col[3] = v(a.unit);
        row.col[6] = QStringLiteral("乙%1").arg(k);
        row.col[7] = v(b.sex);
        row.col[8] = v(b.unit);
    }
    retally(ws);
    return ws;
}

inline void addSupervisor(engine::WorkingSet& ws, const QString& name, const QString& scope) {
    engine::DutyRow d;
    d.row = QString::number(ws.supervisors.size());
    d.room = QString::number(ws.supervisors.size());
    d.name = name;
    d.scope = scope;
    ws.supervisors.push_back(d);
}

// Saved draws where room i had A person i+shift and B person i+shift (cyclically), one
// batch per entry; the same shifts for A and B unless `bShifts` is given.
inline QVector<engine::HistoryRow> shifted(int n, const QList<int>& aShifts, QList<int> bShifts = {}) {
    if (bShifts.isEmpty())
        bShifts = aShifts;
    QVector<engine::HistoryRow> rows;
    for (int k = 0; k < aShifts.size(); ++k)
        for (int i = 1; i <= n; ++i)
            rows.push_back({i, (i - 1 + aShifts[k]) % n + 1, (i - 1 + bShifts[k]) % n + 1});
    return rows;
}

inline engine::DrawSettings settings(int mode, std::array<int, 6> check) {
    engine::DrawSettings s;
    s.mode = static_cast<engine::DrawMode>(mode);
    for (int k = 0; k < engine::kRuleCount; ++k)
        s.rules[k] = static_cast<engine::RuleState>(check[k]);
    return s;
}

// Generates one candidate; fails the test instead of hanging when none comes.
inline engine::DrawResult next(engine::DrawEngine& engine, int maxCalls = 100000) {
    for (int call = 0; call < maxCalls; ++call) {
        const engine::DrawResult r = engine.generate(1);
        if (r.status != engine::DrawStatus::NotYet)
            return r;
    }
    return {engine::DrawStatus::NotYet, 0, QStringLiteral("no candidate within the call bound")};
}

inline bool isPermutation(const QVector<int>& p, int n) {
    if (p.size() != n + 1)
        return false;
    QVector<bool> seen(n + 1, false);
    for (int i = 1; i <= n; ++i) {
        if (p[i] < 1 || p[i] > n || seen[p[i]])
            return false;
        seen[p[i]] = true;
    }
    return true;
}

// The 0.999 quantile of chi-square with `dof` degrees of freedom (Wilson-Hilferty).
inline double chiSquareLimit(int dof) {
    const double k = dof;
    const double z = 3.09;
    return k * std::pow(1.0 - 2.0 / (9.0 * k) + z * std::sqrt(2.0 / (9.0 * k)), 3);
}

// Pearson's statistic of `observed` against equal expected counts.
inline double chiSquareUniform(const QVector<int>& observed) {
    double total = 0;
    for (int o : observed)
        total += o;
    const double expected = total / observed.size();
    double chi = 0;
    for (int o : observed)
        chi += (o - expected) * (o - expected) / expected;
    return chi;
}

// Two equally large samples over the same categories: statistic and degrees of freedom.
inline std::pair<double, int> chiSquareTwoSample(const QMap<QString, int>& x, const QMap<QString, int>& y) {
    QMap<QString, int> all = x;
    for (auto it = y.cbegin(); it != y.cend(); ++it)
        all[it.key()] += 0;
    double chi = 0;
    int categories = 0;
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const double a = x.value(it.key()), b = y.value(it.key());
        const double expected = (a + b) / 2;
        chi += (a - expected) * (a - expected) / expected + (b - expected) * (b - expected) / expected;
        ++categories;
    }
    return {chi, categories - 1};
}

} // namespace fixture
