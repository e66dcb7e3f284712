// Initial state from the parameters and the centre-of-mass and Sun-velocity corrections.
#include "initial/initial_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "initial/planets.h"
#include "astro/twobody.h"

namespace orvant {
namespace {

using test::planetsJ2000;

InitialDataInputs inputs(const State& s, bool bary = false, bool moon = false) {
  return {s.mSol, s.gamma, bary, moon};
}

// The planets, with slot 10 holding the Moon's geocentric elements (Moon mode).
State withMoon() {
  State s = planetsJ2000();
  s.R0sr[11] = 384400e3;
  s.Eks0[11] = 0.0549;
  s.Betta0[11] = 0.0898;
  s.AlfaL[11] = 2.0;
  s.AlfaP0[11] = 1.0;
  s.AlfaU0[11] = 2.5;
  copyMoonSlot(s);
  return s;
}

TEST(InitialData, PlanetsFromParameters) {
  State s = planetsJ2000();
  s.X0[0] = 5;  // overwritten: the Sun at rest at the origin
  ASSERT_TRUE(initialDataFromParameters(s, inputs(s)));
  EXPECT_EQ(s.X0[0], 0.0);
  EXPECT_EQ(s.VX0[0], 0.0);
  EXPECT_EQ(s.kodMoon, 0);
  State one = planetsJ2000();
  for (int i : {1, 3, 9}) {
    ASSERT_TRUE(positionFromParameters(one, i));
    ASSERT_TRUE(velocityFromParameters(one, i));
    EXPECT_EQ(s.X0[i], one.X[i]);
    EXPECT_EQ(s.VZ0[i], one.VZ[i]);
  }
  // The Earth-Moon barycentre at J2000: 0.9833 AU from the Sun, 30.29 km/s (near perihelion).
  EXPECT_NEAR(std::hypot(s.X0[3], s.Y0[3], s.Z0[3]) / s.Lae, 0.9833, 0.001);
  EXPECT_NEAR(std::hypot(s.VX0[3], s.VY0[3], s.VZ0[3]), 30287, 30);
  EXPECT_EQ(s.X0[11], s.X[10]);  // slot 11 receives slot 10
  EXPECT_EQ(s.VY0[11], s.VY[10]);
}

TEST(InitialData, MoonModeSplitsTheEarthMoonPair) {
  State geo = withMoon();
  geo.kodMoon = 1;
  ASSERT_TRUE(positionFromParameters(geo, 10));
  ASSERT_TRUE(velocityFromParameters(geo, 10));
  const double q = geo.m[11] / geo.m[13];

  // Without "Bary": the geocentric position is kept, the velocity reduced by 1/(1 + q), the Earth
  // offset opposite; the pair's momentum is zero.
  State s = withMoon();
  ASSERT_TRUE(initialDataFromParameters(s, inputs(s, false, true)));
  EXPECT_EQ(s.kodMoon, 1);
  EXPECT_EQ(s.X0[11], geo.X[10]);
  EXPECT_NEAR(s.VX0[11], geo.VX[10] / (1 + q), 1e-12);
  EXPECT_EQ(s.X0[13], -q * geo.X[10]);
  EXPECT_EQ(s.VY0[13], -s.VY0[11] * q);
  EXPECT_NEAR(s.m[11] * s.VX0[11] + s.m[13] * s.VX0[13], 0.0, 1e-9 * s.m[11] * 1000);
  EXPECT_EQ(s.m[3], s.m[13]);
  EXPECT_EQ(s.km[3], s.m[0] / s.m[13]);
  EXPECT_EQ(s.X0[10], geo.X[10]);  // the integrated object keeps the converted state

  State b = withMoon();  // with "Bary": both offsets added to the Moon
  ASSERT_TRUE(initialDataFromParameters(b, inputs(b, true, true)));
  EXPECT_EQ(b.kodBary, 1);
  EXPECT_EQ(b.X0[13], -q * b.X[10]);
  EXPECT_EQ(b.X0[11], b.X[10] + b.X0[13]);
  EXPECT_EQ(b.VX0[11], b.VX[10] + b.VX0[13]);
}

TEST(InitialData, FailureKeepsWhatWasWritten) {
  State s = planetsJ2000();
  s.Eks0[5] = 1.0;
  s.X0[5] = 77;
  EXPECT_FALSE(initialDataFromParameters(s, inputs(s)));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_NE(s.X0[4], 0.0);
  EXPECT_EQ(s.X0[5], 77.0);
}

TEST(InitialData, CentreOfMassToOriginAndSunVelocity) {
  State s = planetsJ2000();
  ASSERT_TRUE(initialDataFromParameters(s, inputs(s)));
  s.kUch[8] = 0;  // Neptune does not take part: moving it does not move the centre
  ASSERT_TRUE(centreOfMass(s));
  const double xcm = s.X[kCentreSlot];
  s.X0[8] -= 2e13;
  ASSERT_TRUE(centreOfMass(s));
  EXPECT_EQ(s.X[kCentreSlot], xcm);
  EXPECT_GT(std::fabs(xcm), 1e8);  // Jupiter alone shifts it by ~7e8 m

  const double x8 = s.X0[8];
  ASSERT_TRUE(centreOfMassToOrigin(s));
  EXPECT_EQ(s.X[kCentreSlot], 0.0);
  EXPECT_EQ(s.X0[8], x8 - xcm);  // shifted although not participating
  EXPECT_EQ(s.X[3], s.X0[3]);
  double c[3] = {}, p[3] = {}, mass = 0, pScale = 0;
  ASSERT_TRUE(sunVelocityFromPlanets(s));
  for (int i = 0; i <= 10; ++i) {
    const double w = s.kUch[i] * s.m[i];
    c[0] += w * s.X0[i], c[1] += w * s.Y0[i], c[2] += w * s.Z0[i];
    p[0] += w * s.VX0[i], p[1] += w * s.VY0[i], p[2] += w * s.VZ0[i];
    mass += w;
    pScale += w * std::hypot(s.VX0[i], s.VY0[i], s.VZ0[i]);
  }
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(c[k] / mass, 0.0, 1e-4);  // metres, from coordinates up to 1e13 m
    EXPECT_NEAR(p[k] / pScale, 0.0, 1e-15);
  }
  EXPECT_EQ(s.VX[0], s.VX0[0]);
  // The Sun's reflex speed is of the order of Jupiter's m5/m0 * 13 km/s = 12 m/s.
  EXPECT_GT(std::hypot(s.VX0[0], s.VY0[0], s.VZ0[0]), 5.0);
  EXPECT_LT(std::hypot(s.VX0[0], s.VY0[0], s.VZ0[0]), 25.0);

  const double v3 = s.VX0[3], vSun = s.VX0[0];
  addSunVelocityToPlanets(s);
  addSunVelocityToPlanets(s);  // twice adds twice
  EXPECT_EQ(s.VX0[3], v3 + vSun + vSun);
  EXPECT_EQ(s.VX[3], s.VX0[3]);
}

TEST(InitialData, CorrectionFailuresReportError) {
  State s = planetsJ2000();
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
