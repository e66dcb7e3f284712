#include "design/optimum.h"

#include <gtest/gtest.h>

#include <random>

namespace orvant::design {
namespace {

// Two factors: b0, b1, b2, b12, b11, b22.
Coefficients two(double b0, double b1, double b2, double b12, double b11, double b22) {
  Coefficients b{};
  b[0] = b0, b[1] = b1, b[2] = b2, b[3] = b12, b[4] = b11, b[5] = b22;
  return b;
}

TEST(Optimum, CentreOfADome) {
  State s;
  Optimum o;
  const auto b = two(1, 0, 0, 0, -1, -1);
  ASSERT_TRUE(optimise(s, b, 2, o));
  EXPECT_EQ(o.Xopt[1], 0);
  EXPECT_EQ(o.Xopt[2], 0);
  EXPECT_EQ(evaluate(b, 2, o.Xopt), 1);
  // -2 x1 = 0 and -2 x2 = 0, then one elimination step (K = 0).
  const auto lines = optimumReport(o);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Исходная система линейных уравнений и ее решение");
  EXPECT_EQ(lines[1], "    1          0   -2   0");
  EXPECT_EQ(lines[2], "    2          0   0   -2");
  EXPECT_EQ(lines[3], "         0   0   -2   0");
}

TEST(Optimum, ShiftedDomeAndItsNaturalValue) {
  State s;
  Optimum o;
  ASSERT_TRUE(optimise(s, two(0, 2, 0, 0, -1, -1), 2, o));
  EXPECT_EQ(o.Xopt[1], 1);
  EXPECT_EQ(o.Xopt[2], 0);
  EXPECT_EQ(naturalOptimum(10, o.Xopt[1], 5), 15);
  // Decoding truncates toward zero at six decimals.
  EXPECT_EQ(naturalOptimum(0, 1.23456789, 1), 1.234567);
  EXPECT_EQ(naturalOptimum(0, -1.23456789, 1), -1.234567);
}

TEST(Optimum, ListingOfACoupledSystem) {
  State s;
  Optimum o;
  // Y = 3 x1 - x2 + 0.5 x1 x2 - x1^2 - 2 x2^2: 3 + 0.5 x2 - 2 x1 = 0, -1 + 0.5 x1 - 4 x2 = 0.
  ASSERT_TRUE(optimise(s, two(0, 3, -1, 0.5, -1, -2), 2, o));
  // Solution by Cramer's rule: det = 8 - 0.25 = 7.75.
  EXPECT_NEAR(o.Xopt[1], (12 - 0.5) / 7.75, 1e-14);
  EXPECT_NEAR(o.Xopt[2], (-2 + 1.5) / 7.75, 1e-14);
  ASSERT_EQ(o.listing.size(), 3u);
  EXPECT_EQ(o.listing[0], "    1          3   -2   0,5");
  EXPECT_EQ(o.listing[1], "    2          -1   0,5   -4");
  // K = 0.125; 3 - 0.125 = 2.875 -> 2,87; -2 + 0.0625 -> -1,93; 0.5 - 0.5 = 0.
  EXPECT_EQ(o.listing[2], "         0,12   2,87   -1,93   0");
}

// The optimum of a random concave quadratic of 2..6 factors has a vanishing gradient.
TEST(Optimum, GradientVanishesAtTheOptimum) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-1, 1);
  for (int Nf = 2; Nf <= 6; ++Nf) {
    const int nint = Nf * (Nf - 1) / 2;
    Coefficients b{};
    for (int c = 0; c <= Nf + nint; ++c) b[c] = d(rng);
    for (int i = 1; i <= Nf; ++i) b[Nf + nint + i] = -3 - d(rng);  // diagonally dominant
    State s;
    Optimum o;
    ASSERT_TRUE(optimise(s, b, Nf, o));
    EXPECT_EQ(o.listing.size(), static_cast<std::size_t>(Nf + Nf * (Nf - 1) / 2));
    for (int i = 1; i <= Nf; ++i) {
      // Central difference of Y along x_i: exact for a quadratic up to rounding.
      Levels lo = o.Xopt, hi = o.Xopt;
      lo[i] -= 0.5;
      hi[i] += 0.5;
      EXPECT_NEAR(evaluate(b, Nf, hi) - evaluate(b, Nf, lo), 0, 1e-12) << Nf << " x" << i;
    }
  }
}

TEST(Optimum, ZeroPivotFailsAndKeepsThePreviousOptimum) {
  State s;
  Optimum o;
  ASSERT_TRUE(optimise(s, two(0, 2, 0, 0, -1, -1), 2, o));
  // b22 = 0, b12 != 0: the last equation has no x2 although exchanging the rows would solve it.
  EXPECT_FALSE(optimise(s, two(0, 1, 1, 1, -1, 0), 2, o));
  EXPECT_EQ(s.lastMessage, "Ошибка при решение системы линейных уравнений");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_EQ(o.Xopt[1], 1);
  EXPECT_EQ(o.listing.size(), 3u);
  // A plane has no optimum at all.
  EXPECT_FALSE(optimise(s, two(5, 1, 1, 0, 0, 0), 2, o));
}

}  // namespace
}  // namespace orvant::design
