#include "draw/random_source.h"

#include <chrono>

namespace engine {

int RandomSource::index(int n) {
    const std::uint64_t range = static_cast<std::uint64_t>(n);
    // Largest multiple of n that fits: values at or above it would favour small results.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    std::uint64_t v;
    do {
        v = next64();
    } while (v >= limit);
    return static_cast<int>(v % range) + 1;
}

std::uint64_t RandomSource::freshSeed() {
    std::random_device device;
    return (std::uint64_t(device()) << 32) ^ device();
}

SeededRandom::SeededRandom() {
    std::random_device device;
    const auto ticks =
        static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seq{device(),
                      device(),
                      device(),
                      device(),
                      static_cast<unsigned>(ticks),
                      static_cast<unsigned>(ticks >> 32)};
    engine_.seed(seq);
}

} // namespace engine
