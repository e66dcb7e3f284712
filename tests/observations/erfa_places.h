// Apparent places of the date computed with ERFA, for the observation tests: light time by
// iteration on an ephemeris, ERFA's aberration (eraAb, with the Sun's distance), IAU 1976
// precession (eraPmat76) and IAU 1980 nutation (eraNut80, eraObl80, eraNumat). The ephemeris is
// any function giving heliocentric positions and velocities in ecliptic axes of J2000; the JPL0
// Earth of the reduction (the barycentre from ThJ2000 offset by the Moon) is provided.
// Include only where ORVANT_HAVE_ERFA is defined.
#pragma once

#include <erfa.h>

#include <cmath>
#include <functional>

#include "astro/transform.h"
#include "ephemeris/theory_planets.h"
#include "astro/twobody.h"
#include "model/state.h"

namespace orvant::test::erfa {

inline constexpr double kC = 299792458.0;
inline constexpr double kAu = 149597870691.0;
inline constexpr double kEps0 = 84381.448 / 3600 * 0.017453292519943295;  // obliquity of J2000

struct Vec {
  double x = 0, y = 0, z = 0;
};
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec operator*(double k, Vec a) { return {k * a.x, k * a.y, k * a.z}; }
inline double norm(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
inline Vec eclToEqu(Vec a) {
  return {a.x, a.y * std::cos(kEps0) - a.z * std::sin(kEps0),
          a.z * std::cos(kEps0) + a.y * std::sin(kEps0)};
}

struct Body {
  Vec p, v;
};
using Ephemeris = std::function<Body(int body, double tt)>;

// Body I from the orbit parameters now in the state (two-body conversion).
inline Body fromParameters(State& g, int I) {
  positionFromParameters(g, I);
  velocityFromParameters(g, I);
  return Body{{g.X[I], g.Y[I], g.Z[I]}, {g.VX[I], g.VY[I], g.VZ[I]}};
}

// The Earth of the JPL0 theory at TT: the Earth-Moon barycentre from ThJ2000, offset by the Moon's
// geocentric vector times m11/m13 (the Moon's elements of the date brought to J2000 with the
// precession of the UT date); the Earth keeps the barycentre's velocity. Mass set 2.
inline Body jpl0Earth(State& g, double tt, double ut) {
  setMassSet(g, 2);
  g.gamma = gammaOfMassSet(2);
  g.kodMoon = 0;
  g.JD = tt;
  ThJ2000(g, 3);
  Body emb = fromParameters(g, 3);
  g.kodMoon = 1;
  g.JD = tt;
  ThJ2000(g, 11);
  fromParameters(g, 11);
  g.kodMoon = 0;
  PrecEcl(g, (ut - g.JD2000) / 36525, 0);
  g.I = 11;
  ApplyPrec(g);
  const Vec m{g.X[11], g.Y[11], g.Z[11]};
  emb.p = emb.p - (g.m[11] / g.m[13]) * m;
  return emb;
}

// The JPL0 theory as the reduction uses it: the planets from ThJ2000 with the two-body
// conversion, the Earth as jpl0Earth places it, the Sun at the origin (heliocentric theory).
inline Body jpl0(State& g, int body, double tt, double ut) {
  if (body == 0) return Body{};
  if (body == 3) return jpl0Earth(g, tt, ut);
  setMassSet(g, 2);
  g.gamma = gammaOfMassSet(2);
  g.kodMoon = 0;
  g.JD = tt;
  ThJ2000(g, body);
  return fromParameters(g, body);
}

// Apparent right ascension and declination of the date (degrees) of body N at TT `tt`.
struct Place {
  double L, B;
};
inline Place apparent(const Ephemeris& eph, int N, double tt, bool nutation) {
  const Body e = eph(3, tt);
  const Body sun = eph(0, tt);
  double tau = norm(eph(N, tt).p - e.p) / kC;
  Vec p;
  for (int it = 0; it < 6; ++it) {
    p = eph(N, tt - tau / 86400).p - e.p;
    tau = norm(p) / kC;
  }
  const Vec pe = eclToEqu(p), ve = eclToEqu(e.v);
  const double r = norm(pe);
  double pnat[3] = {pe.x / r, pe.y / r, pe.z / r};
  double v[3] = {ve.x / kC, ve.y / kC, ve.z / kC};
  const double bm1 = std::sqrt(1 - (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  const double sunDist = norm(e.p - sun.p) / kAu;
  double ppr[3];
  eraAb(pnat, v, sunDist, bm1, ppr);
  double rp[3][3], rn[3][3], q[3];
  eraPmat76(2400000.5, tt - 2400000.5, rp);
  eraRxp(rp, ppr, q);
  if (nutation) {
    double dpsi = 0, deps = 0;
    eraNut80(2400000.5, tt - 2400000.5, &dpsi, &deps);
    eraNumat(eraObl80(2400000.5, tt - 2400000.5), dpsi, deps, rn);
    eraRxp(rn, q, q);
  }
  double a = 0, d = 0;
  eraC2s(q, &a, &d);
  return {eraAnp(a) * 57.29577951308232, d * 57.29577951308232};
}

}  // namespace orvant::test::erfa
