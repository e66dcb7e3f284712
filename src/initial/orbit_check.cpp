#include "initial/orbit_check.h"

#include <algorithm>
#include <cmath>

#include "astro/transform.h"

namespace orvant {

namespace {

using Vec3 = std::array<double, 3>;

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }

int sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// Longitude of a direction in the ecliptic, degrees 0..360 (as SphFrom gives it).
double longitudeOf(const State& s, const Vec3& p) {
  double L = std::atan2(p[1], p[0]) * s.kUgol;
  if (L < 0) L += 360;
  return L;
}

// The cubic Hermite interpolant of the relative motion between two steps, from the positions and
// velocities at both ends; u runs from 0 to 1 over the step of length d.
struct Hermite {
  std::array<double, 6> a, b;  // position and velocity at both ends
  double d;

  Vec3 position(double u) const {
    const double h00 = (2 * u - 3) * u * u + 1, h10 = ((u - 2) * u + 1) * u;
    const double h01 = (3 - 2 * u) * u * u, h11 = (u - 1) * u * u;
    Vec3 p;
    for (int i = 0; i < 3; ++i) p[i] = h00 * a[i] + h10 * d * a[i + 3] + h01 * b[i] + h11 * d * b[i + 3];
    return p;
  }
  Vec3 velocity(double u) const {
    const double g00 = 6 * u * (u - 1), g10 = (3 * u - 4) * u + 1;
    const double g01 = -g00, g11 = (3 * u - 2) * u;
    Vec3 v;
    for (int i = 0; i < 3; ++i) v[i] = (g00 * a[i] + g01 * b[i]) / d + g10 * a[i + 3] + g11 * b[i + 3];
    return v;
  }
  // The u in [0, 1] where f changes sign (f(0) and f(1) of opposite signs), by bisection.
  template <class F>
  double root(F f) const {
    double lo = 0, hi = 1;
    const int s0 = sign(f(0.0));
    for (int it = 0; it < 60; ++it) {
      const double mid = (lo + hi) / 2;
      if (sign(f(mid)) == s0) lo = mid; else hi = mid;
    }
    return (lo + hi) / 2;
  }
};

void unpack(State& s, const OrbitCheck& k) {
  s.X[0] = k.S[0], s.Y[0] = k.S[1], s.Z[0] = k.S[2];
  s.X[k.n] = k.S[3], s.Y[k.n] = k.S[4], s.Z[k.n] = k.S[5];
  s.VX[0] = k.S[6], s.VY[0] = k.S[7], s.VZ[0] = k.S[8];
  s.VX[k.n] = k.S[9], s.VY[k.n] = k.S[10], s.VZ[k.n] = k.S[11];
}

std::array<double, 6> relative(const OrbitCheck& k) {
  return {k.S[3] - k.S[0], k.S[4] - k.S[1], k.S[5] - k.S[2],
          k.S[9] - k.S[6], k.S[10] - k.S[7], k.S[11] - k.S[8]};
}

double radialRate(const std::array<double, 6>& r) {
  return r[0] * r[3] + r[1] * r[4] + r[2] * r[5];
}

// Angular momentum per unit mass of the relative motion, m^2/s.
double angularMomentum(const std::array<double, 6>& r) {
  const double cx = r[1] * r[5] - r[2] * r[4], cy = r[2] * r[3] - r[0] * r[5],
               cz = r[0] * r[4] - r[1] * r[3];
  return std::sqrt(cx * cx + cy * cy + cz * cz);
}

void rungeKutta(const State& s, OrbitCheck& k, double h) {
  std::array<double, 12> S0 = k.S, K1, K2, K3, K4, dS, S;
  double R = 0;
  twoBodyDerivative(s, k, S0, dS, R);
  for (int i = 0; i < 12; ++i) K1[i] = h * dS[i], S[i] = S0[i] + K1[i] / 2;
  twoBodyDerivative(s, k, S, dS, R);
  for (int i = 0; i < 12; ++i) K2[i] = h * dS[i], S[i] = S0[i] + K2[i] / 2;
  twoBodyDerivative(s, k, S, dS, R);
  for (int i = 0; i < 12; ++i) K3[i] = h * dS[i], S[i] = S0[i] + K3[i];
  twoBodyDerivative(s, k, S, dS, R);
  for (int i = 0; i < 12; ++i) K4[i] = h * dS[i];
  for (int i = 0; i < 12; ++i) k.S[i] = S0[i] + (K1[i] + 2 * K2[i] + 2 * K3[i] + K4[i]) / 6;
}

}  // namespace

void twoBodyDerivative(const State& s, const OrbitCheck& k, const std::array<double, 12>& S,
                       std::array<double, 12>& dS, double& R) {
  for (int i = 0; i < 6; ++i) dS[i] = S[i + 6];
  const double dx = S[3] - S[0], dy = S[4] - S[1], dz = S[5] - S[2];
  R = std::sqrt(dx * dx + dy * dy + dz * dz);
  // F = m(n) m(c) gamma / R^2 along the line of the two bodies (the components of the force by
  // direction cosines dx/R, dy/R, dz/R: the same as by the angles atan(dy/dx) and
  // atan(dz/rho) with their signs, and defined for dx = 0 too).
  const double F = k.mn * k.mc * s.gamma / (R * R);
  const double FX = F * dx / R, FY = F * dy / R, FZ = F * dz / R;
  dS[6] = FX * k.kSun / k.mc;
  dS[7] = FY * k.kSun / k.mc;
  dS[8] = FZ * k.kSun / k.mc;
  dS[9] = -FX / k.mn;
  dS[10] = -FY / k.mn;
  dS[11] = -FZ / k.mn;
}

double orbitCheckEnergy(const State& s, const OrbitCheck& k) {
  return s.gamma * k.mc * k.mn * (1 / k.R0 - 1 / k.Rast) + k.Vpl * k.Vpl * k.mn / 2 +
         k.V * k.V * k.mc / 2;
}

double percentChange(double value, double start) { return 100 * (value - start) / start; }

bool beginOrbitCheck(State& s, OrbitCheck& k, const OrbitCheckSetup& u) {
  if (u.n < 1 || u.n > 11 || u.c < 0 || u.c >= kObjects) return false;
  k = OrbitCheck{};
  k.n = u.n;
  k.c = u.c;
  k.mn = s.m[u.n];
  k.mc = s.m[u.c];
  if (!(k.mn > 0) || !(k.mc > 0) || !std::isfinite(k.mn) || !std::isfinite(k.mc)) return false;
  if (!(u.H0 > 0) || !std::isfinite(u.H0) || u.kShag < 1 || u.NC0 < 1) return false;
  if (!(u.dAlfa >= 0) || !(u.dAlfa <= 180)) return false;
  for (double v : u.centre) if (!std::isfinite(v)) return false;
  for (double v : u.body) if (!std::isfinite(v)) return false;
  k.H0 = k.h = u.H0;
  k.kShag = u.kShag;
  k.dAlfa = u.dAlfa;
  k.NC0 = u.NC0;
  k.kSun = u.kSun;
  for (int i = 0; i < 3; ++i) {
    k.S[i] = u.centre[i];
    k.S[i + 3] = u.body[i];
    k.S[i + 6] = u.centre[i + 3];
    k.S[i + 9] = u.body[i + 3];
  }
  unpack(s, k);

  k.AlfaP0r = s.kUgol * s.AlfaP0[u.n];
  k.AlfaU0r = s.kUgol * s.AlfaU0[u.n];
  k.AlfaPt = k.AlfaP0r;
  k.AlfaUt = k.AlfaU0r;
  k.Bmax = s.Betta0[u.n];
  if (!std::isfinite(k.AlfaP0r) || !std::isfinite(k.AlfaU0r) || !std::isfinite(k.Bmax)) return false;
  // The windows of the values under test (the aphelion window shortens the step there, so that
  // the largest distance is measured as finely as the smallest).
  k.per = windowAround(k.AlfaP0r, k.dAlfa);
  k.aph = aphelionWindow(k.AlfaP0r, k.dAlfa);
  k.nodA = windowAround(k.AlfaU0r, k.dAlfa);

  SphFrom(s, 0, u.n);
  k.Dolg = k.DolgPrev = s.Dolg[u.n];
  k.R0 = k.Rast = s.Rast;
  if (!(k.R0 > 0)) return false;
  k.V = std::sqrt(k.S[6] * k.S[6] + k.S[7] * k.S[7] + k.S[8] * k.S[8]);
  k.Vpl = std::sqrt(k.S[9] * k.S[9] + k.S[10] * k.S[10] + k.S[11] * k.S[11]);
  k.E0 = k.E = k.Vpl * k.Vpl * k.mn / 2 + k.V * k.V * k.mc / 2;
  k.ZPrev = k.S[5] - k.S[2];
  k.Lmin = 2 * k.R0;
  k.Lmax = k.R0 / 2;
  k.RPrev = 2 * k.R0;
  k.Vmin = 2 * k.Vpl;
  k.Vmax = k.Vpl / 2;
  k.rel = relative(k);
  k.rdot = radialRate(k.rel);
  return true;
}

namespace {

// Steps 2, 3: longitude, latitude, distance from the centre after a step; the trackers. False at
// a coincidence with the centre.
bool trackAfterStep(State& s, OrbitCheck& k) {
  k.DolgPrev = k.Dolg;
  SphFrom(s, 0, k.n);
  k.Dolg = s.Dolg[k.n];
  k.Rast = s.Rast;
  if (!(k.Rast > 0)) return false;
  k.Bmax = std::max(k.Bmax, std::fabs(s.Shir) / s.kUgol);
  k.Lmin = std::min(k.Lmin, k.Rast);
  k.Lmax = std::max(k.Lmax, k.Rast);
  k.V = std::sqrt(k.S[6] * k.S[6] + k.S[7] * k.S[7] + k.S[8] * k.S[8]);
  k.Vpl = std::sqrt(k.S[9] * k.S[9] + k.S[10] * k.S[10] + k.S[11] * k.S[11]);
  s.Vpl = k.Vpl;
  k.Vmin = std::min(k.Vmin, k.Vpl);
  k.Vmax = std::max(k.Vmax, k.Vpl);
  return true;
}

// The extrema of the distance and of the latitude between the last two steps, from the
// interpolant (`rdotBefore`: the radial rate before the step, `tBefore` its time).
void interpolatedExtrema(State& s, OrbitCheck& k, const Hermite& between, double rdotBefore,
                         double tBefore, double hStep) {
  const auto rdotAt = [&between](double u) { return dot(between.position(u), between.velocity(u)); };
  const bool perihelion = rdotBefore < 0 && k.rdot >= 0;
  const bool aphelion = rdotBefore > 0 && k.rdot <= 0;
  if (perihelion || aphelion) {
    const double u = between.root(rdotAt);
    const Vec3 p = between.position(u);
    const double r = norm(p);
    const double v = angularMomentum(k.rel) / r;  // the speed at the apsis
    if (perihelion) {
      k.Lmin = std::min(k.Lmin, r);
      k.Vmax = std::max(k.Vmax, v);
      k.perFound = true;
      k.perT = tBefore + u * hStep;
      k.perL = longitudeOf(s, p);
    } else {
      k.Lmax = std::max(k.Lmax, r);
      k.Vmin = std::min(k.Vmin, v);
    }
  }
  // The extreme latitudes: d(z/r)/dt = (vz r^2 - z (p.v))/r^3 changes sign between the steps.
  const auto latitudeRate = [](const Vec3& p, const Vec3& v) {
    return v[2] * dot(p, p) - p[2] * dot(p, v);
  };
  const auto& b = between.a;  // the state before the step
  const double gBefore = latitudeRate({b[0], b[1], b[2]}, {b[3], b[4], b[5]});
  const double gNow = latitudeRate({k.rel[0], k.rel[1], k.rel[2]}, {k.rel[3], k.rel[4], k.rel[5]});
  if (sign(gBefore) * sign(gNow) < 0) {
    const double u = between.root([&](double x) {
      return latitudeRate(between.position(x), between.velocity(x));
    });
    const Vec3 p = between.position(u);
    k.Bmax = std::max(k.Bmax, std::asin(std::min(1.0, std::fabs(p[2]) / norm(p))));
  }
}

// Step 5 at the passage of the perihelion: the revolution's parameters, then the trackers of
// the next revolution (so that its first comparisons replace them).
void closeRevolution(State& s, OrbitCheck& k, double hStep) {
  // The interpolated perihelion when it lies within the last two steps.
  if (k.perFound && k.t - k.perT > 2 * std::max(hStep, k.H0)) k.perFound = false;
  const double a = k.perFound ? k.perL : meanLongitude(k.DolgPrev, k.Dolg);
  k.AlfaPt = toOrbitPlane(s, a, k.AlfaUt, k.Bmax);
  const double tPer = k.perFound ? k.perT : k.t;
  k.Tper = (tPer - k.tWrap) / 86400;
  k.tWrap = tPer;
  k.Rpl = (k.Lmax + k.Lmin) / 2;
  s.Rpl[k.n] = k.Rpl;
  k.Eks = 1 - k.Lmin / k.Rpl;
  k.Vsr = (k.Vmin + k.Vmax) / 2;
  k.Wsr = k.Vsr / k.Rpl;
  k.Betta = k.Bmax;
  k.LminR = k.Lmin, k.LmaxR = k.Lmax, k.VminR = k.Vmin, k.VmaxR = k.Vmax;
  ++k.Nper;
  k.Lmin *= 2;
  k.Lmax /= 2;
  k.Vmin *= 2;
  k.Vmax /= 2;
  k.Bmax = 0;
  k.perFound = false;
}

}  // namespace

unsigned orbitCheckStep(State& s, OrbitCheck& k) {
  unsigned ev = 0;
  const double hStep = k.h;
  const std::array<double, 6> before = k.rel;
  const double rdotBefore = k.rdot;
  const double tBefore = k.t;

  // 1. The motion step. The time advances by the step made (the next step's length is decided
  // below).
  rungeKutta(s, k, hStep);
  k.t += hStep;
  ++k.steps;
  for (double v : k.S)
    if (!std::isfinite(v)) return kChkFailed;
  unpack(s, k);

  // 2, 3. Longitude, latitude, distance from the centre; the trackers and the extrema between
  // the steps.
  if (!trackAfterStep(s, k)) return kChkFailed;
  k.rel = relative(k);
  k.rdot = radialRate(k.rel);
  const Hermite between{before, k.rel, hStep};
  interpolatedExtrema(s, k, between, rdotBefore, tBefore, hStep);

  // 4. The ascending node: Z relative to the centre changes sign from below (or from 0).
  const double Zrel = k.rel[2];
  if (sign(Zrel) != sign(k.ZPrev) && k.ZPrev <= 0) {
    double L = meanLongitude(k.DolgPrev, k.Dolg);
    if (k.ZPrev < 0 && Zrel > 0) {
      const double u = between.root([&between](double x) { return between.position(x)[2]; });
      L = longitudeOf(s, between.position(u));
    }
    k.AlfaUt = L;
    ev |= kChkNode;
  }
  k.ZPrev = Zrel;

  // 5. The perihelion window.
  const double L = k.Dolg;
  if (!insideWindow(L, k.per, k.dAlfa)) {
    k.RPrev = k.Rast;
    k.h = k.H0;
    k.kWin = 0;
    if (insideWindow(L, k.aph, k.dAlfa)) k.h = k.H0 / k.kShag;
  } else if (k.kWin != 2) {
    k.h = k.H0 / k.kShag;
    k.kWin = 0;
    if (k.RPrev > k.Rast) {
      k.kWin = 1;
      k.RPrev = k.Rast;
    } else {
      // The passage: the extremum lies behind.
      k.kWin = 2;
      k.h = k.H0;
      closeRevolution(s, k, hStep);
      ev |= kChkPerihelion;
    }
  }

  // 6. The node window.
  if (insideWindow(L, k.nodA, k.dAlfa)) k.h = k.H0 / k.kShag;

  // 7. The display point.
  if (++k.counter >= k.NC0) {
    k.counter = 0;
    k.E = orbitCheckEnergy(s, k);
    ev |= kChkDisplay;
  }
  return ev;
}

OrbitCheckSlots::OrbitCheckSlots(State& s, int n) : s_(s), slot_{0, n}, Icen_(s.Icen) {
  for (int j = 0; j < 2; ++j) {
    const int i = slot_[j];
    const double v[6] = {s.X[i], s.Y[i], s.Z[i], s.VX[i], s.VY[i], s.VZ[i]};
    std::copy(v, v + 6, kept_[j]);
  }
}

OrbitCheckSlots::~OrbitCheckSlots() {
  for (int j = 0; j < 2; ++j) {
    const int i = slot_[j];
    s_.X[i] = kept_[j][0], s_.Y[i] = kept_[j][1], s_.Z[i] = kept_[j][2];
    s_.VX[i] = kept_[j][3], s_.VY[i] = kept_[j][4], s_.VZ[i] = kept_[j][5];
  }
  s_.Icen = Icen_;
}

}  // namespace orvant
