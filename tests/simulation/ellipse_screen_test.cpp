// Screen 14: the second-order series of the ellipse, the simple eccentric and the eccentric with
// an equant against the exact motions (Kepler's equation; the geometry of the circles), the
// differences the screen plots, its stepping and its refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "model/state.h"
#include "simulation/screens/ellipse_screen.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::simulation {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// The exact motions, M counted from the apsis of the greatest distance (+X).
struct Exact {
  double L, R;
};
// Ellipse, the observer in a focus: mean anomaly from perihelion Mp = M + pi, Kepler's equation
// E - e sin E = Mp by Newton's method, true anomaly v, longitude from aphelion v - pi.
Exact ellipse(double M, double e, double a) {
  const double Mp = M + M_PI;
  double E = Mp;
  for (int k = 0; k < 50; ++k) E -= (E - e * std::sin(E) - Mp) / (1 - e * std::cos(E));
  const double v = 2 * std::atan2(std::sqrt(1 + e) * std::sin(E / 2), std::sqrt(1 - e) * std::cos(E / 2));
  return {v - M_PI, a * (1 - e * std::cos(E))};
}
// Simple eccentric: uniform motion about the centre (e a, 0) on a circle of radius a.
Exact eccentric(double M, double e, double a) {
  const double x = e * a + a * std::cos(M), y = a * std::sin(M);
  return {std::atan2(y, x), std::hypot(x, y)};
}
// Equant: the circle of radius a about (e a/2, 0); the planet seen from the equant (e a, 0) at the
// uniformly turning angle M: P = Q + rho u with |P - C| = a.
Exact equant(double M, double e, double a) {
  const double dx = e * a / 2;  // Q - C
  const double du = dx * std::cos(M);
  const double rho = -du + std::sqrt(du * du + a * a - dx * dx);
  const double x = e * a + rho * std::cos(M), y = rho * std::sin(M);
  return {std::atan2(y, x), std::hypot(x, y)};
}

double wrap(double x) { return std::remainder(x, kTwoPi); }

TEST(EllipseSeries, AgreeWithTheExactMotionsToThirdOrder) {
  // Neglected terms are of order e^3 (e.g. 13/12 e^3 sin 3M in the equation of centre).
  for (double e : {0.001, 0.01, 0.05}) {
    double worst[6] = {0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 720; ++k) {
      const double M = kTwoPi * k / 720;
      const EllipsePoint s = ellipseAndEccentric(M, e, e, 1, false);
      const EllipsePoint q = ellipseAndEccentric(M, e, e, 1, true);
      const Exact el = ellipse(M, e, 1), ec = eccentric(M, e, 1), eq = equant(M, e, 1);
      const double d[6] = {wrap(s.L1 - el.L), s.R1 - el.R, wrap(s.L2 - ec.L),
                           s.R2 - ec.R,       wrap(q.L2 - eq.L), q.R2 - eq.R};
      for (int j = 0; j < 6; ++j) worst[j] = std::max(worst[j], std::fabs(d[j]));
    }
    for (int j = 0; j < 6; ++j) EXPECT_LT(worst[j], 2 * e * e * e) << "e " << e << " column " << j;
  }
}

TEST(EllipseSeries, ZeroEccentricityAllThreeMotionsCoincide) {
  for (int k = 0; k < 100; ++k) {
    const double M = 0.0731 * k;
    for (bool eq : {false, true}) {
      const EllipsePoint p = ellipseAndEccentric(M, 0, 0, 150000, eq);
      EXPECT_EQ(p.L1, M);
      EXPECT_EQ(p.L2, M);
      EXPECT_EQ(p.R1, 150000);
      EXPECT_EQ(p.R2, 150000);
    }
  }
}

// Largest |f(M)| over a revolution.
template <class F>
double amplitude(F f) {
  double m = 0;
  for (int k = 0; k < 3600; ++k) m = std::max(m, std::fabs(f(kTwoPi * k / 3600)));
  return m;
}

TEST(EllipseSeries, SimpleEccentricDiffersInSecondOrderAndTheEquantRemovesTheFirstOrder) {
  // Ellipse (e) against a simple eccentric of e2 = 2e, derived from the series above:
  //   L1 = M - 2e sin M + 5/4 e^2 sin 2M,   L2 = M - 2e sin M + 2 e^2 sin 2M,
  //   dL = L1 - L2 = -3/4 e^2 sin 2M: amplitude 3/4 e^2;
  //   dR/a = -e cos M - (1/2) e^2 (1 - cos 2M): the first order stays in the distance;
  // against the eccentric with equant of e2 = 2e:
  //   L2 = M - 2e sin M + e^2 sin 2M, dL = 1/4 e^2 sin 2M: amplitude 1/4 e^2;
  //   R2/a = 1 + 3/4 e^2 + e cos M - 3/4 e^2 cos 2M, dR/a = -(1/4) e^2 (1 - cos 2M): amplitude
  //   e^2/2 (at M = 90°).
  // The same amplitudes follow from the exact motions to O(e^3).
  const double e = 0.01, a = 1;
  const auto dL = [&](bool eq) {
    return amplitude([&](double M) {
      const EllipsePoint p = ellipseAndEccentric(M, e, 2 * e, a, eq);
      return p.L1 - p.L2;
    });
  };
  const auto dR = [&](bool eq) {
    return amplitude([&](double M) {
      const EllipsePoint p = ellipseAndEccentric(M, e, 2 * e, a, eq);
      return p.R1 - p.R2;
    });
  };
  EXPECT_NEAR(dL(false), 0.75 * e * e, 1e-6 * e * e);
  EXPECT_NEAR(dL(true), 0.25 * e * e, 1e-6 * e * e);
  EXPECT_NEAR(dR(false), e, 1.5 * e * e);     // first order left by the simple eccentric
  EXPECT_NEAR(dR(true), 0.5 * e * e, 1e-6 * e * e);

  const double exactSimple = amplitude([&](double M) { return wrap(ellipse(M, e, a).L - eccentric(M, 2 * e, a).L); });
  const double exactEquant = amplitude([&](double M) { return wrap(ellipse(M, e, a).L - equant(M, 2 * e, a).L); });
  EXPECT_NEAR(exactSimple, 0.75 * e * e, 4 * e * e * e);
  EXPECT_NEAR(exactEquant, 0.25 * e * e, 4 * e * e * e);
  // with the eccentricity of the ellipse itself the simple eccentric is wrong in the first order
  const double firstOrder = amplitude([&](double M) {
    const EllipsePoint p = ellipseAndEccentric(M, e, e, a, false);
    return p.L1 - p.L2;
  });
  EXPECT_NEAR(firstOrder, e, 2 * e * e);
}

struct Bench {
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() { wb.add<EllipseScreen>(kEllipseScreen); }
  EllipseScreen& screen() { return wb.screen<EllipseScreen>(kEllipseScreen); }
  ui::Form& form() { return wb.show(kEllipseScreen).form(); }
  double num(const char* id) { return form().number(id).value_or(NAN); }
};

TEST(EllipseScreen, ZeroEccentricitiesGiveZeroDifferencesAtEveryStep) {
  Bench b;
  ui::Form& f = b.form();
  f.type("Eks1", "0");
  f.type("Eks2", "0");
  f.type("step", "5");
  for (int k = 0; k < 40; ++k) {
    f.press("oneStep");
    EXPECT_EQ(f.text("dAlfa"), "0");
    EXPECT_EQ(f.text("dR"), "0");
    EXPECT_EQ(b.num("R1"), 150000);
    EXPECT_EQ(b.num("R2"), 150000);
  }
  EXPECT_TRUE(b.desk.dialogs().empty());
}

TEST(EllipseScreen, OneStepAdvancesExactlyOneStepAndShowsTheSeries) {
  Bench b;
  ui::Form& f = b.form();
  f.choose("kind", 1);
  f.press("oneStep");  // M = 0
  EXPECT_DOUBLE_EQ(b.screen().t(), 0.1);
  EXPECT_NEAR(b.num("Wday"), 6.28 / 365.25, 1e-15);
  EXPECT_EQ(f.text("W"), "6,28");  // the typed rad/year stays for the next start
  f.press("oneStep");  // M = 0.1 W
  EXPECT_DOUBLE_EQ(b.screen().t(), 0.2);
  const double M = 0.1 * 6.28 / 365.25;
  const EllipsePoint p = ellipseAndEccentric(M, 0.2, 0.4, 150000, true);
  const double kUgol = b.state.kUgol;
  EXPECT_NEAR(b.num("AlfaL1"), p.L1 * kUgol, 1e-12);
  EXPECT_NEAR(b.num("AlfaL2"), p.L2 * kUgol, 1e-12);
  EXPECT_EQ(b.num("dAlfa"), std::trunc(1e6 * kUgol * (p.L1 - p.L2)) / 1e6);
  EXPECT_EQ(b.num("dR"), std::trunc(1e6 * (p.R1 - p.R2)) / 1e6);
  EXPECT_EQ(b.num("T"), 0.2);
  // the loop of "Начать расчет" runs until stopped: five display points, five steps then stop
  b.desk.limitDisplays(5);
  f.press("start");
  EXPECT_NEAR(b.screen().t(), 0.5, 1e-12);
  EXPECT_EQ(b.state.kStop, 1);
  // the orbit picture: deferent, ellipse, eccentric and the equant in green
  auto& pic = dynamic_cast<ui::MemoryCanvas&>(f.canvas("orbit"));
  bool green = false;
  for (const auto& sh : pic.shapes())
    if (sh.type == ui::Shape::Type::Text && sh.text == "эквант") green = true;
  EXPECT_TRUE(green);
}

TEST(EllipseScreen, BadInputIsRefusedWithTheOldTitleAndNothingChanges) {
  Bench b;
  ui::Form& f = b.form();
  f.press("oneStep");
  f.press("oneStep");
  const double t = b.screen().t();
  const std::string shown = f.text("AlfaL1");
  f.type("Eks1", "0,2.");
  f.press("start");
  ASSERT_FALSE(b.desk.dialogs().empty());
  EXPECT_EQ(b.desk.dialogs().back().title, "Orvant6.0");
  EXPECT_EQ(b.desk.dialogs().back().text, "Введите правильно данные");
  EXPECT_EQ(b.screen().t(), t);
  EXPECT_EQ(f.text("AlfaL1"), shown);
  // a zero scale cannot be drawn: "Ошибка при рисовании", the loop stops
  f.type("Eks1", "0,2");
  f.type("Mx", "0");
  f.press("start");
  EXPECT_EQ(b.desk.dialogs().back().text, "Ошибка при рисовании");
  EXPECT_EQ(b.desk.dialogs().back().title, "Orvant6.0");
  EXPECT_EQ(b.state.kStop, 1);
}

}  // namespace
}  // namespace orvant::simulation
