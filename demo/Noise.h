#pragma once

#include <cstdint>

namespace demo {

// Hash-based randomness: every value depends only on the seed and its arguments, so the demo
// world is the same byte for byte on every run and independent of evaluation order.

std::uint64_t mixBits(std::uint64_t x);

// Uniform in [0, 1) for an integer lattice point; `salt` separates independent quantities.
double hashUnit(unsigned seed, std::uint64_t salt, std::int64_t i, std::int64_t j = 0);

// Smooth value noise in [0, 1] with unit lattice spacing (quintic interpolation).
double valueNoise(unsigned seed, std::uint64_t salt, double x, double y);

// Sum of `octaves` noise layers, each of half the wavelength and amplitude; normalised to [0, 1].
double fractalNoise(unsigned seed, std::uint64_t salt, double x, double y, int octaves);

// Sequential generator (splitmix64) for placing discrete features.
class Rng {
 public:
  Rng(unsigned seed, std::uint64_t salt);
  std::uint64_t next();
  double uniform();                        // [0, 1)
  double uniform(double lo, double hi);    // [lo, hi)
  bool chance(double probability);
  int index(int count);                    // [0, count)

 private:
  std::uint64_t state_;
};

}  // namespace demo
