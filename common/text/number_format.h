#pragma once
// One formatter for reals in exponent form, shared by every writer.
//
// Our files carry three exponent digits ("1.000000E+000", "1.000000e-006");
// glibc's printf writes two ("1.000000E+00"). Every writer formats its reals in
// exponent form through FormatExponent so the files are the same on every
// platform. Readers accept any exponent width (see token_reader.h).

#include <cstdio>
#include <string>

namespace kv {

// Formats `value` with one printf conversion of the e/E family and widens the
// exponent to at least three digits.
//   format: a single conversion such as "%+.6E", "%.6E", "%e", "%12.5e"; a field
//           width, if any, is kept (one leading blank is dropped per digit added,
//           when there is one to drop).
//   returns the formatted text, e.g. FormatExponent(1.0, "%+.6E") == "+1.000000E+000".
// Infinities and NaN come out as printf writes them.
std::string FormatExponent(double value, const char* format);

// Widens the exponent of one already formatted real in place (the text must
// hold exactly one number). Used by FormatExponent; exposed for callers that
// build a number with other means.
void WidenExponent(std::string& text);

// printf into a std::string. The one place where the C formatting functions
// meet std::string; use FormatExponent for the exponent conversions inside.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kv
