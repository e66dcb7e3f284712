// The 11-body model the benchmarks run: the planets' mean J2000 elements (JPL's approximate
// elements, ThJ2000), the tenth object's defaults of screen 1, mass set 2, initial data computed
// from the parameters with the centre of mass at the origin and the Sun's velocity from the planets.
#pragma once

#include "ephemeris/theory_planets.h"
#include "initial/initial_data.h"
#include "initial/initial_data_screen_sources.h"
#include "model/state.h"

namespace orvant::bench {

inline State j2000Model() {
  State s;
  setMassSet(s, 2);
  s.gamma = gammaOfMassSet(2);
  s.JD = s.JD2000;
  for (int i = 1; i <= 9; ++i) ThJ2000(s, i);
  setXenaDefaults(s);
  for (int i = 0; i <= 10; ++i) s.kUch[i] = 1;
  rebuildParticipation(s);
  InitialDataInputs in;
  in.mSol = s.mSol;
  in.gamma = s.gamma;
  initialDataFromParameters(s, in);
  centreOfMassToOrigin(s);
  sunVelocityFromPlanets(s);
  for (int i = 0; i <= 10; ++i) {
    s.VX[i] = s.VX0[i];
    s.VY[i] = s.VY0[i];
    s.VZ[i] = s.VZ0[i];
  }
  fillPpar(s);
  return s;
}

}  // namespace orvant::bench
