#pragma once
// Seeded, portable pseudo-random source for random branches: one seed gives one sequence everywhere.

#include <cstdint>

namespace trovel {

constexpr uint64_t kDefaultSimSeed = 1;

// splitmix64: full 64-bit period, plain integer arithmetic only.
struct SimRandom {
    uint64_t state = kDefaultSimSeed;
};

inline void seedRandom(SimRandom& r, uint64_t seed) { r.state = seed; }

inline uint64_t nextRandom(SimRandom& r) {
    uint64_t z = (r.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace trovel
