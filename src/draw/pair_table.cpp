#include "draw/pair_table.h"

#include <deque>
#include <limits>

namespace engine {

void PairTable::mark(int row, int col) {
    if (row < 1 || row > n_ || col < 1 || col > n_)
        return;
    cells_[static_cast<std::size_t>(row) * (n_ + 1) + col] = 1;
    any_ = true;
}

int PairTable::rowCount(int row) const {
    int count = 0;
    for (int c = 1; c <= n_; ++c)
        count += has(row, c);
    return count;
}

int PairTable::columnCount(int col) const {
    int count = 0;
    for (int r = 1; r <= n_; ++r)
        count += has(r, col);
    return count;
}

namespace {

class HopcroftKarp {
public:
    explicit HopcroftKarp(const BipartiteGraph& g)
        : g_(g), rowMate_(g.rows, -1), colMate_(g.cols, -1), dist_(g.rows) {}

    int maximum() {
        int size = greedy();
        while (layer())
            for (int r = 0; r < g_.rows; ++r)
                if (rowMate_[r] < 0 && augment(r))
                    ++size;
        return size;
    }

private:
    static constexpr int kFar = std::numeric_limits<int>::max();

    // Most rows of a draw's graph find a free column straight away.
    int greedy() {
        int size = 0;
        for (int r = 0; r < g_.rows; ++r)
            for (int e = g_.start[r]; e < g_.start[r + 1]; ++e)
                if (colMate_[g_.edges[e]] < 0) {
                    rowMate_[r] = g_.edges[e];
                    colMate_[g_.edges[e]] = r;
                    ++size;
                    break;
                }
        return size;
    }

    // Distances from the free rows along alternating paths; true when a free column is reachable.
    bool layer() {
        std::deque<int> queue;
        for (int r = 0; r < g_.rows; ++r) {
            dist_[r] = rowMate_[r] < 0 ? 0 : kFar;
            if (rowMate_[r] < 0)
                queue.push_back(r);
        }
        bool found = false;
        while (!queue.empty()) {
            const int r = queue.front();
            queue.pop_front();
            for (int e = g_.start[r]; e < g_.start[r + 1]; ++e) {
                const int next = colMate_[g_.edges[e]];
                if (next < 0)
                    found = true;
                else if (dist_[next] == kFar) {
                    dist_[next] = dist_[r] + 1;
                    queue.push_back(next);
                }
            }
        }
        return found;
    }

    bool augment(int r) {
        for (int e = g_.start[r]; e < g_.start[r + 1]; ++e) {
            const int c = g_.edges[e];
            const int next = colMate_[c];
            if (next < 0 || (dist_[next] == dist_[r] + 1 && augment(next))) {
                rowMate_[r] = c;
                colMate_[c] = r;
                return true;
            }
        }
        dist_[r] = kFar;
        return false;
    }

    const BipartiteGraph& g_;
    std::vector<int> rowMate_, colMate_, dist_;
};

} // namespace

bool saturatesRows(const BipartiteGraph& g) {
    if (g.rows > g.cols)
        return false;
    return g.rows == 0 || HopcroftKarp(g).maximum() == g.rows;
}

} // namespace engine
