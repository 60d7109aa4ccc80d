#include "draw/placed_hits.h"

#include <limits>

namespace engine {

PlacedHits::PlacedHits(int maxSize) : powers_(std::max(maxSize, 1) + 1) {
    for (int size = 1; size <= maxSize; ++size) {
        std::vector<long long>& p = powers_[size];
        p.push_back(1);
        while (size > 1 && p.back() * size <= std::numeric_limits<int>::max())
            p.push_back(p.back() * size);
    }
}

PlacedHits::Draw PlacedHits::sampleMostlyTaken(UniformPool& random, int size, int taken) const {
    // The number of hits is geometric with P(at least k) = (taken/size)^k. One number u
    // uniform below size^j settles up to j of them: at least k iff u < taken^k size^(j-k).
    // Exactly k-1 hits leave u uniform on an interval whose length is a multiple of the free
    // count, so its offset there picks the free person as well.
    const std::vector<long long>& power = powers_[size];
    const int j = static_cast<int>(power.size()) - 1;
    const int free = size - taken;
    int hits = 0;
    for (;;) {
        const long long u = random.index(static_cast<int>(power[j])) - 1;
        long long takenPower = 1;
        for (int k = 1; k <= j; ++k) {
            takenPower *= taken;
            const long long atLeastK = takenPower * power[j - k];
            if (u >= atLeastK)
                return {hits + k - 1,
                        static_cast<int>(static_cast<unsigned>(u - atLeastK) % static_cast<unsigned>(free)) +
                            1};
        }
        hits += j;
    }
}

} // namespace engine
