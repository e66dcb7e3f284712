// The theories' quoted values and edge cases: New0 at 1900, the J2000 theory at J2000, Kin0 and
// Kin0+ at J2000, objects the theories do not serve, the Moon's distance rules, MoonToJ2000 and
// MoonPos (including Meeus's worked example of the Moon's position).
#include <gtest/gtest.h>

#include <cmath>

#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "model/state.h"

namespace orvant {
namespace {

constexpr double kJD1900 = 2415020.0;
constexpr double kJD2000 = 2451545.0;
constexpr double kLaeM = 149597870691.0;
constexpr double kArcsecPerRad = 206264.80624709636;  // for converting expectations only

using Theory = void (*)(State&, int);
constexpr Theory kAll[] = {ThNew0, ThJ2000, ThKin0, ThKin0p};

// Degrees of an angle held in radians with the program's own pi (kUgol = 180/3.14159265359).
double deg(const State& s, double rad) { return rad * s.kUgol; }

// Everything a theory may write, to see what a call changed.
struct Snapshot {
  Darr<kObjects> AlfaL, R0sr, R0ae, W0sr, Eks0, Betta0, AlfaP0, AlfaU0;
  double Lae;
  explicit Snapshot(const State& s)
      : AlfaL(s.AlfaL), R0sr(s.R0sr), R0ae(s.R0ae), W0sr(s.W0sr), Eks0(s.Eks0), Betta0(s.Betta0),
        AlfaP0(s.AlfaP0), AlfaU0(s.AlfaU0), Lae(s.Lae) {}
  bool operator==(const Snapshot&) const = default;
};

// Fills every parameter array with values no theory produces.
void fillSentinels(State& s) {
  for (int i = 0; i < kObjects; ++i) {
    s.AlfaL[i] = s.R0sr[i] = s.R0ae[i] = s.W0sr[i] = -1000.0 - i;
    s.Eks0[i] = s.Betta0[i] = s.AlfaP0[i] = s.AlfaU0[i] = -2000.0 - i;
  }
  s.Lae = 1.0;
}

TEST(TheoryNew0, EarthAt1900IsTheTablesEpochValue) {
  State s;
  s.JD = kJD1900;  // T = 0
  ThNew0(s, 3);
  EXPECT_NEAR(deg(s, s.AlfaL[3]), 99 + 41 / 60.0 + 48.04 / 3600, 1e-11);  // 99°41'48.04"
  EXPECT_EQ(s.Eks0[3], 0.01675104);
  EXPECT_EQ(s.AlfaU0[3], 0.0);  // the Earth's node and inclination are 0
  EXPECT_EQ(s.Betta0[3], 0.0);
  EXPECT_NEAR(deg(s, s.AlfaP0[3]), 101 + 13 / 60.0 + 15 / 3600.0, 1e-11);
  EXPECT_EQ(s.R0ae[3], 1.00000023);
  EXPECT_NEAR(s.R0sr[3], 1.00000023 * kLaeM, 1e-3);
  // Mean motion of Mercury..Mars in "/day: the Earth's 3548.1928323"/day at T = 0.
  EXPECT_NEAR(s.W0sr[3] * s.sekD * s.kUgol * 3600, 3548.1928323, 1e-9);
}

TEST(TheoryNew0, OuterPlanetsMoveAtTheRateOfTheirMeanLongitude) {
  State s;
  // Pluto: L = 90.9046 + 146.605 T degrees, and W0sr is that rate.
  s.JD = kJD1900;
  ThNew0(s, 9);
  EXPECT_NEAR(deg(s, s.AlfaL[9]), 90.9046, 1e-11);
  EXPECT_NEAR(s.W0sr[9] * s.kUgol * 100 * s.sekG, 146.605, 1e-10);
  const double L0 = s.AlfaL[9];
  s.JD = kJD1900 + 36525;
  ThNew0(s, 9);
  EXPECT_NEAR((s.AlfaL[9] - L0) / (36525.0 * 86400), s.W0sr[9], 1e-22);
  // Jupiter: 10930687.148"/century, the T coefficient of its mean longitude.
  ThNew0(s, 5);
  EXPECT_NEAR(s.W0sr[5] * s.kUgol * 100 * s.sekG * 3600, 10930687.148, 1e-6);
}

TEST(TheoryJ2000, MercuryAtJ2000) {
  State s;
  s.JD = kJD2000;
  ThJ2000(s, 1);
  EXPECT_NEAR(deg(s, s.AlfaL[1]), 252.2503235, 1e-11);
  EXPECT_EQ(s.R0ae[1], 0.38709927);
  EXPECT_EQ(s.R0sr[1], 0.38709927 * 149597870691.0);
  EXPECT_EQ(s.Eks0[1], 0.20563593);
}

TEST(TheoryAll, SetTheAstronomicalUnitBeforeTheSemiMajorAxis) {
  for (Theory th : kAll) {
    State s;
    s.Lae = 1.0;
    s.JD = kJD2000;
    th(s, 7);  // Uranus: R0sr = R0ae*Lae in every theory
    EXPECT_EQ(s.Lae, kLaeM);
    EXPECT_EQ(s.R0sr[7], s.R0ae[7] * kLaeM);
  }
}

TEST(TheoryAll, ObjectsNotServedChangeNothing) {
  for (Theory th : kAll) {
    for (int I : {-1, 0, 10, 12, 13, 14, 1000}) {
      State s;
      fillSentinels(s);
      s.JD = kJD2000 + 1234.5;
      const Snapshot before(s);
      th(s, I);
      EXPECT_TRUE(Snapshot(s) == before) << "object " << I;
    }
  }
  for (int I = 1; I <= 11; ++I) EXPECT_EQ(theoryServes(I), I != 10) << I;
}

TEST(TheoryAll, WriteOnlyTheRequestedObject) {
  for (Theory th : kAll) {
    for (int I : {1, 3, 5, 9, 11}) {
      State s;
      fillSentinels(s);
      s.JD = kJD1900 + 20000;
      th(s, I);
      for (int k = 0; k < kObjects; ++k) {
        if (k == I) continue;
        EXPECT_EQ(s.AlfaL[k], -1000.0 - k) << I << " wrote object " << k;
        EXPECT_EQ(s.R0sr[k], -1000.0 - k) << I << " wrote object " << k;
        EXPECT_EQ(s.AlfaU0[k], -2000.0 - k) << I << " wrote object " << k;
      }
    }
  }
}

TEST(TheoryKin, EarthAtJ2000InBothVariants) {
  State s;
  s.JD = kJD2000;
  ThKin0(s, 3);
  EXPECT_EQ(s.R0sr[3], 149618177000.0);
  EXPECT_NEAR(deg(s, s.AlfaL[3]), 100.464217, 1e-11);
  EXPECT_NEAR(s.W0sr[3] * 100 * s.sekG, 628.307602, 1e-12);  // rad/century, no kUgol
  ThKin0p(s, 3);
  EXPECT_NEAR(deg(s, s.AlfaL[3]), 100.46501957, 1e-11);
  EXPECT_EQ(s.R0sr[3], 149618177000.0);
  EXPECT_NEAR(s.Eks0[3], 0.0167144, 1e-15);
}

TEST(TheoryKin, VariantsDifferOnlyInTheEarth) {
  for (double T : {-25.0, -1.3, 0.0, 0.42, 3.0}) {
    State a, b;
    a.JD = b.JD = kJD2000 + T * 36525;
    for (int I : {1, 2, 4, 5, 6, 7, 8, 9, 11}) {
      ThKin0(a, I);
      ThKin0p(b, I);
    }
    EXPECT_TRUE(Snapshot(a) == Snapshot(b)) << T;
    ThKin0(a, 3);
    ThKin0p(b, 3);
    if (T != 0) {
      EXPECT_NE(a.Eks0[3], b.Eks0[3]);
    }
    EXPECT_EQ(a.AlfaU0[3], b.AlfaU0[3]);  // the node and the axis are Kin0's
    EXPECT_EQ(a.R0sr[3], b.R0sr[3]);
  }
}

TEST(TheoryKin, GiantsAreExactlyTheJ2000Theory) {
  for (double T : {-30.0, -2.0, -0.123, 0.0, 0.5, 10.0}) {
    for (int I = 5; I <= 9; ++I) {
      State a, b, c;
      a.JD = b.JD = c.JD = kJD2000 + T * 36525;
      ThKin0(a, I);
      ThJ2000(b, I);
      ThKin0p(c, I);
      EXPECT_TRUE(Snapshot(a) == Snapshot(b)) << "object " << I << " T " << T;
      EXPECT_TRUE(Snapshot(c) == Snapshot(b)) << "object " << I << " T " << T;
    }
  }
}

TEST(TheoryKin, InnerPlanetsLeaveTheAxisInAuAlone) {
  State s;
  fillSentinels(s);
  s.JD = kJD2000 + 5000;
  for (int I = 1; I <= 4; ++I) {
    ThKin0(s, I);
    ThKin0p(s, I);
    EXPECT_EQ(s.R0ae[I], -1000.0 - I);
  }
  // Mercury's axis in thousand km, written in metres.
  s.JD = kJD2000;
  ThKin0(s, 1);
  EXPECT_EQ(s.R0sr[1], 57917285000.0);
}

// ---------------------------------------------------------------------------------------------
// The Moon.

TEST(TheoryMoon, MeanDistanceIsTheSameInEveryTheoryAndDate) {
  for (Theory th : kAll) {
    for (double jd : {kJD1900 - 400000, kJD1900, kJD2000, kJD2000 + 77777.7}) {
      State s;
      fillSentinels(s);
      s.JD = jd;
      th(s, 11);
      EXPECT_EQ(s.R0sr[11], 384402000.0);
      EXPECT_EQ(s.R0ae[11], -1000.0 - 11);  // R0ae(11) is not set
    }
  }
  for (double T : {-3.0, -0.1, 0.0, 0.7}) {
    State s;
    MoonPos(s, T);
    EXPECT_EQ(s.R0sr[11], 384402000.0);
  }
}

TEST(TheoryMoon, LunarBranchesAtTheirEpochs) {
  State s;
  s.JD = kJD1900;
  ThNew0(s, 11);  // Brown, T = 0
  EXPECT_NEAR(deg(s, s.AlfaL[11]), 270.434164, 1e-11);
  EXPECT_NEAR(deg(s, s.Betta0[11]), 5 + 8 / 60.0 + 43.427 / 3600, 1e-12);
  EXPECT_EQ(s.Eks0[11], 0.054900489);
  EXPECT_NEAR(s.W0sr[11] * s.kUgol * 100 * s.sekG, 481267.88088, 1e-7);
  s.JD = kJD2000;
  ThJ2000(s, 11);  // Meeus, equinox of the date
  EXPECT_NEAR(deg(s, s.AlfaL[11]), 218.31617, 1e-11);
  EXPECT_NEAR(deg(s, s.AlfaU0[11]), 125.044555, 1e-11);
  EXPECT_NEAR(deg(s, s.Betta0[11]) * 3600, 18520, 1e-9);
  ThKin0(s, 11);
  EXPECT_NEAR(deg(s, s.AlfaP0[11]), 83.354172, 1e-11);
  EXPECT_NEAR(s.Eks0[11], 0.0549329, 1e-16);
  EXPECT_NEAR(s.W0sr[11] * 100 * s.sekG, 8399.684874, 1e-9);  // rad/century
}

TEST(TheoryMoon, ToJ2000AtJ2000OnlyLowersTheMeanMotion) {
  State s;
  s.JD = kJD2000;
  ThJ2000(s, 11);
  const Snapshot before(s);
  MoonToJ2000(s);
  EXPECT_EQ(s.AlfaL[11], before.AlfaL[11]);
  EXPECT_EQ(s.AlfaU0[11], before.AlfaU0[11]);
  EXPECT_EQ(s.AlfaP0[11], before.AlfaP0[11]);
  // 5029.0966"/century in rad/s.
  const double rate = 5029.0966 / kArcsecPerRad / 100 / 31557600;
  EXPECT_NEAR(before.W0sr[11] - s.W0sr[11], rate, 1e-22);
}

TEST(TheoryMoon, ToJ2000OneCenturyAfterJ2000) {
  State s;
  s.JD = kJD2000 + 36525;
  ThJ2000(s, 11);
  const Snapshot before(s);
  MoonToJ2000(s);
  // p = -5030.2077": the longitudes fall by 1.3973 degrees.
  for (auto member : {&Snapshot::AlfaL, &Snapshot::AlfaU0, &Snapshot::AlfaP0}) {
    const double dp = (Snapshot(s).*member)[11] - (before.*member)[11];
    EXPECT_NEAR(dp * s.kUgol * 3600, -5030.2077, 1e-4);
    EXPECT_NEAR(dp * s.kUgol, -1.3973, 5e-5);
  }
  EXPECT_EQ(s.Betta0[11], before.Betta0[11]);
  EXPECT_EQ(s.Eks0[11], before.Eks0[11]);
}

TEST(TheoryMoonPos, DistanceAtPerigeeAndApogee) {
  // Mean anomaly l = 2*pi*frac(0.374897 + 1325.55241 T): 0 at perigee, pi at apogee.
  State s;
  MoonPos(s, (1 - 0.374897) / 1325.55241);
  EXPECT_NEAR(s.Rij[3][11], 384402000 * (1 - 0.0549), 0.01);
  MoonPos(s, (0.5 - 0.374897) / 1325.55241);
  EXPECT_NEAR(s.Rij[3][11], 384402000 * (1 + 0.0549), 0.01);
  // Elsewhere the distance stays inside the ellipse's range.
  for (double T = -1; T < 1; T += 0.0137) {
    MoonPos(s, T);
    EXPECT_GE(s.Rij[3][11], 384402000 * (1 - 0.0549) - 0.01);
    EXPECT_LE(s.Rij[3][11], 384402000 * (1 + 0.0549) + 0.01);
  }
}

TEST(TheoryMoonPos, ElementSlot) {
  for (double T : {-2.5, -0.077, 0.0, 0.31}) {
    State s;
    MoonPos(s, T);
    const double twoPi = 2 * s.Pi;
    EXPECT_EQ(s.Eks0[11], 0.0549);
    EXPECT_NEAR(deg(s, s.Betta0[11]), 5.14444, 1e-12);
    EXPECT_NEAR(s.W0sr[11], twoPi * 1336.855225 / 36525 / 86400, 1e-20);
    for (double a : {s.AlfaL[11], s.AlfaU0[11], s.AlfaP0[11]}) {
      EXPECT_GE(a, 0.0);
      EXPECT_LT(a, twoPi);
    }
    EXPECT_GE(s.Lk[11], 0.0);
    EXPECT_LT(s.Lk[11], 360.0);
  }
}

// J. Meeus, Astronomical Algorithms, example 47.a: 1992 April 12, 0h TD (JD 2448724.5), the Moon
// at geocentric longitude 133.162655 deg and latitude -3.229126 deg (mean equinox of the date,
// before nutation), distance 368409.7 km. The short series leaves out terms below 55" in
// longitude (a few arc-minutes in all) and 11" in latitude; its distance is the plain ellipse,
// without the evection (3699 km), the variation (2956 km) and smaller terms (< 9000 km in all).
TEST(TheoryMoonPos, MeeusWorkedExample) {
  State s;
  MoonPos(s, (2448724.5 - kJD2000) / 36525);
  EXPECT_NEAR(s.Lk[11], 133.162655, 0.05);
  EXPECT_NEAR(s.Bk[11], -3.229126, 0.02);
  EXPECT_NEAR(s.Rij[3][11], 368409.7e3, 9000e3);
}

}  // namespace
}  // namespace orvant
