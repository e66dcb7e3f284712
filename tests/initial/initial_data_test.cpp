// Initial state from the parameters and the centre-of-mass and Sun-velocity corrections.
#include "initial/initial_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "initial/twobody.h"

namespace orvant {
namespace {

// Mean J2000 elements of the planets (E. M. Standish, "Keplerian Elements for Approximate
// Positions of the Major Planets", JPL, table for 1800-2050): a (AU), e, i, L, long. peri., node
// (degrees). Object 10 takes the tenth object's default elements.
constexpr double kElements[9][6] = {
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

State planets() {
  State s;
  setMassSet(s, 2);
  s.gamma = gammaOfMassSet(2);
  for (int i = 1; i <= 9; ++i) {
    const double* el = kElements[i - 1];
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

InitialDataInputs inputs(const State& s, bool bary = false, bool moon = false) {
  return {s.mSol, s.gamma, bary, moon};
}

TEST(InitialData, PlanetsFromParameters) {
  State s = planets();
  s.X0[0] = 5;  // overwritten: the Sun at rest at the origin
  ASSERT_TRUE(initialDataFromParameters(s, inputs(s)));
  EXPECT_EQ(s.X0[0], 0.0);
  EXPECT_EQ(s.VX0[0], 0.0);
  EXPECT_EQ(s.kodMoon, 0);
  // Each object as the single-object conversion gives it.
  State one = planets();
  for (int i : {1, 3, 9}) {
    ASSERT_TRUE(positionFromParameters(one, i));
    ASSERT_TRUE(velocityFromParameters(one, i));
    EXPECT_EQ(s.X0[i], one.X[i]);
    EXPECT_EQ(s.VZ0[i], one.VZ[i]);
  }
  // The Earth-Moon barycentre at J2000: about 0.983 AU from the Sun, ~30 km/s.
  const double r3 = std::hypot(s.X0[3], s.Y0[3], s.Z0[3]) / s.Lae;
  EXPECT_NEAR(r3, 0.9833, 0.001);
  EXPECT_NEAR(std::hypot(s.VX0[3], s.VY0[3], s.VZ0[3]), 30287, 30);
  // Slot 11 receives slot 10.
  EXPECT_EQ(s.X0[11], s.X[10]);
  EXPECT_EQ(s.VY0[11], s.VY[10]);
}

TEST(InitialData, MoonModeSplitsTheEarthMoonPair) {
  // Slot 10 holds the Moon's geocentric elements about the Earth alone (slot 13).
  State s = planets();
  s.R0sr[11] = 384400e3;
  s.Eks0[11] = 0.0549;
  s.Betta0[11] = 0.0898;
  s.AlfaL[11] = 2.0;
  s.AlfaP0[11] = 1.0;
  s.AlfaU0[11] = 2.5;
  copyMoonSlot(s);
  State geo = s;
  geo.kodMoon = 1;
  ASSERT_TRUE(positionFromParameters(geo, 10));
  ASSERT_TRUE(velocityFromParameters(geo, 10));
  const double q = s.m[11] / s.m[13];

  ASSERT_TRUE(initialDataFromParameters(s, inputs(s, false, true)));
  EXPECT_EQ(s.kodMoon, 1);
  EXPECT_EQ(s.X0[11], geo.X[10]);  // the geocentric position is kept
  EXPECT_NEAR(s.VX0[11], geo.VX[10] / (1 + q), 1e-12);
  EXPECT_EQ(s.X0[13], -q * geo.X[10]);
  EXPECT_EQ(s.VY0[13], -s.VY0[11] * q);
  // The pair's momentum about its barycentre is zero.
  EXPECT_NEAR(s.m[11] * s.VX0[11] + s.m[13] * s.VX0[13], 0.0, 1e-9 * s.m[11] * 1000);
  EXPECT_EQ(s.m[3], s.m[13]);
  EXPECT_EQ(s.km[3], s.m[0] / s.m[13]);
  EXPECT_EQ(s.X0[10], geo.X[10]);  // the integrated object keeps the step-4 state

  State b = planets();
  b.R0sr[11] = 384400e3;
  b.Eks0[11] = 0.0549;
  b.Betta0[11] = 0.0898;
  b.AlfaL[11] = 2.0;
  b.AlfaP0[11] = 1.0;
  b.AlfaU0[11] = 2.5;
  copyMoonSlot(b);
  ASSERT_TRUE(initialDataFromParameters(b, inputs(b, true, true)));
  EXPECT_EQ(b.kodBary, 1);
  EXPECT_EQ(b.X0[13], -q * b.X[10]);
  EXPECT_EQ(b.X0[11], b.X[10] + b.X0[13]);
  EXPECT_EQ(b.VX0[11], b.VX[10] + b.VX0[13]);
}

TEST(InitialData, FailureKeepsWhatWasWritten) {
  State s = planets();
  s.Eks0[5] = 1.0;
  s.X0[5] = 77;
  EXPECT_FALSE(initialDataFromParameters(s, inputs(s)));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_NE(s.X0[4], 0.0);  // objects before the failure were converted
  EXPECT_EQ(s.X0[5], 77.0);
}

TEST(InitialData, CentreOfMassToOriginAndSunVelocity) {
  State s = planets();
  ASSERT_TRUE(initialDataFromParameters(s, inputs(s)));
  s.kUch[8] = 0;  // Neptune does not take part
  s.X0[8] += 1e13;
  ASSERT_TRUE(centreOfMass(s));
  const double xcm = s.X[kCentreSlot];
  s.X0[8] -= 2e13;  // a non-participating body does not move the centre
  ASSERT_TRUE(centreOfMass(s));
  EXPECT_EQ(s.X[kCentreSlot], xcm);
  EXPECT_GT(std::fabs(xcm), 1e8);  // Jupiter alone shifts it by ~7e8 m

  const double x8 = s.X0[8];
  ASSERT_TRUE(centreOfMassToOrigin(s));
  EXPECT_EQ(s.X[kCentreSlot], 0.0);
  EXPECT_EQ(s.X0[8], x8 - xcm);  // shifted although not participating
  double mx = 0, my = 0, mz = 0, mass = 0;
  for (int i = 0; i <= 10; ++i) {
    mx += s.kUch[i] * s.m[i] * s.X0[i];
    my += s.kUch[i] * s.m[i] * s.Y0[i];
    mz += s.kUch[i] * s.m[i] * s.Z0[i];
    mass += s.kUch[i] * s.m[i];
  }
  EXPECT_NEAR(mx / mass, 0.0, 1e-4);  // metres, from coordinates up to 1e13 m
  EXPECT_NEAR(my / mass, 0.0, 1e-4);
  EXPECT_NEAR(mz / mass, 0.0, 1e-4);
  EXPECT_EQ(s.X[3], s.X0[3]);

  ASSERT_TRUE(sunVelocityFromPlanets(s));
  double px = 0, py = 0, pz = 0, scale = 0;
  for (int i = 0; i <= 10; ++i) {
    px += s.kUch[i] * s.m[i] * s.VX0[i];
    py += s.kUch[i] * s.m[i] * s.VY0[i];
    pz += s.kUch[i] * s.m[i] * s.VZ0[i];
    scale += s.kUch[i] * s.m[i] * std::hypot(s.VX0[i], s.VY0[i], s.VZ0[i]);
  }
  EXPECT_NEAR(px / scale, 0.0, 1e-15);
  EXPECT_NEAR(py / scale, 0.0, 1e-15);
  EXPECT_NEAR(pz / scale, 0.0, 1e-15);
  EXPECT_EQ(s.VX[0], s.VX0[0]);
  // The Sun's reflex speed is of the order of Jupiter's m5/m0 * 13 km/s = 12 m/s.
  EXPECT_GT(std::hypot(s.VX0[0], s.VY0[0], s.VZ0[0]), 5.0);
  EXPECT_LT(std::hypot(s.VX0[0], s.VY0[0], s.VZ0[0]), 25.0);

  const double v3 = s.VX0[3], vSun = s.VX0[0];
  addSunVelocityToPlanets(s);
  addSunVelocityToPlanets(s);
  EXPECT_EQ(s.VX0[3], v3 + vSun + vSun);
  EXPECT_EQ(s.VX[3], s.VX0[3]);
}

TEST(InitialData, CorrectionFailuresReportError) {
  State s = planets();
  for (int i = 0; i <= 10; ++i) s.kUch[i] = 0;
  s.X0[2] = 123;
  EXPECT_FALSE(centreOfMassToOrigin(s));
  EXPECT_EQ(s.lastMessage, "Ошибка");
  EXPECT_EQ(s.X0[2], 123.0);
  s.m[0] = 0;
  EXPECT_FALSE(sunVelocityFromPlanets(s));
}

}  // namespace
}  // namespace orvant
