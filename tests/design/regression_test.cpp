#include "design/regression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace orvant::design {
namespace {

// Columns of the full quadratic at coded levels x: 1, x_i, x_i*x_j (pair order), x_i^2.
std::vector<double> quadraticColumns(const std::vector<double>& x) {
  const int Nf = static_cast<int>(x.size());
  std::vector<double> c{1};
  for (double v : x) c.push_back(v);
  for (int i = 0; i < Nf; ++i)
    for (int j = i + 1; j < Nf; ++j) c.push_back(x[i] * x[j]);
  for (double v : x) c.push_back(v * v);
  return c;
}

// Ordinary least squares min |A b - y| by Householder QR, written here independently of the code
// under test.
std::vector<double> leastSquares(std::vector<std::vector<double>> A, std::vector<double> y) {
  const std::size_t m = A.size(), n = A[0].size();
  for (std::size_t k = 0; k < n; ++k) {
    double norm = 0;
    for (std::size_t r = k; r < m; ++r) norm += A[r][k] * A[r][k];
    norm = std::sqrt(norm);
    const double alpha = A[k][k] > 0 ? -norm : norm;
    std::vector<double> v(m, 0);
    for (std::size_t r = k; r < m; ++r) v[r] = A[r][k];
    v[k] -= alpha;
    double vv = 0;
    for (std::size_t r = k; r < m; ++r) vv += v[r] * v[r];
    for (std::size_t c = k; c < n; ++c) {
      double d = 0;
      for (std::size_t r = k; r < m; ++r) d += v[r] * A[r][c];
      for (std::size_t r = k; r < m; ++r) A[r][c] -= 2 * d / vv * v[r];
    }
    double d = 0;
    for (std::size_t r = k; r < m; ++r) d += v[r] * y[r];
    for (std::size_t r = k; r < m; ++r) y[r] -= 2 * d / vv * v[r];
  }
  std::vector<double> b(n);
  for (std::size_t k = n; k-- > 0;) {
    double s = y[k];
    for (std::size_t c = k + 1; c < n; ++c) s -= A[k][c] * b[c];
    b[k] = s / A[k][k];
  }
  return b;
}

class RegressionTest : public ::testing::Test {
 protected:
  State s;
  SignTables t = fillSignTables();
  std::mt19937 rng{20240611};

  Plan build(int type, int Nf, std::optional<int> N0 = std::nullopt) {
    Plan p;
    EXPECT_TRUE(buildPlan(s, t, type, Nf, N0, p)) << s.lastMessage;
    return p;
  }
  std::vector<double> levels(const Plan& p, int u) {
    std::vector<double> x;
    for (int i = 1; i <= p.Nf; ++i) x.push_back(p.Xpl[u][i]);
    return x;
  }
  Regression fit(const Plan& p, const Criterion& Y) {
    Regression r;
    EXPECT_TRUE(fitRegression(s, p, Y, r)) << s.lastMessage;
    return r;
  }
};

// Types 1, 2, 3 estimate every term: their closed formulas are the least-squares solution.
TEST_F(RegressionTest, ClosedFormulasEqualLeastSquares) {
  std::uniform_real_distribution<double> noise(-10, 10);
  for (int type : {kOrthogonal, kRotatable, kUniformRotatable})
    for (int Nf = 2; Nf <= 6; ++Nf)
      for (std::optional<int> N0 : {std::optional<int>{}, std::optional<int>{7}}) {
        const Plan p = build(type, Nf, N0);
        Criterion Y{};
        std::vector<std::vector<double>> A;
        std::vector<double> y;
        for (int u = 1; u <= p.Npt; ++u) {
          Y[u] = noise(rng);
          A.push_back(quadraticColumns(levels(p, u)));
          y.push_back(Y[u]);
        }
        const auto ols = leastSquares(A, y);
        const Regression r = fit(p, Y);
        for (int c = 0; c <= p.lastColumn(); ++c)
          EXPECT_NEAR(r.Breg[c], ols[c], 1e-10) << "type " << type << " Nf " << Nf << " b" << c;
      }
}

// An exact quadratic is reproduced at every plan point; the tabulated constants of type 4 carry
// five or six significant digits, so its agreement is bounded by the rounding of the table.
TEST_F(RegressionTest, ExactQuadraticIsReproducedAtEveryPoint) {
  std::uniform_int_distribution<int> coef(-9, 9);
  for (int type = 1; type <= 5; ++type)
    for (int Nf = 2; Nf <= 6; ++Nf) {
      if (type == kBoxDOptimal && Nf != 4 && Nf != 5) continue;
      const Plan p = build(type, Nf);
      Coefficients truth{};
      for (int c = 0; c <= p.lastColumn(); ++c) truth[c] = coef(rng);
      Criterion Y{};
      for (int u = 1; u <= p.Npt; ++u) {
        const auto cols = quadraticColumns(levels(p, u));
        for (int c = 0; c <= p.lastColumn(); ++c) Y[u] += truth[c] * cols[c];
      }
      const Regression r = fit(p, Y);
      // Table rounding: at most 5e-5 on k2 of five factors, 5e-6 elsewhere, times the sums.
      double tol = 1e-10;
      if (type == kBoxDOptimal) {
        double sxy = 0;
        for (int c = 1; c <= p.lastColumn(); ++c) sxy = std::max(sxy, std::fabs(r.SXY[c]));
        tol = 5e-5 * (std::fabs(r.SY) + std::fabs(r.SQ)) + 5e-6 * sxy;
      }
      for (int c = 0; c <= p.lastColumn(); ++c)
        EXPECT_NEAR(r.Breg[c], truth[c], tol) << "type " << type << " Nf " << Nf << " b" << c;
      for (int u = 1; u <= p.Npt; ++u)
        EXPECT_NEAR(evaluateAtRow(r.Breg, p, u), Y[u], tol * (p.lastColumn() + 1) * 4)
            << "type " << type << " Nf " << Nf << " u " << u;
    }
}

TEST_F(RegressionTest, ConstantCriterionGivesInterceptOnly) {
  for (int type = 1; type <= 5; ++type)
    for (int Nf : {2, 4, 5}) {
      if (type == kBoxDOptimal && Nf == 2) continue;
      const Plan p = build(type, Nf);
      Criterion Y{};
      for (int u = 1; u <= p.Npt; ++u) Y[u] = 3.5;
      const Regression r = fit(p, Y);
      const double tol = type == kBoxDOptimal ? 3.5 * p.Npt * 1e-4 : 1e-12;
      EXPECT_NEAR(r.Breg[0], 3.5, tol) << type << " " << Nf;
      for (int c = 1; c <= p.lastColumn(); ++c) EXPECT_NEAR(r.Breg[c], 0, tol) << type << " b" << c;
    }
}

TEST_F(RegressionTest, OrthogonalTwoFactorsDividesBySix) {
  const Plan p = build(kOrthogonal, 2, 1);
  Criterion Y{};
  for (int u = 1; u <= p.Npt; ++u) Y[u] = u * u;
  const Regression r = fit(p, Y);
  EXPECT_DOUBLE_EQ(p.EXi2[1], 6);
  EXPECT_DOUBLE_EQ(r.Breg[1], r.SXY[1] / 6);
  // b0 is the mean only up to the folded centring of the squares.
  double mean = 0, sumSquares = r.Breg[4] + r.Breg[5];
  for (int u = 1; u <= p.Npt; ++u) mean += Y[u] / p.Npt;
  EXPECT_NEAR(r.Breg[0], mean - 2.0 / 3 * sumSquares, 1e-12);
}

// The standard test of the plans workbench: all coefficients 1 give 1 + x1 + x2 + x1x2 + x1^2 + x2^2
// at the plan rows, and the fit returns all ones.
TEST_F(RegressionTest, StandardTestPolynomialComesBack) {
  const Plan p = build(kOrthogonal, 2);
  Coefficients ones;
  ones.fill(1);
  Criterion Y{};
  for (int u = 1; u <= p.Npt; ++u) {
    const double x1 = p.Xpl[u][1], x2 = p.Xpl[u][2];
    Y[u] = evaluateAtRow(ones, p, u);
    EXPECT_DOUBLE_EQ(Y[u], 1 + x1 + x2 + x1 * x2 + x1 * x1 + x2 * x2);
  }
  const Regression r = fit(p, Y);
  for (int c = 0; c <= 5; ++c) EXPECT_NEAR(r.Breg[c], 1, 1e-13);
}

TEST_F(RegressionTest, EvaluateUsesPlainSquaresInPairOrder) {
  Coefficients b{};
  // Three factors: b0..b3, b12 b13 b23 at 4..6, b11 b22 b33 at 7..9.
  for (int c = 0; c <= 9; ++c) b[c] = c + 1;
  const Levels x{0, 2, 3, 5};
  const double want = 1 + 2 * 2 + 3 * 3 + 4 * 5 + 5 * 6 + 6 * 10 + 7 * 15 + 8 * 4 + 9 * 9 + 10 * 25;
  EXPECT_DOUBLE_EQ(evaluate(b, 3, x), want);
}

TEST_F(RegressionTest, FailuresKeepTheCoefficients) {
  const Plan p = build(kRotatable, 3);
  Criterion Y{};
  for (int u = 1; u <= p.Npt; ++u) Y[u] = 1;
  Regression r = fit(p, Y);
  Y[5] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(fitRegression(s, p, Y, r, kFitFailedOptimisation));
  EXPECT_EQ(s.lastMessage, "Ошибка при рассчете коэффициентов");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_NEAR(r.Breg[0], 1, 1e-12);
  Y[5] = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(fitRegression(s, p, Y, r));
  EXPECT_EQ(s.lastMessage, "Ошибка при обработке данных");
  EXPECT_FALSE(fitRegression(s, Plan{}, Y, r));  // no plan built yet
}

TEST_F(RegressionTest, ReportLines) {
  Coefficients b{};
  b[0] = 1.23456789;
  b[1] = -0.0000009;
  b[5] = -2.5;
  const auto lines = regressionReport(b, 2);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Номер коэффициента уравнения регрессии и его значение");
  EXPECT_EQ(lines[1], "b0  =  1,234567");
  EXPECT_EQ(lines[2], "b1  =  0");
  EXPECT_EQ(lines[6], "b5  =  -2,5");
}

}  // namespace
}  // namespace orvant::design
