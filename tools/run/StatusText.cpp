#include "tools/run/StatusText.h"

#include <boost/format.hpp>

#include <cmath>
#include <limits>

#include "vx/MessageText.h"

QString StatusText::withBoostFormat(const char* format, const double* doubles, const int* ints, const char* string) {
  if (!format) return {};
  const vx::msgtext::Source source = vx::msgtext::sourceOf(doubles, ints, string);
  if (source == vx::msgtext::Source::None || vx::msgtext::hasOversizedField(format)) return QString::fromUtf8(format);
  try {
    boost::format filled(format);
    // Surplus values and placeholders without one are the engine's usual case, not errors.
    filled.exceptions(boost::io::all_error_bits ^ (boost::io::too_many_args_bit | boost::io::too_few_args_bit));
    switch (source) {
      case vx::msgtext::Source::Doubles:
        filled % doubles[0] % doubles[1] % doubles[2];
        break;
      case vx::msgtext::Source::Ints:
        filled % ints[0] % ints[1] % ints[2];
        break;
      case vx::msgtext::Source::String:
        filled % string;
        break;
      case vx::msgtext::Source::None:
        break;
    }
    return QString::fromStdString(filled.str());
  } catch (const std::exception&) {
    return QString::fromUtf8(format);
  }
}

QString StatusText::withPrintf(const char* format, const double* doubles, const int* ints, const char* string) {
  return QString::fromStdString(vx::msgtext::format(format, doubles, ints, string));
}

int StatusText::saturated(double value) {
  if (std::isnan(value)) return 0;
  if (value >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}
