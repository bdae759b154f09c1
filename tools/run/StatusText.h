#pragma once

// The text of an engine status message: the format filled with the doubles when given, else the
// ints, else the string, else the format as it is; an empty text for no format. The format comes
// from the engine and is never trusted: a bad one gives a text, never a crash.

#include <QString>

struct StatusText {
  // Boost.Format syntax (the tool windows' receiver). A format Boost cannot use, or one asking
  // for an oversized field, is taken as it is.
  static QString withBoostFormat(const char* format, const double* doubles, const int* ints, const char* string);
  // printf syntax (the main window's runner), parsed by vx::msgtext.
  static QString withPrintf(const char* format, const double* doubles, const int* ints, const char* string);
  // The whole number a double stands for, held inside the int range (NaN gives 0).
  static int saturated(double value);
};
