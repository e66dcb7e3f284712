// The model integrator: forces against a literal transcription of the angle formulas, Runge-Kutta
// accuracy on a closed two-body orbit, conservation laws, and the special rules of the model.
#include "simulation/integrator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "initial/initial_data.h"
#include "initial/planets.h"

namespace orvant {
namespace {

// The 11-body model as screen 1 builds it: barycentric, zero total momentum, all bodies taking
// part; State X..VZ hold the initial state.
State modelState() {
  State s = test::planetsJ2000();
  EXPECT_TRUE(initialDataFromParameters(s, {s.mSol, s.gamma, false, false}));
  EXPECT_TRUE(centreOfMassToOrigin(s));
  EXPECT_TRUE(sunVelocityFromPlanets(s));
  s.VX = s.VX0;
  s.VY = s.VY0;
  s.VZ = s.VZ0;
  s.Vgr = s.Vsv;
  return s;
}

// The derivative written literally as the angle formulas: first approximation, NItGr + 1
// refinement passes, A = |atan(dY/dX)|, B = atan(|dZ|/RHO), components with the signs of the
// differences, sums over I in increasing order divided by m(J). Pairs with dX = 0 are skipped.
std::vector<double> literalDerivative(const State& s, const Integrator& w, std::vector<double>* scale) {
  constexpr int N = kNob;
  const double* S = w.S.data();
  double dX[11][11]{}, dY[11][11]{}, dZ[11][11]{}, RHO[11][11]{}, L[11][11]{}, T[11][11]{};
  auto pass = [&](bool moving) {
    for (int I = 0; I <= N; ++I)
      for (int J = 0; J <= N; ++J) {
        if (I == J) continue;
        const double t = moving ? T[I][J] : 0;
        dX[I][J] = S[J] - S[I] - t * S[33 + I];
        dY[I][J] = S[J + 11] - S[I + 11] - t * S[44 + I];
        dZ[I][J] = S[J + 22] - S[I + 22] - t * S[55 + I];
        RHO[I][J] = std::sqrt(dY[I][J] * dY[I][J] + dX[I][J] * dX[I][J]);
        L[I][J] = std::sqrt(dZ[I][J] * dZ[I][J] + RHO[I][J] * RHO[I][J]);
        T[I][J] = L[I][J] / s.Vgr;
      }
  };
  pass(false);
  if (s.kodVgr == 1)
    for (int k = 0; k <= s.NItGr; ++k) pass(true);
  std::vector<double> dS(66, 0.0);
  scale->assign(66, 0.0);
  for (int k = 0; k < 33; ++k) dS[k] = S[k + 33];
  for (int J = 0; J <= N; ++J)
    for (int I = 0; I <= N; ++I) {
      if (I == J || dX[I][J] == 0) continue;
      const double F = s.kVz[I][J] * s.m[I] * s.m[J] * s.gamma / std::pow(L[I][J], s.Rpow);
      const double B = std::atan(std::fabs(dZ[I][J]) / RHO[I][J]);
      const double A = std::fabs(std::atan(dY[I][J] / dX[I][J]));
      double fx = std::cos(A) * F * std::cos(B), fy = std::sin(A) * F * std::cos(B);
      double fz = std::sin(B) * F;
      if (dX[I][J] > 0) fx = -fx;
      if (dY[I][J] > 0) fy = -fy;
      if (dZ[I][J] > 0) fz = -fz;
      dS[33 + J] += fx / s.m[J];
      dS[44 + J] += fy / s.m[J];
      dS[55 + J] += fz / s.m[J];
      for (int c = 0; c < 3; ++c) (*scale)[33 + 11 * c + J] += F / s.m[J];
    }
  return dS;
}

void expectMatchesLiteral(const State& s, Integrator& w) {
  prepareIntegrator(s, w);
  evaluateDerivative(w);
  std::vector<double> scale;
  const std::vector<double> ref = literalDerivative(s, w, &scale);
  for (int k = 0; k < 33; ++k) EXPECT_EQ(w.dS[k], ref[k]);
  // Rounding of the angle functions and of the sums: well below 1e-13 of the largest term.
  for (int k = 33; k < 66; ++k) EXPECT_NEAR(w.dS[k], ref[k], 1e-13 * scale[k]) << "k = " << k;
}

TEST(Integrator, DerivativeMatchesTheAngleFormulas) {
  State s = modelState();
  Integrator w;
  for (int i = 0; i <= 10; ++i) s.VX[i] += 370e3;  // a system velocity makes the delay matter
  s.VZ[3] -= 1e5;
  loadState(s, w);
  expectMatchesLiteral(s, w);  // classical, symmetric pairs
  s.Rpow = 2.5;
  expectMatchesLiteral(s, w);
  s.Rpow = 2;
  s.kodVgr = 1;
  expectMatchesLiteral(s, w);  // finite speed, NItGr = 0
  s.NItGr = 2;
  expectMatchesLiteral(s, w);
  s.Vgr = 0.01 * s.Vsv;  // a slow gravity: large displacements
  expectMatchesLiteral(s, w);
  s.kodVgr = 0;
  s.kVz[2][7] = 0;  // one-sided participation: the ordered classical evaluation
  expectMatchesLiteral(s, w);
}

TEST(Integrator, FiniteSpeedWithBodiesAtRestEqualsClassicalToTheBit) {
  // The model, and a cluster of equal masses in which the forces on a body are of one size, so
  // that any change of the order of summation would show in the last bits.
  State cluster = modelState();
  for (int i = 0; i <= 10; ++i) {
    cluster.m[i] = 1e27 * (1 + 0.1 * i);
    cluster.X[i] = 1e11 * std::sin(1.3 * i + 0.2);
    cluster.Y[i] = 1e11 * std::cos(2.1 * i);
    cluster.Z[i] = 3e10 * std::sin(0.7 * i * i);
  }
  for (State s : {modelState(), cluster}) {
    for (int i = 0; i <= 10; ++i) s.VX[i] = s.VY[i] = s.VZ[i] = 0;
    Integrator classical, finite;
    loadState(s, classical);
    loadState(s, finite);
    prepareIntegrator(s, classical);
    s.kodVgr = 1;
    s.NItGr = 2;
    prepareIntegrator(s, finite);
    evaluateDerivative(classical);
    evaluateDerivative(finite);
    EXPECT_EQ(std::memcmp(classical.dS.data(), finite.dS.data(), sizeof classical.dS), 0);
    EXPECT_EQ(std::memcmp(&classical.FX[classical.cur], &finite.FX[finite.cur], sizeof(PairTable)),
              0);
  }
}

// Relative circular orbit of radius a about the barycentre of bodies 0 and 3, inclined; the other
// bodies do not take part. Returns the relative position after n steps of one period.
double closureError(int n) {
  State s;
  setMassSet(s, 2);
  s.gamma = gammaOfMassSet(2);
  for (int i = 0; i <= 10; ++i) {
    s.kUch[i] = (i == 0 || i == 3) ? 1 : 0;
    s.X[i] = 1e13 * i;  // parked far away, at rest
  }
  rebuildParticipation(s);
  const double a = 1.496e11, M = s.m[0] + s.m[3], mu = s.gamma * M;
  const double v = std::sqrt(mu / a), inc = 0.4;
  const double r[3] = {a, 0, 0}, u[3] = {0, v * std::cos(inc), v * std::sin(inc)};
  double* pos[3] = {s.X.data(), s.Y.data(), s.Z.data()};
  double* vel[3] = {s.VX.data(), s.VY.data(), s.VZ.data()};
  for (int c = 0; c < 3; ++c) {
    pos[c][0] = -s.m[3] / M * r[c];
    pos[c][3] = s.m[0] / M * r[c];
    vel[c][0] = -s.m[3] / M * u[c];
    vel[c][3] = s.m[0] / M * u[c];
  }
  s.Vgr = s.Vsv;
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  const double period = 2 * s.Pi * std::sqrt(a * a * a / mu);  // Kepler's third law
  for (int k = 0; k < n; ++k) EXPECT_TRUE(rungeKuttaStep(s, w, period / n, 3));
  const double dx = s.X[3] - s.X[0] - a, dy = s.Y[3] - s.Y[0], dz = s.Z[3] - s.Z[0];
  return std::sqrt(dx * dx + dy * dy + dz * dz) / a;
}

TEST(Integrator, TwoBodyOrbitClosesToFourthOrder) {
  // RK4 on a uniform rotation by theta = 2 pi/n per step has the local error theta^5/120 (the
  // first neglected term of exp(i theta)), so after one period the relative error is about
  // n theta^5/120 = (2 pi)^5/(120 n^4): 3.2e-9 for n = 400. The order: halving h divides it by 16.
  // Kepler's problem is not linear: an error of the energy changes the mean motion
  // (dn/n = -3/2 da/a) and adds to the phase error, so the constant is a few times larger.
  const double e400 = closureError(400), e800 = closureError(800);
  const double predicted = std::pow(2 * M_PI, 5) / (120 * std::pow(400.0, 4));
  EXPECT_LT(e400, 10 * predicted);
  EXPECT_GT(e400, predicted / 3);
  EXPECT_NEAR(e400 / e800, 16.0, 1.0);
}

struct Invariants {
  double E, Lx, Ly, Lz, Px, Py, Pz, Pscale;
};

// Total energy with every pair's potential, angular momentum and momentum, from S.
Invariants invariants(const State& s, const Integrator& w) {
  const double* S = w.S.data();
  Invariants r{};
  for (int i = 0; i <= 10; ++i) {
    const double m = s.m[i], vx = S[33 + i], vy = S[44 + i], vz = S[55 + i];
    r.E += m * (vx * vx + vy * vy + vz * vz) / 2;
    r.Lx += m * (S[11 + i] * vz - S[22 + i] * vy);
    r.Ly += m * (S[22 + i] * vx - S[i] * vz);
    r.Lz += m * (S[i] * vy - S[11 + i] * vx);
    r.Px += m * vx;
    r.Py += m * vy;
    r.Pz += m * vz;
    r.Pscale += m * std::sqrt(vx * vx + vy * vy + vz * vz);
    for (int j = i + 1; j <= 10; ++j) {
      const double dx = S[j] - S[i], dy = S[11 + j] - S[11 + i], dz = S[22 + j] - S[22 + i];
      r.E -= s.gamma * s.m[i] * s.m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
    }
  }
  return r;
}

TEST(Integrator, ClassicalModelConservesEnergyMomentumAndAngularMomentum) {
  // One year in steps of one hour. Mercury takes ~2100 steps per orbit (theta = 3e-3 rad): RK4
  // changes the amplitude of a rotation by theta^6/144 per step, ~1e-14 of Mercury's energy per
  // orbit, itself 2e-3 of the system's. What remains is rounding, ~1e-16 per step: even growing
  // linearly it stays below 1e-12 in 8766 steps. Momentum is a linear invariant that RK4 keeps
  // to rounding.
  State s = modelState();
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  const Invariants a = invariants(s, w);
  for (int k = 0; k < 8766; ++k) ASSERT_TRUE(rungeKuttaStep(s, w, 3600, 3));
  const Invariants b = invariants(s, w);
  const double L = std::sqrt(a.Lx * a.Lx + a.Ly * a.Ly + a.Lz * a.Lz);
  EXPECT_NEAR(b.E / a.E, 1.0, 1e-12);
  EXPECT_NEAR((b.Lx - a.Lx) / L, 0.0, 1e-12);
  EXPECT_NEAR((b.Ly - a.Ly) / L, 0.0, 1e-12);
  EXPECT_NEAR((b.Lz - a.Lz) / L, 0.0, 1e-12);
  EXPECT_NEAR((b.Px - a.Px) / a.Pscale, 0.0, 1e-13);
  EXPECT_NEAR((b.Py - a.Py) / a.Pscale, 0.0, 1e-13);
  EXPECT_NEAR((b.Pz - a.Pz) / a.Pscale, 0.0, 1e-13);
  // The copy-back: coordinates of all bodies, the traced body's velocity and speed.
  EXPECT_EQ(s.X[7], w.S[7]);
  EXPECT_EQ(s.VY[3], w.S[44 + 3]);
  EXPECT_DOUBLE_EQ(s.Vpl, std::hypot(w.S[36], w.S[47], w.S[58]));
}

TEST(Integrator, EnergyCheckOfTheSunAndOneBody) {
  // With only the Sun and Mars taking part the Sun-body potential is the whole potential: the
  // check's Esys and Msys are conserved to RK4's accuracy (two orbits, ~16000 steps per orbit).
  State s = modelState();
  for (int i = 0; i <= 10; ++i) s.kUch[i] = (i == 0 || i == 4) ? 1 : 0;
  rebuildParticipation(s);
  s.X[9] = s.X[0];  // a non-participating body parked on the Sun harms nothing
  s.Y[9] = s.Y[0];
  s.Z[9] = s.Z[0];
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  EnergyCheck e;
  ASSERT_TRUE(startEnergyCheck(s, e, 10));
  const double kinetic = s.m[0] * (s.VX[0] * s.VX[0] + s.VY[0] * s.VY[0] + s.VZ[0] * s.VZ[0]) / 2 +
                         s.m[4] * (s.VX[4] * s.VX[4] + s.VY[4] * s.VY[4] + s.VZ[4] * s.VZ[4]) / 2;
  EXPECT_NEAR(e.E0sys / kinetic, 1.0, 1e-15);
  for (int k = 0; k < 2 * 16488; ++k) ASSERT_TRUE(rungeKuttaStep(s, w, 3600, 4));
  unpackVelocities(s, w, 10);
  ASSERT_TRUE(updateEnergyCheck(s, e, 10));
  // Kinetic and potential energy trade ~20 % of E0sys over Mars's orbit: a wrong sign or a
  // missing term would show at that level; RK4 and rounding stay below 1e-12 (as above).
  EXPECT_NEAR(e.Esys / e.E0sys, 1.0, 1e-12);
  EXPECT_NEAR(e.Msys / e.M0sys, 1.0, 1e-12);
  EXPECT_EQ(dMsysPercent(e), std::trunc((e.Msys - e.M0sys) * 100 / e.M0sys * 1e8) / 1e8);
  EXPECT_EQ(dEsysPercent(e), std::trunc((e.Esys - e.E0sys) * 100 / e.E0sys * 1e8) / 1e8);
}

TEST(Integrator, NonParticipatingBodyMovesOnAStraightLineAndExertsNoForce) {
  State s = modelState();
  s.kUch[10] = 0;
  rebuildParticipation(s);
  s.X[10] = 2e12;
  s.VX[10] = 5000;
  s.VY[10] = -3000;
  s.VZ[10] = 1000;
  State other = s;
  other.X[10] = -7e11;  // elsewhere: the others must not notice
  Integrator w, w2;
  loadState(s, w);
  loadState(other, w2);
  prepareIntegrator(s, w);
  prepareIntegrator(other, w2);
  const double x0 = s.X[10], y0 = s.Y[10];
  for (int k = 0; k < 1000; ++k) {
    ASSERT_TRUE(rungeKuttaStep(s, w, 3600, 3));
    ASSERT_TRUE(rungeKuttaStep(other, w2, 3600, 3));
  }
  const double t = 1000 * 3600.0;
  EXPECT_EQ(w.S[33 + 10], 5000.0);
  EXPECT_NEAR(s.X[10], x0 + 5000 * t, 1e-12 * std::fabs(s.X[10]));
  EXPECT_NEAR(s.Y[10], y0 - 3000 * t, 1e-12 * 1e13);
  for (int k = 0; k < 66; ++k) {
    if (k % 11 == 10) continue;
    EXPECT_EQ(w.S[k], w2.S[k]) << "k = " << k;
  }
}

// Runs n steps from the model state with the velocity vx added to every body.
Integrator runWithSystemVelocity(double vx, int kodVgr, int n) {
  State s = modelState();
  for (int i = 0; i <= 10; ++i) s.VX[i] += vx;
  s.kodVgr = static_cast<int16>(kodVgr);
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  for (int k = 0; k < n; ++k) EXPECT_TRUE(rungeKuttaStep(s, w, 3600, 3));
  return w;
}

TEST(Integrator, SystemVelocityIsOnlyADriftWithoutFiniteSpeed) {
  const int n = 2000;
  const double V = 370e3, t = n * 3600.0;  // drift 2.7e12 m
  const Integrator rest = runWithSystemVelocity(0, 0, n);
  const Integrator moving = runWithSystemVelocity(V, 0, n);
  // Rounding of coordinates of 1e12 m (2e-4 m each) over 2000 steps: well below a metre.
  for (int i = 0; i <= 10; ++i) {
    EXPECT_NEAR(moving.S[i] - V * t, rest.S[i], 1.0) << i;
    EXPECT_NEAR(moving.S[11 + i], rest.S[11 + i], 1.0) << i;
    EXPECT_NEAR(moving.S[33 + i] - V, rest.S[33 + i], 1e-7) << i;
  }
  // With the finite speed the same velocity changes the motion itself.
  const Integrator restFinite = runWithSystemVelocity(0, 1, n);
  const Integrator movingFinite = runWithSystemVelocity(V, 1, n);
  EXPECT_GT(std::fabs(movingFinite.S[3] - V * t - restFinite.S[3]), 1e6);
}

TEST(Integrator, PairWithZeroDxKeepsItsPreviousForce) {
  State s = modelState();
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  evaluateDerivative(w);
  const PairTable fx = w.FX[w.cur], fy = w.FY[w.cur], fz = w.FZ[w.cur];
  // Mars exactly at Venus's X (distinct Y): that pair keeps its forces, the others are fresh.
  w.S[4] = w.S[2];
  evaluateDerivative(w);
  EXPECT_EQ(w.FX[w.cur][2][4], fx[2][4]);
  EXPECT_EQ(w.FY[w.cur][4][2], fy[4][2]);
  EXPECT_EQ(w.FZ[w.cur][2][4], fz[2][4]);
  std::vector<double> scale;
  std::vector<double> ref = literalDerivative(s, w, &scale);
  // The literal sum skips the pair; add the kept forces back for bodies 2 and 4.
  ref[33 + 4] += fx[2][4] / s.m[4];
  ref[44 + 2] += fy[4][2] / s.m[2];
  EXPECT_NEAR(w.dS[33 + 4], ref[33 + 4], 1e-13 * scale[33 + 4]);
  EXPECT_NEAR(w.dS[44 + 2], ref[44 + 2], 1e-13 * scale[44 + 2]);
  EXPECT_NEAR(w.dS[33 + 5], ref[33 + 5], 1e-13 * scale[33 + 5]);

  // Coincident bodies in a fresh context (no previous force), classical and finite speed: no NaN,
  // the pair contributes nothing.
  for (int kodVgr : {0, 1}) {
    State c = modelState();
    c.kodVgr = static_cast<int16>(kodVgr);
    c.X[6] = c.X[5];
    c.Y[6] = c.Y[5];
    c.Z[6] = c.Z[5];
    c.VX[5] = c.VY[5] = c.VZ[5] = 0;
    Integrator wc;
    loadState(c, wc);
    prepareIntegrator(c, wc);
    evaluateDerivative(wc);
    for (int k = 0; k < 66; ++k) EXPECT_TRUE(std::isfinite(wc.dS[k])) << k;
    EXPECT_EQ(wc.FX[wc.cur][5][6], 0.0);
    EXPECT_EQ(wc.FX[wc.cur][6][5], 0.0);
    EXPECT_TRUE(rungeKuttaStep(c, wc, 3600, 5));
  }
}

TEST(Integrator, OtoModeZeroSpeedOfGravityAndFailures) {
  State s = modelState();
  s.kodOTO = 1;
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  const auto start = w.S;
  ASSERT_TRUE(rungeKuttaStep(s, w, 3600, 3));  // no evaluation yet: dS is zero, nothing moves
  EXPECT_EQ(w.S, start);

  // The derivative of the last classical evaluation is reused.
  s.kodOTO = 0;
  prepareIntegrator(s, w);
  evaluateDerivative(w);
  const auto dS = w.dS;
  s.kodOTO = 1;
  s.Vgr = 0;  // not divided by when nothing is evaluated
  prepareIntegrator(s, w);
  ASSERT_TRUE(rungeKuttaStep(s, w, 3600, 3));
  for (int k = 0; k < 66; ++k) EXPECT_NEAR(w.S[k], start[k] + 3600 * dS[k], 1e-9 * std::fabs(start[k]) + 1e-9);

  // A zero speed of gravity fails every evaluating step, the finite speed on or off; a non-finite
  // result fails too. S and State stay as before the step.
  s.kodOTO = 0;
  prepareIntegrator(s, w);
  const auto before = w.S;
  const double x3 = s.X[3];
  EXPECT_FALSE(rungeKuttaStep(s, w, 3600, 3));
  s.Vgr = s.Vsv;
  prepareIntegrator(s, w);
  w.S[40] = std::nan("");
  const auto poisoned = w.S;
  EXPECT_FALSE(rungeKuttaStep(s, w, 3600, 3));
  EXPECT_EQ(std::memcmp(w.S.data(), poisoned.data(), sizeof poisoned), 0);
  EXPECT_EQ(s.X[3], x3);
  w.S = before;
  EXPECT_TRUE(rungeKuttaStep(s, w, 3600, 3));
}

}  // namespace
}  // namespace orvant
