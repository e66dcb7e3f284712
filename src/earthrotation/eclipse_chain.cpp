#include "earthrotation/eclipse_chain.h"

#include <cmath>
#include <string>

#include "astro/apparent_place.h"
#include "astro/transform.h"
#include "earthrotation/eclipse_sources.h"
#include "astro/etut.h"
#include "ephemeris/jpl.h"
#include "ephemeris/theory_planets.h"
#include "model/messages.h"

namespace orvant {

namespace {

constexpr double kCentury = 36525;
constexpr double kEpochPrec = 1579341;  // the epoch of the second precession display, JD
constexpr int kOrigin = 15;
constexpr int kObserver = 12;
constexpr int kShadow = 13;
constexpr int kHorWork = 22;  // 22, 23, 24: horizontal vectors of the Sun, object, shadow
constexpr int kOutline = 30;  // 30..37

// Horizontal coordinates of the topocentric direction (ra, dec) into slot `work`: azimuth from
// the south in -180..180 and altitude, with refraction when asked.
void horizontal(State& s, const EclipseSettings& set, double lmstDeg, double ra, double dec,
                int work, double& az, double& alt) {
  s.Tau = lmstDeg - ra;
  if (s.Tau < 0) s.Tau += 360;
  s.Bk[work] = dec;
  EquToHor(s, work);
  s.X[kOrigin] = s.Y[kOrigin] = s.Z[kOrigin] = 0;
  const astro::Sph p = astro::sph(s, kOrigin, work);
  az = p.L;
  if (az > 180) az -= 360;
  alt = p.B;
  if (set.refraction && !set.test) alt = astro::refraction(s, alt);
}

}  // namespace

std::string_view eclipseSettingsError(const EclipseSettings& set) {
  if (set.tables && (set.table < 1 || set.table > 8)) return kMsgEclNoTable;
  if (!set.tables && set.theory == EclTheory::None) return kMsgEclNoTheory;
  if (set.k == 3) return kMsgEclEarth;
  if (set.k < 1 || set.k > 11 || set.k == 10) return kMsgEclBadInput;
  for (double v : {set.ObsL, set.ObsB, set.et1Min, set.et2Min, set.heightM})
    if (!std::isfinite(v)) return kMsgEclBadInput;
  if (std::fabs(set.ObsB) > 90) return kMsgEclBadInput;
  return {};
}

std::string_view eclipseSourceName(const EclipseSettings& set) {
  if (set.tables) return set.table >= 1 && set.table <= 8 ? kEclTableCaptions[set.table] : "";
  return kEclTheoryNames[static_cast<int>(set.theory)];
}

void eclipseUseMasses(State& s, const EclipseSettings& set) {
  const EclTheory th = set.tables ? EclTheory::Kin0p : set.theory;
  switch (th) {
    case EclTheory::New0: setMassSet(s, 1); s.gamma = gammaOfMassSet(1); break;
    case EclTheory::JPL0:
    case EclTheory::JPL2: setMassSet(s, 2); s.gamma = gammaOfMassSet(2); break;
    case EclTheory::Kin0p:
    case EclTheory::None: setMassSet(s, 3); s.gamma = gammaOfMassSet(3); break;
  }
  s.Lae = kTheoryLae;
}

EclStatus eclipseBegin(State& s, const EclipseSettings& set, double JDut) {
  const EclTheory th = set.tables ? EclTheory::Kin0p : set.theory;
  eclipseUseMasses(s, set);
  s.Dpl[kShadow] = 0;
  s.X[kShadow] = s.Y[kShadow] = s.Z[kShadow] = 0;
  if (th == EclTheory::JPL2) {
    if (s.JPLisOpen == 10) JPLclose(s);
    double et1 = 0, et2 = 0;
    eclipseTimes(s, set, JDut, et1, et2);
    return eclipseJplRecord(s, JDut + et1 / 86400);
  }
  return EclStatus::Ok;
}

void eclipseTimes(const State& s, const EclipseSettings& set, double JDut, double& et1,
                  double& et2) {
  et1 = set.et1Screen ? set.et1Min * 60 : ETUTsel(s, 1, JDut);
  et2 = set.et2Screen ? set.et2Min * 60 : ETUTsel(s, 2, JDut);
}

double angularSeparation(double ra1, double dec1, double ra2, double dec2) {
  const double d2r = M_PI / 180;
  const double sd = std::sin((dec2 - dec1) * d2r / 2);
  const double sa = std::sin((ra2 - ra1) * d2r / 2);
  const double h = sd * sd + std::cos(dec1 * d2r) * std::cos(dec2 * d2r) * sa * sa;
  return 2 * std::asin(std::sqrt(std::min(1.0, h))) / d2r;
}

EarthShadow earthShadow(double Lsun, double Bsun, double sunDist, double moonDist, double Dsun,
                        double Dearth) {
  EarthShadow sh;
  sh.L = Lsun - 180;
  if (sh.L < 0) sh.L += 360;
  sh.B = -Bsun;
  const double sigma = std::atan((Dsun - Dearth) / 2 / sunDist);
  sh.sigma = sigma * 180 / M_PI;
  sh.diameter = Dearth - 2 * moonDist * std::tan(sigma);
  return sh;
}

double umbraRadiusDeg(double moonDist, double sunDist, double Dsun, double Dearth) {
  const double piMoon = std::asin(Dearth / 2 / moonDist), piSun = std::asin(Dearth / 2 / sunDist);
  const double sSun = std::asin(Dsun / 2 / sunDist);
  return (kDanjonEnlargement * piMoon - sSun + piSun) * 180 / M_PI;
}

void wgs84Geocentric(double phiDeg, double h, double& rho, double& phiGeocentricDeg) {
  const double phi = phiDeg * M_PI / 180;
  const double e2 = kWgs84F * (2 - kWgs84F);
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double N = kWgs84A / std::sqrt(1 - e2 * sp * sp);
  const double x = (N + h) * cp;
  const double z = (N * (1 - e2) + h) * sp;
  rho = std::hypot(x, z);
  phiGeocentricDeg = std::atan2(z, x) * 180 / M_PI;
}

void eclipsePrefetch(State& s, const EclipseSettings& set, const std::vector<double>& JDuts) {
  if (!set.tables) return;
  std::vector<double> JDEs;
  JDEs.reserve(JDuts.size());
  for (double JDut : JDuts) {
    double et1 = 0, et2 = 0;
    eclipseTimes(s, set, JDut, et1, et2);
    JDEs.push_back(JDut + et1 / 86400);
  }
  eclipseTablePrefetch(s, set, JDEs);
}

namespace {

// The stages from "ГЕО ЭКЛ J2000" to "+Нутация" for the Sun and object k, geocentric from
// "+Аберр. приемн." on; `sunDist` gets the Sun's geocentric distance.
void geocentricStages(State& s, const EclipseSettings& set, EclipseStep& out, double& sunDist) {
  const int k = set.k;
  const double T = (out.JDE - s.JD2000) / kCentury;
  const int body[2] = {0, k};
  // ---- "ГЕО ЭКЛ J2000": geometric, light times ----
  double tau[2];
  for (int j = 0; j < 2; ++j) {
    const astro::Sph p = astro::sph(s, 3, body[j]);
    out.L[kStGeoJ2000][j] = p.L;
    out.B[kStGeoJ2000][j] = p.B;
    tau[j] = p.R / s.Vsv;
  }
  // ---- "+Аберр. источн.": light-time correction of object k ----
  astro::lightTime(s, 3, k, tau[1], s.Vsv, 3);
  const astro::Sph sun = astro::sph(s, 3, 0);
  out.L[kStAberSrc] = {sun.L, 0};
  out.B[kStAberSrc][0] = sun.B;
  const astro::Sph obj = astro::sph(s, 3, k);
  out.L[kStAberSrc][1] = obj.L;
  out.B[kStAberSrc][1] = obj.B;
  // ---- "+Аберр. приемн.": displacement by the light time times the Earth's velocity ----
  double geoR[2];
  for (int j = 0; j < 2; ++j) {
    const int i = body[j];
    astro::receiverAberration(s, 3, i, tau[j]);
    const astro::Sph p = astro::sph(s, 3, i);
    out.L[kStAberRcv][j] = p.L;
    out.B[kStAberRcv][j] = p.B;
    geoR[j] = p.R;
  }
  sunDist = geoR[0];
  // From here on the vectors are geocentric: the Earth at the origin (slot 15).
  s.X[kOrigin] = s.Y[kOrigin] = s.Z[kOrigin] = 0;
  for (int j = 0; j < 2; ++j)
    XYZfromSph(s, body[j], out.L[kStAberRcv][j], out.B[kStAberRcv][j], geoR[j]);
  // ---- "J2000 -> JD": precession to the date (New0 is of the date already) ----
  out.precJ2000 = (5029.0966 + 1.11113 * T - 0.000006 * T * T) * T / 3600;
  const double T0 = (kEpochPrec - s.JD2000) / kCentury, t = T - T0;
  out.precEpoch = ((5029.0966 + 2.22226 * T0 - 0.000042 * T0 * T0) * t +
                   (1.11113 - 0.000042 * T0) * t * t - 0.000006 * t * t * t) /
                  3600;
  const bool precess = set.tables || set.theory != EclTheory::New0;
  for (int j = 0; j < 2; ++j) {
    const int i = body[j];
    if (precess) astro::toEquinoxOfDate(s, i, T);
    const astro::Sph p = astro::sph(s, kOrigin, i);
    out.L[kStPrec][j] = p.L;
    out.B[kStPrec][j] = p.B;
  }
  out.sunEclDate = out.L[kStPrec][0];
  // Kept for the equinox log: the Sun's ecliptic vector of the date.
  s.X[16] = s.X[0], s.Y[16] = s.Y[0], s.Z[16] = s.Z[0];
  // ---- "ГЕО ЭКВ", "+Нутация" ----
  for (int j = 0; j < 2; ++j) {
    const int i = body[j];
    astro::toEquator(s, i, T);
    const astro::Sph equ = astro::sph(s, kOrigin, i);
    out.L[kStEqu][j] = equ.L;
    out.B[kStEqu][j] = equ.B;
    if (!set.tables) astro::nutation(s, i, T);
    const astro::Sph nut = astro::sph(s, kOrigin, i);
    out.L[kStNut][j] = nut.L;
    out.B[kStNut][j] = nut.B;
    s.Lk[i] = out.L[kStNut][j];
    s.Bk[i] = out.B[kStNut][j];
  }
  s.X[17] = s.X[0], s.Y[17] = s.Y[0], s.Z[17] = s.Z[0];
}

// The observer's geocentric vector (slot 12) at the mean sidereal time of ET2; returns the local
// mean sidereal time in degrees.
double placeObserver(State& s, const EclipseSettings& set, EclipseStep& out) {
  s.ObsL = set.ObsL;
  s.ObsB = set.ObsB;
  double gmst = GMST(out.JDet2 - 2400000.5);
  gmst -= 24 * std::floor(gmst / 24);
  double lmst = gmst + set.ObsL / 15;
  if (lmst > 24) lmst -= 24;
  if (lmst < 0) lmst += 24;
  out.GMST = gmst;
  out.LMST = lmst;
  const double lmstDeg = lmst * 15;
  if (set.ellipsoid) {
    double rho = 0, phic = 0;
    wgs84Geocentric(set.ObsB, set.heightM, rho, phic);
    XYZfromSph(s, kObserver, lmstDeg, phic, rho);
  } else {
    XYZfromSph(s, kObserver, lmstDeg, set.ObsB, kEclEarthRadius);
  }
  return lmstDeg;
}

// The Earth's shadow (antisolar point at the Moon's distance, the cone), then "ТОПО ЭКВ" of the
// Sun, object k and the shadow, and the angular radii.
void topocentric(State& s, const EclipseSettings& set, EclipseStep& out) {
  const int k = set.k;
  const EarthShadow sh = earthShadow(out.L[kStNut][0], out.B[kStNut][0], out.sunDist,
                                     out.moonDist, s.Dpl[0], s.Dpl[3]);
  XYZfromSph(s, kShadow, sh.L, sh.B, out.moonDist);
  s.Dpl[kShadow] = sh.diameter;
  out.sigma = sh.sigma;
  out.shadowDiam = sh.diameter;
  const int topo[3] = {0, k, kShadow};
  for (int j = 0; j < 3; ++j) {
    const int i = topo[j];
    s.X[i] -= s.X[kObserver];
    s.Y[i] -= s.Y[kObserver];
    s.Z[i] -= s.Z[kObserver];
    const astro::Sph p = astro::sph(s, kOrigin, i);
    out.ra[j] = p.L;
    out.dec[j] = p.B;
    out.dist[j] = p.R;
    s.Lk[i] = out.ra[j];
    s.Bk[i] = out.dec[j];
    s.Rij[kObserver][i] = s.Rast;
  }
  for (int j = 0; j < 2; ++j) {
    out.L[kStTopoEqu][j] = out.ra[j];
    out.B[kStTopoEqu][j] = out.dec[j];
  }
  s.X[18] = s.X[0], s.Y[18] = s.Y[0], s.Z[18] = s.Z[0];
  const double r2d = 180 / M_PI;
  out.rho[0] = std::atan(s.Dpl[0] / 2 / out.dist[0]) * r2d;
  out.rho[1] = std::atan(s.Dpl[k] / 2 / out.dist[1]) * r2d;
  out.rho[2] = std::atan(s.Dpl[kShadow] / 2 / out.moonDist) * r2d;
}

// "ТОПО ГОР" of the three, and the eight points of the outline of the Sun's or the Moon's disk.
void horizontalStage(State& s, const EclipseSettings& set, double lmstDeg, EclipseStep& out) {
  for (int j = 0; j < 3; ++j)
    horizontal(s, set, lmstDeg, out.ra[j], out.dec[j], kHorWork + j, out.az[j], out.alt[j]);
  out.L[kStHor] = {out.az[0], out.az[1]};
  out.B[kStHor] = {out.alt[0], out.alt[1]};
  out.sunHourAngle = lmstDeg - out.ra[0];
  if (out.sunHourAngle < 0) out.sunHourAngle += 360;
  const double r2d = 180 / M_PI;
  const int j = set.outlineMoon ? 1 : 0;
  const double rc = set.outlineMoon ? (set.k == 11 ? out.rho[1] : 0) : out.rho[0];
  const double Lc = out.ra[j], Bc = out.dec[j];
  const double cosB = std::cos(Bc / r2d);
  for (int p = 0; p < 8; ++p) {
    const double th = p * 45 / r2d;
    const double L = Lc + (cosB != 0 ? rc * std::cos(th) / cosB : 0);
    const double B = Bc + rc * std::sin(th);
    out.outRa[p] = L;
    out.outDec[p] = B;
    XYZfromSph(s, kOutline + p, L, B, 1);
    horizontal(s, set, lmstDeg, L, B, kOutline + p, out.outAz[p], out.outAlt[p]);
  }
}

bool stepFinite(const EclipseStep& out) {
  for (int r = 0; r < 8; ++r)
    for (int j = 0; j < 2; ++j)
      if (!std::isfinite(out.L[r][j]) || !std::isfinite(out.B[r][j])) return false;
  for (int j = 0; j < 3; ++j)
    if (!std::isfinite(out.rho[j]) || !std::isfinite(out.alt[j]) || !std::isfinite(out.dist[j]))
      return false;
  return true;
}

}  // namespace

EclStatus eclipseStep(State& s, const EclipseSettings& set, double JDut, EclipseStep& out) {
  const int k = set.k;
  const int16 kodMoon = s.kodMoon, kodBary = s.kodBary;
  out = EclipseStep{};
  // ---- the time chain ----
  eclipseTimes(s, set, JDut, out.ET1, out.ET2);
  out.JDut = JDut;
  out.JDE = JDut + out.ET1 / 86400;
  out.JDet2 = JDut + out.ET2 / 86400;
  s.JDUT = JDut;
  s.ETUT = out.ET2;
  s.JDE = out.JDE;
  s.JDet2 = out.JDet2;
  // ---- positions ----
  const EclStatus st = eclipsePlaceBodies(s, set, JDut, out.JDE);
  s.kodMoon = kodMoon;
  s.kodBary = kodBary;
  s.JD = s.JDjpl = out.JDE;
  if (st != EclStatus::Ok) return st;
  out.earth = {s.X[3], s.Y[3], s.Z[3]};
  out.moon = {s.X[11], s.Y[11], s.Z[11]};
  out.object = {s.X[k], s.Y[k], s.Z[k]};
  // ---- the stages ----
  geocentricStages(s, set, out, out.sunDist);
  const double lmstDeg = placeObserver(s, set, out);
  out.moonDist = s.Rij[3][11];
  topocentric(s, set, out);
  horizontalStage(s, set, lmstDeg, out);
  return stepFinite(out) ? EclStatus::Ok : EclStatus::Numeric;
}

EclipseInverse eclipseInverseSun(State& s, const EclipseSettings& set, const EclipseStep& st) {
  EclipseInverse inv;
  const double r2d = 180 / M_PI;
  const double T = (st.JDE - s.JD2000) / kCentury;
  const bool refr = set.refraction && !set.test;
  // Observed altitude back to the geometric one: h0 + R(90 - h0) = h, by fixed-point iteration.
  double h = st.alt[0];
  if (refr) {
    double h0 = h;
    for (int it = 0; it < 20; ++it) h0 = h - Refraction(s, 90 - h0);
    h = h0;
  }
  // Horizon -> hour angle and declination -> topocentric right ascension.
  s.Agor = st.az[0];
  s.Hgor = h;
  HorToEqu(s, 19);
  s.X[kOrigin] = s.Y[kOrigin] = s.Z[kOrigin] = 0;
  const astro::Sph hourAngle = astro::sph(s, kOrigin, 19);
  const double tauDeg = hourAngle.L;
  inv.topoDec = hourAngle.B;
  inv.topoRa = st.LMST * 15 - tauDeg;
  inv.topoRa -= 360 * std::floor(inv.topoRa / 360);
  // Forward again: the horizontal coordinates of the inverted direction.
  {
    double az = 0, alt = 0;
    horizontal(s, set, st.LMST * 15, inv.topoRa, inv.topoDec, 20, az, alt);
    inv.az = az;
    inv.alt = alt;
  }
  // Topocentric -> geocentric: add the observer's vector back at the Sun's distance.
  XYZfromSph(s, 21, inv.topoRa, inv.topoDec, st.dist[0]);
  s.X[21] += s.X[kObserver];
  s.Y[21] += s.Y[kObserver];
  s.Z[21] += s.Z[kObserver];
  const astro::Sph geo = astro::sph(s, kOrigin, 21);
  inv.geoRa = geo.L;
  inv.geoDec = geo.B;
  // Remove the nutation (theories), back to the ecliptic of the date.
  if (!set.tables) {
    double x = s.X[21], y = s.Y[21], z = s.Z[21];
    Nutation(s, T, x, y, z, 1);
    s.X[21] = x, s.Y[21] = y, s.Z[21] = z;
  }
  s.I = 21;
  EquToEcl(s, T);
  inv.eclL = astro::sph(s, kOrigin, 21).L;
  (void)r2d;
  return inv;
}

}  // namespace orvant
