#include "model/calendar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/format.h"

namespace orvant {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<int32>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<int32>::max();

bool fitsInt32(std::int64_t v) { return v >= kInt32Min && v <= kInt32Max; }
bool fitsInt32(double v) {
  return std::isfinite(v) && v >= static_cast<double>(kInt32Min) &&
         v <= static_cast<double>(kInt32Max);
}

double failDate(State& s) {
  s.DateError = 1;
  s.report(kMsgBadDate, kTitle70);
  return 0;
}

bool failJulianDate(State& s) {
  s.DateError = 1;
  s.report(kMsgBadJulianDate, kTitle70);
  return false;
}

// JD 2299160 + 0.5: the last day of the Julian calendar is 4 October 1582 (Z <= 2299160).
constexpr double kLastJulianDay = 2299160;

}  // namespace

double JDfromDate(State& s, double Day, int32 Month, int32 Year) {
  if (s.CalType == 2) {
    // Egyptian: 365-day years and 30-day months from the era.
    const std::int64_t yearDays = 365 * static_cast<std::int64_t>(Year);
    const std::int64_t month1 = static_cast<std::int64_t>(Month) - 1;
    const std::int64_t monthDays = 30 * month1;
    if (!fitsInt32(yearDays) || !fitsInt32(month1) || !fitsInt32(monthDays)) return failDate(s);
    const double jd = Day + static_cast<double>(yearDays) + kEgyptianEra +
                      static_cast<double>(monthDays) - 0.5 + s.Hour0 / 24;
    if (!std::isfinite(jd)) return failDate(s);
    return jd;
  }

  // Gregorian and Julian (Meeus, Astronomical Algorithms, ch. 7).
  const double f = Day + s.Hour0 / 24;
  if (!std::isfinite(f)) return failDate(s);
  const double dateKey = Month / 100.0 + Year + f / 10000;
  std::int64_t y = Year;
  std::int64_t m = Month;
  if (m < 3) {
    m += 12;
    y -= 1;
  }
  if (!fitsInt32(y) || !fitsInt32(m + 1)) return failDate(s);
  double B = 0;
  if (s.CalType == 0 && dateKey > kReformKey) {
    const double A = fix(static_cast<double>(y) / 100);
    B = 2 - A + fix(A / 4);
    // The correction is held in a 16-bit integer: far years overflow it.
    if (B < std::numeric_limits<int16>::min() || B > std::numeric_limits<int16>::max())
      return failDate(s);
  }
  const double yd = static_cast<double>(y);
  // Fix(365.25*y - 0.75) for negative years equals the floor of 365.25*y.
  const double C = y < 0 ? fix(365.25 * yd - 0.75) : fix(365.25 * yd);
  const double D = fix(30.6001 * static_cast<double>(m + 1));
  const double jd = f + D + C + 1720994.5 + B;
  if (!std::isfinite(jd)) return failDate(s);
  return jd;
}

bool DateFromJD(State& s, double JD) {
  if (!std::isfinite(JD)) return failJulianDate(s);

  if (s.CalType == 2) {
    // Egyptian: n days elapsed since the beginning of the era (from 0).
    const double n = JD + 0.5 - s.Hour0 / 24 - kEgyptianEra - 1;
    const double year = fix(n / 365);
    if (!fitsInt32(year)) return failJulianDate(s);
    s.Year = static_cast<int32>(year);
    const double inYear = n - 365 * year;
    int32 month = static_cast<int32>(fix(inYear / 30)) + 1;
    if (month == 13) month = 12;  // the epagomenal days are days 31..35 of month 12
    s.Month = month;
    s.Day = inYear - 30.0 * (month - 1) + 1;
    return true;
  }

  const double Z = std::floor(JD + 0.5);
  const double F = JD + 0.5 - Z;
  double A = Z;
  if (s.CalType != 1 && Z > kLastJulianDay) {
    const double alpha = std::floor((Z - 1867216.25) / 36524.25);
    A = Z + 1 + alpha - std::floor(alpha / 4);
  }
  const double B = A + 1524;
  const double C = std::floor((B - 122.1) / 365.25);
  const double D = std::floor(365.25 * C);
  const double E = std::floor((B - D) / 30.6001);
  s.Day = B - D - std::floor(30.6001 * E) + F - s.Hour0 / 24;
  const double month = E >= 13.5 ? E - 13 : E - 1;
  if (!fitsInt32(month)) return failJulianDate(s);
  s.Month = static_cast<int32>(month);
  const double year = s.Month > 2.5 ? C - 4716 : C - 4715;
  if (!fitsInt32(year)) return failJulianDate(s);
  s.Year = static_cast<int32>(year);
  return true;
}

bool NormDate(State& s, double Day, int32 Month, int32 Year) {
  const int col = s.CalType;
  // Month 14 and above (or below 0) has no row in the month table, and a calendar outside 0..2
  // would have no month lengths at all (an endless carry).
  if (col < 0 || col > 2 || Month < 0 || Month > 13 || !std::isfinite(Day)) return false;

  double d = fix(Day);
  const double h = (Day - d) * 24;
  std::int64_t month = Month;
  std::int64_t year = Year;
  auto& length = s.DayMonth;

  // The Gregorian leap rule applies with CalType 0 to keys after the reform.
  const auto gregorian = [&](std::int64_t y, std::int64_t mo) {
    return col == 0 &&
           static_cast<double>(y) + static_cast<double>(mo) / 100 + Day / 10000 > kReformKey;
  };
  const auto setFebruary = [&](std::int64_t y, std::int64_t mo) {
    if (col > 1) return;  // the Egyptian column is fixed
    int32 days = y % 4 == 0 ? 29 : 28;
    if (gregorian(y, mo)) {
      if (y % 100 == 0) days = 28;
      if (y % 400 == 0) days = 29;
    }
    length[2][col] = days;
  };

  setFebruary(year, month);
  for (;;) {
    if (month == 1) {
      // Whole leap cycles at once (Egyptian 1 year, Julian 4 years, Gregorian 400 years): the
      // month-by-month carry below would take as many steps as the day count has months. The
      // result, February's table entry included, is the same as carrying month by month.
      std::int64_t years = 1;
      double days = 365;
      if (col != 2) {
        years = gregorian(year, 1) ? 400 : 4;
        days = years == 400 ? 146097 : 1461;
      }
      if (d > days) {
        double k = std::ceil(d / days) - 1;  // cycles passed while d stays above the cycle
        if (col == 0 && years == 4) {
          // Stop the Julian cycles before the first year under the Gregorian rule.
          double first = std::floor(kReformKey - 0.01 - Day / 10000);
          if (first < static_cast<double>(year) + 1) first = static_cast<double>(year) + 1;
          auto yg = static_cast<std::int64_t>(first);
          while (yg > year + 1 && gregorian(yg - 1, 1)) --yg;
          while (!gregorian(yg, 1)) ++yg;
          k = std::min(k, std::floor(static_cast<double>(yg - year) / 4));
        }
        if (static_cast<double>(year) + k * static_cast<double>(years) > kInt32Max) return false;
        if (k > 0) {
          const auto cycles = static_cast<std::int64_t>(k);
          year += cycles * years;
          d -= k * days;
          setFebruary(year - 1, 1);
          if (d >= length[1][col]) setFebruary(year, 1);
        }
      }
    }
    if (!(d > length[month][col])) break;
    d -= length[month][col];
    ++month;
    if (month > 12) {
      ++year;
      month = 1;
      if (year > kInt32Max) return false;
      if (d >= length[1][col]) setFebruary(year, month);
    }
  }
  s.Month = static_cast<int32>(month);
  s.Year = static_cast<int32>(year);
  s.Day = d + h / 24;
  return true;
}

void DayToHMS(State& s, double x) {
  // Hh, Mm, Ss are single-precision values and are computed in single precision.
  const float H = static_cast<float>((x - fix(x)) * 24);
  const float hours = std::trunc(H);
  s.Mm = std::trunc((H - hours) * 60.0f);
  s.Ss = std::trunc((H - hours - s.Mm / 60.0f) * 3600.0f);
  s.Hh = hours;
}

EraYear eraOfYear(int32 Year) {
  if (Year < 1) return {-static_cast<std::int64_t>(Year) + 1, "до н.э."};
  return {Year, "н.э."};
}

std::string hmsText(const State& s) {
  return formatMask(s.Hh, "00") + ":" + formatMask(s.Mm, "00") + ":" + formatMask(s.Ss, "00");
}

std::string utText(const State& s) {
  const EraYear era = eraOfYear(s.Year);
  return "ut=" + hmsText(s) + "-" + formatMask(fix(s.Day), "00") + "." +
         formatMask(s.Month, "00") + "." + std::to_string(era.year) + " г. " +
         std::string(era.suffix);
}

}  // namespace orvant
