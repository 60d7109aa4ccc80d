#include "draw/pair_table.h"

#include <deque>
#include <limits>

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
    HopcroftKarp(int rows, int cols, const std::function<bool(int, int)>& allowed)
        : adj_(rows), rowMate_(rows, -1), colMate_(cols, -1), dist_(rows) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                if (allowed(r, c))
                    adj_[r].push_back(c);
    }

    int maximum() {
        int size = 0;
        while (layer())
            for (int r = 0; r < static_cast<int>(adj_.size()); ++r)
                if (rowMate_[r] < 0 && augment(r))
                    ++size;
        return size;
    }

private:
    static constexpr int kFar = std::numeric_limits<int>::max();

    // Distances from the free rows along alternating paths; true when a free column is reachable.
    bool layer() {
        std::deque<int> queue;
        for (int r = 0; r < static_cast<int>(adj_.size()); ++r) {
            dist_[r] = rowMate_[r] < 0 ? 0 : kFar;
            if (rowMate_[r] < 0)
                queue.push_back(r);
        }
        bool found = false;
        while (!queue.empty()) {
            const int r = queue.front();
            queue.pop_front();
            for (int c : adj_[r]) {
                const int next = colMate_[c];
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
        for (int c : adj_[r]) {
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

    std::vector<std::vector<int>> adj_;
    std::vector<int> rowMate_, colMate_, dist_;
};

} // namespace

bool hasPerfectMatching(int rows, int cols, const std::function<bool(int, int)>& allowed) {
    if (rows > cols)
        return false;
    if (rows == 0)
        return true;
    return HopcroftKarp(rows, cols, allowed).maximum() == rows;
}
