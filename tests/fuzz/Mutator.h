#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace fuzz {

// A small deterministic generator (splitmix64): the same seed gives the same numbers everywhere,
// which std::uniform_int_distribution does not promise across standard libraries.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // Uniform enough in [0, bound); bound 0 gives 0.
  std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : next() % bound; }

 private:
  std::uint64_t state_;
};

// The seed of one input, mixed from the run's seed, the reader and the input's number.
std::uint64_t inputSeed(std::uint64_t runSeed, const QString& reader, int index);

// The kinds of change applied to a seed file.
enum class Mutation { BitFlip, Truncate, Splice, InsertBytes, Duplicate, InterestingValue, Count };

const char* mutationName(Mutation mutation);

// Applies one to three mutations to `input`. Splices take their bytes from `donor` (another seed
// file of the same reader, or the input itself). `description` lists what was done.
QByteArray mutate(const QByteArray& input, const QByteArray& donor, Random& random, QString* description);

// One mutation of the given kind.
QByteArray applyMutation(Mutation mutation, const QByteArray& input, const QByteArray& donor, Random& random,
                         QString* description);

}  // namespace fuzz
