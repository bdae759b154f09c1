#include "vx/MessageText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace vx {
namespace msgtext {

namespace {

constexpr int kValueCount = 3;

enum class Kind { Integer, Floating, String, Unsupported };

Kind kindOf(char conversion) {
  if (std::strchr("diuoxX", conversion)) return Kind::Integer;
  if (std::strchr("fFeEgGaA", conversion)) return Kind::Floating;
  if (conversion == 's') return Kind::String;
  return Kind::Unsupported;
}

// One directive "%<flags><width>.<precision><length><conversion>" starting at `begin`.
struct Directive {
  size_t end = 0;  // one past the conversion letter (or the end of the format)
  std::string flags;
  int width = -1;
  int precision = -1;
  char conversion = 0;  // 0: the format ended inside the directive
  bool usable = true;   // false for '*', positions and oversized fields
};

int readNumber(const char* text, size_t& i, bool& oversized) {
  long value = 0;
  while (text[i] >= '0' && text[i] <= '9') {
    if (value <= kMaxField) value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (value > kMaxField) oversized = true;
  return static_cast<int>(std::min<long>(value, kMaxField));
}

Directive parse(const char* text, size_t begin) {
  Directive d;
  size_t i = begin + 1;
  bool oversized = false;
  while (text[i] && std::strchr("-+ #0", text[i])) d.flags += text[i++];
  if (text[i] == '*') {
    d.usable = false;
    ++i;
  } else if (text[i] >= '1' && text[i] <= '9') {
    d.width = readNumber(text, i, oversized);
  }
  if (text[i] == '.') {
    ++i;
    if (text[i] == '*') {
      d.usable = false;
      ++i;
    } else {
      d.precision = readNumber(text, i, oversized);
    }
  }
  while (text[i] && std::strchr("hlLqjzt", text[i])) ++i;
  if (oversized) d.usable = false;
  d.conversion = text[i];
  d.end = text[i] ? i + 1 : i;
  return d;
}

// printf of one value through a directive built here from parsed parts only.
template <typename T>
std::string printOne(const Directive& d, char conversion, const char* length, T value) {
  std::string directive = "%" + d.flags;
  if (d.width >= 0) directive += std::to_string(d.width);
  if (d.precision >= 0) directive += "." + std::to_string(d.precision);
  directive += length;
  directive += conversion;
  const int size = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (size < 0) return {};
  std::vector<char> buffer(static_cast<size_t>(size) + 1);
  std::snprintf(buffer.data(), buffer.size(), directive.c_str(), value);
  return std::string(buffer.data(), static_cast<size_t>(size));
}

std::string printInteger(const Directive& d, char conversion, long long value) {
  return printOne(d, conversion, "ll", value);
}

std::string printDouble(const Directive& d, char conversion, double value) {
  return printOne(d, conversion, "", value);
}

long long toWhole(double value) {
  constexpr double kMax = static_cast<double>(std::numeric_limits<long long>::max());
  if (value >= kMax) return std::numeric_limits<long long>::max();
  if (value <= -kMax) return std::numeric_limits<long long>::min();
  return static_cast<long long>(value);
}

}  // namespace

Source sourceOf(const double* doubles, const int* ints, const char* string) {
  if (doubles) return Source::Doubles;
  if (ints) return Source::Ints;
  if (string) return Source::String;
  return Source::None;
}

std::string format(const char* format, const double* doubles, const int* ints, const char* string) {
  if (!format) return {};
  const Source source = sourceOf(doubles, ints, string);
  if (source == Source::None) return format;
  const int available = source == Source::String ? 1 : kValueCount;
  int used = 0;
  std::string out;
  size_t i = 0;
  while (format[i]) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    const Directive d = parse(format, i);
    const std::string written(format + i, d.end - i);
    i = d.end;
    const Kind kind = kindOf(d.conversion);
    if (!d.usable || d.conversion == 0 || kind == Kind::Unsupported || used >= available) {
      out += written;
      continue;
    }
    switch (source) {
      case Source::Doubles: {
        const double value = doubles[used];
        if (kind == Kind::Integer && std::isfinite(value))
          out += printInteger(d, d.conversion, toWhole(value));
        else
          out += printDouble(d, kind == Kind::Floating ? d.conversion : 'g', value);
        ++used;
        break;
      }
      case Source::Ints: {
        const int value = ints[used];
        if (kind == Kind::Floating)
          out += printDouble(d, d.conversion, value);
        else
          out += printInteger(d, kind == Kind::Integer ? d.conversion : 'd', value);
        ++used;
        break;
      }
      case Source::String:
        if (kind == Kind::String) {
          out += printOne(d, 's', "", string);
          ++used;
        } else {
          out += written;
        }
        break;
      case Source::None:
        break;
    }
  }
  return out;
}

bool hasOversizedField(const char* format) {
  if (!format) return false;
  for (size_t i = 0; format[i]; ++i) {
    if (format[i] != '%') continue;
    size_t j = i + 1;
    // Directive characters of both syntaxes: flags, '|' of Boost's "%|...|", positions "1$", "1%".
    while (format[j] && std::strchr("-+ #0'|.$*hlLqjzt123456789", format[j])) {
      if (format[j] >= '0' && format[j] <= '9') {
        bool oversized = false;
        readNumber(format, j, oversized);
        if (oversized) return true;
      } else {
        ++j;
      }
    }
  }
  return false;
}

}  // namespace msgtext
}  // namespace vx
