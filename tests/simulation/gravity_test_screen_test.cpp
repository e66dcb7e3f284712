// Screen 7: two bodies placed on their Kepler orbits, Newton's force for bodies at rest and for an
// infinite speed of gravity, the successive approximations of the retarded distance against its
// closed form for uniform motion, NItGr handed to the model integrator, and the refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "model/state.h"
#include "simulation/screens/gravity_test_screen.h"
#include "simulation/integrator.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::simulation {
namespace {

struct Bench {
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() {
    setMassSet(state, 2);
    // The Earth and Jupiter with their J2000 elements (rounded), in the program's units.
    const double deg = 1 / state.kUgol;
    state.R0sr[3] = 1.00000261 * 149597870691.0;
    state.Eks0[3] = 0.01671123;
    state.Betta0[3] = 0;
    state.AlfaP0[3] = 102.93768193 * deg;
    state.AlfaU0[3] = 0;
    state.R0sr[5] = 5.20288700 * 149597870691.0;
    state.Eks0[5] = 0.04838624;
    state.Betta0[5] = 1.30439695 * deg;
    state.AlfaP0[5] = 14.72847983 * deg;
    state.AlfaU0[5] = 100.47390909 * deg;
    wb.add<GravityTestScreen>(kGravityTestScreen);
  }
  GravityTestScreen& screen() { return wb.screen<GravityTestScreen>(kGravityTestScreen); }
  ui::Form& form() { return wb.show(kGravityTestScreen).form(); }
  std::string last() {
    if (desk.dialogs().empty()) return "";
    return desk.dialogs().back().title + ": " + desk.dialogs().back().text;
  }
};

TEST(GravityTestScreen, PlacesTheTwoMarkedBodiesOnTheirOrbits) {
  Bench b;
  ui::Form& f = b.form();
  ASSERT_TRUE(f.press("place"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  EXPECT_EQ(b.screen().Np1(), 3);
  EXPECT_EQ(b.screen().Np2(), 5);
  const State& s = b.state;
  // The Earth at mean longitude 0: mean anomaly 360° - 102.94°; distance a(1 - e cos E) from
  // Kepler's equation, speed from the vis-viva integral about m(3) + m(0).
  const double M = 2 * s.Pi - s.AlfaP0[3];
  double E = M;
  for (int k = 0; k < 50; ++k) E -= (E - s.Eks0[3] * std::sin(E) - M) / (1 - s.Eks0[3] * std::cos(E));
  const double r = s.R0sr[3] * (1 - s.Eks0[3] * std::cos(E));
  EXPECT_NEAR(std::hypot(s.X[3], s.Y[3], s.Z[3]), r, 1e-9 * r);
  const double mu = s.gamma * (s.m[3] + s.m[0]);
  const double v = std::sqrt(mu * (2 / r - 1 / s.R0sr[3]));
  EXPECT_NEAR(std::hypot(s.VX[3], s.VY[3], s.VZ[3]), v, 1e-8 * v);
  EXPECT_NEAR(*f.number("X1"), s.X[3] / s.MK, 1e-9);
  EXPECT_EQ(*f.number("VX1"), std::trunc(s.VX[3] * 1000) / s.MK);
  // the Sun stays at the origin, at rest
  EXPECT_EQ(s.X[0], 0);
  EXPECT_EQ(s.VX[0], 0);
  // The first picture shows both bodies (the default 2 million km per cm would put them metres
  // off the picture): the bar takes a scale that holds them within the picture.
  int inside = 0;
  for (const auto& sh : static_cast<ui::MemoryForm&>(f).memoryCanvas("pic").shapes())
    if (sh.type == ui::Shape::Type::Circle && sh.cx1 >= 0 && sh.cx1 <= 11 && sh.cy1 >= 0 && sh.cy1 <= 11)
      ++inside;
  EXPECT_EQ(inside, 2);
  EXPECT_GT(s.Mx1, 2e9);
  EXPECT_EQ(s.Mx1, GravityTestScreen::scaleValue(f.position("scale")) * 1e8);
}

// The scale bar moves in proportion: every step multiplies the scale by the same factor (within
// the rounding to two digits), from 0.1 to 10 000 million km per cm; the default is 2.
TEST(GravityTestScreen, ScaleBarStepsInProportion) {
  Bench b;
  ui::Form& f = b.form();
  EXPECT_EQ(f.text("scaleText"), "Масштаб = 2 млн.км/см");
  EXPECT_EQ(GravityTestScreen::scaleValue(0), 1);
  EXPECT_EQ(GravityTestScreen::scaleValue(GravityTestScreen::kScaleSteps), 100000);
  for (int p = 0; p + 10 <= GravityTestScreen::kScaleSteps; p += 10) {
    const double ratio = GravityTestScreen::scaleValue(p + 10) / GravityTestScreen::scaleValue(p);
    EXPECT_GE(ratio, 1.0) << p;
    EXPECT_LE(ratio, 1.2) << p;  // 10 steps: 10^0.05 = 1.12, with the rounding
  }
  for (const double v : {1.0, 20.0, 870.0, 100000.0})
    EXPECT_GE(GravityTestScreen::scaleValue(GravityTestScreen::scalePosition(v)), v);
}

TEST(GravityTestScreen, OtherThanTwoMarkedObjectsIsRefused) {
  Bench b;
  ui::Form& f = b.form();
  f.tick("obj4", true);
  f.press("place");
  EXPECT_EQ(b.last(), "Orvant7: Должно быть отмечено только 2 объекта");
  EXPECT_EQ(b.screen().Np1(), -1);
  f.tick("obj4", false);
  f.tick("obj5", false);
  f.press("place");
  EXPECT_EQ(b.last(), "Orvant7: Должно быть отмечено только 2 объекта");
  EXPECT_EQ(b.screen().Np1(), -1);
  f.tick("obj5", true);
  f.type("AlfaL2", "девяносто");
  f.press("place");
  EXPECT_EQ(b.last(), "Orvant7: Введите правильно данные");
  EXPECT_EQ(b.screen().Np1(), -1);
}

// Newton's attraction of the two bodies as the screen's boxes place them.
double newton(const State& s, int I, int J) {
  const double dx = s.X[J] - s.X[I], dy = s.Y[J] - s.Y[I], dz = s.Z[J] - s.Z[I];
  const double L = std::sqrt(dz * dz + (dy * dy + dx * dx));
  return s.m[I] * s.m[J] * s.gamma / L / L;
}
// "Exactly": to the rounding of the distance (the screen takes the projected length first), a few
// units in the last place.
constexpr double kUlps = 1e-15;

TEST(GravityTestScreen, BodiesAtRestAndInfiniteSpeedGiveNewtonsForce) {
  Bench b;
  ui::Form& f = b.form();
  f.press("place");
  f.press("first");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  const State& s = b.state;
  const double F = newton(s, 3, 5);
  EXPECT_NEAR(*f.number("F0"), F, 1e-14 * F);  // the box shows 15 digits
  // the force on Jupiter points to the Earth: the components sum to F along -d/|d|
  const auto& g = b.screen();
  const double dx = s.X[5] - s.X[3], dy = s.Y[5] - s.Y[3], dz = s.Z[5] - s.Z[3];
  const double L = std::hypot(dx, dy, dz);
  EXPECT_NEAR(g.FX()[3][5], -F * dx / L, 1e-12 * F);
  EXPECT_NEAR(g.FY()[3][5], -F * dy / L, 1e-12 * F);
  EXPECT_NEAR(g.FZ()[3][5], -F * dz / L, 1e-12 * F);

  // At rest (no body velocity, no system velocity) an iteration reproduces the first approximation.
  for (const char* id : {"VX1", "VY1", "VZ1", "VX2", "VY2", "VZ2"}) f.type(id, "0");
  f.press("iterate");
  EXPECT_NEAR(g.Fgr()[3][5], F, kUlps * F);
  EXPECT_NEAR(g.Fgr()[5][3], F, kUlps * F);
  EXPECT_NEAR(g.Lgr()[3][5], L, kUlps * L);

  // Moving bodies and a moving system with an infinite speed of gravity (Vsv * 1e300): the traces
  // coincide with the bodies and the force is Newton's to the last bit.
  f.press("place");
  f.type("VgrFactor", "1e300");
  f.type("VXsys", "370");
  f.type("VYsys", "-120");
  f.type("VZsys", "45");
  f.press("first");
  for (int k = 0; k < 3; ++k) f.press("iterate");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  const double Fn = newton(s, 3, 5);
  EXPECT_NEAR(g.Fgr()[3][5], Fn, kUlps * Fn);
  EXPECT_NEAR(g.Fgr()[5][3], Fn, kUlps * Fn);
  EXPECT_EQ(g.Xsl(3), s.X[3]);
  EXPECT_EQ(g.Zsl(5), s.Z[5]);
  EXPECT_EQ(g.Nit(), 3);
}

TEST(GravityTestScreen, IterationsConvergeToTheRetardedDistanceOfUniformMotion) {
  // For a body I in uniform motion V the trace one propagation time T ago is X(I) - T V, and T is
  // fixed by |X(J) - X(I) + T V| = c T. With d = X(J) - X(I):
  //   (c^2 - V^2) T^2 - 2 (d.V) T - d^2 = 0,   T = [d.V + sqrt((d.V)^2 + (c^2 - V^2) d^2)]/(c^2 - V^2).
  // Each click is one fixed-point step T <- |d + T V|/c, which contracts by about |V|/c; with the
  // system moving at 400 km/s (|V|/c ~ 1.4e-3) the first click is off by ~1e-3 of the light time
  // and five clicks reach the closed form to rounding.
  Bench b;
  ui::Form& f = b.form();
  f.press("place");
  f.type("VXsys", "370");
  f.type("VYsys", "-120");
  f.type("VZsys", "45");
  f.press("first");
  const State& s = b.state;
  const auto& g = b.screen();
  const double c = s.Vsv;
  double previous = 1;
  for (int k = 1; k <= 8; ++k) {
    ASSERT_TRUE(f.press("iterate"));
    ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
    for (const auto& [I, J] : {std::pair{3, 5}, std::pair{5, 3}}) {
      const double d[3] = {s.X[J] - s.X[I], s.Y[J] - s.Y[I], s.Z[J] - s.Z[I]};
      const double V[3] = {s.VX[I], s.VY[I], s.VZ[I]};
      const double dv = d[0] * V[0] + d[1] * V[1] + d[2] * V[2];
      const double d2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
      const double v2 = V[0] * V[0] + V[1] * V[1] + V[2] * V[2];
      const double T = (dv + std::sqrt(dv * dv + (c * c - v2) * d2)) / (c * c - v2);
      const double rel = std::fabs(g.Tgr()[I][J] - T) / T;
      if (I == 3) {
        std::printf("[ retarded ] click %d: |T - T*|/T* = %.3g (T* = %.6f s)\n", k, rel, T);
        if (k <= 3) {
          EXPECT_LT(rel, previous * 3e-3) << k;  // contraction ~|V|/c = 1.4e-3
        }
        previous = std::max(rel, 1e-300);
      }
      if (k >= 5) {
        EXPECT_LT(rel, 1e-14) << k;
      }
      EXPECT_NEAR(g.Lgr()[I][J], c * g.Tgr()[I][J], 1e-6 * g.Lgr()[I][J]);
    }
  }
  EXPECT_EQ(*f.number("Nit"), 8);
}

TEST(GravityTestScreen, AnIterationSetsNItGrForTheModelIntegrator) {
  Bench b;
  ui::Form& f = b.form();
  f.press("place");
  f.press("first");
  f.type("NItGr", "5");
  EXPECT_EQ(b.state.NItGr, 0);  // editing the box changes nothing
  f.press("iterate");
  EXPECT_EQ(b.state.NItGr, 5);
  Integrator w;
  b.state.Vgr = b.state.Vsv;
  prepareIntegrator(b.state, w);
  EXPECT_EQ(w.NItGr, 5);  // what the runs of screen 2 prepare from

  // A box that is not a number: "Orvant5", nothing changes (iteration count, NItGr, the tables).
  const double T = b.screen().Tgr()[3][5];
  f.type("NItGr", "7");
  f.type("VY2", "1,0,1");
  f.press("iterate");
  EXPECT_EQ(b.last(), "Orvant5: Введите правильно данные или увеличьте MF");
  EXPECT_EQ(b.screen().Nit(), 1);
  EXPECT_EQ(b.state.NItGr, 5);
  EXPECT_EQ(b.screen().Tgr()[3][5], T);
  // a count beyond 16 bits is refused the same way
  f.type("VY2", "0");
  f.type("NItGr", "40000");
  f.press("iterate");
  EXPECT_EQ(b.last(), "Orvant5: Введите правильно данные или увеличьте MF");
  EXPECT_EQ(b.state.NItGr, 5);
}

TEST(GravityTestScreen, FirstApproximationRefusesCoincidentBodiesAndBadBoxes) {
  Bench b;
  ui::Form& f = b.form();
  f.press("place");
  f.type("X2", f.text("X1"));
  f.type("Y2", f.text("Y1"));
  f.type("Z2", f.text("Z1"));
  f.press("first");
  EXPECT_EQ(b.last(), "Orvant7: Введите правильно данные или увеличьте MF");
  f.press("place");
  f.type("VgrFactor", "0");
  f.press("first");
  EXPECT_EQ(b.last(), "Orvant7: Введите правильно данные или увеличьте MF");
  f.type("VgrFactor", "x");
  f.press("first");
  EXPECT_EQ(b.last(), "Orvant7: Введите правильно данные или увеличьте MF");
  // before any first approximation an iteration has no propagation speed
  f.press("iterate");
  EXPECT_EQ(b.last(), "Orvant5: Введите правильно данные или увеличьте MF");
  EXPECT_EQ(b.screen().Nit(), 0);
}

}  // namespace
}  // namespace orvant::simulation
