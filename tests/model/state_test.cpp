#include "model/state.h"

#include <gtest/gtest.h>

namespace orvant {
namespace {

TEST(MassSets, DeriveEarthAloneAndMoon) {
  State s;
  setMassSet(s, 2);
  EXPECT_DOUBLE_EQ(s.m[13], s.m[3] * 81.300585 / 82.300585);
  EXPECT_DOUBLE_EQ(s.m[11], s.m[13] / 81.300585);
  EXPECT_DOUBLE_EQ(s.m[0], 1.98892e30);
  EXPECT_DOUBLE_EQ(s.m[5], 1.98892e30 / 1047.3486);
  EXPECT_DOUBLE_EQ(s.km[0], 1);
  // Sets 1 and 3 share mSol but differ in the planets' ratios.
  setMassSet(s, 1);
  EXPECT_DOUBLE_EQ(s.m[9], 1.98976e30 / 15408856);
  setMassSet(s, 3);
  EXPECT_DOUBLE_EQ(s.m[9], 1.98976e30 / 135200000);
  EXPECT_DOUBLE_EQ(s.km[11], 81.3);
  EXPECT_DOUBLE_EQ(gammaOfMassSet(1), 66.7006e-12);
  EXPECT_DOUBLE_EQ(gammaOfMassSet(3), 66.7259e-12);
}

TEST(Constants, UseTheProgramsOwnPi) {
  State s;
  EXPECT_EQ(s.Pi, 3.14159265359);
  EXPECT_NEAR(s.kUgol, 57.29577951307855, 1e-13);
  // 180/pi to full precision differs in the 11th digit: the program's value must not be it.
  EXPECT_GT(std::abs(s.kUgol - 57.29577951308232), 1e-12);
  EXPECT_EQ(s.Vsv, 299792500.0);
  EXPECT_EQ(s.Nob, 10);
  EXPECT_EQ(s.Neq, 65);
  EXPECT_EQ(s.DayMonth[2][0], 28);
  EXPECT_EQ(s.DayMonth[12][2], 35);
  EXPECT_EQ(s.DayMonth[13][0], 0);
}

TEST(Fraction, IsInUnitIntervalForNegatives) {
  EXPECT_DOUBLE_EQ(frac(2.25), 0.25);
  EXPECT_DOUBLE_EQ(frac(-0.25), 0.75);
  EXPECT_EQ(frac(-3.0), 0.0);
  State s;
  EXPECT_NEAR(reduceAngle(s, -0.5), 2 * s.Pi - 0.5, 1e-15);
}

TEST(Participation, PairMatrixFollowsBoxes) {
  State s;
  s.kUch.fill(0);
  s.kUch[0] = s.kUch[3] = s.kUch[5] = 1;
  rebuildParticipation(s);
  EXPECT_EQ(s.kVz[0][3], 1);
  EXPECT_EQ(s.kVz[5][3], 1);
  EXPECT_EQ(s.kVz[3][3], 1);
  EXPECT_EQ(s.kVz[1][3], 0);
  EXPECT_EQ(s.kVz[0][10], 0);
}

TEST(MoonMode, SlotElevenCopiedAndReduced) {
  State s;
  setMassSet(s, 2);
  s.AlfaL[11] = -0.5;
  s.AlfaP0[11] = 7.0;
  s.Eks0[11] = 0.0549;
  s.R0sr[11] = 384400e3;
  copyMoonSlot(s);
  EXPECT_NEAR(s.AlfaL[10], 2 * s.Pi - 0.5, 1e-15);
  EXPECT_NEAR(s.AlfaP0[10], 7.0 - 2 * s.Pi, 1e-15);
  EXPECT_EQ(s.Eks0[10], 0.0549);
  EXPECT_EQ(s.m[10], s.m[11]);
  EXPECT_EQ(s.km[10], s.km[11]);
  makeEarthAlone(s);
  EXPECT_EQ(s.m[3], s.m[13]);
  EXPECT_DOUBLE_EQ(s.km[3], s.mSol / s.m[13]);
  s.kodMoon = 1;
  EXPECT_EQ(objectName(s, 10), "Луна");
  s.kodMoon = 0;
  EXPECT_EQ(objectName(s, 10), "Ксена");
}

}  // namespace
}  // namespace orvant
