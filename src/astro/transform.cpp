// Fractional parts, sidereal time, spherical <-> rectangular, ecliptic <-> equator of the date,
// horizon, refraction. Declarations and references in transform.h.
#include "astro/transform.h"

#include <cmath>

#include "model/format.h"

namespace orvant {

double FracPos(double& x) {
  double f = frac(x);
  if (f >= 1) f = 0;  // x - Fix(x) + 1 rounds to 1 for a negative x of magnitude below 2^-54
  x = f;
  return f;
}

double Frac(double x) { return x - fix(x); }

double GMST(double mjd) {
  const double day = fix(mjd);
  const double h = (mjd - day) * 24;
  const double T0 = (day - 51544.5) / 36525;
  return 6.697374558 + 1.0027379093 * h +
         (8640184.812866 * T0 + 0.093104 * T0 * T0 - 0.0000062 * T0 * T0 * T0) / 3600;
}

bool SphFrom(State& s, int a, int b) {
  const double dX = s.X[b] - s.X[a];
  const double dY = s.Y[b] - s.Y[a];
  const double dZ = s.Z[b] - s.Z[a];
  s.dXij[a][b] = dX;
  s.dYij[a][b] = dY;
  s.dZij[a][b] = dZ;
  const double rho = std::sqrt(dX * dX + dY * dY);
  s.RHOij[a][b] = rho;
  s.Rast = std::sqrt(rho * rho + dZ * dZ);

  double L = dY < 0 ? 270 : 90;
  if (dX != 0) {
    L = std::atan(dY / dX) * s.kUgol;
    if (dX >= 0 && dY < 0) L += 360;
    if (dX < 0) L += 180;
  }
  s.Dolg[b] = L;

  if (rho == 0 && dZ == 0) return false;   // coinciding bodies: no direction
  s.Shir = std::atan(dZ / rho) * s.kUgol;  // rho = 0: atan(+-inf) = +-pi/2
  return true;
}

void XYZfromSph(State& s, int k, double L, double B, double R) {
  const double l = L / s.kUgol, b = B / s.kUgol;
  s.X[k] = R * std::cos(b) * std::cos(l);
  s.Y[k] = R * std::cos(b) * std::sin(l);
  s.Z[k] = R * std::sin(b);
}

double ObliquityOfDate(double T) {
  return 23.43929111 - (46.815 * T + 0.00059 * T * T - 0.001813 * T * T * T) / 3600;
}

void EquToEcl(State& s, double T) {
  const double e = ObliquityOfDate(T) / s.kUgol;
  const double c = std::cos(e), sn = std::sin(e);
  const double y = s.Y[s.I], z = s.Z[s.I];
  s.Y[s.I] = y * c + z * sn;
  s.Z[s.I] = z * c - y * sn;
}

void EclToEqu(State& s, double T) {
  const double e = ObliquityOfDate(T) / s.kUgol;
  const double c = std::cos(e), sn = std::sin(e);
  const double y = s.Y[s.I], z = s.Z[s.I];
  s.Y[s.I] = y * c - z * sn;
  s.Z[s.I] = z * c + y * sn;
}

void EquToHor(State& s, int k) {
  const double phi = s.ObsB / s.kUgol, d = s.Bk[k] / s.kUgol, t = s.Tau / s.kUgol;
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double sd = std::sin(d), cd = std::cos(d), ct = std::cos(t);
  s.X[k] = sp * cd * ct - sd * cp;
  s.Y[k] = cd * std::sin(t);
  s.Z[k] = cp * cd * ct + sp * sd;
}

void HorToEqu(State& s, int k) {
  const double phi = s.ObsB / s.kUgol, h = s.Hgor / s.kUgol, A = s.Agor / s.kUgol;
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double sh = std::sin(h), ch = std::cos(h), cA = std::cos(A);
  s.X[k] = sp * ch * cA + sh * cp;
  s.Y[k] = ch * std::sin(A);
  s.Z[k] = sp * sh - cA * ch * cp;
}

double Refraction(const State& s, double z) {
  // Refraction in arc-seconds at 86.0, 86.5, ..., 90.0 degrees of zenith distance.
  static constexpr double kTable[9] = {755.74, 832.67, 925, 1026, 1147, 1321.5, 1536, 1788, 2040};
  if (std::isnan(z)) return z;
  double arcsec;
  if (z <= 86) {
    const double t = std::tan(z / s.kUgol);
    arcsec = 57.1 * t - 0.0208 * t * t * t;
  } else if (z <= 90) {
    // Step n covers 86 + n/2 < z <= 86 + (n+1)/2.
    int n = static_cast<int>(std::ceil((z - 86) * 2)) - 1;
    if (n < 0) n = 0;
    if (n > 7) n = 7;
    const double lower = 86 + 0.5 * n;
    arcsec = kTable[n] + 2 * (z - lower) * (kTable[n + 1] - kTable[n]);
  } else {
    arcsec = 2040;
  }
  return arcsec / 3600;
}

}  // namespace orvant
