#include "model/format.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvant {

double fix(double x) { return std::trunc(x); }

double truncDecimals(double x, int n) {
  const double p = std::pow(10.0, n);
  const double scaled = x * p;
  // A value that was itself read back from a truncated display (12.345678 degrees turned into
  // radians and back) lands a few ulps below its integer; truncating it would lose one unit of the
  // last decimal at every pass. Such products are taken as the integer they stand for.
  const double nearest = std::round(scaled);
  if (std::fabs(scaled - nearest) <= 64 * DBL_EPSILON * std::fabs(scaled)) return nearest / p;
  return std::trunc(scaled) / p;
}

std::int64_t scaledInt(double x, double scale) {
  return static_cast<std::int64_t>(std::trunc(x * scale));
}

std::optional<std::int64_t> checkedScaledInt(double x, double scale) {
  const double v = std::trunc(x * scale);
  // 2^63 is exactly representable; every double below it in magnitude converts without overflow.
  if (!std::isfinite(v) || v >= 9223372036854775808.0 || v < -9223372036854775808.0)
    return std::nullopt;
  return static_cast<std::int64_t>(v);
}

std::optional<std::int64_t> checkedStoredInt(double x, double scale) {
  const double p = x * scale;
  if (!std::isfinite(p)) return std::nullopt;
  const double r = std::round(p);
  const double tol = std::fmax(1e-6, 64 * DBL_EPSILON * std::fabs(p));
  if (std::fabs(p - r) <= tol) return checkedScaledInt(r, 1);
  return checkedScaledInt(p, 1);
}

std::string basicNumber(double x) {
  if (x == 0) return "0";
  char buf[64];
  const double ax = std::fabs(x);
  // Below 1e-5 the fixed form would keep fewer than 15 significant digits: E notation keeps them.
  if (ax >= 1e15 || ax < 1e-5) {
    // Mantissa with up to 15 significant digits and a signed exponent of at least two digits.
    std::snprintf(buf, sizeof buf, "%.14E", x);
    std::string s = buf;
    const auto e = s.find('E');
    std::string mant = s.substr(0, e), ex = s.substr(e + 1);
    if (mant.find('.') != std::string::npos) {
      while (mant.back() == '0') mant.pop_back();
      if (mant.back() == '.') mant.pop_back();
    }
    const char sign = ex[0];
    std::string digits = ex.substr(1);
    while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
    return mant + "E" + sign + digits;
  }
  std::snprintf(buf, sizeof buf, "%.15g", x);
  std::string s = buf;
  if (s.find('e') != std::string::npos) {  // %g chose E notation for a small value: write it out
    std::snprintf(buf, sizeof buf, "%.15f", x);
    s = buf;
  }
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s.rfind("0.", 0) == 0) s.erase(0, 1);
  else if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
  return s;
}

std::string screenNumber(double x, int n) {
  if (n >= 0) x = truncDecimals(x, n);
  char buf[64];
  if (n >= 0)
    std::snprintf(buf, sizeof buf, "%.*f", n, x);
  else
    std::snprintf(buf, sizeof buf, "%.15g", x);
  std::string s = buf;
  // E notation keeps its mantissa as printed ("1.8722305106856e-11" -> "1,8722305106856e-11").
  if (s.find('.') != std::string::npos && s.find('e') == std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::string formatMask(double x, std::string_view mask) {
  const auto point = mask.find('.');
  const int intWidth = static_cast<int>(point == std::string_view::npos ? mask.size() : point);
  const int decimals =
      point == std::string_view::npos ? 0 : static_cast<int>(mask.size() - point - 1);
  const double p = std::pow(10.0, decimals);
  // Half away from zero, as the Format function rounds.
  const double r = std::round(std::fabs(x) * p) / p;
  // Sized by a first pass: a large value has more digits than any fixed buffer would hold.
  const int width = intWidth + (decimals > 0 ? decimals + 1 : 0);
  const int len = std::snprintf(nullptr, 0, "%0*.*f", width, decimals, r);
  if (len <= 0) return {};
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  std::snprintf(s.data(), s.size(), "%0*.*f", width, decimals, r);
  s.pop_back();
  for (char& c : s)
    if (c == '.') c = ',';
  if (x < 0 && r != 0) s = "-" + s;
  return s;
}

std::optional<double> parseNumber(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (c == ',') c = '.';
    if (c == 'D' || c == 'd') c = 'E';
    s.push_back(c);
  }
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::nullopt;
  const auto e = s.find_last_not_of(" \t\r\n");
  s = s.substr(b, e - b + 1);
  // Only digits, one sign, one point and an exponent: reject "inf", "nan", hex and the like.
  for (char c : s)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
          c == 'E' || c == 'e'))
      return std::nullopt;
  // from_chars ignores the C locale, which a windowing toolkit may have set to one with a comma.
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') ++first;
  double v = 0;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || end != last || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::vector<std::string> splitItems(std::string_view line) {
  std::vector<std::string> items;
  std::string cur;
  for (char c : line) {
    if (c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n') {
      if (!cur.empty()) items.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) items.push_back(std::move(cur));
  return items;
}

std::string number17(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", x);
  std::string s = buf;
  if (std::isfinite(x) && s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::size_t utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

void PrintLine::nextZone() {
  if (first_) {
    first_ = false;
    return;
  }
  // The next zone boundary at or after the end of the line (an item that filled its zone exactly
  // leaves the cursor on the next boundary already).
  const std::size_t len = utf8Length(line_);
  const std::size_t next = (len + kZone - 1) / kZone * kZone;
  line_.append(next - len, ' ');
}

PrintLine& PrintLine::number(double x) {
  if (!std::isfinite(x)) {
    ok_ = false;
    return *this;
  }
  nextZone();
  if (!(x < 0)) line_ += ' ';
  line_ += basicNumber(x);
  line_ += ' ';
  return *this;
}

PrintLine& PrintLine::integer(std::int64_t n) {
  nextZone();
  if (n >= 0) line_ += ' ';
  line_ += std::to_string(n);
  line_ += ' ';
  return *this;
}

PrintLine& PrintLine::stored(double x, double scale) {
  const auto n = checkedStoredInt(x, scale);
  if (!n) {
    ok_ = false;
    return *this;
  }
  return integer(*n);
}

PrintLine& PrintLine::text(std::string_view t) {
  nextZone();
  line_ += t;
  return *this;
}

}  // namespace orvant
