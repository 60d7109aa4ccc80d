#pragma once

#include "draw/draw_engine.h"

// The A step and the B step transcribed as the rules state them, with the scans over placed
// indices and history rows: the reference whose outcomes the engine must reproduce. Two
// guards keep it finite: after 1000 restarts of the B step the A step is drawn again (as the
// engine does), and a step cap makes a regression fail instead of hang.
class LiteralDraw {
public:
    LiteralDraw(const engine::WorkingSet& ws, const engine::DrawSettings& s,
                const QVector<engine::HistoryRow>& history, engine::RandomSource& random,
                long long maxSteps = 20'000'000)
        : ws_(ws), s_(s), h_(history), random_(random), n_(ws.roomCount()), a_(n_ + 1), b_(n_ + 1),
          maxSteps_(maxSteps) {}

    // The rules as the draw window's check values and the mode as stored.
    int check(int k) const { return static_cast<int>(s_.rules[k]); }
    int mode() const { return static_cast<int>(s_.mode); }

    // False when the step cap was reached.
    bool draw(QVector<int>& a, QVector<int>& b) {
        steps_ = 0;
        for (;;) {
            if (!stepA())
                return false;
            const int result = stepB();
            if (result < 0)
                return false;
            if (result == 1) {
                a = a_;
                b = b_;
                return true;
            }
        }
    }

private:
    static bool same(const QVariant& x, const QVariant& y) {
        return !x.isNull() && !y.isNull() && x.toString() == y.toString();
    }

    bool placed(const QVector<int>& p, int r) const {
        for (int k = 1; k <= n_; ++k)
            if (p[k] == r)
                return true;
        return false;
    }

    bool stepA() {
        if (mode() != 0 && mode() != 2) {
            for (int i = 1; i <= n_; ++i)
                a_[i] = i;
            return true;
        }
    restart:
        a_.fill(0);
        for (int i = 1; i <= n_; ++i) {
            for (;;) {
                if (++steps_ > maxSteps_)
                    return false;
                const int r = random_.index(n_);
                if (placed(a_, r))
                    continue;
                bool seen = false;
                if (check(0) == 0 && !h_.isEmpty())
                    for (const engine::HistoryRow& row : h_)
                        seen = seen || (row.seq == i && row.a == r);
                if (seen) {
                    if (i > n_ - 4)
                        goto restart;
                    continue;
                }
                a_[i] = r;
                break;
            }
        }
        return true;
    }

    // One pass of the rule: sum and decrement of a tally as the B step does it.
    static bool refuses(QVector<int>& remaining, const QVector<engine::TallyRow>& tally, const QVariant& ofA,
                        const QVariant& ofB) {
        if (same(ofA, ofB)) {
            int other = 0;
            for (int t = 0; t < tally.size(); ++t)
                if (!same(tally[t].key, ofA))
                    other += remaining[t];
            if (other > 0)
                return true;
        }
        for (int t = 0; t < tally.size(); ++t)
            if (same(tally[t].key, ofB))
                --remaining[t];
        return false;
    }

    // 1 done, 0 draw A again, -1 step cap.
    int stepB() {
        if (mode() != 0 && mode() != 1) {
            for (int i = 1; i <= n_; ++i)
                b_[i] = i;
            return 1;
        }
        int restarts = 0;
    restart:
        if (++restarts > 1000)
            return 0;
        int counter = 0;
        b_.fill(0);
        QVector<int> gender, unit;
        for (const engine::TallyRow& t : ws_.genderTally)
            gender << t.count;
        for (const engine::TallyRow& t : ws_.unitTally)
            unit << t.count;
        for (int i = 1; i <= n_; ++i) {
        counted:
            if (++counter > n_ * 10)
                goto restart;
        uncounted:
            if (++steps_ > maxSteps_)
                return -1;
            const int r = random_.index(n_);
            if (placed(b_, r))
                goto counted;
            const bool haveHistory = !h_.isEmpty();
            for (const engine::HistoryRow& row : h_) {
                if (check(0) == 0 && haveHistory && row.seq == i && row.b == r)
                    goto counted;
                // 甲 is compared as text with the A index; both are plain decimal integers here
                if (check(1) == 0 && haveHistory && row.b == r && row.a == a_[i])
                    goto counted;
            }
            const engine::RosterRow& personA = ws_.rooms[a_[i]];
            const engine::RosterRow& personB = ws_.rooms[r];
            if (check(2) == 1 && refuses(gender, ws_.genderTally, personA.col[2], personB.col[7]))
                goto uncounted;
            if (check(3) == 1 && refuses(unit, ws_.unitTally, personA.col[3], personB.col[8]))
                goto uncounted;
            b_[i] = r;
        }
        return 1;
    }

    const engine::WorkingSet& ws_;
    engine::DrawSettings s_;
    QVector<engine::HistoryRow> h_;
    engine::RandomSource& random_;
    int n_;
    QVector<int> a_, b_;
    long long steps_ = 0;
    long long maxSteps_;

public:
    long long steps() const { return steps_; }
};
