// Precession (IAU 1976, Lieske et al. 1977) and the low-precision nutation. Declarations and
// references in transform.h.
#include <cmath>

#include "astro/transform.h"

namespace orvant {

namespace {

// Pmat[j][i] = coefficient of input component j in output component i: the transpose of the
// usual matrix m[i][j] with v_out = m v_in.
void storeTransposed(State& s, const double m[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s.Pmat[j][i] = m[i][j];
}

}  // namespace

void PrecEcl(State& s, double T0, double T1) {
  const double T = T0, t = T1 - T0;
  const double asec = 3600 * s.kUgol;  // arc-seconds per radian
  const double pi = ((47.0029 - 0.06603 * T + 0.000598 * T * T) * t +
                     (-0.03302 + 0.000598 * T) * t * t + 0.00006 * t * t * t) /
                    asec;
  const double Pn =
      174.876383889 / s.kUgol +
      (3289.4789 * T + 0.60622 * T * T - (869.8089 + 0.50491 * T) * t + 0.03536 * t * t) / asec;
  const double p = ((5029.0966 + 2.22226 * T - 0.000042 * T * T) * t +
                    (1.11113 - 0.000042 * T) * t * t - 0.000006 * t * t * t) /
                   asec;
  const double Q = Pn + p;
  const double cQ = std::cos(Q), sQ = std::sin(Q), cP = std::cos(Pn), sP = std::sin(Pn);
  const double cp = std::cos(pi), sp = std::sin(pi);
  const double m[3][3] = {
      {cQ * cP + sQ * cp * sP, cQ * sP - sQ * cp * cP, -sQ * sp},
      {sQ * cP - cQ * cp * sP, sQ * sP + cQ * cp * cP, cQ * sp},
      {sp * sP, -sp * cP, cp},
  };
  storeTransposed(s, m);
}

void PrecEqu(State& s, double T0, double T1) {
  const double T = T0, t = T1 - T0;
  const double asec = 3600 * s.kUgol;
  const double zeta = (2306.2181 + 1.39656 * T - 0.000139 * T * T) * t +
                      (0.30188 - 0.000345 * T) * t * t + 0.017998 * t * t * t;
  const double zz = zeta + (0.7928 + 0.000411 * T) * t * t + 0.000205 * t * t * t;
  const double theta = (2004.3109 - 0.8533 * T - 0.000217 * T * T) * t -
                       (0.42665 + 0.000217 * T) * t * t - 0.041833 * t * t * t;
  const double cz = std::cos(zeta / asec), sz = std::sin(zeta / asec);
  const double cZ = std::cos(zz / asec), sZ = std::sin(zz / asec);
  const double ct = std::cos(theta / asec), st = std::sin(theta / asec);
  const double m[3][3] = {
      {cz * cZ * ct - sz * sZ, -sz * cZ * ct - cz * sZ, -cZ * st},
      {cz * sZ * ct + sz * cZ, cz * cZ - sz * sZ * ct, -sZ * st},
      {cz * st, -sz * st, ct},
  };
  storeTransposed(s, m);
}

void ApplyPrec(State& s) {
  const int i = s.I;
  const double x = s.X[i], y = s.Y[i], z = s.Z[i];
  s.X[i] = s.Pmat[0][0] * x + s.Pmat[1][0] * y + s.Pmat[2][0] * z;
  s.Y[i] = s.Pmat[0][1] * x + s.Pmat[1][1] * y + s.Pmat[2][1] * z;
  s.Z[i] = s.Pmat[0][2] * x + s.Pmat[1][2] * y + s.Pmat[2][2] * z;
}

void Nutation(const State& s, double T, double& x, double& y, double& z, int16 mode) {
  if (mode != 0 && mode != 1) return;
  const double p2 = 2 * s.Pi;
  const double ls = p2 * Frac(0.993133 + 99.997306 * T);   // Sun's mean anomaly l'
  const double D = p2 * Frac(0.827362 + 1236.853087 * T);  // Moon's mean elongation
  const double F = p2 * Frac(0.259089 + 1342.227826 * T);  // Moon's argument of latitude
  const double N = p2 * Frac(0.347346 - 5.372447 * T);     // longitude of the Moon's node
  const double eps = 0.4090928 - 0.00022696 * T;
  const double dpsi =
      (-17.2 * std::sin(N) - 1.319 * std::sin(2 * (F - D + N)) - 0.227 * std::sin(2 * (F + N)) +
       0.206 * std::sin(2 * N) + 0.143 * std::sin(ls)) /
      206264.8062;
  const double deps = (9.203 * std::cos(N) + 0.574 * std::cos(2 * (F - D + N)) +
                       0.098 * std::cos(2 * (F + N)) - 0.09 * std::cos(2 * N)) /
                      206264.8062;
  const double c = std::cos(eps), sn = std::sin(eps);
  const double dx = -dpsi * c * y - dpsi * sn * z;
  const double dy = dpsi * c * x - deps * z;
  const double dz = dpsi * sn * x + deps * y;
  const double sign = mode == 0 ? 1.0 : -1.0;
  x += sign * dx;
  y += sign * dy;
  z += sign * dz;
}

}  // namespace orvant
