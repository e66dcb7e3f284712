// Screen 20 headless: each theory puts the Moon where its elements say, the focus option keeps the
// Earth-Moon centre of mass, the check of the pair closes on the elements, and bad input changes
// nothing.
#include "initial/screens/moon_data_screen.h"

#include <gtest/gtest.h>

#include <cmath>

#include "astro/transform.h"
#include "astro/etut.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "initial/screen_bench.h"
#include "astro/twobody.h"

namespace orvant {
namespace {

struct MoonBench : test::ScreenBench {
  MoonBench() {
    wb.add<MoonDataScreen>(kMoonDataScreen);
    first();  // the program's start: the catalogue, masses, Kin0 at 1801
    messages();
  }
  ui::Form& moon() { return wb.show(kMoonDataScreen).form(); }
};

double number(ui::Form& f, const char* id) { return f.number(id).value_or(NAN); }

// The Moon's geocentric position from the theory's elements at the date, computed apart.
std::array<double, 3> theoryPosition(State s, int theory, double JD) {
  const double JDE = JD + ETUT1939(s, JD) / 86400;
  s.JD = theory == MoonDataScreen::Kin0p ? JD : JDE;
  if (theory == MoonDataScreen::New0) ThNew0(s, 11);
  if (theory == MoonDataScreen::JPL0) ThJ2000(s, 11);
  if (theory == MoonDataScreen::Kin0p) ThKin0(s, 11);
  EXPECT_TRUE(positionFromParameters(s, 11));
  return {s.X[11], s.Y[11], s.Z[11]};
}

TEST(MoonDataScreen, EachTheoryPlacesTheMoonByItsElements) {
  MoonBench b;
  ui::Form& f = b.moon();
  State& s = b.state;
  EXPECT_EQ(b.wb.screen(kMoonDataScreen).title(), "Рассчет начальных данных для Луны");
  ASSERT_TRUE(f.press("GJ"));
  EXPECT_EQ(s.JD, 2451545.0);
  f.tick("fX3", false);  // the Earth left in the origin: slot 11 is the geocentric Moon
  for (int theory : {0, 1, 2}) {
    f.choose("theory", theory);
    ASSERT_TRUE(f.press("set"));
    EXPECT_TRUE(b.messages().empty());
    EXPECT_EQ(s.JD, 2451545.0);  // the date is given back
    EXPECT_EQ(s.kodMoon, 1);
    const auto p = theoryPosition(s, theory, 2451545.0);
    EXPECT_NEAR(s.X0[11], p[0], 1e-3) << theory;
    EXPECT_NEAR(s.Y0[11], p[1], 1e-3) << theory;
    EXPECT_NEAR(s.Z0[11], p[2], 1e-3) << theory;
    EXPECT_EQ(s.X0[0], 0);
    // The Moon seen from the Earth against the short series MoonPos of the date: mean elements
    // leave out the evection (1.27 deg), the variation (0.66 deg) and the smaller terms.
    State c = s;
    MoonPos(c, (2451545.0 + s.ETUT / 86400 - 2451545.0) / 36525);
    double dL = number(f, "GeoL") - c.Lk[11];
    dL -= 360 * std::round(dL / 360);
    EXPECT_LT(std::fabs(dL), 2.5) << theory;
    EXPECT_NEAR(number(f, "GeoB"), c.Bk[11], 0.5) << theory;
    EXPECT_NEAR(number(f, "GeoR") * s.MK / c.Rij[3][11], 1, 0.03) << theory;
    EXPECT_EQ(number(f, "ETUT"), 126.62);  // the 1939 formula at T = 1: 24.35 + 72.32 + 29.95 s
    // The default scale shows the Moon: its green disk lies within the 10 x 13 cm picture.
    int moonShown = 0;
    for (const auto& sh : static_cast<ui::MemoryForm&>(f).memoryCanvas("pic").shapes())
      if (sh.type == ui::Shape::Type::Circle && sh.color == ui::kGreen && sh.cx1 > 0 && sh.cx1 < 10 &&
          sh.cy1 > 0 && sh.cy1 < 13)
        ++moonShown;
    EXPECT_GE(moonShown, 1) << theory;
  }
}

// The centre of mass of the pair and its velocity, m and m/s.
std::array<double, 4> barycentre(const State& s) {
  const double M = s.m[11] + s.m[13];
  return {(s.m[11] * s.X0[11] + s.m[13] * s.X0[0]) / M, (s.m[11] * s.Y0[11] + s.m[13] * s.Y0[0]) / M,
          (s.m[11] * s.VX0[11] + s.m[13] * s.VX0[0]) / M, (s.m[11] * s.VY0[11] + s.m[13] * s.VY0[0]) / M};
}

TEST(MoonDataScreen, FocusOptionKeepsTheCentreOfMass) {
  MoonBench b;
  ui::Form& f = b.moon();
  State& s = b.state;
  f.press("GJ");
  f.type("VXsys", "1000");
  EXPECT_TRUE(f.checked("fVgeo"));
  ASSERT_TRUE(f.press("set"));
  const auto geo = barycentre(s);
  const std::array<double, 3> relGeo = {s.X0[11] - s.X0[0], s.VX0[11] - s.VX0[0], s.VY0[11] - s.VY0[0]};
  f.choose("focus", 1);
  EXPECT_TRUE(f.checked("fX11"));
  EXPECT_TRUE(f.checked("fVX11"));
  EXPECT_FALSE(f.checked("fVgeo"));
  ASSERT_TRUE(f.press("set"));
  const auto bary = barycentre(s);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(bary[i], geo[i], i < 2 ? 1e-6 : 1e-9) << i;
  EXPECT_NEAR(geo[2], 1000, 1e-9);  // only the X velocities receive VXsys
  EXPECT_NEAR(geo[3], 0, 1e-9);
  // The relative position is the geocentric one in the barycentric focus, 1 + m11/m13 times it
  // with the Earth moved out of the centre.
  const double q = s.m[11] / s.m[13];
  EXPECT_NEAR((s.X0[11] - s.X0[0]) * (1 + q) / relGeo[0], 1, 1e-12);
  EXPECT_TRUE(b.messages().empty());
}

// With the focus in the barycentre the pair starts on the theory's ellipse about m11 + m13: the
// check gives the elements back.
TEST(MoonDataScreen, MoonOrbitCheckCloses) {
  MoonBench b;
  ui::Form& f = b.moon();
  State& s = b.state;
  f.press("GJ");
  f.choose("theory", 2);
  f.choose("focus", 1);
  ASSERT_TRUE(f.press("set"));
  b.desk.limitDisplays(1200);  // some two and a half turns at 360 s (36 s inside the windows)
  ASSERT_TRUE(f.press("checkStart"));
  EXPECT_TRUE(b.messages().empty());
  const double a = s.R0sr[11], e = s.Eks0[11];
  const double T = 2 * M_PI * std::sqrt(a * a * a / (s.gamma * (s.m[11] + s.m[13]))) / 86400;
  ASSERT_GE(number(f, "Nper"), 2);
  EXPECT_NEAR(f.cellNumber("res", 0, 1).value(), T, 1e-5);
  EXPECT_NEAR(f.cellNumber("res", 1, 1).value() * s.MK, a, 2.0);  // metres
  EXPECT_NEAR(f.cellNumber("res", 2, 1).value(), e, 2e-6);
  EXPECT_NEAR(f.cellNumber("res", 3, 2).value(), 0, 1e-5);  // degrees
  EXPECT_NEAR(f.cellNumber("res", 4, 2).value(), 0, 1e-5);
  EXPECT_NEAR(f.cellNumber("res", 5, 2).value(), 0, 1e-5);
  for (const char* id : {"dEsys", "dMsys", "dmVXsys"}) EXPECT_NEAR(number(f, id), 0, 1e-6) << id;
  // Stop and go on.
  b.desk.limitDisplays(10);
  const double t = number(f, "Tyears");
  ASSERT_TRUE(f.press("checkGo"));
  EXPECT_GT(number(f, "Tyears"), t);
}

TEST(MoonDataScreen, BadInputChangesNothing) {
  MoonBench b;
  ui::Form& f = b.moon();
  State& s = b.state;
  const State before = s;
  for (const char* box : {"km11", "VXsys"}) {
    const std::string old = f.text(box);
    f.type(box, "x");
    f.press("set");
    EXPECT_EQ(b.messages(), std::vector<std::string>{"Orvant7.0: Введите правильно данные"}) << box;
    f.type(box, old);
  }
  f.tick("ovEks", true);
  f.type("Eks0", "1");
  f.press("set");
  EXPECT_EQ(b.messages().size(), 1u);
  EXPECT_EQ(s.X0, before.X0);
  EXPECT_EQ(s.VX0, before.VX0);
  EXPECT_EQ(s.m, before.m);
  EXPECT_EQ(s.kodMoon, before.kodMoon);
  f.type("Day", "a");
  f.press("GJ");
  f.type("JD", "b");
  f.press("JG");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7.0: Введите правильно дату",
                                                    "Orvant7.0: Введите правильно юлианскую дату"}));
  f.type("H0", "-");
  f.press("checkStart");
  f.press("checkGo");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Задайте правильно данные",
                                                    "Orvant7: Задайте правильно данные"}));
}

}  // namespace
}  // namespace orvant
