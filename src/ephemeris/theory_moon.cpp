// Moon theories: lunar mean elements of New0, of the J2000 theory and of the kinematic theory, the
// reduction to the equinox of J2000, and the short geocentric series MoonPos.
#include "ephemeris/theory_moon.h"

#include <cmath>

#include "astro/transform.h"
#include "ephemeris/theory_poly.h"

namespace orvant {

namespace {

using Poly = ThPoly;

// Mean longitude, longitude of perigee and of the ascending node, degrees (T in centuries).
struct MoonAngles {
  Poly L, peri, node;
};

// ---------------------------------------------------------------------------------------------
// New0: Brown's lunar theory as given in G. A. Chebotarev's book, T from 1900 January 0.5.
constexpr MoonAngles kNew0Moon = {{270.434164, 481267.88088, -0.001133},
                                  {334.329556, 4069.034033, -0.010325},
                                  {259.183275, -1934.116441, 0.002078}};
constexpr double kNew0MoonIncl[3] = {5, 8, 43.427};  // degrees, arc-minutes, arc-seconds

// J2000 theory: Meeus's mean elements referred to the equinox of the date, T from J2000.
constexpr MoonAngles kJ2000Moon = {{218.31617, 481267.88088, -0.001128},
                                   {83.353243, 4069.037111, -0.0103228},
                                   {125.044555, -1934.136185, 0.0020762}};
constexpr double kJ2000MoonIncl = 18520;  // arc-seconds

// Eccentricity of Brown's mean orbit, shared by New0 and the J2000 theory.
constexpr double kBrownEks = 0.054900489;

// Kinematic theory Kin0/Kin0+ (the system's own fit), T from J2000, mean ecliptic of J2000.
constexpr MoonAngles kKinMoon = {{218.318785, 481266.497751, 0.00339164},
                                 {83.354172, 4067.633745, -0.00896623},
                                 {125.053825, -1935.568239, -0.00342738}};
constexpr Poly kKinMoonIncl = {5.147415, 0.00364811};        // degrees
constexpr Poly kKinMoonEks = {0.0549329, 0.0000473381};      // eccentricity
constexpr Poly kKinMoonMotion = {8399.684874, -0.00000272265};  // mean motion, rad/century

// ---------------------------------------------------------------------------------------------
// General precession in longitude (Lieske et al. 1977), arc-seconds: from the epoch T (centuries
// from J2000) over t centuries, p = (a0 + a1*T + a2*T^2)*t + (b0 + b1*T)*t^2 + c0*t^3.
constexpr double kPrecA[3] = {5029.0966, 2.22226, -0.000042};
constexpr double kPrecB[2] = {1.11113, -0.000042};
constexpr double kPrecC = -0.000006;

// ---------------------------------------------------------------------------------------------
// MoonPos (Montenbruck & Pfleger, MiniMoon). Fundamental arguments in revolutions, c0 + c1*T:
// mean longitude L0, mean anomalies of the Moon l and of the Sun l', mean elongation D, mean
// argument of latitude F.
constexpr Poly kArgL0 = {0.606433, 1336.855225};
constexpr Poly kArgl = {0.374897, 1325.55241};
constexpr Poly kArglp = {0.993133, 99.997361};
constexpr Poly kArgD = {0.827361, 1236.853086};
constexpr Poly kArgF = {0.259086, 1342.227825};

// coef * sin(kl*l + klp*l' + kD*D + kF*F), arc-seconds.
struct Term {
  double coef;
  int kl, klp, kD, kF;
};

// Perturbations in longitude dL.
constexpr Term kLongitude[] = {
    {22640, 1, 0, 0, 0},  {-4586, 1, 0, -2, 0}, {2370, 0, 0, 2, 0},   {769, 2, 0, 0, 0},
    {-668, 0, 1, 0, 0},   {-412, 0, 0, 0, 2},   {-212, 2, 0, -2, 0},  {-206, 1, 1, -2, 0},
    {192, 1, 0, 2, 0},    {-165, 0, 1, -2, 0},  {-125, 0, 0, 1, 0},   {-110, 1, 1, 0, 0},
    {148, 1, -1, 0, 0},   {-55, 0, 0, -2, 2},
};
// Argument of latitude S = F + (dL + kS2F*sin 2F + kSlp*sin l')/rho.
constexpr double kS2F = 412;
constexpr double kSlp = 541;
// Perturbations N of the latitude, with H = F - 2D.
constexpr Term kLatitude[] = {
    {-526, 0, 0, -2, 1}, {44, 1, 0, -2, 1},  {-31, -1, 0, -2, 1}, {-23, 0, 1, -2, 1},
    {11, 0, -1, -2, 1},  {-25, -2, 0, 0, 1}, {21, -1, 0, 0, 1},
};
constexpr double kLatAmplitude = 18520;       // main term of the latitude, arc-seconds
constexpr double kArcsecPerRad = 206264.8062;  // arc-seconds per radian, as the series uses it
constexpr double kArcsecPerRev = 1296000;      // arc-seconds per revolution
constexpr double kPosEks = 0.0549;             // eccentricity of the element slot and the distance
constexpr double kPosIncl = 5.14444;           // inclination of the element slot, degrees

// FracPos of an argument in revolutions: its fractional part in [0, 1).
double revolutions(const Poly& arg, double T) {
  double x = arg.at(T);
  return FracPos(x);
}

double series(const Term* terms, std::size_t n, double l, double lp, double D, double F) {
  double sum = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Term& t = terms[k];
    sum += t.coef * std::sin(t.kl * l + t.klp * lp + t.kD * D + t.kF * F);
  }
  return sum;
}

void writeAngles(State& s, const MoonAngles& m, double T) {
  s.AlfaL[11] = m.L.at(T) / s.kUgol;
  s.AlfaP0[11] = m.peri.at(T) / s.kUgol;
  s.AlfaU0[11] = m.node.at(T) / s.kUgol;
  s.R0sr[11] = kMoonR0sr;
}

// Mean angular velocity from the rate of the mean longitude in degrees/century, rad/s.
double motionFromL(const State& s, const MoonAngles& m) { return m.L.c1 / s.kUgol / 100 / s.sekG; }

}  // namespace

void moonNew0(State& s, double T) {
  writeAngles(s, kNew0Moon, T);
  s.Betta0[11] = (kNew0MoonIncl[0] + kNew0MoonIncl[1] / 60 + kNew0MoonIncl[2] / 3600) / s.kUgol;
  s.Eks0[11] = kBrownEks;
  s.W0sr[11] = motionFromL(s, kNew0Moon);
}

void moonJ2000(State& s, double T) {
  writeAngles(s, kJ2000Moon, T);
  s.Betta0[11] = kJ2000MoonIncl / 3600 / s.kUgol;
  s.Eks0[11] = kBrownEks;
  s.W0sr[11] = motionFromL(s, kJ2000Moon);
}

void moonKin(State& s, double T) {
  writeAngles(s, kKinMoon, T);
  s.Betta0[11] = kKinMoonIncl.at(T) / s.kUgol;
  s.Eks0[11] = kKinMoonEks.at(T);
  s.W0sr[11] = kKinMoonMotion.at(T) / 100 / s.sekG;  // rad/century -> rad/s
}

void MoonToJ2000(State& s) {
  const double T = (s.JD - s.JD2000) / 36525;
  const double t = 0 - T;  // from the date back to J2000
  const double pSec = (kPrecA[0] + kPrecA[1] * T + kPrecA[2] * T * T) * t +
                      (kPrecB[0] + kPrecB[1] * T) * t * t + kPrecC * t * t * t;
  const double p = pSec / 3600 / s.kUgol;
  s.AlfaL[11] += p;
  s.AlfaU0[11] += p;
  s.AlfaP0[11] += p;
  s.W0sr[11] -= kPrecA[0] / 3600 / s.kUgol / 100 / s.sekG;
}

void MoonPos(State& s, double T) {
  const double twoPi = 2 * s.Pi;
  const double L0 = revolutions(kArgL0, T);
  const double l = twoPi * revolutions(kArgl, T);
  const double lp = twoPi * revolutions(kArglp, T);
  const double D = twoPi * revolutions(kArgD, T);
  const double F = twoPi * revolutions(kArgF, T);

  constexpr std::size_t nL = sizeof kLongitude / sizeof kLongitude[0];
  constexpr std::size_t nB = sizeof kLatitude / sizeof kLatitude[0];
  const double dL = series(kLongitude, nL, l, lp, D, F);
  const double S = F + (dL + kS2F * std::sin(2 * F) + kSlp * std::sin(lp)) / kArcsecPerRad;
  const double N = series(kLatitude, nB, l, lp, D, F);

  double lon = L0 + dL / kArcsecPerRev;
  s.Lk[11] = 360 * FracPos(lon);
  s.Bk[11] = (kLatAmplitude * std::sin(S) + N) / kArcsecPerRad * s.kUgol;

  // The element slot: mean longitude, node and perigee from the arguments.
  s.AlfaL[11] = twoPi * L0;
  s.AlfaU0[11] = s.AlfaL[11] - F;
  if (s.AlfaU0[11] < 0) s.AlfaU0[11] += twoPi;
  s.AlfaP0[11] = s.AlfaL[11] - l;
  if (s.AlfaP0[11] < 0) s.AlfaP0[11] += twoPi;
  s.Eks0[11] = kPosEks;
  s.R0sr[11] = kMoonR0sr;
  s.Betta0[11] = kPosIncl / s.kUgol;
  s.W0sr[11] = twoPi * kArgL0.c1 / 36525 / s.sekD;

  // Distance on an ellipse of eccentricity e, to second order in e, with M = l - pi the mean
  // anomaly counted from apogee: r/a = 1 + e^2/2 + e cos M - (e^2/2) cos 2M.
  double M = l - s.Pi;
  if (M < 0) M += twoPi;
  const double e = kPosEks;
  s.Rij[3][11] = s.R0sr[11] * (1 + e * e / 2 + e * std::cos(M) - e * e / 2 * std::cos(2 * M));
}

}  // namespace orvant
