#pragma once

#include "draw/uniform_pool.h"

#include <vector>

namespace engine {

// A redraw loop over `size` values, `taken` of which stand for persons already placed: the
// draws that land on a placed person before the first free one, and which free one that is.
// The loop's counters count those draws, so their number matters; sampled here with a few
// random numbers instead of one per draw.
class PlacedHits {
public:
    struct Draw {
        int hits; // draws that found a placed person
        int slot; // 1..size-taken: the free person drawn, uniform
    };

    // For sizes up to `maxSize`.
    explicit PlacedHits(int maxSize);

    Draw sample(UniformPool& random, int size, int taken) const {
        // Up to three draws per free person on average, drawing as the loop does is cheaper.
        if (4 * taken >= 3 * size)
            return sampleMostlyTaken(random, size, taken);
        // A value above `taken` stands for a free person.
        for (int hits = 0;; ++hits) {
            const int r = random.index(size);
            if (r > taken)
                return {hits, r - taken};
        }
    }

private:
    Draw sampleMostlyTaken(UniformPool& random, int size, int taken) const;

    // powers_[size][j] = size^j for j = 0.. while it fits into an int
    std::vector<std::vector<long long>> powers_;
};

} // namespace engine
