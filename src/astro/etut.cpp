#include "astro/etut.h"

#include <cmath>

#include "model/calendar.h"

namespace orvant {

namespace {

// Cubic ET - UT over the quarter-centuries k = -7..-1 (1825-1850 .. 1975-2000):
// c0 + c1*t + c2*t^2 + c3*t^3 seconds, t in Julian centuries from the segment's start.
constexpr double kSegments[7][4] = {
    {10.4, -80.8, 413.9, -572.3},    // k = -7, 1825-1850
    {6.6, 46.3, -358.4, 18.8},       // k = -6, 1850-1875
    {-3.9, -10.8, -166.2, 867.4},    // k = -5, 1875-1900
    {-2.6, 114.1, 327.5, -1467.4},   // k = -4, 1900-1925
    {24.2, -6.3, -8.2, 483.4},       // k = -3, 1925-1950
    {29.3, 32.5, -3.8, 550.7},       // k = -2, 1950-1975
    {45.3, 130.5, -570.5, 1516.7},   // k = -1, 1975-2000
};

constexpr double kJulianCentury = 36525;  // days

}  // namespace

double ETUT1939(const State& s, double JD) {
  const double T = (JD - s.JD1900) / kJulianCentury;
  return 24.35 + 72.32 * T + 29.95 * T * T;
}

double ETUTpiece(const State& s, double JD) {
  const double T = (JD - s.JD2000) / kJulianCentury;
  if (T > 0) return 65.97 + 90 * T;
  if (T > -1.75) {
    // 0.25*k < T <= 0.25*(k + 1); T/0.25 is exact (a power of two).
    const double k = std::ceil(T / 0.25) - 1;
    const double t = T - 0.25 * k;
    const double* c = kSegments[static_cast<int>(k) + 7];
    return c[0] + c[1] * t + c[2] * t * t + c[3] * t * t * t;
  }
  if (T >= -3) return 10.4;
  return ETUT1939(s, JD);
}

double ETUTsel(const State& s, int n, double JD) {
  if (n < 1 || n > 2) return 0;
  const double S = s.ETcoef.S[n];
  if (std::fabs(S) > 1) return (S > 0 ? 1 : -1) * ETUTpiece(s, JD);
  if (std::fabs(S) == 1) {
    const double tau = (JD - s.ETcoef.T0[n]) / kJulianCentury;
    return S * (s.ETcoef.a0[n] + s.ETcoef.a1[n] * tau + s.ETcoef.a2[n] * tau * tau);
  }
  return 0;
}

bool setETcoef(State& s, int n, int option, double a0, double a1, double a2, int32 T0year,
               bool reversed) {
  if (n < 1 || n > 2 || option < 0 || option >= static_cast<int>(kETUTOptions.size())) return false;
  const int16 calType = s.CalType;
  const double hour0 = s.Hour0;
  const int16 dateError = s.DateError;
  s.CalType = 0;
  s.Hour0 = 0;
  s.DateError = 0;
  const double T0 = JDfromDate(s, 1.5, 1, T0year);
  const bool ok = s.DateError == 0;
  s.CalType = calType;
  s.Hour0 = hour0;
  if (!ok) return false;
  s.DateError = dateError;
  const double S = kETUTOptions[static_cast<std::size_t>(option)].S;
  s.ETcoef.a0[n] = a0;
  s.ETcoef.a1[n] = a1;
  s.ETcoef.a2[n] = a2;
  s.ETcoef.T0[n] = T0;
  s.ETcoef.S[n] = reversed ? -S : S;
  return true;
}

void setETcoefDefaults(State& s) {
  const ETUTOption& et1 = kETUTOptions[1];
  const ETUTOption& et2 = kETUTOptions[2];
  setETcoef(s, 1, 1, et1.a0, et1.a1, et1.a2, et1.T0year, false);
  setETcoef(s, 2, 2, et2.a0, et2.a1, et2.a2, et2.T0year, false);
}

void setEclipseDiameters(State& s, double Dsun, double Death, double Dmoon) {
  s.Dpl[0] = Dsun * 1000000;
  s.Dpl[3] = Death * 1000000;
  s.Dpl[11] = Dmoon * 1000000;
}

}  // namespace orvant
