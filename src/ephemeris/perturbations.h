// Periodic perturbations: sums of sine terms added to the longitudes (and the Moon's latitude)
// that the elliptic theories give.
//
// The theories give each body an ellipse from its mean elements. On request the observation
// screen 10 and the eclipse screen 16 add a sum of periodic terms: sines of combinations of the
// mean angles of the body and of a perturbing body, each multiplied by a coefficient in degrees.
// Two tables of coefficients live in the shared State (state.h):
//   dLdB[n]       the Moon perturbed by the Sun, geocentric longitude and latitude (screen 21);
//   PertDL[k][n]  Mercury, Venus, the Earth and Mars, each perturbed by two planets Ipl21[I],
//                 Ipl22[I], heliocentric longitude only (screen 22).
// The terms have the form of the classical lunar inequalities (evection, variation, annual
// equation, ...); the same forms are used for the planets, with the perturbing planet in the role
// of the Sun, so that the coefficients can be fitted to observations by a plan (screen 13).
//
// Mean angles, degrees in [0, 360): lambda(i) = 360 FracPos(AlfaL[i]/2/Pi) (mean longitude),
// pi(i) = 360 FracPos(AlfaP0[i]/2/Pi) (longitude of perihelion or perigee), Omega(i) likewise
// from AlfaU0[i] (ascending node). A combination of them is formed in degrees, raised by 360 once
// when negative and turned into radians with kUgol before the sines are taken.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "model/state.h"
#include "model/textfile.h"

namespace orvant {

// The largest coefficient a screen takes, degrees (a periodic term beyond a turn is a typing
// slip; a box beyond it is refused).
inline constexpr double kMaxCoefficient = 360;

// ---------------------------------------------------------------------------------------------
// Mean angles of object i (0..13), degrees in [0, 360).
double MeanLongitudeDeg(const State& s, int i);    // lambda(i), from AlfaL
double PerihelionLongitudeDeg(const State& s, int i);  // pi(i), from AlfaP0
double NodeLongitudeDeg(const State& s, int i);    // Omega(i), from AlfaU0

// A combination of mean angles in degrees, raised by 360 once when negative, in radians.
double PertArgument(const State& s, double degrees);

// ---------------------------------------------------------------------------------------------
// The Moon's arguments, radians. The Moon is slot 11; the Sun's mean longitude and perigee are
// the Earth's (slot 3) plus 180 degrees, not reduced again:
//   lambda = lambda(11), Omega = Omega(11), pi = pi(11), lambdaS = lambda(3) + 180,
//   piS = pi(3) + 180;
//   D = lambda - lambdaS (elongation), F = lambda - Omega (argument of latitude),
//   L = lambda - pi (mean anomaly), Ls = lambdaS - piS (the Sun's mean anomaly).
struct MoonPertAngles {
  double D = 0, F = 0, L = 0, Ls = 0;
};
MoonPertAngles MoonAngles(const State& s);

// The planet's arguments for planet I with perturbers p1 = Ipl21[I], p2 = Ipl22[I], radians:
//   L = lambda(I) - pi(I), L1 = lambda(p1) - pi(p1), L2 = lambda(p2) - pi(p2),
//   D1 = lambda(I) - lambda(p1), D2 = lambda(I) - lambda(p2).
struct PlanetPertAngles {
  double L = 0, L1 = 0, L2 = 0, D1 = 0, D2 = 0;
};
PlanetPertAngles PlanetAngles(const State& s, int I);

// ---------------------------------------------------------------------------------------------
// MoonPert: the Moon's periodic perturbations in longitude and latitude.
//
// Given (State): AlfaL, AlfaP0, AlfaU0 of slots 11 and 3 as the caller's theory step left them;
//   dLdB (degrees).
// Returned (State): Lk[11] += the longitude sum, Bk[11] += the latitude sum (degrees):
//   dL = dLdB1 sin L + dLdB2 sin 2L + dLdB3 sin(L - 2D) + dLdB4 sin 2D + dLdB5 sin Ls
//      + dLdB6 sin 2F + dLdB7 sin D + dLdB8 sin(2D - 2L) + dLdB9 sin(2D - L - Ls)
//      + dLdB10 sin(2D + L) + dLdB25 sin(Ls - 2D) + dLdB26 sin(L - Ls) + dLdB27 sin(Ls + L)
//      + dLdB28 sin(2F - 2D);
//   dB = dLdB11 sin(F + L) + dLdB12 sin(L - F) + dLdB13 sin(2D - F) + dLdB14 sin(2D - L + F)
//      + dLdB15 sin(2D - L - F) + dLdB16 sin(2D + F).
// Returned (function value): false when a sum is not finite (an arithmetic failure); Lk and Bk
//   are then unchanged and the caller shows its failure message.
// Note: the caller then rebuilds slot 11 with XYZfromSph(s, 11, Lk[11], Bk[11], R), R the
//   distance it kept before the call.
// Reference: the terms are the principal lunar inequalities (evection dLdB3, variation dLdB4,
//   annual equation dLdB5, ...); their default coefficients are those of the classical theory,
//   J. Meeus, Astronomical Algorithms, 2nd ed. 1998, tables 47.A and 47.B (after
//   Chapront-Touzé and Chapront's ELP-2000/82), rounded to 1e-4 degree.
bool MoonPert(State& s);

// ---------------------------------------------------------------------------------------------
// PlanetPert: periodic perturbation of the heliocentric longitude of planet I (1..4).
//
// Given (State): AlfaL, AlfaP0 of I and of its perturbers Ipl21[I], Ipl22[I]; PertDL.
// Given: plan  PlanOverride::On on screen 10 (the plan override below), Off on screen 16.
// Returned (State):
//   PertDL[k][j], j = 1..8, k = 1, 2: the working row, copied from PertDL[k][10 I + j];
//   Lk[I] += S1 + S2 (degrees), S1 = sum over j of PertDL[1][j] times term j of perturber 1,
//     S2 likewise with perturber 2:
//       j   perturber 1           perturber 2
//       1   sin(L - 2 D1)         sin(L - 2 D2)
//       2   sin(2 D1)             sin(2 D2)
//       3   sin(D1)               sin(D2)
//       4   sin(L1)               sin(L2)
//       5   sin(2 D1 - 2 L)       sin(2 D2 - 2 L)
//       6   sin(2 D1 - L - L1)    sin(2 D2 - L - L2)
//       7   sin(2 D1 + L)         sin(2 D2 + L)
//       8   sin(L1 - 2 D1)        sin(L2 - 2 D2)
// Returned (function value): false when I is not 1..4, a perturber is not an object number
//   0..13, or the sum is not finite; Lk[I] is then unchanged and the caller shows its message
//   (screen 10: "Ошибка решения уравнений").
// Plan override (PlanOverride::On): when kodOTO = 1 and State::PertPlan holds a row whose
//   observed object Npl is I, or is 0 (the Sun observed: the Earth's perturbation is fitted), the
//   working coefficients PertDL[k][j] of the row's perturber k become the row's par[j]
//   (parameters 2..9 of the current experiment row). The stored entries PertDL[k][10 I + j] are
//   not changed. An empty link, or one that returns nothing, leaves the stored coefficients.
// Note: the caller rebuilds slot I with XYZfromSph(s, I, Lk[I], Bk[I], R).
enum class PlanOverride { Off, On };
bool PlanetPert(State& s, int I, PlanOverride plan = PlanOverride::Off);

// ---------------------------------------------------------------------------------------------
// The coefficient file Dat/dL<N>.dat: the planetary table, twelve lines
//   1 "Меркурий"   2 PertDL[1][11..18]   3 PertDL[2][11..18]
//   4 "Венера"     5 PertDL[1][21..28]   6 PertDL[2][21..28]
//   7 "Земля"      8, 9  entries 31..38  10 "Марс"   11, 12  entries 41..48
// each number the coefficient times MK (10^6), truncated toward zero (file unit 1e-6 degree),
// written with a leading blank when not negative and one trailing blank. The perturbing planets
// are not stored.
using PertTable = std::array<Darr<49>, 3>;  // PertDL's shape: [k 1..2][n 0..48]

// "Dat/dL<N>.dat"
std::string PertFileName(long long N);

// Reads the file: each name line is taken whole and ignored; the sixteen numbers of a planet are
// free-form numbers separated by blanks, commas or line ends (empty lines skipped), and the line
// holding the sixteenth ends there. Every value is divided by `scale` into table[k][10 I + j].
// NotFound: no such file. ReadError: the file ends early, holds a text where a number is read,
// a number that is not finite after scaling, or more numbers on the line of a planet's last one.
// On any failure `table` is unchanged.
ReadStatus ReadPertFile(const std::filesystem::path& path, double scale, PertTable& table);

// Writes the 64 entries table[k][10 I + j] times `scale`, each truncated toward zero (a product
// within rounding noise of an integer counts as that integer, so a value read from a file is
// written back as the same number). BadValue: a product is not finite or does not fit a 64-bit
// integer (nothing written, the old file kept). WriteError: the file could not be written (the
// old file kept). Creates the Dat folder when missing.
enum class PertWrite { Ok, BadValue, WriteError };
PertWrite WritePertFile(const std::filesystem::path& path, double scale, const PertTable& table);

// The text of the file for the table (what WritePertFile writes); nullopt as for BadValue.
std::optional<std::string> PertFileText(double scale, const PertTable& table);

}  // namespace orvant
