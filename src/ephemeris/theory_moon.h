// Moon theories: the lunar branches of the planetary theories, the reduction of the J2000 theory's
// lunar elements to the equinox of J2000, and a short series for the Moon's geocentric position.
//
// The lunar branches write object 11 (the Moon's geocentric parameter slot): AlfaL, AlfaP0 (the
// longitude of perigee), AlfaU0, Betta0 (rad), Eks0, W0sr (rad/s) and R0sr = 384402000 m in every
// theory; R0ae[11] is not set. The two-body conversion then uses the Earth alone as the centre.
#pragma once

#include "model/state.h"

namespace orvant {

// Mean distance of the Moon, m: R0sr[11] of every lunar theory and the base of MoonPos's distance.
inline constexpr double kMoonR0sr = 384402000.0;

// Lunar branch of ThNew0: Brown's mean elements of the date, T in Julian centuries from JD1900.
void moonNew0(State& s, double T);

// Lunar branch of ThJ2000: Meeus's mean elements referred to the equinox of the date, T in Julian
// centuries from J2000. MoonToJ2000 carries them to the equinox of J2000.
void moonJ2000(State& s, double T);

// Lunar branch of ThKin0 and ThKin0p: the kinematic theory's elements, T in centuries from J2000.
void moonKin(State& s, double T);

// Carries the lunar elements of object 11 left by ThJ2000 from the equinox of the date JD to that
// of J2000: AlfaL, AlfaU0, AlfaP0 gain the general precession in longitude p from the date back to
// J2000 (Lieske et al. 1977), and W0sr loses the precession rate 5029.0966"/century.
void MoonToJ2000(State& s);

// Low-precision geocentric Moon (Montenbruck & Pfleger, "Astronomy on the Personal Computer",
// MiniMoon; a few arc-minutes in longitude). T in Julian centuries from J2000. Writes Lk[11] and
// Bk[11] (degrees, mean ecliptic and equinox of the date), the distance Rij[3][11] (m, an elliptic
// orbit with e = 0.0549 about the mean distance) and the element slot of object 11.
void MoonPos(State& s, double T);

}  // namespace orvant
