// The coordinate chain of the converter (screen 12 and `orvant-cli convert`).
//
// A body's position is held internally as a rectangular vector about the Sun on the mean ecliptic
// and equinox of the date (metres). A coordinate system of the converter is an origin
// (heliocentric, geocentric, topocentric), a fundamental plane (ecliptic, equator, horizon) and an
// equinox (J2000 or of the date). The target chain carries an internal vector into a system:
//   1. equinox J2000: PrecEcl(T, 0), ApplyPrec (IAU 1976 ecliptic precession, date -> J2000);
//   2. equator or horizon: EclToEqu with the obliquity of the chosen equinox (T, or 0 for J2000);
//   3. geocentric: minus the Earth; topocentric: minus the Earth and the observer, both carried
//      through steps 1-2 so that the subtraction happens in the same plane and equinox;
//   4. horizon: hour angle Tau = LMST*15 - right ascension (plus 360 when negative), EquToHor, and
//      the unit vector rebuilt at the body's distance (X to the south, Y to the west, Z to the
//      zenith);
// the source chain undoes it in reverse order (HorToEqu, EquToEcl, plus the observer and the
// Earth, precession back to the date). The backward precession is the transpose of the forward
// matrix, so that a conversion followed by its inverse returns the vector to rounding whatever the
// date (Lieske's series taken from J2000 to T and from T to J2000 are inverse only to about
// 1e-4" within a century of J2000, more outside).
//
// The operations run through the shared slots of State (X, Y, Z, Dolg, Shir, Rast, Tau, Bk, Agor,
// Hgor, Pmat, I) and use the work slots kConvSlot (the body), kConvOrigin (a zero vector, the
// from-body of SphFrom) and 12 (the observer, as the program builds it); no other slot changes.
// Model limits (no nutation, GMST rather than GAST, the observer on a sphere of 6378.14 km at the
// geocentric latitude ObsB): see the test of this chain against ERFA.
#pragma once

#include <array>

#include "model/state.h"

namespace orvant {

using Vec3 = std::array<double, 3>;

enum class Origin { Helio = 0, Geo = 1, Topo = 2 };
enum class Plane { Ecliptic = 0, Equator = 1, Horizon = 2 };
enum class Equinox { J2000 = 0, OfDate = 1 };

struct CoordSystem {
  Origin origin = Origin::Helio;
  Plane plane = Plane::Ecliptic;
  Equinox equinox = Equinox::J2000;
};

// The horizon plane is allowed only with the topocentric origin.
inline bool allowed(const CoordSystem& c) {
  return c.plane != Plane::Horizon || c.origin == Origin::Topo;
}

// What the chain needs of the moment and the place.
struct ConverterScene {
  double T = 0;       // Julian centuries from J2000 of the date (ephemeris time), precession
  double LMST = 0;    // local mean sidereal time, hours 0..24
  double ObsB = 0;    // observer's latitude, degrees
  Vec3 earth{};       // the Earth about the Sun, ecliptic and equinox of the date, m
  Vec3 observer{};    // the observer about the Earth's centre, ecliptic and equinox of the date, m
};

inline constexpr int kConvSlot = 30;    // X, Y, Z slot of the converted body
inline constexpr int kConvOrigin = 15;  // zero vector, the from-body of SphFrom
inline constexpr double kEarthRadius = 6378140.0;  // m

// Radius of the observer's sphere and the GMST / LMST of the chain.
// LMST = GMST(JDut - 2400000.5) reduced to 0..24 h, plus ObsL/15, brought back into 0..24 h.
double lmstHours(double JDut, double ObsL);
double gmstHours(double JDut);  // GMST reduced to 0..24 h

// The observer's geocentric vector on the ecliptic of the date: XYZfromSph(12, LMST*15, ObsB,
// 6378140 m) turned by EquToEcl(T). Leaves it in slot 12 too.
Vec3 observerVector(State& s, double LMST, double ObsB, double T);

// Internal vector (heliocentric, ecliptic of the date, m) to the system c. False when c is not
// allowed or the horizon step meets a zero vector (the body at the observer).
bool toSystem(State& s, const ConverterScene& sc, const CoordSystem& c, Vec3& v);

// Vector in the system c to the internal one. False as for toSystem.
bool fromSystem(State& s, const ConverterScene& sc, const CoordSystem& c, Vec3& v);

// Longitude (0..360), latitude (degrees) and distance of a vector, as SphFrom gives them; the zero
// vector gives 0, 0, 0.
struct Polar {
  double L = 0, B = 0, R = 0;
};
Polar polarOf(State& s, const Vec3& v);
Vec3 vectorOf(State& s, const Polar& p);  // XYZfromSph

// ---- the angle converter ----
// Kept angle in degrees from one of the four forms; the sign option multiplies it by -1.
//   hours-minutes-seconds:   s*15*(h + m/60 + sec/3600)
//   degrees-minutes-seconds: s*(d + m/60 + sec/3600)
//   degrees:                 as typed (times s)
//   radians:                 times kUgol (times s)
enum class AngleForm { Radians = 0, Degrees = 1, DegMinSec = 2, HourMinSec = 3 };
double angleFrom(const State& s, AngleForm form, double a, double b, double c, bool negative);

// The kept angle x (degrees) in all four forms, as "Преобразовать угол" shows it: magnitudes of
// the sexagesimal parts (whole hours/degrees, whole minutes, seconds truncated to 6 decimals),
// degrees and radians with their sign truncated to 6 decimals; negative = x < 0 (the "--" option).
struct AngleForms {
  double radians = 0, degrees = 0;
  double deg = 0, degMin = 0, degSec = 0;
  double hours = 0, hourMin = 0, hourSec = 0;
  bool negative = false;
};
AngleForms angleForms(const State& s, double x);

}  // namespace orvant
