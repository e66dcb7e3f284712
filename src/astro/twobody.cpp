#include "astro/twobody.h"

#include <cmath>

namespace orvant {

namespace {

bool finite(double x) { return std::isfinite(x); }

}  // namespace

bool positionFromParameters(State& s, int i) {
  double twoPi = 2 * s.Pi;
  double manom = twoPi * frac(s.AlfaL[i] / twoPi) - s.AlfaP0[i];
  if (manom < 0) manom += twoPi;
  s.Manom[i] = manom;
  if (!finite(manom)) return false;
  return positionFromMeanAnomaly(s, i);
}

bool positionFromMeanAnomaly(State& s, int i) {
  const double manom = s.Manom[i];
  const double e = s.Eks0[i];

  // Kepler's equation by fixed-point iteration: E(k) = e*sin(E(k-1)) + M, stopped as soon as two
  // iterates differ by no more than epsKepler; the last iterate when 99 were not enough.
  double previous = manom;
  double current = manom;
  for (int k = 1; k <= kKeplerMaxIter; ++k) {
    current = e * std::sin(previous) + manom;
    if (std::fabs(previous - current) <= epsKepler) break;
    previous = current;
  }
  s.Ean = current;

  // True anomaly with the principal arctangent, in (-pi, pi). An eccentricity of 1 divides by zero
  // and one above 1 takes the root of a negative number: both are failures of the conversion.
  const double oneMinusE = 1 - e;
  if (oneMinusE == 0) return false;
  const double ratio = (1 + e) / oneMinusE;
  if (!(ratio >= 0)) return false;
  const double vanom = 2 * std::atan(std::sqrt(ratio) * std::tan(s.Ean / 2));
  if (!finite(vanom)) return false;
  s.Vanom[i] = vanom;

  const double denominator = e * std::cos(vanom) + 1;
  if (denominator == 0) return false;
  const double rpl = (1 - e * e) * s.R0sr[i] / denominator;
  if (!finite(rpl)) return false;
  s.Rpl[i] = rpl;

  const double u = vanom + s.AlfaP0[i] - s.AlfaU0[i];
  s.Ushir[i] = u;
  const double cosNode = std::cos(s.AlfaU0[i]), sinNode = std::sin(s.AlfaU0[i]);
  const double cosU = std::cos(u), sinU = std::sin(u);
  const double cosInc = std::cos(s.Betta0[i]), sinInc = std::sin(s.Betta0[i]);
  s.X[i] = (cosNode * cosU - sinNode * sinU * cosInc) * rpl;
  s.Y[i] = (cosNode * sinU * cosInc + sinNode * cosU) * rpl;
  s.Z[i] = sinU * rpl * sinInc;
  return finite(s.X[i]) && finite(s.Y[i]) && finite(s.Z[i]);
}

bool velocityFromParameters(State& s, int i) {
  s.Icen = s.kodMoon == 1 ? 13 : 0;
  s.m[12] = s.m[s.Icen];
  if (s.kodBary == 1) s.m[12] = s.m[i] + s.m[s.Icen];
  return velocityAroundMass(s, i, s.m[12]);
}

bool velocityAroundMass(State& s, int i, double centralMass) {
  const double e = s.Eks0[i];
  s.Pfoc = (1 - e * e) * s.R0sr[i];
  if (s.Pfoc == 0) return false;
  const double c2 = s.gamma * centralMass / s.Pfoc;
  if (!(c2 >= 0) || !finite(c2)) return false;
  const double c = std::sqrt(c2);

  const double vanom = s.Vanom[i];
  s.Vrad = c * e * std::sin(vanom);
  s.Vtr = c * (std::cos(vanom) * e + 1);

  const double rpl = s.Rpl[i];
  if (rpl == 0) return false;
  const double u = s.Ushir[i];
  const double cosNode = std::cos(s.AlfaU0[i]), sinNode = std::sin(s.AlfaU0[i]);
  const double cosU = std::cos(u), sinU = std::sin(u);
  const double cosInc = std::cos(s.Betta0[i]), sinInc = std::sin(s.Betta0[i]);
  s.VX[i] = (-sinU * cosNode - sinNode * cosU * cosInc) * s.Vtr + s.Vrad * s.X[i] / rpl;
  s.VY[i] = (cosNode * cosU * cosInc - sinU * sinNode) * s.Vtr + s.Vrad * s.Y[i] / rpl;
  s.VZ[i] = s.Vrad * s.Z[i] / rpl + s.Vtr * cosU * sinInc;
  return finite(s.VX[i]) && finite(s.VY[i]) && finite(s.VZ[i]);
}

}  // namespace orvant
