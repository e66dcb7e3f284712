#include "observations/aberration.h"

#include <cmath>

#include "astro/apparent_place.h"
#include "astro/transform.h"
#include "ephemeris/theory_planets.h"
#include "astro/twobody.h"
#include "model/calendar.h"

namespace orvant {

namespace {

constexpr int kEarth = 3;

bool finite6(const State& s, int i) {
  return std::isfinite(s.X[i]) && std::isfinite(s.Y[i]) && std::isfinite(s.Z[i]) &&
         std::isfinite(s.VX[i]) && std::isfinite(s.VY[i]) && std::isfinite(s.VZ[i]);
}

bool fromElements(State& s, int I, bool theory, double Lfield) {
  ThNew0(s, I);
  if (!theory) s.AlfaL[I] = Lfield / s.kUgol;
  return positionFromParameters(s, I) && velocityFromParameters(s, I) && finite6(s, I);
}

}  // namespace

double foldAngle(double d) {
  if (d < -180) return d + 360;
  if (d > 180) return d - 360;
  return d;
}

bool placeAberration(State& s, const AberrationInputs& in, AberrationResult& r) {
  if (!(in.N > 0) || !std::isfinite(in.N) || in.Npl < 0 || in.Npl > kStarObject) return false;
  AberrationResult out;
  out.c = s.Vsv / in.N;
  s.DateError = 0;
  const double JD = JDfromDate(s, in.Day, in.Month, in.Year);
  if (s.DateError != 0 || !std::isfinite(JD)) return false;
  out.JD = s.JD = JD;
  setMassSet(s, 1);
  s.gamma = gammaOfMassSet(1);
  s.kodMoon = 0;
  s.kodBary = 0;
  // The Earth.
  if (!fromElements(s, kEarth, in.theory, in.GelioL3)) return false;
  // The Sun at the origin at rest.
  s.X[0] = s.Y[0] = s.Z[0] = 0;
  s.VX[0] = s.VY[0] = s.VZ[0] = 0;
  // The object.
  const int N = in.Npl;
  if (N >= 1 && N <= 9 && N != kEarth) {
    if (!fromElements(s, N, in.theory, in.GelioLpl)) return false;
  } else if (N == kStarObject) {
    s.X[N] = in.star[0] * s.MK;
    s.Y[N] = in.star[1] * s.MK;
    s.Z[N] = in.star[2] * s.MK;
    s.VX[N] = in.star[3] * 1000;
    s.VY[N] = in.star[4] * 1000;
    s.VZ[N] = in.star[5] * 1000;
    if (!finite6(s, N)) return false;
  } else if (N == kEarth) {
    return false;  // the Earth is the observer
  }
  // The rest-frame state of the Earth and the object.
  for (int i : {kEarth, N}) {
    s.X0[i] = s.X[i];
    s.Y0[i] = s.Y[i];
    s.Z0[i] = s.Z[i];
    s.VX0[i] = s.VX[i];
    s.VY0[i] = s.VY[i];
    s.VZ0[i] = s.VZ[i];
  }
  const astro::Sph real = astro::sph(s, kEarth, N);
  if (!real.ok) return false;
  out.L0 = real.L;
  out.B0 = real.B;
  out.S = real.R;
  out.lightTime = real.R / out.c;
  out.L1 = out.L2 = out.L0;
  out.B1 = out.B2 = out.B0;
  r = out;
  return true;
}

bool iterateAberration(State& s, const AberrationInputs& in, AberrationResult& r) {
  const int N = in.Npl;
  const double c = r.c;
  if (!(c > 0) || N < 0 || N > kStarObject || N == kEarth) return false;
  const double Vx = in.VXsys * 1000, Vy = in.VYsys * 1000, Vz = in.VZsys * 1000;
  // 1: the velocities in the moving system (a star keeps its own).
  s.X[kEarth] = s.X0[kEarth];
  s.Y[kEarth] = s.Y0[kEarth];
  s.Z[kEarth] = s.Z0[kEarth];
  s.VX[kEarth] = Vx + s.VX0[kEarth];
  s.VY[kEarth] = Vy + s.VY0[kEarth];
  s.VZ[kEarth] = Vz + s.VZ0[kEarth];
  if (N < kStarObject) {
    s.VX[N] = Vx + s.VX0[N];
    s.VY[N] = Vy + s.VY0[N];
    s.VZ[N] = Vz + s.VZ0[N];
  } else {
    s.VX[N] = s.VX0[N];
    s.VY[N] = s.VY0[N];
    s.VZ[N] = s.VZ0[N];
  }
  // 2, 3: the source one light time ago (one step from the rest-frame position).
  s.X[N] = s.X0[N];
  s.Y[N] = s.Y0[N];
  s.Z[N] = s.Z0[N];
  double tau = r.lightTime;
  const astro::Sph source = astro::lightTime(s, kEarth, N, tau, c, 1);
  if (!source.ok) return false;
  const double S = source.R;
  r.S = S;
  r.lightTime = tau;
  r.L1 = source.L;
  r.B1 = source.B;
  // 4: "* cos(B)": the longitude of the source from the velocity scaled by cos B0 (slot 12).
  const double cosB0 = std::cos(r.B0 / s.kUgol);
  if (in.cosB) {
    s.X[12] = s.X0[N] - cosB0 * s.VX[N] * S / c;
    s.Y[12] = s.Y0[N] - cosB0 * s.VY[N] * S / c;
    s.Z[12] = s.Z[N];
    const astro::Sph p = astro::sph(s, kEarth, 12);
    if (!p.ok) return false;
    r.L1 = p.L;
  }
  // 5
  r.dLis = foldAngle(r.L1 - r.L0);
  r.dBis = foldAngle(r.B1 - r.B0);
  // 6: the Earth one light time earlier, for the drawing.
  s.X[13] = s.X[kEarth] - S * s.VX[kEarth] / c;
  s.Y[13] = s.Y[kEarth] - S * s.VY[kEarth] / c;
  s.Z[13] = s.Z[kEarth] - S * s.VZ[kEarth] / c;
  // 7: the receiver.
  astro::receiverAberration(s, kEarth, N, S, c);
  const astro::Sph seen = astro::sph(s, kEarth, N);
  if (!seen.ok) return false;
  r.L2 = seen.L;
  r.B2 = seen.B;
  if (in.cosB) {
    s.X[11] = s.X[12] + cosB0 * s.VX[kEarth] * S / c;
    s.Y[11] = s.Y[12] + cosB0 * s.VY[kEarth] * S / c;
    s.Z[11] = s.Z[12];
    const astro::Sph p = astro::sph(s, kEarth, 11);
    if (!p.ok) return false;
    r.L2 = p.L;
  }
  // 8
  r.dLpr = foldAngle(r.L2 - r.L1);
  r.dBpr = foldAngle(r.B2 - r.B1);
  r.dLs = r.dLis + r.dLpr;
  r.dBs = r.dBis + r.dBpr;
  ++r.iterations;
  return std::isfinite(r.dLs) && std::isfinite(r.dBs);
}

}  // namespace orvant
