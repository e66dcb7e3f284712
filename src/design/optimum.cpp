#include "design/optimum.h"

#include "model/format.h"

namespace orvant::design {

void optimumSystem(const Coefficients& B, int Nf, LinearSystem& sys) {
  auto& A = sys.Asys[Nf];
  for (int i = 1; i <= Nf; ++i) {
    A[i][0] = B[i];
    for (int j = 1; j <= Nf; ++j)
      A[i][j] = (j == i) ? 2 * B[Nf + Nf * (Nf - 1) / 2 + i] : B[pairColumn(Nf, i, j)];
  }
}

bool optimise(State& s, const Coefficients& Breg, int Nf, Optimum& opt) {
  if (Nf < 1 || Nf > kMaxFactors) {
    s.report(kSolveFailed, kTitle7);
    return false;
  }
  Optimum o;
  optimumSystem(Breg, Nf, o.sys);
  // The system as written, before the elimination fills the lower layers.
  for (int r = 1; r <= Nf; ++r) {
    std::string line = "    " + std::to_string(r) + "          ";
    for (int c = 0; c <= Nf; ++c) {
      if (c > 0) line += "   ";
      line += screenNumber(o.sys.Asys[Nf][r][c], 2);
    }
    o.listing.push_back(std::move(line));
  }
  if (!Solve(o.sys, Nf)) {
    s.report(kSolveFailed, kTitle7);
    return false;
  }
  for (int i = 1; i <= Nf; ++i) o.Xopt[i] = o.sys.Xopt[i];
  o.listing.insert(o.listing.end(), o.sys.steps.begin(), o.sys.steps.end());
  opt = std::move(o);
  return true;
}

std::vector<std::string> optimumReport(const Optimum& opt) {
  std::vector<std::string> lines{kOptimumHeading};
  lines.insert(lines.end(), opt.listing.begin(), opt.listing.end());
  return lines;
}

double naturalOptimum(double X0, double Xopt, double dX) { return truncDecimals(X0 + Xopt * dX, 6); }

}  // namespace orvant::design
