#include "draw/duty_sampler.h"

#include <algorithm>

namespace engine {

namespace {

constexpr int kDeadRowCheck = 8;

} // namespace

DutySampler::DutySampler(int n, const PairTable* history, bool draw, UniformPool& random)
    : n_(n), history_(history && history->any() ? history : nullptr), draw_(draw), random_(random), hits_(n),
      p_(n + 1, 0) {
    start();
}

void DutySampler::start() {
    counter_ = 0;
    restart();
}

void DutySampler::restart() {
    std::fill(p_.begin(), p_.end(), 0);
    free_.resize(n_);
    pos_.assign(n_ + 1, 0);
    for (int k = 1; k <= n_; ++k) {
        free_[k - 1] = k;
        pos_[k] = k - 1;
    }
    row_ = 1;
    refusalsHere_ = 0;
}

bool DutySampler::rowHasChoice(int row) const {
    for (int r : free_)
        if (!history_->has(row, r))
            return true;
    return false;
}

bool DutySampler::run(WorkBudget& work) {
    if (!draw_) {
        for (int j = 1; j <= n_; ++j)
            p_[j] = j;
        return true;
    }
    while (row_ <= n_) {
        if (!work.take())
            return false;
        // The counter goes up before every draw, those finding a given partner included.
        const PlacedHits::Draw draw = hits_.sample(random_, n_, row_ - 1);
        work.take(draw.hits / 8);
        counter_ += draw.hits + 1;
        if (counter_ > n_ * 10) {
            counter_ = 0;
            restart();
            continue;
        }
        const int r = free_[draw.slot - 1];
        if (history_ && history_->has(row_, r)) {
            // A row every free partner is refused to only counts up to its restart.
            if (++refusalsHere_ == kDeadRowCheck && !rowHasChoice(row_)) {
                work.take(1 + n_ / 16);
                counter_ = 0;
                restart();
            }
            continue;
        }
        p_[row_] = r;
        const int at = pos_[r];
        free_[at] = free_.back();
        pos_[free_[at]] = at;
        free_.pop_back();
        ++row_;
        refusalsHere_ = 0;
    }
    return true;
}

bool dutyPossible(int n, const PairTable& history) {
    return hasPerfectMatching(n, [&](int row, int partner) { return !history.has(row, partner); });
}

} // namespace engine
