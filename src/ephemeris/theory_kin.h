// Kinematic theory Kin: the system's own mean orbit parameters, fitted to observations and to the
// ancient tables, linear (in places quadratic) in Julian centuries T = (JD - JD2000)/36525, mean
// ecliptic and equinox of J2000. Implies mass set 3.
//
// Mercury..Mars: the semi-major axis is given in thousands of km and written straight to R0sr
// (R0ae keeps its previous value); the mean motion is given in rad/century. Jupiter..Pluto: exactly
// the J2000 theory (ThJ2000). The Moon (I = 11): the kinematic lunar elements (theory_moon.h).
// Any other object index leaves the state unchanged.
#pragma once

#include "model/state.h"

namespace orvant {

// Kin0: the variant of the initial data, the KIN0 simulator and the observation screens.
void ThKin0(State& s, int I);

// Kin0+: Kin0 with the Earth's row of the eclipse screen and the observation reduction.
void ThKin0p(State& s, int I);

}  // namespace orvant
