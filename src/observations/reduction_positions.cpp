// The reduction's positions: the Earth, the Moon and the object from the chosen theories, the
// visibility test, and the apparent place of the body for the observer (steps 7-24 of a pass).
#include <cmath>
#include <string>

#include "astro/apparent_place.h"
#include "astro/transform.h"
#include "astro/twobody.h"
#include "ephemeris/perturbations.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_planets.h"
#include "model/paths.h"
#include "model/textfile.h"
#include "observations/obs_plan.h"
#include "observations/reduction.h"
#include "observations/reduction_detail.h"

namespace orvant {

using namespace reduction_detail;

namespace {

bool finite3(const State& s, int k) {
  return std::isfinite(s.X[k]) && std::isfinite(s.Y[k]) && std::isfinite(s.Z[k]);
}

void useMassSet(State& s, int k) {
  if (s.massSet != k) {
    setMassSet(s, k);
    s.gamma = gammaOfMassSet(k);
  }
}

// Slot N seen from `from` kept as its current place (Lk, Bk), the distance in R; false at a
// coincidence (nothing kept).
bool keepPlace(State& s, int from, int N, double& R) {
  const astro::Sph p = astro::sph(s, from, N);
  if (!p.ok) return false;
  astro::keep(s, N, p);
  R = p.R;
  return true;
}
bool keepPlace(State& s, int from, int N) {
  double R = 0;
  return keepPlace(s, from, N, R);
}

}  // namespace

// The position and velocity of object I from the parameters its theory left.
bool ObservationRun::elementsToState(int I) {
  return positionFromParameters(s_, I) && velocityFromParameters(s_, I) && finite3(s_, I) &&
         std::isfinite(s_.VX[I]) && std::isfinite(s_.VY[I]) && std::isfinite(s_.VZ[I]);
}

// The perturbation plan of the linked plan: coefficients 1..8 of the chosen perturber are
// parameters 2..9 of the experiment row being processed (row 0 outside a series).
void ObservationRun::setPertPlan() {
  if (!link_.plan || !link_.plan->pert) {
    s_.PertPlan.reset();
    return;
  }
  const auto& row = exp_.row[static_cast<std::size_t>(exp_.current)];
  State::PertPlanRow r;
  r.Npl = s_.Npl;
  r.k = link_.plan->pertNo;
  for (std::size_t j = 1; j <= 8; ++j) r.par[j] = row[j + 1];
  s_.PertPlan = r;
}

// Step 7: the Earth (I = 3).
bool ObservationRun::earthFromTheory(const PassOptions& o, double JDsave) {
  State& s = s_;
  if (s.Npl == 0 && o.planet == PlanetTheory::Plan) {
    useMassSet(s, 3);
    s.JD = JDsave;
    if (!link_.parameters(s, kEarth, exp_, JDep_, o.epochJD) || !elementsToState(kEarth)) return false;
    if (o.epochJD) {
      s.I = kEarth;
      ApplyPrec(s);
    }
    return true;
  }
  switch (o.earth) {
    case EarthTheory::JPL0:
      useMassSet(s, 2);
      s.JD = s.JDE;
      ThJ2000(s, kEarth);
      break;
    case EarthTheory::Kin0:
      useMassSet(s, 3);
      s.JD = JDsave;
      ThKin0(s, kEarth);
      break;
    case EarthTheory::Kin0p:
      useMassSet(s, 3);
      s.JD = JDsave;
      ThKin0p(s, kEarth);
      break;
  }
  return elementsToState(kEarth);
}

// Step 9: the Moon (I = 11) about the Earth.
bool ObservationRun::moonFromTheory(const PassOptions& o, double JDsave) {
  State& s = s_;
  s.kodMoon = 1;
  bool ok = true;
  if (s.Npl == kMoon && o.planet == PlanetTheory::Plan) {
    useMassSet(s, 3);
    s.JD = JDsave;
    ok = link_.parameters(s, kMoon, exp_, JDep_, o.epochJD) && elementsToState(kMoon);
    if (ok && o.epochJD) {
      s.I = kMoon;
      ApplyPrec(s);
    }
  } else if (o.earth == EarthTheory::JPL0) {
    useMassSet(s, 2);
    s.JD = s.JDE;
    ThJ2000(s, kMoon);
    ok = elementsToState(kMoon);
    if (ok) {  // the lunar elements of the date brought to J2000 (Pmat of step 5)
      s.I = kMoon;
      ApplyPrec(s);
    }
  } else {
    useMassSet(s, 3);
    s.JD = JDsave;
    if (o.earth == EarthTheory::Kin0)
      ThKin0(s, kMoon);
    else
      ThKin0p(s, kMoon);
    ok = elementsToState(kMoon);
  }
  s.kodMoon = 0;
  s.JD = JDsave;
  return ok;
}

// Step 11: the observed planet.
bool ObservationRun::planetFromTheory(const PassOptions& o, double JDsave) {
  State& s = s_;
  const int N = s.Npl;
  s.kodMoon = 0;
  switch (o.planet) {
    case PlanetTheory::Plan:
      useMassSet(s, 3);
      s.JD = JDsave;
      if (!link_.parameters(s, N, exp_, JDep_, o.epochJD) || !elementsToState(N)) return false;
      if (o.epochJD) {
        s.I = N;
        ApplyPrec(s);
      }
      return true;
    case PlanetTheory::JPL0:
      useMassSet(s, 2);
      s.JD = s.JDE;
      ThJ2000(s, N);
      break;
    case PlanetTheory::Kin0:
      useMassSet(s, 3);
      s.JD = JDsave;
      if (o.earth == EarthTheory::Kin0)
        ThKin0(s, N);
      else if (o.earth == EarthTheory::Kin0p)
        ThKin0p(s, N);
      // with the Earth by JPL0 the Kin0+ elements of step 6 stay
      break;
  }
  return elementsToState(N);
}

// Steps 5-11: the heliocentric ecliptic J2000 positions and velocities of the Sun (0), the Earth
// (3), the Moon (11) and the body Npl; Lk, Bk of each.
bool ObservationRun::theoryPositions(const PassOptions& o, double JDsave) {
  State& s = s_;
  const int N = s.Npl;
  const double T = (JDsave - s.JD2000) / 36525;
  const double Vx = 1000 * s.VXsys, Vy = 1000 * s.VYsys, Vz = 1000 * s.VZsys;
  // 5
  PrecEcl(s, T, 0);
  // 6: the Kin0+ elements of all planets (mean angles of the perturbations)
  s.JD = JDsave;
  for (int i = 1; i <= 9; ++i) ThKin0p(s, i);
  // 7, 8: the Earth
  if (!earthFromTheory(o, JDsave)) return false;
  s.JD = JDsave;
  double R3 = 0;
  if (!keepPlace(s, 0, kEarth, R3)) return false;
  if (!trace(kEarth, "  Zem Gelio Ecl J2000  ")) return false;
  if (o.dLzl) {
    if (!PlanetPert(s, kEarth, PlanOverride::On)) return false;
    XYZfromSph(s, kEarth, s.Lk[kEarth], s.Bk[kEarth], R3);
    if (!trace(kEarth, "  Zem_dLdB    GEЛИO ECL JD-J2000 ")) return false;
  }
  // 9: the Moon
  if (!moonFromTheory(o, JDsave)) return false;
  double R11 = 0;
  if (!keepPlace(s, 0, kMoon, R11)) return false;
  if (!trace(kMoon, "  Moon  GEO ECL JD-J2000 ")) return false;
  if (o.dLzl) {
    if (!MoonPert(s)) return false;
    XYZfromSph(s, kMoon, s.Lk[kMoon], s.Bk[kMoon], R11);
    if (!trace(kMoon, " MOON_dLdB_012    GEO ECL JD-J2000 ")) return false;
  }
  // 10: from the barycentre of the Earth and the Moon to the Earth; the Moon heliocentric
  const double f = s.m[kMoon] / s.m[13];
  s.X[kEarth] -= f * s.X[kMoon];
  s.Y[kEarth] -= f * s.Y[kMoon];
  s.Z[kEarth] -= f * s.Z[kMoon];
  s.VX[kEarth] += Vx;
  s.VY[kEarth] += Vy;
  s.VZ[kEarth] += Vz;
  s.X[kMoon] += s.X[kEarth];
  s.Y[kMoon] += s.Y[kEarth];
  s.Z[kMoon] += s.Z[kEarth];
  s.VX[kMoon] += s.VX[kEarth];
  s.VY[kMoon] += s.VY[kEarth];
  s.VZ[kMoon] += s.VZ[kEarth];
  if (!keepPlace(s, kEarth, kMoon)) return false;
  if (!trace(kMoon, "  Moon  GEO ECL J2000 ")) return false;
  if (!keepPlace(s, 0, kEarth)) return false;
  if (!trace(kEarth, "  Zem Gelio Ecl J2000  ")) return false;
  // 11: the observed planet
  if (N != 0 && N != kMoon) {
    if (!planetFromTheory(o, JDsave)) return false;
    s.JD = JDsave;
    s.VX[N] += Vx;
    s.VY[N] += Vy;
    s.VZ[N] += Vz;
    double RN = 0;
    if (!keepPlace(s, 0, N, RN)) return false;
    if (!trace(N, "  Ras Gelio Ecl     ")) return false;
    if (o.dLp) {
      if (!PlanetPert(s, N, PlanOverride::On)) return false;
      XYZfromSph(s, N, s.Lk[N], s.Bk[N], RN);
      if (!trace(N, "  Planeta_dLdB    GEO ECL JD-J2000 ")) return false;
    }
  }
  s.JD = JDsave;
  return true;
}

// C: the visibility test on the ecliptic-of-date positions of step 13.
bool ObservationRun::visibilityTest(const PassOptions& o, double T, double LST, PassResult& r) {
  State& s = s_;
  const int N = s.Npl;
  // 1
  astro::geocentric(s, kEarth, N);
  // 2: altitude and azimuth of object I
  auto horizontal = [&](int I, double& A, double& H, double* unit) {
    s.I = I;
    EclToEqu(s, T);
    s.X[I] -= s.X[kObserver];
    s.Y[I] -= s.Y[kObserver];
    s.Z[I] -= s.Z[kObserver];
    double dist = 0;
    if (!keepPlace(s, kEarth, I, dist)) return false;
    s.Tau = LST - s.Lk[I];
    if (s.Tau < 0) s.Tau += 360;
    EquToHor(s, I);
    const astro::Sph hor = astro::sph(s, kEarth, I);
    if (!hor.ok) return false;
    s.Agor = hor.L;
    s.Hgor = hor.B;
    XYZfromSph(s, I, s.Agor, s.Hgor, dist);
    if (s.Agor > 180) s.Agor -= 360;
    const double a = s.Agor / s.kUgol, h = s.Hgor / s.kUgol;
    unit[0] = std::cos(h) * std::cos(a);
    unit[1] = std::cos(h) * std::sin(a);
    unit[2] = std::sin(h);
    A = s.Agor;
    H = s.Hgor;
    return true;
  };
  if (!horizontal(N, r.Agor, r.Hgor, r.horBody)) return false;
  // 3
  if (r.Hgor < in_.Hpl) r.visible = false;
  // 4: the Sun
  if (N != 0) {
    double A = 0;
    if (!horizontal(0, A, r.HgorSun, r.horSun)) return false;
    if (o.sunTest && r.HgorSun > in_.Hsol) r.visible = false;
    s.Agor = r.Agor;
    s.Hgor = r.Hgor;
  } else {
    r.HgorSun = r.Hgor;
    for (int k = 0; k < 3; ++k) r.horSun[k] = r.horBody[k];
  }
  return true;
}

// Steps 16-24: the apparent place of the body of the date for the observer, with the chain of
// astro/apparent_place.h in the order of the reduction; every step traced and shown as a row.
bool ObservationRun::apparentPlace(const PassOptions& o, double T, double LST, int aside,
                                   PassResult& r) {
  State& s = s_;
  const int N = s.Npl;
  // `step` keeps the place of N that the last operation left and traces it.
  auto step = [&](const astro::Sph& p, std::string_view label) {
    astro::keep(s, N, p);
    return p.ok && trace(N, label);
  };
  // 16: geocentric J2000
  s.X[0] = s.Y[0] = s.Z[0] = 0;
  copySlot(s, kEarth, kEarthAside);
  copySlot(s, N, aside);
  astro::geocentric(s, kEarth, N);
  astro::Sph p = astro::sph(s, kEarth, N);
  astro::keep(s, N, p);
  r.R = p.R;
  r.Tlight = r.R / s.Vsv;
  bool ok = p.ok && trace(N, "  Ras GEO ECL J2000   ");
  row(r, kRowGeoEclJ2000, N);
  const double L16 = s.Lk[N];
  double L17 = L16;
  // 17: light time
  if (ok && o.aberrSource) {
    ok = step(astro::lightTime(s, kEarth, N, r.Tlight, s.Vsv, 3), "  GEO ECL Ras Apl    ");
    L17 = s.Lk[N];
    row(r, kRowAberrSource, N);
  }
  double L18 = L17;
  // 18: aberration of the receiver
  if (ok && o.aberrObserver) {
    astro::receiverAberration(s, kEarth, N, r.Tlight);
    ok = step(astro::sph(s, kEarth, N), "  GEO ECL Ras Azv    ");
    L18 = s.Lk[N];
    row(r, kRowAberrObserver, N);
  }
  r.aberrSource = foldResidual(L17 - L16) * 3600;
  r.aberrObserver = foldResidual(L18 - L17) * 3600;
  r.aberrBoth = foldResidual(L18 - L16) * 3600;
  // 19: to the ecliptic of the date
  if (ok) {
    astro::toEquinoxOfDate(s, N, T);
    ok = step(astro::sph(s, kEarth, N), "  J2000 -> JD   ");
  }
  // 20: to the equator of the date
  if (ok) {
    astro::toEquator(s, N, T);
    ok = step(astro::sph(s, kEarth, N), "  GEO ECL -> GEO EQU   ");
    row(r, kRowGeoEquJD, N);
  }
  // 21: parallax
  if (ok && o.parallax) {
    s.X[N] -= s.X[kObserver];
    s.Y[N] -= s.Y[kObserver];
    s.Z[N] -= s.Z[kObserver];
    ok = step(astro::sph(s, kEarth, N), "  GEO EQU Ras Par   ");
    row(r, kRowParallax, N);
  }
  // 22: refraction, for the observer's place (the geocentric direction is refracted as the
  // observer sees it and carried back to the geocentre)
  if (ok && o.refraction) {
    ok = astro::refractEquatorial(s, kEarth, N, kObserver, LST, o.parallax, r.R).ok &&
         trace(N, "  GEO EQU Ras Ref   ");
    row(r, kRowRefraction, N);
  }
  // 23: nutation
  if (ok && o.nutation) {
    astro::nutation(s, N, T);
    ok = step(astro::sph(s, kEarth, N), "  GEO EQU Ras Nut   ");
    row(r, kRowNutation, N);
  }
  // 24: tables: the ecliptic of the date
  if (ok && tab_) {
    s.I = N;
    EquToEcl(s, T);
    ok = step(astro::sph(s, kEarth, N), "  GEO EQU -> GEO ECL   ");
  }
  if (!ok) return false;
  r.Lras = s.Lk[N];
  r.Bras = s.Bk[N];
  r.Xras = s.X[N];
  r.Yras = s.Y[N];
  r.Zras = s.Z[N];
  row(r, kRowRas, N);
  if (!traceOn_) return true;
  const auto line = traceObservationLine(s, r.Lnab, r.Bnab, r.JD);
  return line && appendLineWhole(fullPath(s, tracePath(s)), *line) &&
         appendLineWhole(fullPath(s, tracePath(s)), "");
}

}  // namespace orvant
