#pragma once

#include "draw/random_source.h"

#include <cstdint>

namespace engine {

// Exact uniform draws that reuse the randomness of RandomSource::index: one index(2^30) call
// carries 30 bits, a draw over 154 rooms needs about 7.3 of them. The leftover of every draw
// stays uniform and serves the next one, so nothing is biased and nothing is wasted.
class UniformPool {
public:
    explicit UniformPool(RandomSource& random) : random_(random) {}

    // Uniform on 1..n, n >= 1.
    int index(int n) {
        const std::uint64_t size = static_cast<std::uint64_t>(n);
        for (;;) {
            while (range_ < kRefillBelow) {
                value_ = (value_ << kBits) + static_cast<std::uint64_t>(random_.index(1 << kBits) - 1);
                range_ <<= kBits;
            }
            // value_ is uniform below range_: below a multiple of n it splits into a uniform
            // draw and a uniform rest; above it, what is left is uniform on the short tail.
            const std::uint64_t whole = range_ / size;
            const std::uint64_t limit = whole * size;
            if (value_ < limit) {
                const int drawn = static_cast<int>(value_ % size);
                value_ /= size;
                range_ = whole;
                return drawn + 1;
            }
            value_ -= limit;
            range_ -= limit;
        }
    }

private:
    static constexpr int kBits = 30;
    static constexpr std::uint64_t kRefillBelow = std::uint64_t{1} << 33;

    RandomSource& random_;
    std::uint64_t value_ = 0; // uniform on [0, range_)
    std::uint64_t range_ = 1;
};

} // namespace engine
