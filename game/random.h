#pragma once
// The program's one random source: r with 0 <= r < 1 per draw. It is never seeded from anything,
// so every run of the program draws the same sequence.

#include <cmath>
#include <cstdint>
#include <random>

namespace skyrings {

class Random {
 public:
  // One draw: the generator's next 32-bit output divided by 2^32.
  double Next() { return static_cast<double>(generator_()) / 4294967296.0; }
  // A pick among n values: floor(n * r) of one draw.
  std::int16_t Pick(int n) { return static_cast<std::int16_t>(std::floor(n * Next())); }

 private:
  std::mt19937 generator_;  // default seed 5489
};

}  // namespace skyrings
