#pragma once

#include <cstdint>
#include <random>

namespace engine {

// Where the draw's random numbers come from; tests hand in a seeded one.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual std::uint64_t next64() = 0;
    // Uniform on 1..n without modulo bias (rejection of the short tail); n >= 1.
    int index(int n);
    // A seed for a draw that must be replayable: 64 bits of the system's entropy, taken now.
    virtual std::uint64_t freshSeed();
};

// The production source: one 64-bit Mersenne twister, seeded once from the system's
// entropy mixed with the high-resolution clock.
class SeededRandom : public RandomSource {
public:
    SeededRandom();
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t next64() override { return engine_(); }

private:
    std::mt19937_64 engine_;
};

} // namespace engine
