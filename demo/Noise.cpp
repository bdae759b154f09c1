#include "demo/Noise.h"

#include <cmath>

namespace demo {

namespace {

double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

}  // namespace

double valueNoise(unsigned seed, std::uint64_t salt, double x, double y) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const auto i = static_cast<std::int64_t>(fx);
  const auto j = static_cast<std::int64_t>(fy);
  const double u = fade(x - fx);
  const double v = fade(y - fy);
  const double a = hashUnit(seed, salt, i, j);
  const double b = hashUnit(seed, salt, i + 1, j);
  const double c = hashUnit(seed, salt, i, j + 1);
  const double d = hashUnit(seed, salt, i + 1, j + 1);
  return (a + (b - a) * u) + ((c + (d - c) * u) - (a + (b - a) * u)) * v;
}

double fractalNoise(unsigned seed, std::uint64_t salt, double x, double y, int octaves) {
  double sum = 0.0;
  double amplitude = 1.0;
  double total = 0.0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * valueNoise(seed, salt + static_cast<std::uint64_t>(o) * 7919u, x, y);
    total += amplitude;
    amplitude *= 0.5;
    x *= 2.0;
    y *= 2.0;
  }
  return sum / total;
}

Rng::Rng(unsigned seed, std::uint64_t salt)
    : state_(mixBits(static_cast<std::uint64_t>(seed) ^ (salt * 0x9e3779b97f4a7c15ULL))) {}

std::uint64_t Rng::next() {
  state_ += 0x9e3779b97f4a7c15ULL;
  std::uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

double Rng::uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

bool Rng::chance(double probability) { return uniform() < probability; }

int Rng::index(int count) { return static_cast<int>(uniform() * count); }

}  // namespace demo
