// Analytic theories of the planets' mean orbit parameters: New0 and the J2000 theory.
//
// Both take the object index I (1..9 Mercury..Pluto, 11 the Moon) and the date in State::JD and write
// the object's AlfaL, AlfaP0, AlfaU0, Betta0 (rad), Eks0, W0sr (rad/s), R0ae (AU, planets) and R0sr
// (m). Any other index leaves the state unchanged. Positions and velocities are left to the
// two-body conversion of the initial-data subsystem. Angles are not reduced to 0..2pi.
//
// The time argument is JD as given: the caller decides whether it is UT or ephemeris time.
#pragma once

#include "model/state.h"

namespace orvant {

// The astronomical unit that every theory sets in State::Lae before it writes R0sr = R0ae*Lae, m.
inline constexpr double kTheoryLae = 149597870691.0;

// New0: mean elements referred to the mean ecliptic and equinox of the date, polynomials in Julian
// centuries T = (JD - JD1900)/36525. Mercury..Neptune: Newcomb's theories of the inner planets and
// the elements of Jupiter..Neptune as tabulated in the Explanatory Supplement to the Astronomical
// Ephemeris (1961); Pluto: linear elements. The Moon: Brown's mean elements.
// Implies mass set 1 (gamma 6.67006e-11).
void ThNew0(State& s, int I);

// J2000 theory: JPL's Keplerian elements for approximate positions of the planets (E. M. Standish,
// table for 1800 AD - 2050 AD), referred to the mean ecliptic and equinox of J2000, linear in
// T = (JD - JD2000)/36525. The Moon: Meeus's mean elements of date, which the caller carries to the
// equinox of J2000 with MoonToJ2000 (theory_moon.h). Implies mass set 2 (JPL).
void ThJ2000(State& s, int I);

// True when the theories serve object I: the planets 1..9 and the Moon's slot 11.
bool theoryServes(int I);

}  // namespace orvant
