#pragma once

#include <cstdint>
#include <vector>

namespace engine {

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

// A bipartite graph as flat adjacency lists: row r (0-based) may take columns
// edges[start[r]] .. edges[start[r + 1] - 1].
struct BipartiteGraph {
    int rows = 0;
    int cols = 0;
    std::vector<int> start;
    std::vector<int> edges;
};

// Whether every row can get a column of its own (Hopcroft-Karp).
bool saturatesRows(const BipartiteGraph& g);

// The same for `rows` rows and `cols` columns (both 0-based) joined where allowed(row, col).
template <typename Allowed> bool hasPerfectMatching(int rows, int cols, const Allowed& allowed) {
    if (rows > cols)
        return false;
    BipartiteGraph g;
    g.rows = rows;
    g.cols = cols;
    g.start.reserve(rows + 1);
    g.edges.reserve(static_cast<std::size_t>(rows) * cols);
    for (int r = 0; r < rows; ++r) {
        g.start.push_back(static_cast<int>(g.edges.size()));
        for (int c = 0; c < cols; ++c)
            if (allowed(r, c))
                g.edges.push_back(c);
        if (static_cast<int>(g.edges.size()) == g.start.back())
            return false; // a row nobody may fill
    }
    g.start.push_back(static_cast<int>(g.edges.size()));
    return saturatesRows(g);
}

// The square case over 1..n: every row 1..n gets its own column 1..n with allowed(row, col).
template <typename Allowed> bool hasPerfectMatching(int n, const Allowed& allowed) {
    return hasPerfectMatching(n, n, [&](int r, int c) { return allowed(r + 1, c + 1); });
}

} // namespace engine
