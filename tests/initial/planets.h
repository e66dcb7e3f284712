// The planets at J2000 for the tests of the initial data and of the integrator.
#pragma once

#include "model/state.h"

namespace orvant::test {

// Mean J2000 elements of the planets (E. M. Standish, "Keplerian Elements for Approximate
// Positions of the Major Planets", JPL, table for 1800-2050): a (AU), e, i, L, long. peri., node
// (degrees).
inline constexpr double kJ2000[9][6] = {
    {0.38709927, 0.20563593, 7.00497902, 252.25032350, 77.45779628, 48.33076593},
    {0.72333566, 0.00677672, 3.39467605, 181.97909950, 131.60246718, 76.67984255},
    {1.00000261, 0.01671123, -0.00001531, 100.46457166, 102.93768193, 0.0},
    {1.52371034, 0.09339410, 1.84969142, -4.55343205, -23.94362959, 49.55953891},
    {5.20288700, 0.04838624, 1.30439695, 34.39644051, 14.72847983, 100.47390909},
    {9.53667594, 0.05386179, 2.48599187, 49.95424423, 92.59887831, 113.66242448},
    {19.18916464, 0.04725744, 0.77263783, 313.23810451, 170.95427630, 74.01692503},
    {30.06992276, 0.00859048, 1.77004347, -55.12002969, 44.96476227, 131.78422574},
    {39.48211675, 0.24882730, 17.14001206, 238.92903833, 224.06891629, 110.30393684},
};

// Mass set 2, the planets' parameters, the tenth object at its default elements (50.01 AU,
// e = 0.001), every body taking part.
inline State planetsJ2000() {
  State s;
  setMassSet(s, 2);
  s.gamma = gammaOfMassSet(2);
  for (int i = 1; i <= 9; ++i) {
    const double* el = kJ2000[i - 1];
    s.R0sr[i] = el[0] * s.Lae;
    s.Eks0[i] = el[1];
    s.Betta0[i] = el[2] / s.kUgol;
    s.AlfaL[i] = el[3] / s.kUgol;
    s.AlfaP0[i] = el[4] / s.kUgol;
    s.AlfaU0[i] = el[5] / s.kUgol;
  }
  s.R0sr[10] = 50.01 * s.Lae;
  s.Eks0[10] = 0.001;
  s.Betta0[10] = s.AlfaU0[10] = s.AlfaL[10] = 0.01;
  s.AlfaP0[10] = s.Pi / 2;
  for (int i = 0; i <= 10; ++i) s.kUch[i] = 1;
  rebuildParticipation(s);
  return s;
}

}  // namespace orvant::test
