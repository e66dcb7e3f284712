#include "design/linsolve.h"

#include <gtest/gtest.h>

namespace orvant::design {
namespace {

// Writes A x = b into layer n in the solver's form (constant term = -b).
void write(LinearSystem& s, int n, const std::vector<std::vector<double>>& A, const std::vector<double>& b) {
  for (int r = 1; r <= n; ++r) {
    s.Asys[n][r][0] = -b[r - 1];
    for (int c = 1; c <= n; ++c) s.Asys[n][r][c] = A[r - 1][c - 1];
  }
}

TEST(Solve, ThreeByThreeMatchesKnownSolution) {
  LinearSystem s;
  // x = (1, -2, 3)
  write(s, 3, {{2, 1, -1}, {-3, -1, 2}, {-2, 1, 2}}, {2 - 2 - 3, -3 + 2 + 6, -2 - 2 + 6});
  ASSERT_TRUE(Solve(s, 3));
  EXPECT_NEAR(s.Xopt[1], 1, 1e-12);
  EXPECT_NEAR(s.Xopt[2], -2, 1e-12);
  EXPECT_NEAR(s.Xopt[3], 3, 1e-12);
  EXPECT_EQ(s.steps.size(), 3u);  // two equations reduced in layer 3, one in layer 2
}

TEST(Solve, ZeroPivotFailsWithoutRowExchange) {
  LinearSystem s;
  // Solvable by exchanging the rows, but the last equation has no x_2: must fail.
  write(s, 2, {{1, 1}, {1, 0}}, {3, 1});
  s.Xopt[1] = 42;
  EXPECT_FALSE(Solve(s, 2));
  EXPECT_EQ(s.Xopt[1], 42);
}

// Uncoupled unknowns: every first equation above layer 1 lacks the layer's last unknown, yet the
// pivots are all non-zero and the system is solved.
TEST(Solve, UncoupledSystem) {
  LinearSystem s;
  write(s, 4, {{2, 0, 0, 0}, {0, -4, 0, 0}, {0, 0, 0.5, 0}, {0, 0, 0, 8}}, {2, 8, 1, -4});
  ASSERT_TRUE(Solve(s, 4));
  EXPECT_EQ(s.Xopt[1], 1);
  EXPECT_EQ(s.Xopt[2], -2);
  EXPECT_EQ(s.Xopt[3], 2);
  EXPECT_EQ(s.Xopt[4], -0.5);
}

TEST(Solve, StepRecordsUseTheScreenForm) {
  LinearSystem s;
  // 2x + y = 3, x + 3y = 5.5 -> K = -1/3, new row 1: (-3 + 5.5/3, 2 - 1/3, 0).
  write(s, 2, {{2, 1}, {1, 3}}, {3, 5.5});
  ASSERT_TRUE(Solve(s, 2));
  ASSERT_EQ(s.steps.size(), 1u);
  EXPECT_EQ(s.steps[0], "         -0,33   -1,16   1,66   0");
  EXPECT_NEAR(s.Xopt[1], 0.7, 1e-14);
  EXPECT_NEAR(s.Xopt[2], 1.6, 1e-14);
}

TEST(Solve, SixUnknownsDiagonallyDominant) {
  LinearSystem s;
  std::vector<std::vector<double>> A(6, std::vector<double>(6));
  std::vector<double> x = {1, 2, 3, -1, -2, 0.5}, b(6, 0);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c) A[r][c] = (r == c) ? 10 : 1.0 / (1 + r + c);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c) b[r] += A[r][c] * x[c];
  write(s, 6, A, b);
  ASSERT_TRUE(Solve(s, 6));
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(s.Xopt[i + 1], x[i], 1e-12);
}

}  // namespace
}  // namespace orvant::design
