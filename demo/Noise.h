#pragma once

#include <cstdint>

namespace demo {

// Hash-based randomness: every value depends only on the seed and its arguments, so the demo
// world is the same byte for byte on every run and independent of evaluation order.

inline std::uint64_t mixBits(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// Uniform in [0, 1) for an integer lattice point; `salt` separates independent quantities.
inline double hashUnit(unsigned seed, std::uint64_t salt, std::int64_t i, std::int64_t j = 0) {
  const std::uint64_t key = static_cast<std::uint64_t>(seed) * 0x632be59bd9b4e019ULL + salt * 0x8cb92ba72f3d8dd7ULL;
  std::uint64_t h = mixBits(key ^ (static_cast<std::uint64_t>(i) * 0xd6e8feb86659fd93ULL));
  h = mixBits(h ^ static_cast<std::uint64_t>(j));
  return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

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
