// The converter's target and source chains and the angle converter. Declarations in converter.h.
#include "coordinates/converter.h"

#include <cmath>

#include "astro/transform.h"
#include "model/format.h"

namespace orvant {

namespace {

void put(State& s, int k, const Vec3& v) {
  s.X[k] = v[0];
  s.Y[k] = v[1];
  s.Z[k] = v[2];
}
Vec3 get(const State& s, int k) { return {s.X[k], s.Y[k], s.Z[k]}; }

// Pmat applied to v through the work slot (ApplyPrec acts on object s.I).
void precess(State& s, Vec3& v) {
  put(s, kConvSlot, v);
  s.I = kConvSlot;
  ApplyPrec(s);
  v = get(s, kConvSlot);
}

void rotate(State& s, Vec3& v, double T, bool toEquator) {
  put(s, kConvSlot, v);
  s.I = kConvSlot;
  if (toEquator)
    EclToEqu(s, T);
  else
    EquToEcl(s, T);
  v = get(s, kConvSlot);
}

// Obliquity epoch of the chosen equinox.
double equinoxT(const ConverterScene& sc, const CoordSystem& c) {
  return c.equinox == Equinox::J2000 ? 0.0 : sc.T;
}

// The Earth and the observer carried into the plane and equinox of c (steps 1-2 of the chain).
void frameOfOrigin(State& s, const ConverterScene& sc, const CoordSystem& c, Vec3& earth,
                   Vec3& observer) {
  earth = sc.earth;
  observer = sc.observer;
  if (c.equinox == Equinox::J2000) {
    PrecEcl(s, sc.T, 0);
    precess(s, earth);
    precess(s, observer);
  }
  if (c.plane != Plane::Ecliptic) {
    rotate(s, earth, equinoxT(sc, c), true);
    rotate(s, observer, equinoxT(sc, c), true);
  }
}

}  // namespace

double gmstHours(double JDut) {
  double h = GMST(JDut - 2400000.5) / 24;
  return FracPos(h) * 24;
}

double lmstHours(double JDut, double ObsL) {
  double lmst = gmstHours(JDut) + ObsL / 15;
  if (lmst >= 24) lmst -= 24;
  if (lmst < 0) lmst += 24;  // western longitudes
  return lmst;
}

Vec3 observerVector(State& s, double LMST, double ObsB, double T) {
  XYZfromSph(s, 12, LMST * 15, ObsB, kEarthRadius);
  s.I = 12;
  EquToEcl(s, T);
  return get(s, 12);
}

Polar polarOf(State& s, const Vec3& v) {
  s.X[kConvOrigin] = s.Y[kConvOrigin] = s.Z[kConvOrigin] = 0;
  put(s, kConvSlot, v);
  if (!SphFrom(s, kConvOrigin, kConvSlot)) return {};
  return {s.Dolg[kConvSlot], s.Shir, s.Rast};
}

Vec3 vectorOf(State& s, const Polar& p) {
  XYZfromSph(s, kConvSlot, p.L, p.B, p.R);
  return get(s, kConvSlot);
}

bool toSystem(State& s, const ConverterScene& sc, const CoordSystem& c, Vec3& v) {
  if (!allowed(c)) return false;
  // 1. equinox J2000
  if (c.equinox == Equinox::J2000) {
    PrecEcl(s, sc.T, 0);
    precess(s, v);
  }
  // 2. equator (the horizon goes through it)
  if (c.plane != Plane::Ecliptic) rotate(s, v, equinoxT(sc, c), true);
  // 3. origin
  if (c.origin != Origin::Helio) {
    Vec3 earth, observer;
    frameOfOrigin(s, sc, c, earth, observer);
    for (int k = 0; k < 3; ++k) {
      v[k] -= earth[k];
      if (c.origin == Origin::Topo) v[k] -= observer[k];
    }
  }
  // 4. horizon: hour angle from the right ascension, unit vector, rebuilt at the distance
  if (c.plane == Plane::Horizon) {
    const Polar eq = polarOf(s, v);
    if (eq.R == 0) return false;
    double tau = sc.LMST * 15 - eq.L;
    if (tau < 0) tau += 360;
    s.Tau = tau;
    s.Bk[kConvSlot] = eq.B;
    const double save = s.ObsB;
    s.ObsB = sc.ObsB;
    EquToHor(s, kConvSlot);
    s.ObsB = save;
    const Polar hor = polarOf(s, get(s, kConvSlot));
    v = vectorOf(s, {hor.L, hor.B, eq.R});
  }
  return true;
}

bool fromSystem(State& s, const ConverterScene& sc, const CoordSystem& c, Vec3& v) {
  if (!allowed(c)) return false;
  // horizon -> equator: azimuth and altitude, HorToEqu gives the hour angle and declination
  if (c.plane == Plane::Horizon) {
    const Polar hor = polarOf(s, v);
    if (hor.R == 0) return false;
    s.Agor = hor.L;
    s.Hgor = hor.B;
    const double save = s.ObsB;
    s.ObsB = sc.ObsB;
    HorToEqu(s, kConvSlot);
    s.ObsB = save;
    const Polar hd = polarOf(s, get(s, kConvSlot));
    s.Tau = hd.L;
    double ra = sc.LMST * 15 - hd.L;
    if (ra < 0) ra += 360;
    v = vectorOf(s, {ra, hd.B, hor.R});
  }
  // the origin back (in the plane and equinox of the source)
  if (c.origin != Origin::Helio) {
    Vec3 earth, observer;
    frameOfOrigin(s, sc, c, earth, observer);
    for (int k = 0; k < 3; ++k) {
      v[k] += earth[k];
      if (c.origin == Origin::Topo) v[k] += observer[k];
    }
  }
  if (c.plane != Plane::Ecliptic) rotate(s, v, equinoxT(sc, c), false);
  if (c.equinox == Equinox::J2000) {
    // J2000 -> date: the transpose of the date -> J2000 matrix (its exact inverse)
    PrecEcl(s, sc.T, 0);
    for (int i = 0; i < 3; ++i)
      for (int j = i + 1; j < 3; ++j) std::swap(s.Pmat[i][j], s.Pmat[j][i]);
    precess(s, v);
  }
  return true;
}

double angleFrom(const State& s, AngleForm form, double a, double b, double c, bool negative) {
  const double sign = negative ? -1 : 1;
  switch (form) {
    case AngleForm::HourMinSec: return sign * 15 * (a + b / 60 + c / 3600);
    case AngleForm::DegMinSec: return sign * (a + b / 60 + c / 3600);
    case AngleForm::Degrees: return a;  // degrees and radians carry their own sign
    case AngleForm::Radians: return a * s.kUgol;
  }
  return 0;
}

AngleForms angleForms(const State& s, double x) {
  AngleForms f;
  const double xh = std::fabs(x / 15);
  f.hours = std::fabs(fix(x / 15));
  f.hourMin = fix((xh - f.hours) * 60);
  f.hourSec = truncDecimals((xh - f.hours - f.hourMin / 60) * 3600, 6);
  const double xd = std::fabs(x);
  f.deg = std::fabs(fix(x));
  f.degMin = fix((xd - f.deg) * 60);
  f.degSec = truncDecimals((xd - f.deg - f.degMin / 60) * 3600, 6);
  f.degrees = truncDecimals(x, 6);
  f.radians = truncDecimals(x / s.kUgol, 6);
  f.negative = x < 0;
  return f;
}

}  // namespace orvant
