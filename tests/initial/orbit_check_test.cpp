// The two-body orbit check against the closed-form Kepler orbit: the measured figures must give
// back the elements the initial state was made from, to the precision the step allows, and the
// drift of the measured elements must be the Runge-Kutta error, falling as h^4.
#include "initial/orbit_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "astro/twobody.h"

namespace orvant {
namespace {

struct Elements {
  double a, e, incl, node, peri, meanLong;  // m, -, rad
};

// A Mercury-like body of one part in 6 million of the Sun's mass: with "Bary" its initial
// velocity makes the relative orbit an exact Kepler ellipse about m(0) + m(1).
State keplerState(const Elements& el) {
  State s;
  setMassSet(s, 2);
  s.gamma = gammaOfMassSet(2);
  s.kodBary = 1;
  s.kodMoon = 0;
  s.R0sr[1] = el.a;
  s.Eks0[1] = el.e;
  s.Betta0[1] = el.incl;
  s.AlfaU0[1] = el.node;
  s.AlfaP0[1] = el.peri;
  s.AlfaL[1] = el.meanLong;
  EXPECT_TRUE(positionFromParameters(s, 1));
  EXPECT_TRUE(velocityFromParameters(s, 1));
  return s;
}

double keplerPeriod(const State& s, double a) {
  return 2 * M_PI * std::sqrt(a * a * a / (s.gamma * (s.m[0] + s.m[1])));
}

struct Revolution {
  double Tper, Rpl, Eks, AlfaPt, AlfaUt, Betta, Vmax, Vmin;
};

// Runs the check for `turns` registered perihelia with `perTurn` main steps per revolution.
std::vector<Revolution> runCheck(State& s, double perTurn, int turns, int kShag = 100,
                                 double dAlfa = 1) {
  OrbitCheckSetup u;
  u.n = 1;
  u.c = 0;
  u.centre = {0, 0, 0, 0, 0, 0};
  u.body = {s.X[1], s.Y[1], s.Z[1], s.VX[1], s.VY[1], s.VZ[1]};
  u.H0 = keplerPeriod(s, s.R0sr[1]) / perTurn;
  u.kShag = kShag;
  u.dAlfa = dAlfa;
  u.NC0 = 1000;
  OrbitCheck k;
  EXPECT_TRUE(beginOrbitCheck(s, k, u));
  std::vector<Revolution> revs;
  for (long i = 0; i < 10000000 && static_cast<int>(revs.size()) < turns; ++i) {
    const unsigned ev = orbitCheckStep(s, k);
    EXPECT_EQ(ev & kChkFailed, 0u);
    if (ev & kChkPerihelion)
      revs.push_back({k.Tper, k.Rpl, k.Eks, k.AlfaPt, k.AlfaUt, k.Betta, k.VmaxR, k.VminR});
  }
  return revs;
}

double wrap180(double d) {
  while (d > 180) d -= 360;
  while (d < -180) d += 360;
  return d;
}

const Elements kPlanar{5.79e10, 0.2056, 0.0, 0.0, 1.3519, 4.4026};
const Elements kInclined{5.79e10, 0.2056, 0.1222, 0.8435, 1.3519, 4.4026};

// The first full turns at 400 and at 800 main steps per revolution (kShag 100 in the windows of
// +-1 degree). The Runge-Kutta error of the semi-major axis is some 5e-10 per turn at 400 steps
// (the energy error of RK4, of order (2 pi/N)^4 per turn), 16 times less at 800: the figures
// are held to what that error allows. The period is exact to far below a step (the passage time
// is interpolated), the speeds at the apsides to the same order as the distances.
TEST(OrbitCheck, KeplerOrbitGivesItsElementsBack) {
  for (const double perTurn : {400.0, 800.0}) {
  State s = keplerState(kPlanar);
  const double T = keplerPeriod(s, kPlanar.a);
  const double step = T / perTurn;
  const double tol = perTurn == 400 ? 3e-9 : 3e-10;
  const auto revs = runCheck(s, perTurn, 3);
  ASSERT_EQ(revs.size(), 3u);
  for (std::size_t r = 1; r < revs.size(); ++r) {  // the first passage closes a partial turn
    const Revolution& v = revs[r];
    std::printf("turn %zu: dT/step %.3e  da/a %.3e  de %.3e  dAlfaP %.3e\"\n", r,
                (v.Tper * 86400 - T) / step, v.Rpl / kPlanar.a - 1, v.Eks - kPlanar.e,
                wrap180(v.AlfaPt - kPlanar.peri * s.kUgol) * 3600);
    EXPECT_LT(std::fabs(v.Tper * 86400 - T), 1e-3 * step);
    EXPECT_NEAR(v.Rpl / kPlanar.a, 1, tol);
    EXPECT_NEAR(v.Eks - kPlanar.e, 0, tol);
    // The perihelion turns by some 0.008" per turn at 400 steps (RK4 phase error).
    EXPECT_NEAR(wrap180(v.AlfaPt - kPlanar.peri * s.kUgol) * 3600, 0, perTurn == 400 ? 0.03 : 0.002);
    // The extreme speeds of the ellipse: sqrt(mu/a (1 +- e)/(1 -+ e)).
    const double mu = s.gamma * (s.m[0] + s.m[1]), e = kPlanar.e;
    EXPECT_NEAR(v.Vmax / std::sqrt(mu / kPlanar.a * (1 + e) / (1 - e)), 1, 2 * tol);
    EXPECT_NEAR(v.Vmin / std::sqrt(mu / kPlanar.a * (1 - e) / (1 + e)), 1, 2 * tol);
  }
  }
}

// The drift of the perihelion and of the semi-major axis after ten turns is the integration's
// error: RK4 is of fourth order, so halving the step divides the phase error (the perihelion) by
// about 2^4 = 16; its energy error is of order h^4 to h^5 per unit time on an ellipse (h^5 on a
// circle), so the semi-major axis falls by 16 to 32.
TEST(OrbitCheck, DriftFallsAsTheFourthPowerOfTheStep) {
  const auto drift = [](double perTurn, double& dA, double& dP) {
    State s = keplerState(kPlanar);
    const auto revs = runCheck(s, perTurn, 11);
    ASSERT_EQ(revs.size(), 11u);
    dA = revs.back().Rpl / kPlanar.a - 1;
    dP = wrap180(revs.back().AlfaPt - kPlanar.peri * s.kUgol) * 3600;
  };
  double dA1 = 0, dP1 = 0, dA2 = 0, dP2 = 0;
  drift(400, dA1, dP1);
  drift(800, dA2, dP2);
  std::printf("400 steps/turn: da/a %.3e dAlfaP %.4e\"; 800: da/a %.3e dAlfaP %.4e\"; ratios %.2f %.2f\n",
              dA1, dP1, dA2, dP2, dA1 / dA2, dP1 / dP2);
  EXPECT_GT(dA1 / dA2, 14);
  EXPECT_LT(dA1 / dA2, 34);
  EXPECT_NEAR(dP1 / dP2, 16, 2);
}

TEST(OrbitCheck, InclinedOrbitNodeAndInclination) {
  State s = keplerState(kInclined);
  const auto revs = runCheck(s, 400, 4);
  ASSERT_EQ(revs.size(), 4u);
  for (std::size_t r = 1; r < revs.size(); ++r) {
    const Revolution& v = revs[r];
    std::printf("node %.3e\"  peri %.3e\"  incl %.3e\"\n",
                wrap180(v.AlfaUt - kInclined.node * s.kUgol) * 3600,
                wrap180(v.AlfaPt - kInclined.peri * s.kUgol) * 3600,
                (v.Betta - kInclined.incl) * s.kUgol * 3600);
    // The node does not move in the two-body problem: only the interpolation error is left.
    EXPECT_NEAR(wrap180(v.AlfaUt - kInclined.node * s.kUgol) * 3600, 0, 1e-6);
    EXPECT_NEAR(wrap180(v.AlfaPt - kInclined.peri * s.kUgol) * 3600, 0, 0.03);
    EXPECT_NEAR((v.Betta - kInclined.incl) * s.kUgol * 3600, 0, 1e-4);
    EXPECT_NEAR(v.Eks - kInclined.e, 0, 3e-9);
  }
}

// A velocity of the whole system carries both bodies along: the relative motion and so every
// measured parameter stay as they were (Newton's law has no finite speed here).
TEST(OrbitCheck, SystemVelocityLeavesTheParameters) {
  const auto measure = [](double vsys) {
    State s = keplerState(kInclined);
    OrbitCheckSetup u;
    u.centre = {0, 0, 0, vsys, -0.5 * vsys, 0.2 * vsys};
    u.body = {s.X[1], s.Y[1], s.Z[1], s.VX[1] + vsys, s.VY[1] - 0.5 * vsys, s.VZ[1] + 0.2 * vsys};
    u.H0 = keplerPeriod(s, kInclined.a) / 400;
    OrbitCheck k;
    EXPECT_TRUE(beginOrbitCheck(s, k, u));
    for (long i = 0; i < 200000 && k.Nper < 3; ++i) orbitCheckStep(s, k);
    EXPECT_EQ(k.Nper, 3);
    return k;
  };
  // At 370 km/s both bodies travel 3e12 m in a turn: the relative motion is found as a difference
  // of such coordinates and keeps some 13 digits of them (the rest is rounding).
  const OrbitCheck still = measure(0), moving = measure(370e3);
  EXPECT_NEAR(moving.Tper, still.Tper, 1e-8);  // days
  EXPECT_NEAR(moving.Rpl / still.Rpl, 1, 1e-11);
  EXPECT_NEAR(moving.Eks, still.Eks, 1e-11);
  EXPECT_NEAR(wrap180(moving.AlfaPt - still.AlfaPt) * 3600, 0, 1e-4);
  EXPECT_NEAR(wrap180(moving.AlfaUt - still.AlfaUt) * 3600, 0, 1e-4);
}

// "при Vsol=const": the centre is not accelerated, so the momentum of the pair is not kept; with
// the centre at rest the body still moves on its ellipse about it.
TEST(OrbitCheck, CentreHeldStill) {
  State s = keplerState(kPlanar);
  OrbitCheckSetup u;
  u.body = {s.X[1], s.Y[1], s.Z[1], s.VX[1], s.VY[1], s.VZ[1]};
  u.H0 = keplerPeriod(s, kPlanar.a) / 400;
  u.kSun = 0;
  OrbitCheck k;
  ASSERT_TRUE(beginOrbitCheck(s, k, u));
  for (long i = 0; i < 200000 && k.Nper < 2; ++i) orbitCheckStep(s, k);
  EXPECT_EQ(k.S[6], 0);  // the centre keeps its velocity
  EXPECT_EQ(k.S[0], 0);
  // About m(0) alone the initial state (made for m(0) + m(1)) is a slightly larger orbit.
  const double mu = s.gamma * s.m[0];
  const double r = std::hypot(u.body[0], u.body[1]), v2 = u.body[3] * u.body[3] + u.body[4] * u.body[4];
  const double a = 1 / (2 / r - v2 / mu);
  EXPECT_NEAR(k.Rpl / a, 1, 3e-9);
  EXPECT_GT(a, kPlanar.a);
}

}  // namespace
}  // namespace orvant
