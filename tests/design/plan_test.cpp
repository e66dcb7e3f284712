#include "design/plan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvant::design {
namespace {

class PlanTest : public ::testing::Test {
 protected:
  State s;
  SignTables t = fillSignTables();

  Plan build(int type, int Nf, std::optional<int> N0 = std::nullopt) {
    Plan p;
    EXPECT_TRUE(buildPlan(s, t, type, Nf, N0, p)) << s.lastMessage;
    return p;
  }
};

TEST_F(PlanTest, SignTablesFollowTheRule) {
  EXPECT_EQ(t.SignStr[2][1], "+1+1-1-1+1-1+0+0+0+0+0+0+0+0+0+0+0+0+0+0");
  EXPECT_EQ(t.SignStr[2][2], "+1-1+1-1+0+0+1-1+0+0+0+0+0+0+0+0+0+0+0+0");
  const int entries[7] = {0, 0, 20, 24, 34, 52, 91};
  for (int Nf = 2; Nf <= 6; ++Nf)
    for (int i = 1; i <= Nf; ++i) EXPECT_EQ(t.SignStr[Nf][i].size(), 2u * entries[Nf]) << Nf;
  // Core of three factors, first factor slowest.
  const int core[8][3] = {{1, 1, 1},  {1, 1, -1},  {1, -1, 1},  {1, -1, -1},
                          {-1, 1, 1}, {-1, 1, -1}, {-1, -1, 1}, {-1, -1, -1}};
  for (int u = 1; u <= 8; ++u)
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(signEntry(t, i, 3, u), core[u - 1][i - 1]);
}

TEST_F(PlanTest, PointsAreTheFactorialCoreStarArmsAndCentre) {
  for (int type = 1; type <= 5; ++type)
    for (int Nf = 2; Nf <= 6; ++Nf) {
      if (type == kBoxDOptimal && Nf != 4 && Nf != 5) continue;
      const Plan p = build(type, Nf);
      ASSERT_EQ(p.Npt, (1 << Nf) + 2 * Nf + p.N0);
      for (int u = 1; u <= p.Npt; ++u)
        for (int i = 1; i <= Nf; ++i) {
          double want = 0;
          if (u <= p.Ncore) {
            want = ((u - 1) >> (Nf - i)) & 1 ? -1 : 1;
          } else if (u <= p.Ncore + p.Nstar) {
            const int k = u - p.Ncore;
            if (k == 2 * i - 1) want = p.StarArm;
            if (k == 2 * i) want = -p.StarArm;
          }
          ASSERT_EQ(p.Xpl[u][i], want) << type << " " << Nf << " " << u << " " << i;
        }
      // Interaction and square columns.
      for (int u = 1; u <= p.Npt; ++u) {
        const auto& x = p.Xpl[u];
        for (int i = 1; i < Nf; ++i)
          for (int j = i + 1; j <= Nf; ++j) ASSERT_EQ(x[pairColumn(Nf, i, j)], x[i] * x[j]);
        for (int i = 1; i <= Nf; ++i) ASSERT_EQ(x[p.squareColumn(i)], x[i] * x[i] - p.MeanX2);
      }
    }
}

TEST_F(PlanTest, CountsAndArmsOfTheEdgeCases) {
  const Plan o = build(kOrthogonal, 2);
  EXPECT_EQ(o.Ncore, 4);
  EXPECT_EQ(o.Nstar, 4);
  EXPECT_EQ(o.N0, 1);
  EXPECT_EQ(o.Npt, 9);
  EXPECT_DOUBLE_EQ(o.StarArm, 1);
  EXPECT_DOUBLE_EQ(o.MeanX2, 2.0 / 3);
  for (int i = 1; i <= 2; ++i) EXPECT_NEAR(o.EXi[o.squareColumn(i)], 0, 1e-14);
  EXPECT_DOUBLE_EQ(o.EXi2[1], 6);
  EXPECT_EQ(o.k1, 0);
  EXPECT_EQ(o.k7, 0);

  const Plan r = build(kRotatable, 3);
  EXPECT_NEAR(r.StarArm, 1.68179, 5e-6);
  EXPECT_EQ(r.N0, 2);
  EXPECT_EQ(r.Npt, 16);

  const Plan u = build(kUniformRotatable, 2);
  EXPECT_EQ(u.N0, 5);
  EXPECT_EQ(u.Npt, 13);
  EXPECT_NEAR(u.StarArm, std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(u.la2, 8.0 / 13, 1e-15);
  EXPECT_NEAR(u.la4, 4.0 / 13, 1e-15);
  EXPECT_NEAR(u.la4z, 0.8125, 1e-15);

  const Plan big = build(kUniformRotatable, 6);
  EXPECT_EQ(big.Npt, 91);
  EXPECT_EQ(big.lastColumn(), 27);

  EXPECT_EQ(build(kBoxDOptimal, 4).N0, 0);
  EXPECT_EQ(build(kBoxDOptimal, 4, 3).N0, 0);  // type 4 never has centre points
  EXPECT_EQ(build(kBoxComposite, 5).N0, 1);
  EXPECT_EQ(build(kRotatable, 4, 7).Npt, 16 + 8 + 7);
}

// The orthogonal plan: every pair of columns, the mean included, is orthogonal for any N0.
TEST_F(PlanTest, OrthogonalPlanColumnsAreOrthogonal) {
  for (int Nf = 2; Nf <= 6; ++Nf)
    for (int N0 : {0, 1, 4}) {
      const Plan p = build(kOrthogonal, Nf, N0);
      for (int a = 1; a <= p.lastColumn(); ++a) {
        double sa = 0;
        for (int u = 1; u <= p.Npt; ++u) sa += p.Xpl[u][a];
        EXPECT_NEAR(sa, 0, 1e-12) << Nf << " " << a;
        for (int b = a + 1; b <= p.lastColumn(); ++b) {
          double sab = 0;
          for (int u = 1; u <= p.Npt; ++u) sab += p.Xpl[u][a] * p.Xpl[u][b];
          EXPECT_NEAR(sab, 0, 1e-11) << Nf << " " << a << " " << b;
        }
      }
    }
}

// Rotatable plans: sum x_i^4 = 3 sum x_i^2 x_j^2, so that la4 is the mixed fourth moment; and the
// constants make a constant criterion come out as b0 alone.
TEST_F(PlanTest, RotatableMomentsAndConstantIdentities) {
  for (int type : {kRotatable, kUniformRotatable})
    for (int Nf = 2; Nf <= 6; ++Nf) {
      const Plan p = build(type, Nf);
      double mixed = 0;
      for (int u = 1; u <= p.Npt; ++u) mixed += p.Xpl[u][1] * p.Xpl[u][1] * p.Xpl[u][2] * p.Xpl[u][2];
      EXPECT_NEAR(p.la4, mixed / p.Npt, 1e-12);
      double sumEXi2 = 0;  // over the factor columns
      for (int i = 1; i <= Nf; ++i) sumEXi2 += p.EXi2[i];
      EXPECT_NEAR(p.k1 * p.Npt - p.k2 * sumEXi2, 1, 1e-12);
      EXPECT_NEAR(p.k5 * p.EXi2[1] + p.k6 * sumEXi2 - p.k7 * p.Npt, 0, 1e-12);
    }
}

// The tabulated constants of the uniformly rotatable plans agree with the formulas to one unit of
// their fourth decimal (the table truncates some values; k5 of two factors is printed 0.1251 for
// 0.125 exactly).
TEST_F(PlanTest, UniformRotatableTableMatchesFormulas) {
  for (int Nf = 2; Nf <= 6; ++Nf) {
    const Plan p = build(kUniformRotatable, Nf);
    const double k[8] = {0, p.k1, p.k2, p.k3, p.k4, p.k5, p.k6, p.k7};
    for (int i = 1; i <= 7; ++i) EXPECT_NEAR(k[i], p.kTable[i], 1e-4 + 1e-12) << Nf << " k" << i;
  }
  // Two factors in closed form: k1 = 0.2, k2 = 0.1, k3 = 0.125, k4 = 0.25, k5 = 0.125.
  const Plan p = build(kUniformRotatable, 2);
  EXPECT_NEAR(p.k1, 0.2, 1e-15);
  EXPECT_NEAR(p.k2, 0.1, 1e-15);
  EXPECT_NEAR(p.k3, 0.125, 1e-15);
  EXPECT_NEAR(p.k4, 0.25, 1e-15);
  EXPECT_NEAR(p.k5, 0.125, 1e-15);
}

TEST_F(PlanTest, Refusals) {
  Plan p = build(kOrthogonal, 3);
  const Plan kept = p;
  for (int Nf : {1, 7, 0, -2}) {
    s.lastMessage.clear();
    EXPECT_FALSE(buildPlan(s, t, kOrthogonal, Nf, std::nullopt, p));
    EXPECT_EQ(s.lastMessage, "К-во факторов должно быть от 2 до 6");
    EXPECT_EQ(s.lastTitle, "Orvant7");
  }
  EXPECT_FALSE(buildPlan(s, t, kOrthogonal, 2, 13, p));  // the table of two factors holds 12
  EXPECT_EQ(s.lastMessage, centrePointsRefusal(2));
  EXPECT_TRUE(buildPlan(s, t, kOrthogonal, 2, 12, p));
  EXPECT_EQ(p.Npt, 20);
  p = kept;
  EXPECT_FALSE(buildPlan(s, t, kUniformRotatable, 6, 16, p));
  EXPECT_FALSE(buildPlan(s, t, kRotatable, 3, -1, p));
  EXPECT_FALSE(buildPlan(s, t, 0, 3, std::nullopt, p));
  EXPECT_FALSE(buildPlan(s, t, 6, 3, std::nullopt, p));
  for (int Nf : {2, 3, 6}) EXPECT_FALSE(buildPlan(s, t, kBoxDOptimal, Nf, std::nullopt, p));
  EXPECT_EQ(s.lastMessage, kBoxDOptimalFactors);
  // All points of a rotatable plan of 2 or 4 factors lie on one sphere without centre points.
  for (int type : {kRotatable, kUniformRotatable})
    for (int Nf : {2, 4}) {
      EXPECT_FALSE(buildPlan(s, t, type, Nf, 0, p));
      EXPECT_EQ(s.lastMessage, kDegeneratePlan);
    }
  EXPECT_EQ(p.Nf, kept.Nf);
  EXPECT_EQ(p.Npt, kept.Npt);
  EXPECT_TRUE(buildPlan(s, t, kRotatable, 3, 0, p));  // not a sphere for three factors
}

TEST_F(PlanTest, ReportLines) {
  const auto lines = planReport(build(kUniformRotatable, 2));
  ASSERT_EQ(lines.size(), 13u + 3 + 2 + 5 + 3);
  EXPECT_EQ(lines[0], "1  1  1  1  1  1");
  EXPECT_EQ(lines[4], "5  1,4142  0  0  2  0");  // star point: arm truncated, not rounded
  EXPECT_EQ(lines[13].rfind("   EXi  0  0  0  8  8", 0), 0u);
  EXPECT_EQ(lines[16], "табличные коэффициенты  k1= 0,2  k2= 0,1  k3= 0,125  k4= 0,25  k5= 0,1251"
                       "  k6= 0,0187  k7= 0,1");
  // Computed constants are truncated, not rounded: each printed value lies within 1e-4 below the
  // closed-form value (0.2, 0.1, 0.125, 0.25, 0.125, 0.01875, 0.1), never above it.
  const std::string head = "расчетные коэффициенты  ";
  ASSERT_EQ(lines[17].rfind(head, 0), 0u);
  const double exact[8] = {0, 0.2, 0.1, 0.125, 0.25, 0.125, 0.01875, 0.1};
  std::size_t at = head.size();
  for (int i = 1; i <= 7; ++i) {
    const std::string key = (i == 1 ? "" : "  ") + std::string("k") + std::to_string(i) + "= ";
    ASSERT_EQ(lines[17].compare(at, key.size(), key), 0) << lines[17];
    at += key.size();
    const std::size_t end = lines[17].find(' ', at);
    std::string v = lines[17].substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? lines[17].size() : end;
    for (char& ch : v)
      if (ch == ',') ch = '.';
    EXPECT_LE(std::stod(v), exact[i] + 1e-15) << "k" << i;
    EXPECT_GE(std::stod(v), exact[i] - 1e-4 - 1e-12) << "k" << i;
    EXPECT_LE(v.size(), 6u) << "k" << i;  // "0," and at most four decimals
  }
  EXPECT_EQ(lines[18], "к-во точек ядра=          4");
  EXPECT_EQ(lines[21], "к-во точек плана=         13");
  EXPECT_EQ(lines[25], "la4z= 0,8125");
  const auto o = planReport(build(kOrthogonal, 2));
  EXPECT_EQ(o.back(), "среднее значение Xi^2=0,666666666666667");
}

}  // namespace
}  // namespace orvant::design
