#include "design/regression.h"

#include <cmath>

#include "model/format.h"

namespace orvant::design {

bool fitRegression(State& s, const Plan& p, const Criterion& Yexp, Regression& reg,
                   std::string_view failureText) {
  const auto fail = [&] {
    s.report(failureText, kTitle7);
    return false;
  };
  if (p.Nf < 2 || p.Nf > kMaxFactors || p.Npt < 1 || p.Npt >= static_cast<int>(Yexp.size()))
    return fail();
  for (int u = 1; u <= p.Npt; ++u)
    if (!std::isfinite(Yexp[u])) return fail();

  Regression r;
  const int Nf = p.Nf, last = p.lastColumn();
  const int starEnd = p.Ncore + p.Nstar;
  for (int u = 1; u <= p.Npt; ++u) {
    const double y = Yexp[u];
    r.SY += y;
    if (u > p.Ncore) r.SY0 += y;
    if (u <= p.Ncore) r.SYcore += y;
    else if (u <= starEnd) r.SYstar += y;
    for (int c = 1; c <= last; ++c) {
      const double xy = p.Xpl[u][c] * y;
      r.SXY[c] += xy;
      if (u > p.Ncore) r.SXY0[c] += xy;
    }
  }
  for (int i = 1; i <= Nf; ++i) r.SQ += r.SXY[p.squareColumn(i)];

  auto& B = r.Breg;
  const int firstSquare = p.squareColumn(1);
  switch (p.PlanType) {
    case kOrthogonal: {
      // Every column is orthogonal to the others and to the mean: each coefficient is the
      // least-squares coefficient of its own column; b0 then moves the centring of the squares.
      double sumSquares = 0;
      for (int c = 1; c <= last; ++c) {
        if (p.EXi2[c] == 0) return fail();
        B[c] = r.SXY[c] / p.EXi2[c];
        if (c >= firstSquare) sumSquares += B[c];
      }
      B[0] = r.SY / p.Npt - p.MeanX2 * sumSquares;
      break;
    }
    case kRotatable:
    case kUniformRotatable:
      B[0] = p.k1 * r.SY - p.k2 * r.SQ;
      for (int c = 1; c <= Nf; ++c) B[c] = p.k3 * r.SXY[c];
      for (int c = Nf + 1; c < firstSquare; ++c) B[c] = p.k4 * r.SXY[c];
      for (int c = firstSquare; c <= last; ++c) B[c] = p.k5 * r.SXY[c] + p.k6 * r.SQ - p.k7 * r.SY;
      break;
    case kBoxDOptimal:
      B[0] = p.k1 * r.SY - p.k2 * r.SQ;
      for (int c = 1; c <= Nf; ++c) B[c] = p.k3 * r.SXY[c];
      for (int c = Nf + 1; c < firstSquare; ++c) B[c] = p.k4 * r.SXY[c];
      for (int c = firstSquare; c <= last; ++c) B[c] = p.k5 * r.SXY[c] - p.k6 * r.SQ - p.k2 * r.SY;
      break;
    case kBoxComposite: {
      // Star arm 1. On the core Y sums to 2^Nf (b0 + sum b_ii); on the star points to
      // 2 Nf b0 + 2 sum b_ii; hence b0 = (S_star - S_core/2^(Nf-1)) / (2 (Nf-1)). The centre points
      // are left out of both sums: with them the intercept of an exact quadratic is not recovered
      // (a constant criterion c would give b0 = c/4 for two factors).
      const double twoNf1 = std::ldexp(1.0, Nf - 1);
      B[0] = (r.SYstar - r.SYcore / twoNf1) / 2 / (Nf - 1);
      for (int c = 1; c <= Nf; ++c) B[c] = r.SXY[c] / (p.Ncore + 2);
      for (int c = Nf + 1; c < firstSquare; ++c) B[c] = r.SXY[c] / p.Ncore;
      // Star points of factor i give 2 (b0 + b_ii) in the square column; the centre gives 0.
      for (int c = firstSquare; c <= last; ++c) B[c] = r.SXY0[c] / 2 - B[0];
      break;
    }
    default:
      return fail();
  }
  for (int c = 0; c <= last; ++c)
    if (!std::isfinite(B[c])) return fail();
  reg = r;
  return true;
}

double evaluate(const Coefficients& B, int Nf, const Levels& x) {
  double y = B[0];
  for (int i = 1; i <= Nf; ++i) y += B[i] * x[i];
  int c = Nf;
  for (int i = 1; i < Nf; ++i)
    for (int j = i + 1; j <= Nf; ++j) y += B[++c] * x[i] * x[j];
  for (int i = 1; i <= Nf; ++i) y += B[++c] * x[i] * x[i];
  return y;
}

double evaluateAtRow(const Coefficients& B, const Plan& plan, int u) {
  Levels x{};
  for (int i = 1; i <= plan.Nf; ++i) x[i] = plan.Xpl[u][i];
  return evaluate(B, plan.Nf, x);
}

std::vector<std::string> regressionReport(const Coefficients& B, int Nf) {
  std::vector<std::string> lines{kRegressionHeading};
  const int last = 2 * Nf + Nf * (Nf - 1) / 2;
  for (int c = 0; c <= last && c <= kMaxColumn; ++c) {
    std::string line = "b";
    line += std::to_string(c);
    line += "  =  ";
    line += screenNumber(B[c], 6);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> fitReport(const Coefficients& Breg, const Plan& plan, const Criterion& Yexp) {
  std::vector<std::string> lines = regressionReport(Breg, plan.Nf);
  lines.emplace_back("Номер эксперимента, расчет и эксперимент");
  for (int u = 1; u <= plan.Npt; ++u)
    lines.push_back(std::to_string(u) + "   расчет= " + screenNumber(evaluateAtRow(Breg, plan, u), 3) +
                    "   эксперимент= " + screenNumber(Yexp[static_cast<std::size_t>(u)], 3));
  return lines;
}

}  // namespace orvant::design
