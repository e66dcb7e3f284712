// Number forms of the screens and the files, done once.
//
// - Shown values are truncated toward zero at a fixed number of decimals, never rounded.
// - Files write real quantities as scaled integers truncated toward zero, in print zones of 14
//   characters: a number gets a leading blank when not negative and one trailing blank; an item
//   longer than its zone pushes the next item to the following zone boundary.
// - Format masks ("0000.0000", "00") round to the mask's decimals and pad with zeros.
// - Screens show the decimal comma; input accepts "1,5" and "1.5".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvant {

// Fix: truncation toward zero.
double fix(double x);

// Fix(x*10^n)/10^n, except that a product within a few ulps of an integer is that integer (so a
// value read back from a truncated display shows the same digits again).
double truncDecimals(double x, int n);

// x*scale truncated toward zero, as a 64-bit integer (the scaled integers of the files).
std::int64_t scaledInt(double x, double scale);

// The same, checked: nullopt when x*scale is not finite or does not fit a 64-bit integer. Every
// writer converts through this (or checks the same way) so that no file ever holds a NaN cast to an
// integer or an overflowed value.
std::optional<std::int64_t> checkedScaledInt(double x, double scale);

// The scaled integer a file stores for x, checked: x*scale truncated toward zero, except that a
// product within rounding noise of an integer (at most 1e-6 of a unit, or 64 ulps of the product)
// is taken as that integer, so that a value read from a file (n/scale) is written back as the same
// n. nullopt when the product is not finite or does not fit a 64-bit integer. The one conversion
// of every writer.
std::optional<std::int64_t> checkedStoredInt(double x, double scale);

// A number the way the files' Print statements write it: up to 15 significant digits, no leading
// zero before the decimal point (".5", "-.25"), an integer without a point, E notation from 1e15
// up and below 1e-5 ("1E+16", "1.23456789E-10"), so that no significant digit is lost. No blanks.
std::string basicNumber(double x);

// The number with the decimal comma as the screens show it, after truncation to n decimals
// (n < 0: no truncation, up to 15 significant digits).
std::string screenNumber(double x, int n = -1);

// Format with a mask of zeros and one optional point: "0000.0000", "00", "0.000".
// Rounds half away from zero to the mask's decimals and pads the integer part to its width. The
// decimal separator is the comma of the program's locale ("0012,3457"), in files as on screens.
std::string formatMask(double x, std::string_view mask);

// Parses a number typed on a screen or read from a file: blanks around it are ignored, the decimal
// separator may be a point or a comma, the exponent letter E or D. Empty or any other text: nullopt.
std::optional<double> parseNumber(std::string_view text);

// Splits a file line into items separated by blanks or commas (commas are separators in files).
std::vector<std::string> splitItems(std::string_view line);

// A number as the queries and scripts print it: 17 significant digits, always with a decimal point
// or an exponent ("150000000000.0", "2451545.0", "1.0000000000000001e-05").
std::string number17(double x);

// Builds one line of a file in print zones of 14 characters. A value that a file cannot hold (a
// non-finite number, a scaled value beyond the 64-bit integers) is not printed: the line is marked
// spoilt instead, and its writer refuses to write it (ok() is false).
class PrintLine {
 public:
  static constexpr int kZone = 14;
  PrintLine& number(double x);                // " 123 " or "-123 "; non-finite: spoilt
  PrintLine& integer(std::int64_t n);         // the same for an integer
  PrintLine& stored(double x, double scale);  // checkedStoredInt(x, scale); out of range: spoilt
  PrintLine& text(std::string_view t);        // unchanged
  const std::string& str() const { return line_; }
  bool ok() const { return ok_; }

 private:
  void nextZone();
  std::string line_;
  bool first_ = true;
  bool ok_ = true;
};

// Length of a UTF-8 text in characters (print zones count characters, not bytes).
std::size_t utf8Length(std::string_view s);

}  // namespace orvant
