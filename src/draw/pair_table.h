#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Which (row, column) pairs over 1..n a history rule refuses. One byte per pair, so the draw
// tests a pair with a single lookup instead of scanning the history rows.
class PairTable {
public:
    PairTable() = default;
    explicit PairTable(int n) : n_(n), cells_(static_cast<std::size_t>(n + 1) * (n + 1), 0) {}

    int size() const { return n_; }
    bool any() const { return any_; }
    // Pairs outside 1..n are ignored: a draw over n rooms can never produce them.
    void mark(int row, int col);
    bool has(int row, int col) const { return cells_[static_cast<std::size_t>(row) * (n_ + 1) + col] != 0; }
    // How many columns of `row`, or rows of `col`, are refused.
    int rowCount(int row) const;
    int columnCount(int col) const;

private:
    int n_ = 0;
    std::vector<std::uint8_t> cells_;
    bool any_ = false;
};

// Whether each of `rows` rows can get a column of its own among `cols` columns (both 0-based),
// using only pairs with allowed(row, col). Hopcroft-Karp.
bool hasPerfectMatching(int rows, int cols, const std::function<bool(int, int)>& allowed);

// The square case over 1..n.
inline bool hasPerfectMatching(int n, const std::function<bool(int, int)>& allowed) {
    return hasPerfectMatching(n, n, [&](int r, int c) { return allowed(r + 1, c + 1); });
}
