// ET - UT: the difference between ephemeris (uniform) time and universal time, in seconds.
//
// The planets' theories and ephemerides take ephemeris time; observations and eclipses are dated
// in universal time: JDE = JD + ET-UT/86400. Two independent corrections are kept in
// State::ETcoef: n = 1 (ET1-UT) for the ephemeris time of the planets and n = 2 (ET2-UT) for the
// rotation of the Earth. Screen 17 chooses their models; screen 16 and the observation reduction
// evaluate them with ETUTsel.
#pragma once

#include <array>
#include <string_view>

#include "model/state.h"

namespace orvant {

// ET - UT of the 1939 formula (Spencer Jones, MNRAS 99, 541, 1939), seconds:
// 24.35 + 72.32*T + 29.95*T^2, T = (JD - JD1900)/36525 Julian centuries from 1900 January 0.5.
double ETUT1939(const State& s, double JD);

// ET - UT of the piecewise model, seconds. T = (JD - JD2000)/36525:
//   T > 0            the forecast 65.97 + 90*T;
//   -1.75 < T <= 0   cubics in t = T - 0.25*k over the quarter-centuries k = -7..-1
//                    (1825-1850 .. 1975-2000), k the integer with 0.25*k < T <= 0.25*(k + 1);
//   -3 <= T <= -1.75 the constant 10.4 (1700-1825);
//   T < -3           ETUT1939.
// The segments are not joined: at 1975.0 the 1950-1975 cubic gives 45.79 s, the next one starts
// from 45.3 s.
double ETUTpiece(const State& s, double JD);

// ET - UT of correction n (1 or 2) by its selector S(n), seconds:
//   |S| > 1  sign(S)*ETUTpiece(JD);
//   |S| = 1  S*(a0 + a1*tau + a2*tau^2), tau = (JD - T0)/36525;
//   else     0.
// n outside 1..2 gives 0.
double ETUTsel(const State& s, int n, double JD);

// The model options of screen 17 ("Рассчет ET-UT"), 0..5: the values an option writes into the
// coefficient fields (s, s/cy, s/cy^2), the year of T0 (1.5 January, Gregorian) and |S|.
// Option 0 ("задать вручную") takes the typed values; its entry holds the fields' load values.
struct ETUTOption {
  double a0, a1, a2;
  int32 T0year;
  double S;
};
inline constexpr std::array<ETUTOption, 6> kETUTOptions = {{
    {24.35, 72.32, 29.95, 1900, 1},  // 0 typed
    {24.35, 72.32, 29.95, 1900, 1},  // 1 the 1939 formula
    {0, 0, 31.5, 1800, 1},           // 2 the 1997 parabola
    {0, 0, 31.5, 1800, 1},           // 3 the 2010 parabola, for the turning of the planets
    {0, 0, 31.5, 1800, 1},           // 4 the 2010 parabola, for the rotation of the Earth
    {0, 0, 0, 1900, 2},              // 5 piecewise, 1700-2000 and the forecast beyond
}};

// Sets correction n (1 or 2) as screen 17's "Задать значения" does: a0, a1, a2 as read from the
// fields, T0 = JDfromDate(1.5, 1, T0year) in the Gregorian calendar counted from midnight, S = 2
// for option 5 and 1 for the others, negated when `reversed` (the second choice of the sign
// options). CalType and Hour0 are restored afterwards. Returns false, ETcoef unchanged, for n or
// option out of range or a year that JDfromDate rejects (its message reported).
bool setETcoef(State& s, int n, int option, double a0, double a1, double a2, int32 T0year,
               bool reversed);

// The settings screen 17 applies at load: ET1-UT the 1939 formula (T01 = 1900),
// ET2-UT the parabola 31.5*tau^2 (T02 = 1800), both with S = 1.
void setETcoefDefaults(State& s);

// Diameters used by the eclipse computation, given in thousands of km as on screen 17 (Dsun,
// Death, Dmoon; Dsun "1392,0" and Death "12,75628" at load), kept in metres in Dpl of the Sun (0),
// the Earth (3) and the Moon (11).
void setEclipseDiameters(State& s, double Dsun, double Death, double Dmoon);

}  // namespace orvant
