#pragma once

// The text of a status message: its format filled with the values that came with it. Status
// formats come from modules the editor does not control, so nothing here trusts them: every
// conversion is parsed here and only values that exist are passed on.

#include <string>

namespace vx {
namespace msgtext {

// Where a message's placeholders take their values from: the doubles when given, else the ints,
// else the string; with none of them the format is the text as it stands.
enum class Source { None, Doubles, Ints, String };
Source sourceOf(const double* doubles, const int* ints, const char* string);

// Fields wider or more precise than this are not filled (a hostile format must not make huge texts).
constexpr int kMaxField = 256;

// printf-style: %d %i %u %o %x %X take a number as a whole number, %f %F %e %E %g %G %a %A as a
// floating number, %s the string or a number; flags, width, precision and length modifiers are
// honoured or ignored as printf would. A conversion without a value (more placeholders than the
// three numbers or the one string), of a kind its value cannot take, with a '*' or a position, or
// of any other letter (%n, %p, %c, ...) is copied as written; "%%" gives "%" and a lone '%' at the
// end stays. A null format gives an empty text.
std::string format(const char* format, const double* doubles, const int* ints, const char* string);

// Whether any directive of the format asks for a width, precision or position above kMaxField
// (in printf or in Boost.Format syntax).
bool hasOversizedField(const char* format);

}  // namespace msgtext
}  // namespace vx
