#include "astro/apparent_place.h"

#include "astro/transform.h"

namespace orvant::astro {

Sph sph(State& s, int from, int to) {
  Sph p;
  p.ok = SphFrom(s, from, to);
  p.L = s.Dolg[to];
  p.B = s.Shir;
  p.R = s.Rast;
  return p;
}

void geocentric(State& s, int earth, int N) {
  s.X[N] -= s.X[earth];
  s.Y[N] -= s.Y[earth];
  s.Z[N] -= s.Z[earth];
  s.X[0] = -s.X[earth];
  s.Y[0] = -s.Y[earth];
  s.Z[0] = -s.Z[earth];
  s.X[earth] = s.Y[earth] = s.Z[earth] = 0;
}

Sph lightTime(State& s, int from, int N, double& tau, double c, int iterations) {
  const double X0 = s.X[N], Y0 = s.Y[N], Z0 = s.Z[N];
  Sph p;
  p.ok = true;
  for (int it = 0; it < iterations && p.ok; ++it) {
    s.X[N] = X0 - s.VX[N] * tau;
    s.Y[N] = Y0 - s.VY[N] * tau;
    s.Z[N] = Z0 - s.VZ[N] * tau;
    p = sph(s, from, N);
    tau = p.R / c;
  }
  return p;
}

void receiverAberration(State& s, int receiver, int N, double tau) {
  s.X[N] += tau * s.VX[receiver];
  s.Y[N] += tau * s.VY[receiver];
  s.Z[N] += tau * s.VZ[receiver];
}

void receiverAberration(State& s, int receiver, int N, double distance, double c) {
  s.X[N] += distance * s.VX[receiver] / c;
  s.Y[N] += distance * s.VY[receiver] / c;
  s.Z[N] += distance * s.VZ[receiver] / c;
}

void toEquinoxOfDate(State& s, int N, double T) {
  PrecEcl(s, 0, T);
  s.I = N;
  ApplyPrec(s);
}

void toEquator(State& s, int N, double T) {
  s.I = N;
  EclToEqu(s, T);
}

void nutation(State& s, int N, double T) { Nutation(s, T, s.X[N], s.Y[N], s.Z[N], 0); }

double refraction(const State& s, double altitude) {
  return altitude + Refraction(s, 90 - altitude);
}

namespace {
void shift(State& s, int N, int by, double sign) {
  s.X[N] += sign * s.X[by];
  s.Y[N] += sign * s.Y[by];
  s.Z[N] += sign * s.Z[by];
}
}  // namespace

Sph refractEquatorial(State& s, int origin, int N, int observer, double LST, bool topocentric,
                      double distance) {
  bool ok = true;
  double Rtopo = distance;
  if (!topocentric) {
    shift(s, N, observer, -1);
    const Sph p = sph(s, origin, N);
    ok = p.ok;
    keep(s, N, p);
    Rtopo = p.R;
  }
  s.Tau = LST - s.Lk[N];
  if (s.Tau < 0) s.Tau += 360;
  EquToHor(s, N);
  ok = ok && SphFrom(s, origin, N);
  s.Agor = s.Dolg[N];
  s.Hgor = refraction(s, s.Shir);
  HorToEqu(s, N);
  ok = ok && SphFrom(s, origin, N);
  const double hourAngle = s.Dolg[N];
  s.Lk[N] = LST - hourAngle;
  if (s.Lk[N] < 0) s.Lk[N] += 360;
  s.Bk[N] = s.Shir;
  XYZfromSph(s, N, s.Lk[N], s.Bk[N], topocentric ? distance : Rtopo);
  if (!topocentric) {
    shift(s, N, observer, +1);
    ok = ok && SphFrom(s, origin, N);
    s.Lk[N] = s.Dolg[N];
    s.Bk[N] = s.Shir;
  }
  Sph out{s.Lk[N], s.Bk[N], s.Rast, ok};
  return out;
}

}  // namespace orvant::astro
