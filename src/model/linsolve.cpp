#include "model/linsolve.h"

#include <cmath>

#include "model/format.h"

namespace orvant {

namespace {

// The listing is shown on a screen: truncated to two decimals, with the screen's decimal comma.
std::string twoDecimals(double x) { return screenNumber(x, 2); }

}  // namespace

bool Solve(LinearSystem& sys, int n) {
  if (n < 1 || n > 6) return false;
  sys.NsysTop = n;
  sys.steps.clear();
  // Forward elimination: the last equation of layer k removes x_k from the others.
  for (int k = n; k >= 2; --k) {
    sys.Nsys = k;
    const double pivot = sys.Asys[k][k][k];
    if (pivot == 0 || !std::isfinite(pivot)) return false;
    for (int r = 1; r <= k - 1; ++r) {
      const double K = -sys.Asys[k][r][k] / pivot;
      std::string line(9, ' ');
      line += twoDecimals(K);
      for (int c = 0; c <= k; ++c) {
        sys.Asys[k - 1][r][c] = sys.Asys[k][r][c] + K * sys.Asys[k][k][c];
        line += "   " + twoDecimals(sys.Asys[k - 1][r][c]);
      }
      sys.steps.push_back(std::move(line));
    }
  }
  // Back substitution from layer 1 upwards: the pivot equation of layer k (its last one, whose
  // coefficient of x_k was checked above) gives x_k from x_1..x_(k-1). Taking the first equation
  // instead would fail on every system without coupling between the unknowns (a regression without
  // interaction terms), where that equation has no x_k at all.
  std::array<double, 7> x{};
  if (sys.Asys[1][1][1] == 0) return false;
  x[1] = -sys.Asys[1][1][0] / sys.Asys[1][1][1];
  for (int k = 2; k <= n; ++k) {
    double sum = sys.Asys[k][k][0];
    for (int c = 1; c <= k - 1; ++c) sum += sys.Asys[k][k][c] * x[c];
    x[k] = -sum / sys.Asys[k][k][k];
  }
  for (int k = 1; k <= n; ++k)
    if (!std::isfinite(x[k])) return false;
  sys.Xopt = x;
  return true;
}

}  // namespace orvant
