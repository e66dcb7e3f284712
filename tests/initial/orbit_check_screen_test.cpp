// The orbit check of screen 1 headless: the check of a planet reproduces its Kepler period, the
// stop / continue / NC0-steps commands, and bad input leaving the loaded data as they were.
#include <gtest/gtest.h>

#include <cmath>

#include "initial/screen_bench.h"
#include "model/format.h"

namespace orvant {
namespace {

using test::ScreenBench;

double shown(ui::Form& f, const char* id) {
  const auto v = f.number(id);
  EXPECT_TRUE(v.has_value()) << id << " = '" << f.text(id) << "'";
  return v.value_or(NAN);
}

// Mercury of Kin0 at 1801 about the Sun held still ("при Vsol=const"): the initial velocity was
// made for the Sun's mass alone, so the period is 2 pi sqrt(a^3/(G mSol)).
TEST(OrbitCheckScreen, MercuryClosesItsOrbitAndStopsOnRequest) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  ASSERT_TRUE(f.enabled("checkStart"));
  f.choose("traced", 1);
  f.tick("kSun", true);
  f.type("H0", "1800");
  f.type("NC0", "100");
  // Some 11000 steps make a Mercury year (H0/100 inside the three windows of +-1 degree); the
  // first passage closes a partial turn, so stop after the second and go on over the third.
  const double sunX = s.X[0], mercuryX = s.X[1], mercuryVY = s.VY[1];
  b.desk.limitDisplays(150);
  ASSERT_TRUE(f.press("checkStart"));
  EXPECT_TRUE(b.messages().empty());
  // The check moved its own copy of the two bodies: the model's are where they were.
  EXPECT_EQ(s.X[0], sunX);
  EXPECT_EQ(s.X[1], mercuryX);
  EXPECT_EQ(s.VY[1], mercuryVY);
  // At the screen's first scale (Neptune's orbit) Mercury would be a dot: the check's picture
  // takes a scale that shows its orbit, and the bar shows it.
  const double r = std::hypot(s.X[1] - s.X[0], s.Y[1] - s.Y[0]);
  EXPECT_GE(r / s.Mx1, 1);
  EXPECT_LE(r / s.Mx1, 9);
  EXPECT_EQ(s.Mx1, f.position("scale") * InitialDataScreen::kScaleStep);
  const double a = s.R0sr[1];
  const double T = 2 * M_PI * std::sqrt(a * a * a / (s.gamma * s.m[0])) / 86400;
  b.desk.limitDisplays(150);
  ASSERT_TRUE(f.press("checkGo"));
  EXPECT_NEAR(shown(f, "chkTper"), T, 1e-5);  // days; the step is 0.02 d
  EXPECT_NEAR(shown(f, "chkEks"), s.Eks0[1], 2e-6);  // 6 decimals shown
  EXPECT_NEAR(shown(f, "chkRsr") * s.MK, a, 0.02 * s.MK);  // 2 decimals of thousand km
  EXPECT_NEAR(shown(f, "chkdAlfaP"), 0, 0.5);   // arcseconds: RK4 at 4900 steps a turn
  EXPECT_NEAR(shown(f, "chkdAlfaU"), 0, 1e-3);
  // The Sun held still takes no momentum: the energy of the pair is kept all the same.
  EXPECT_NEAR(std::fabs(shown(f, "chkdEsys")), 0, 1e-6);  // per cent
  EXPECT_NEAR(shown(f, "chkBetta"), s.Betta0[1] * s.kUgol, 1e-5);
  // After the loop the table shows the initial data.
  EXPECT_EQ(f.option(InitialDataScreen::kView), InitialDataScreen::kInitialView);
  EXPECT_EQ(f.cellNumber("tab", 1, 0).value(), truncDecimals(s.X[1] / s.MK, 6));

  // "сделать NC0 шагов": NC0 steps, one display, stop (no display point is passed on).
  const double t0 = shown(f, "chkdT");
  f.type("NC0", "2000");
  b.desk.limitDisplays(-1);
  ASSERT_TRUE(f.press("checkSteps"));
  EXPECT_EQ(s.kStop, 1);
  const double dt = shown(f, "chkdT") - t0;
  EXPECT_GT(dt, 2000 * 18.0 / s.sekG - 0.011);  // at least NC0 reduced steps of H0/100
  EXPECT_LE(dt, 2000 * 1800.0 / s.sekG + 0.011);  // at most NC0 main steps
  EXPECT_TRUE(b.messages().empty());
}

TEST(OrbitCheckScreen, MoonModeChecksTheMoonAboutTheEarth) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  f.tick("kodMoon", true);
  b.load("Kin0 (J2000)", "2000", "1", "1,5");
  f.press("calc");
  b.messages();
  EXPECT_EQ(f.option("traced"), 1);
  ASSERT_TRUE(f.choose("traced", 11));  // "Луна"
  f.type("H0", "600");
  f.type("NC0", "100");
  f.type("kShag", "10");
  f.type("dAlfa", "20");
  b.desk.limitDisplays(500);  // 50000 steps: some three turns of the Moon
  ASSERT_TRUE(f.press("checkStart"));
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(f.text("Tref"), "(справочно T= " + screenNumber(s.Tsid[11]) + " дней)");
  // The Moon's orbit about the Earth closes in the period of the relative state the Earth-Moon
  // split of the initial data gives (vis-viva with G (m13 + m10)): a turn in some 27.8 days, the
  // split having stretched the distance by 1 + m11/m13 without "Bary".
  const double dx = s.X0[11] - s.X0[13], dy = s.Y0[11] - s.Y0[13], dz = s.Z0[11] - s.Z0[13];
  const double vx = s.VX0[11] - s.VX0[13], vy = s.VY0[11] - s.VY0[13], vz = s.VZ0[11] - s.VZ0[13];
  const double mu = s.gamma * (s.m[13] + s.m[10]);
  const double a = 1 / (2 / std::sqrt(dx * dx + dy * dy + dz * dz) - (vx * vx + vy * vy + vz * vz) / mu);
  const double T = 2 * M_PI * std::sqrt(a * a * a / mu) / 86400;
  EXPECT_NEAR(shown(f, "chkTper"), T, 1e-4);
  EXPECT_NEAR(T, 27.8, 0.2);
}

TEST(OrbitCheckScreen, BadInputShowsTheMessageAndKeepsTheData) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  const double X0 = s.X0[1], VY0 = s.VY0[1];
  for (const char* box : {"H0", "NC0", "kShag", "dAlfa"}) {
    const std::string old = f.text(box);
    f.type(box, "abc");
    f.press("checkStart");
    EXPECT_EQ(b.messages(), std::vector<std::string>{"Orvant7: Задайте правильно данные"}) << box;
    f.type(box, old);
  }
  f.type("NC0", "0");
  f.press("checkStart");
  EXPECT_EQ(b.messages().size(), 1u);
  f.type("NC0", "1000");
  // No body to trace: none takes part.
  for (int i = 1; i <= 9; ++i) f.tick("kUch" + std::to_string(i), false);
  EXPECT_EQ(f.option("traced"), -1);
  f.press("checkStart");
  EXPECT_EQ(b.messages(), std::vector<std::string>{"Orvant7: Задайте правильно данные"});
  // Nothing to continue.
  f.press("checkGo");
  f.press("checkSteps");
  EXPECT_EQ(b.messages().size(), 2u);
  EXPECT_EQ(s.X0[1], X0);
  EXPECT_EQ(s.VY0[1], VY0);
}

}  // namespace
}  // namespace orvant
