#include "tests/fuzz/Mutator.h"

#include <cstring>

namespace fuzz {

namespace {

// Headers, counts and sizes sit near the start of most files; half the changes land there.
constexpr int kHeadBytes = 4096;

// Values that tend to break size and count fields.
const std::uint32_t kInteresting[] = {0u, 1u, 0x7fu, 0x80u, 0xffu, 0x7fffu, 0x8000u, 0xffffu, 0x7fffffffu,
                                      0x80000000u, 0xfffffffeu, 0xffffffffu};

int position(const QByteArray& data, Random& random, bool includeEnd) {
  const int size = data.size() + (includeEnd ? 1 : 0);
  if (size <= 0) return 0;
  const int head = std::min(size, kHeadBytes);
  return int(random.below(2) == 0 ? random.below(head) : random.below(size));
}

}  // namespace

std::uint64_t Random::next() {
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

std::uint64_t inputSeed(std::uint64_t runSeed, const QString& reader, int index) {
  std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a of the reader's name
  for (const char c : reader.toUtf8()) hash = (hash ^ std::uint8_t(c)) * 0x100000001b3ull;
  Random mix(runSeed ^ hash ^ (std::uint64_t(index) << 32));
  mix.next();
  return mix.next();
}

const char* mutationName(Mutation mutation) {
  switch (mutation) {
    case Mutation::BitFlip:
      return "bitflip";
    case Mutation::Truncate:
      return "truncate";
    case Mutation::Splice:
      return "splice";
    case Mutation::InsertBytes:
      return "insert";
    case Mutation::Duplicate:
      return "duplicate";
    case Mutation::InterestingValue:
      return "value";
    case Mutation::Count:
      break;
  }
  return "?";
}

QByteArray applyMutation(Mutation mutation, const QByteArray& input, const QByteArray& donor, Random& random,
                         QString* description) {
  QByteArray data = input;
  QString what = mutationName(mutation);
  switch (mutation) {
    case Mutation::BitFlip: {
      if (data.isEmpty()) break;
      const int flips = 1 + int(random.below(8));
      for (int i = 0; i < flips; ++i) {
        const int at = position(data, random, false);
        data[at] = char(data[at] ^ (1 << random.below(8)));
        what += QString("@%1").arg(at);
      }
      break;
    }
    case Mutation::Truncate: {
      const int at = position(data, random, false);
      data.truncate(at);
      what += QString("@%1").arg(at);
      break;
    }
    case Mutation::Splice: {
      if (donor.isEmpty()) break;
      const int from = int(random.below(donor.size()));
      const int length = 1 + int(random.below(std::min(256, donor.size() - from)));
      const int at = position(data, random, true);
      const int replaced = int(random.below(std::min(256, data.size() - at) + 1));
      data.replace(at, replaced, donor.mid(from, length));
      what += QString("@%1-%2<%3+%4").arg(at).arg(replaced).arg(from).arg(length);
      break;
    }
    case Mutation::InsertBytes: {
      const int at = position(data, random, true);
      const int count = 1 + int(random.below(16));
      QByteArray bytes;
      for (int i = 0; i < count; ++i) bytes.append(char(random.below(256)));
      data.insert(at, bytes);
      what += QString("@%1+%2").arg(at).arg(count);
      break;
    }
    case Mutation::Duplicate: {
      if (data.isEmpty()) break;
      const int from = position(data, random, false);
      const int length = 1 + int(random.below(std::min(512, data.size() - from)));
      const int at = position(data, random, true);
      data.insert(at, input.mid(from, length));
      what += QString("@%1<%2+%3").arg(at).arg(from).arg(length);
      break;
    }
    case Mutation::InterestingValue: {
      if (data.size() < 4) break;
      const std::uint32_t value = kInteresting[random.below(std::size(kInteresting))];
      const int at = int(random.below(std::min(data.size(), kHeadBytes) - 3));
      std::memcpy(data.data() + at, &value, sizeof value);
      what += QString("@%1=%2").arg(at).arg(value);
      break;
    }
    case Mutation::Count:
      break;
  }
  if (description) {
    if (!description->isEmpty()) *description += ";";
    *description += what;
  }
  return data;
}

QByteArray mutate(const QByteArray& input, const QByteArray& donor, Random& random, QString* description) {
  QByteArray data = input;
  const int rounds = 1 + int(random.below(3));
  for (int i = 0; i < rounds; ++i) {
    const auto mutation = static_cast<Mutation>(random.below(int(Mutation::Count)));
    data = applyMutation(mutation, data, donor, random, description);
  }
  return data;
}

}  // namespace fuzz
