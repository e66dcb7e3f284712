// The second-order regression equation of a multi-factor plan in coded factors:
//   Y(x) = b0 + sum_i b_i x_i + sum_{i<j} b_ij x_i x_j + sum_i b_ii x_i^2,
// fitted by the closed formulas of the plan type from the criterion values of the experiments.
//
// Breg(c), c = 0..2Nf+Nint, follows the columns of Xpl: Breg(0) = b0, Breg(1..Nf) = b_i, then b_ij
// in pair order (1,2), (1,3), ..., (Nf-1,Nf), then b_ii for i = 1..Nf. The equation is always written
// with plain squares: the centring of the orthogonal plan's square columns is folded into b0.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "design/plan.h"
#include "model/state.h"

namespace orvant::design {

// Regression coefficients b0..b27 (all 28 are kept: the test polynomial sets every one to 1).
using Coefficients = std::array<double, kMaxColumn + 1>;
// Criterion Yexp(u) of experiment u = 1..Npt (kept for u = 0..99).
using Criterion = std::array<double, 100>;
// Coded factor levels x_1..x_6 at index 1..6 (index 0 unused).
using Levels = std::array<double, kMaxFactors + 1>;

// Failure messages of the fit (title "Orvant7"): the optimisation screen and the plans workbench.
inline constexpr const char* kFitFailedOptimisation = "Ошибка при рассчете коэффициентов";
inline constexpr const char* kFitFailedWorkbench = "Ошибка при обработке данных";
// Heading of the coefficient listing.
inline constexpr const char* kRegressionHeading =
    "Номер коэффициента уравнения регрессии и его значение";

struct Regression {
  Coefficients Breg{};
  double SY = 0;    // sum of Yexp over all points
  double SY0 = 0;   // sum of Yexp over the points after the core
  double SQ = 0;    // sum of SXY over the square columns
  std::array<double, kMaxColumn + 1> SXY{};   // sum_u Xpl(u,c)*Yexp(u), c = 1..2Nf+Nint
  std::array<double, kMaxColumn + 1> SXY0{};  // the same over the points after the core
  // Sums of the Box composite plan's intercept: the core points and the star points alone.
  double SYcore = 0;
  double SYstar = 0;
};

// Fits Breg by the formulas of the plan type. A criterion value that is not a number or a division
// by a zero sum reports `failureText` (title "Orvant7") through s.report and returns false; `reg` is
// then left as it was.
bool fitRegression(State& s, const Plan& plan, const Criterion& Yexp, Regression& reg,
                   std::string_view failureText = kFitFailedWorkbench);

// Y(x) for Nf factors with the coefficients Breg.
double evaluate(const Coefficients& Breg, int Nf, const Levels& x);

// Y at plan row u (the coded levels of Xpl(u, 1..Nf)).
double evaluateAtRow(const Coefficients& Breg, const Plan& plan, int u);

// The coefficient listing: the heading, then "b" + c + "  =  " + Breg(c) truncated to six decimals
// for c = 0..2Nf+Nint.
std::vector<std::string> regressionReport(const Coefficients& Breg, int Nf);

// The listing after a fit: the coefficient listing, then "Номер эксперимента, расчет и эксперимент"
// and one line per experiment with the computed and the experimental value (three decimals).
std::vector<std::string> fitReport(const Coefficients& Breg, const Plan& plan, const Criterion& Yexp);

}  // namespace orvant::design
