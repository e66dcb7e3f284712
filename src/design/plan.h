// Multi-factor experiment plans: central composite plans for 2..6 factors in coded units.
//
// A plan is the full two-level factorial core (levels +1/-1), a pair of star points on every factor
// axis at +/-StarArm and N0 centre points. Five plan types differ in the star arm and the number of
// centre points:
//   1 orthogonal              StarArm = sqrt((sqrt(Ncore*Npt) - Ncore)/2), squares centred by MeanX2
//   2 rotatable               StarArm = 2^(Nf/4)
//   3 uniformly rotatable     StarArm = 2^(Nf/4), more centre points
//   4 Box D-optimal, N0 = 0   StarArm = 1 (tabulated constants, 4 and 5 factors)
//   5 Box composite           StarArm = 1
// References: G.E.P. Box, K.B. Wilson (1951); G.E.P. Box, J.S. Hunter, Ann. Math. Stat. 28 (1957)
// 195 (rotatable and uniformly rotatable designs); the constants k1..k7 are the elements of the
// inverse moment matrix of a rotatable design written with la2 = sum(x_i^2)/Npt and
// la4 = sum(x_i^4)/(3 Npt).
//
// The design matrix Xpl(u, c), u = 1..Npt, holds in columns 1..Nf the coded levels x_i, in columns
// Nf+1..Nf+Nint the products x_i*x_j for the pairs (1,2), (1,3), ..., (Nf-1,Nf) and in columns
// Nf+Nint+1..2Nf+Nint the squares x_i^2 - MeanX2.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace orvant::design {

inline constexpr int kMaxFactors = 6;
inline constexpr int kMaxPoints = 91;   // 64 core + 12 star + 15 centre points of Nf = 6
inline constexpr int kMaxColumn = 27;   // 2*6 + 15

// Plan types.
inline constexpr int kOrthogonal = 1;
inline constexpr int kRotatable = 2;
inline constexpr int kUniformRotatable = 3;
inline constexpr int kBoxDOptimal = 4;
inline constexpr int kBoxComposite = 5;

// Refusals (title "Orvant7").
inline constexpr const char* kBadFactorCount = "К-во факторов должно быть от 2 до 6";
inline constexpr const char* kBadPlanType = "Задайте правильно данные";
// The D-optimal plan has constants for 4 and 5 factors only; without them its regression would be 0.
inline constexpr const char* kBoxDOptimalFactors =
    "План Dоптимал Бокса с N0=0 строится только для 4 и 5 факторов";
// Rotatable plans with 2 or 4 factors and no centre point have all points on one sphere: the
// intercept and the squares cannot be separated and the constants divide by zero.
inline constexpr const char* kDegeneratePlan =
    "План без нулевых точек вырожден: задайте нулевых точек больше 0";
// Text of the refusal of a centre-point count the sign table cannot hold ("... от 0 до 12").
std::string centrePointsRefusal(int Nf);

// The sign tables SignStr(i, Nf): for Nf = 2..6 and factor i = 1..Nf a text of two-character entries
// "+1", "-1" or "+0", one per plan point of the largest plan of Nf factors (core, star and as many
// centre points as the table holds). Filled once when the system starts and then only read.
struct SignTables {
  std::array<std::array<std::string, kMaxFactors + 1>, kMaxFactors + 1> SignStr;  // [Nf][i]
};

// Fills the sign tables by the rule: in core point u = 1..2^Nf factor i is +1 when
// (u-1) div 2^(Nf-i) is even (the first factor changes slowest), -1 otherwise; star points 2i-1 and
// 2i carry +1 and -1 for factor i and +0 for the others; the centre entries are all +0.
SignTables fillSignTables();

// Entry u (1-based) of SignStr(i, Nf) as a number: +1, -1 or 0.
double signEntry(const SignTables& t, int i, int Nf, int u);

// Centre entries of the sign table of Nf factors: 12, 10, 10, 10, 15 for Nf = 2..6 (0 otherwise).
int maxCentrePoints(int Nf);

// Centre points of a plan type by default: the table of the plan types (type 4 always 0).
int defaultCentrePoints(int PlanType, int Nf);

// Caption of a plan type as the plans workbench offers it ("" for an unknown type).
std::string_view planCaption(int PlanType);

struct Plan {
  int PlanType = 0;
  int Nf = 0;      // factors
  int Ncore = 0;   // 2^Nf core points
  int Nstar = 0;   // 2*Nf star points
  int Nint = 0;    // Nf*(Nf-1)/2 interaction terms
  int N0 = 0;      // centre points
  int Npt = 0;     // Ncore + Nstar + N0
  double StarArm = 1;  // star arm, coded units
  double MeanX2 = 0;   // mean of x_i^2 over the plan (type 1), subtracted in the square columns

  std::array<std::array<double, kMaxColumn + 1>, kMaxPoints + 1> Xpl{};  // [u][c], u 1..Npt

  // Column sums over the plan points, c = 1..2Nf+Nint.
  std::array<double, kMaxColumn + 1> EXi{}, EXi2{}, EXi4{};
  double la2 = 0;   // EXi2(1)/Npt
  double la4 = 0;   // EXi4(1)/(3 Npt)
  double la4z = 0;  // la4/la2^2

  // Regression constants (types 2, 3, 4); 0 when the type uses none.
  double k1 = 0, k2 = 0, k3 = 0, k4 = 0, k5 = 0, k6 = 0, k7 = 0;
  // Tabulated constants of the uniformly rotatable plan, k1..k7 at index 1..7, kept for comparison
  // with the computed ones (type 3 only; 0 otherwise).
  std::array<double, 8> kTable{};

  int lastColumn() const { return 2 * Nf + Nint; }
  int squareColumn(int i) const { return Nf + Nint + i; }
};

// Column of the interaction x_i*x_j (i != j, either order) among Nf factors.
int pairColumn(int Nf, int i, int j);

// Builds the plan of PlanType (1..5) for Nf factors (2..6). N0: the user's count of centre points
// (screen 18), else the table; type 4 always has none. On a refusal the message goes to s.report
// with the title "Orvant7", false is returned and `plan` is left as it was.
bool buildPlan(State& s, const SignTables& t, int PlanType, int Nf, std::optional<int> N0,
               Plan& plan);

// The report of the plans workbench after building: the plan rows (number and columns 1..2Nf+Nint
// truncated to four decimals), the column sums, the tabulated (type 3) and computed constants, the
// counts, the star arm and the moments.
std::vector<std::string> planReport(const Plan& plan);

}  // namespace orvant::design
