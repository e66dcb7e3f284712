// Two-body conversion: position and velocity of one object from its orbit parameters.
//
// The object moves on a Kepler ellipse around a central mass: the Sun (slot 0), or the Earth alone
// (slot 13) for the Moon in Moon mode. Parameters are read from the per-object arrays of State:
//   AlfaL   mean longitude, rad          R0sr    semi-major axis, m
//   Eks0    eccentricity                 Betta0  inclination to the ecliptic, rad
//   AlfaP0  longitude of perihelion, rad AlfaU0  longitude of the ascending node, rad
// and the results are left in State as well (X, Y, Z in m, VX, VY, VZ in m/s, ecliptic axes of the
// parameters' epoch, origin at the central mass). W0sr plays no part: the speed follows from the mass.
//
// Formulas: the classical two-body relations (e.g. Roy, Orbital Motion, 4th ed., ch. 4):
//   Kepler's equation E = M + e sin E by fixed-point iteration,
//   tan(v/2) = sqrt((1+e)/(1-e)) tan(E/2),  r = a(1-e^2)/(1 + e cos v),
//   radial speed c e sin v and transverse speed c (1 + e cos v), c = sqrt(G m / p), p = a(1-e^2),
//   rotated by the node Omega, the argument of latitude u = v + pi_ - Omega and the inclination i.
#pragma once

#include "model/state.h"

namespace orvant {

// Tolerance of the Kepler iteration, rad (the program computes it as 10 to the power -10).
inline constexpr double epsKepler = 1e-10;
// Highest iterate of the Kepler iteration.
inline constexpr int kKeplerMaxIter = 99;

// Position of object i from its parameters.
// Manom(i) = 2*Pi*frac(AlfaL/(2*Pi)) - AlfaP0, plus 2*Pi when negative, then positionFromMeanAnomaly.
// Returns false on an arithmetic failure (an eccentricity of 1 or more); the values written before
// the failing statement stay, as the program leaves them.
bool positionFromParameters(State& s, int i);

// Position of object i from the mean anomaly already in Manom(i) (the gravity-test screen sets its
// own mean anomaly). Fills Ean, Vanom(i), Rpl(i), Ushir(i), X(i), Y(i), Z(i).
// If the Kepler iteration has not met epsKepler after 99 iterates, the last iterate is taken.
bool positionFromMeanAnomaly(State& s, int i);

// Velocity of object i from its parameters; needs the position step of i first (Vanom, Rpl, Ushir,
// X, Y, Z). Icen = 13 in Moon mode (kodMoon = 1), else 0; the work slot m(12) = m(Icen), or
// m(i) + m(Icen) with "Bary" (kodBary = 1). Fills Pfoc, Vrad, Vtr, VX(i), VY(i), VZ(i).
// Returns false on an arithmetic failure (p <= 0, a zero distance, a negative mass).
bool velocityFromParameters(State& s, int i);

// The same velocity about a central mass given in kg (the gravity-test screen takes m(i) + m(0)
// whatever the modes): c = sqrt(gamma*centralMass/Pfoc). Does not touch Icen or m(12).
bool velocityAroundMass(State& s, int i, double centralMass);

}  // namespace orvant
