// Screen 11: the components of aberration. The total of one iteration for the Earth and Mars at
// rest (VXsys = 0, N = 1) against the light time iterated to convergence and the classical annual
// aberration u + v/c - u (u.v)/c computed here from the same positions and velocities; the
// "* cos(B)" variant on a geometry derived by hand; the edge cases of the Sun and the star; the
// screen headless with its refusals and its stepping.
#include <gtest/gtest.h>

#include <cmath>

#include "model/state.h"
#include "observations/aberration.h"
#include "observations/screens/aberration_screen.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant {
namespace {

constexpr double kDeg = 57.29577951308232;
constexpr double kArcsec = 3600.0;

struct V3 {
  double x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(double k, V3 a) { return {k * a.x, k * a.y, k * a.z}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double norm(V3 a) { return std::sqrt(dot(a, a)); }
double lon(V3 a) {
  const double l = std::atan2(a.y, a.x) * kDeg;
  return l < 0 ? l + 360 : l;
}
double lat(V3 a) { return std::atan2(a.z, std::hypot(a.x, a.y)) * kDeg; }

TEST(Aberration, EarthAndMarsTotalIsLightTimePlusClassicalAberration) {
  for (double day : {1.5, 120.5, 250.25}) {
    State s;
    AberrationInputs in;
    in.Day = day;
    in.Month = 1;
    in.Year = 2000;
    in.Npl = 4;
    in.N = 1;
    AberrationResult r;
    ASSERT_TRUE(placeAberration(s, in, r));
    ASSERT_TRUE(iterateAberration(s, in, r));
    const V3 E{s.X0[3], s.Y0[3], s.Z0[3]}, VE{s.VX0[3], s.VY0[3], s.VZ0[3]};
    const V3 M{s.X0[4], s.Y0[4], s.Z0[4]}, VM{s.VX0[4], s.VY0[4], s.VZ0[4]};
    const double c = s.Vsv;
    // Light time to convergence.
    double tau = norm(M - E) / c;
    for (int k = 0; k < 20; ++k) tau = norm(M - tau * VM - E) / c;
    const V3 u0 = M - E;
    const V3 src = M - tau * VM - E;
    const V3 u = (1 / norm(src)) * src;
    // Classical (first-order) annual aberration of the unit vector.
    const V3 app = u + (1 / c) * VE - (dot(u, VE) / c) * u;
    const double dL = (lon(app) - lon(u0)) * kArcsec, dB = (lat(app) - lat(u0)) * kArcsec;
    EXPECT_NEAR(r.dLs * kArcsec, dL, 0.01) << day;
    EXPECT_NEAR(r.dBs * kArcsec, dB, 0.01) << day;
    // The source part alone is the light time: the planet's motion in one light time.
    EXPECT_NEAR(r.dLis * kArcsec, (lon(src) - lon(u0)) * kArcsec, 0.01) << day;
    // The receiver part is of the size of the aberration constant (20.5").
    EXPECT_LT(std::fabs(r.dLpr * kArcsec), 21.0 / std::cos(r.B0 / kDeg) + 1) << day;
    EXPECT_GT(std::fabs(r.dLpr * kArcsec) + std::fabs(r.dBpr * kArcsec), 1) << day;
    EXPECT_EQ(r.iterations, 1);
  }
}

// Earth at (1e11, 0, 0) m moving (0, u, 0); the object D = 1e11 m away at latitude 60 degrees and
// longitude 0, moving (0, w, 0); VXsys = 0, N = 1, cos B0 = 1/2.
//   Source point P = X0 - (cos B0) V S/c -> relative (D/2, -w S/(2c)): dL_is = atan2(-w S/c, D).
//   Receiver Q = P + (cos B0) V_E S/c -> relative (D/2, (u - w) S/(2c)): dL_s = atan2((u-w) S/c, D).
// Without the cosine: source (D/2, -w tau0, D sqrt3/2), S = sqrt(D^2 + (w tau0)^2) with
// tau0 = D/c; L1 = atan2(-w tau0, D/2); L2 = atan2(-w tau0 + u S/c, D/2).
TEST(Aberration, CosBVariantOnAHandDerivedGeometry) {
  const double D = 1e11, u = 3e4, w = 2e4;
  for (bool cosB : {false, true}) {
    State s;
    const double c = s.Vsv;
    s.X0[3] = 1e11;
    s.Y0[3] = s.Z0[3] = 0;
    s.VX0[3] = 0;
    s.VY0[3] = u;
    s.VZ0[3] = 0;
    s.X0[4] = 1e11 + D / 2;
    s.Y0[4] = 0;
    s.Z0[4] = D * std::sqrt(3.0) / 2;
    s.VX0[4] = s.VZ0[4] = 0;
    s.VY0[4] = w;
    AberrationInputs in;
    in.Npl = 4;
    in.N = 1;
    in.cosB = cosB;
    AberrationResult r;
    r.c = c;
    r.L0 = 0;
    r.B0 = 60;
    const double tau0 = D / c;
    r.lightTime = tau0;
    ASSERT_TRUE(iterateAberration(s, in, r));
    const double S = std::sqrt(D * D + w * tau0 * w * tau0);
    EXPECT_NEAR(r.S, S, 1e-3);
    EXPECT_NEAR(r.lightTime, S / c, 1e-12);
    const double B1 = std::atan2(D * std::sqrt(3.0) / 2, std::hypot(D / 2, w * tau0)) * kDeg;
    EXPECT_NEAR(r.dBis, B1 - 60, 1e-9);
    if (cosB) {
      EXPECT_NEAR(r.dLis, std::atan2(-w * S / c, D) * kDeg, 1e-10);
      EXPECT_NEAR(r.dLs, std::atan2((u - w) * S / c, D) * kDeg, 1e-10);
    } else {
      EXPECT_NEAR(r.dLis, std::atan2(-w * tau0, D / 2) * kDeg, 1e-10);
      EXPECT_NEAR(r.dLs, std::atan2(-w * tau0 + u * S / c, D / 2) * kDeg, 1e-10);
    }
    EXPECT_NEAR(r.dLs, r.dLis + r.dLpr, 1e-12);
  }
}

TEST(Aberration, SunAtRestAndTheStarHaveNoSourceComponent) {
  State s;
  AberrationInputs in;
  in.Npl = 0;  // the Sun, VXsys = 0
  AberrationResult r;
  ASSERT_TRUE(placeAberration(s, in, r));
  ASSERT_TRUE(iterateAberration(s, in, r));
  EXPECT_EQ(r.dLis, 0);
  EXPECT_EQ(r.dBis, 0);
  EXPECT_NE(r.dLpr, 0);
  EXPECT_DOUBLE_EQ(r.dLs, r.dLpr);
  // The star near the ecliptic pole keeps its typed velocity (0) in a moving system.
  in.Npl = kStarObject;
  in.VXsys = 300;
  ASSERT_TRUE(placeAberration(s, in, r));
  ASSERT_TRUE(iterateAberration(s, in, r));
  EXPECT_EQ(r.dLis, 0);
  EXPECT_EQ(r.dBis, 0);
  // Refining: a second iteration starts from the light time of the first.
  in.Npl = 4;
  in.VXsys = 300;
  ASSERT_TRUE(placeAberration(s, in, r));
  ASSERT_TRUE(iterateAberration(s, in, r));
  const double t1 = r.lightTime;
  ASSERT_TRUE(iterateAberration(s, in, r));
  EXPECT_EQ(r.iterations, 2);
  EXPECT_NE(r.lightTime, t1);
  EXPECT_DOUBLE_EQ(foldAngle(-359), 1);
  EXPECT_DOUBLE_EQ(foldAngle(359), -1);
  EXPECT_DOUBLE_EQ(foldAngle(180), 180);
}

TEST(AberrationScreenTest, CommandsRefusalsAndStepping) {
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  wb.add<AberrationScreen>(kAberrationScreen);
  ui::Form& f = wb.show(kAberrationScreen).form();
  for (const ui::Control& c : wb.screen(kAberrationScreen).controls()) {
    if (c.kind == ui::Kind::Button) {
      EXPECT_FALSE(c.help.empty()) << c.id;
    }
  }
  EXPECT_EQ(f.text("scaleText"), "Масштаб = 2 млн.км/см");
  ASSERT_TRUE(f.press("place"));
  EXPECT_TRUE(desk.dialogs().empty());
  EXPECT_FALSE(f.text("L0").empty());
  // The first construction shows the Earth (blue) and Mars (black) on the 7.5 x 8 cm picture, not
  // only the Sun: the bar took a scale that holds them, one that moves in proportion.
  int bodies = 0;
  for (const auto& sh : static_cast<ui::MemoryForm&>(f).memoryCanvas("pic").shapes())
    if (sh.type == ui::Shape::Type::Circle && sh.filled && (sh.color == ui::kBlue || sh.color == ui::kBlack) &&
        sh.cx1 > 0 && sh.cx1 < 7.5 && sh.cy1 > 0 && sh.cy1 < 8)
      ++bodies;
  EXPECT_EQ(bodies, 2);
  EXPECT_NE(f.text("scaleText"), "Масштаб = 2 млн.км/см");
  ASSERT_TRUE(f.press("iterate"));
  EXPECT_EQ(f.text("iterations"), "1");
  auto& scr = wb.screen<AberrationScreen>(kAberrationScreen);
  EXPECT_NEAR(scr.result().dLs, scr.result().dLis + scr.result().dLpr, 1e-12);
  // Two objects checked.
  f.tick("obj5", true);
  ASSERT_TRUE(f.press("place"));
  ASSERT_FALSE(desk.dialogs().empty());
  EXPECT_EQ(desk.dialogs().back().text, "Должен быть отмечен только 1 объект");
  EXPECT_EQ(state.kStop, 1);
  f.tick("obj5", false);
  f.type("N", "abc");
  ASSERT_TRUE(f.press("place"));
  EXPECT_EQ(desk.dialogs().back().text, "Введите правильно данные ");
  f.type("N", "1000");
  // No object checked: the object of the previous run.
  f.tick("obj4", false);
  const std::size_t shown = desk.dialogs().size();
  ASSERT_TRUE(f.press("place"));
  EXPECT_EQ(desk.dialogs().size(), shown);
  EXPECT_EQ(f.text("Xpl").empty(), false);
  f.tick("obj4", true);
  // Stepping: three passes, then the stop at a display point; the date advanced by three steps.
  f.choose("kind", 1);
  desk.limitDisplays(3);
  ASSERT_TRUE(f.press("stepping"));
  EXPECT_EQ(f.text("Day"), "1,53");
  ASSERT_TRUE(f.press("plus1"));
  EXPECT_EQ(f.text("Day"), "1,54");
  ASSERT_TRUE(f.press("jd0"));
  EXPECT_EQ(f.text("Day"), "1,5");
  EXPECT_FALSE(static_cast<ui::MemoryForm&>(f).memoryCanvas("pic").shapes().empty());
}

}  // namespace
}  // namespace orvant
