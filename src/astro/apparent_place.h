// The apparent-place chain: the steps that take a body's heliocentric position (ecliptic axes of
// J2000) to the direction an observer on the Earth sees, in one place for screen 10's reduction
// (observations/reduction.cpp), screen 16's step chain (earthrotation/eclipse_chain.cpp) and
// screen 11's aberration components (observations/aberration.cpp). Each caller composes the steps
// in its own order and with its own options; the steps are the operations of transform.h on the
// shared slots X, Y, Z of the State (metres), so that every caller keeps its arithmetic.
//
//   geocentric         the body and the Sun from the Earth, the Earth at the origin
//   lightTime          the body where it was one light time ago: P(t - tau) = P(t) - V tau,
//                      tau renewed from each new distance (aberration of the source)
//   receiverAberration the displacement by the receiver's velocity times the light time:
//                      P + tau V_observer, the classical first-order aberration
//   toEquinoxOfDate    IAU 1976 precession from the ecliptic of J2000 to that of the date
//   toEquator          ecliptic to equator of the date (mean obliquity)
//   nutation           the low-precision nutation series added
//   refraction         the apparent altitude raised by the refraction of the atmosphere
//
// Sources: light time and aberration as in the Explanatory Supplement to the Astronomical
// Almanac (1992) 3.25, 3.252; precession, obliquity, nutation and refraction of transform.h.
//
// Reads / Writes (State): X, Y, Z of the slots named (and VX, VY, VZ read); sph() writes Dolg[to],
// Shir, Rast and the pair tables dXij, dYij, dZij, RHOij[from][to] as SphFrom does; keep() writes
// Lk, Bk of the slot; toEquinoxOfDate writes Pmat and I; toEquator writes I; refraction writes
// Tau, Agor, Hgor, Dolg, Shir, Rast.
#pragma once

#include "model/state.h"

namespace orvant::astro {

// Longitude, latitude (degrees) and distance of a point seen from another; ok false when the
// two coincide (no direction: the latitude is then not renewed).
struct Sph {
  double L = 0, B = 0, R = 0;
  bool ok = false;
};

// Slot `to` seen from slot `from` (SphFrom).
Sph sph(State& s, int from, int to);
// The place kept as the slot's current longitude and latitude (Lk[i], Bk[i]).
inline void keep(State& s, int i, const Sph& p) {
  s.Lk[i] = p.L;
  s.Bk[i] = p.B;
}

// Body N and the Sun (slot 0) seen from the Earth (slot `earth`), which goes to the origin.
void geocentric(State& s, int earth, int N);

// Light time: N taken back along its velocity from its present position, `iterations` times,
// tau (s, in and out) renewed as distance / c after each. Stops at a coincidence (ok false).
// Returns the place of the last iteration.
Sph lightTime(State& s, int from, int N, double& tau, double c, int iterations);

// Aberration of the receiver: N displaced by tau times the velocity of slot `receiver`.
void receiverAberration(State& s, int receiver, int N, double tau);
// The same displacement written as distance times velocity over c (screen 11's form).
void receiverAberration(State& s, int receiver, int N, double distance, double c);

// Precession of slot N from the ecliptic and equinox of J2000 to those of the date, T Julian
// centuries after J2000.
void toEquinoxOfDate(State& s, int N, double T);
// Ecliptic of the date to the equator of the date.
void toEquator(State& s, int N, double T);
// Nutation added to the equatorial vector of N.
void nutation(State& s, int N, double T);
// The apparent altitude (degrees) of a computed one: raised by the refraction.
double refraction(const State& s, double altitude);

// Refraction of the equatorial direction of slot N (of the date, seen from slot `origin`) for the
// observer whose geocentric vector is in slot `observer`, at local sidereal time LST (degrees).
// `topocentric` tells that N is already seen from the observer; otherwise the observer is taken
// away for the step and put back after it, so that the refracted direction is the one the
// observer sees. The refracted vector is rebuilt at `distance` when topocentric, else at the
// topocentric distance the direction was taken from (adding the observer back then restores the
// geocentric distance). Returns the final place (also kept in Lk, Bk); ok false when a step found
// coinciding points.
Sph refractEquatorial(State& s, int origin, int N, int observer, double LST, bool topocentric,
                      double distance);

}  // namespace orvant::astro
