#pragma once
// A small fixed-seed random generator (SplitMix64), so that every run makes the same data.

#include <cstdint>

namespace assets {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [lo, hi).
  double Uniform(double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
  }

 private:
  std::uint64_t state_;
};

// A repeatable hash of two integers to [0, 1), for per-cell variation.
inline double Hash01(int a, int b) {
  Random r(static_cast<std::uint64_t>(a) * 73856093ull ^
           static_cast<std::uint64_t>(b) * 19349663ull);
  return r.Uniform(0.0, 1.0);
}

}  // namespace assets
