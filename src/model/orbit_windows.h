// Angular windows of the apsides and nodes, shared by the orbit-parameter extraction of a run and
// by the two-body orbit check of screen 1 (and of the Moon screen).
//
// A traced body is watched from its centre through its ecliptic longitude L (degrees, 0..360).
// The perihelion, the aphelion and the nodes are looked for inside windows of +-dAlfa around their
// expected longitudes; inside them the integration step shrinks. A window [lo, hi] may straddle
// 0 degrees (lo > hi then).
#pragma once

#include "model/state.h"

namespace orvant {

// A window of longitudes [lo, hi], degrees; lo > hi when it straddles 0.
struct Window {
  double lo = 0;
  double hi = 0;
};

// The window centre +- dAlfa: hi = centre + dAlfa less 360 when above 360; lo = centre - dAlfa
// plus 360 when below 0 (less 360 when above 360).
Window windowAround(double centre, double dAlfa);

// The aphelion window of a perihelion longitude: centre + 180 +- dAlfa, each bound less 360 when
// above 360.
Window aphelionWindow(double AlfaPt, double dAlfa);

// Longitude L inside [lo, hi]: when 360 - 2 dAlfa >= lo (the window does not straddle 0) when
// lo <= L <= hi; otherwise unless hi < L < lo.
bool insideWindow(double L, const Window& w, double dAlfa);

// The longitude between two consecutive steps: their mean, less 180 when they lie on both sides
// of 0 (|cur - prev| > 355): 359.9 and 0.1 give 0.
double meanLongitude(double prev, double cur);

// Reduction of an ecliptic longitude of the perihelion to the orbit plane (degrees; Bmax in rad):
// w = AlfaPt - AlfaUt brought into [-180, 180]; exactly +-90 returns AlfaPt unchanged; otherwise
// u = |atan(tan w / cos Bmax)| (180 - u when |w| > 90, negative when w < 0) and the result
// u + AlfaUt brought into [0, 360]. (tan(lambda - Omega) = tan(u) cos i on an inclined orbit.)
double toOrbitPlane(const State& s, double AlfaPt, double AlfaUt, double Bmax);

}  // namespace orvant
