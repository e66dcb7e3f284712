// The total solar eclipse of 29 March 2006 seen from screen 16's default observer (48.153 E,
// 45.874 N), against an outside computation: DE405 barycentric states of the Earth, the Moon and
// the Sun, light time iterated per body, ERFA's aberration (eraAb), IAU 1976/1980 precession-
// nutation (eraPnm80) and apparent sidereal time (eraGst94) to place the observer, whose position
// is handed to ERFA as a geodetic latitude and height on WGS84 (eraGc2gd / eraGd2gc).
//
// Time chain as the reference has it: the ephemeris is read in TT = UT + dT with dT = 64.9 s (the
// value NASA's Five Millennium Canon of Solar Eclipses uses for 2006, Espenak & Meeus 2006), and the
// Earth is turned by UT (UT1 = UT): on screen 16 ET1 - UT is typed "с экрана" as 64.9/60 minutes and
// ET2 - UT as 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "earthrotation/eclipse_chain.h"
#include "earthrotation/eclipse_finder.h"
#include "astro/etut.h"
#include "ephemeris/jpl.h"
#include "eclipse_bench.h"

#ifdef ORVANT_HAVE_ERFA
#include <erfa.h>
#endif

namespace orvant::test {
namespace {

constexpr double kDeltaT = 64.9;  // s, TT - UT for 2006 (NASA's canon)
constexpr double kScreenL = 48.153, kScreenB = 45.874;
constexpr double kJD20060329 = 2453823.5;

#ifdef ORVANT_HAVE_ERFA

constexpr double kC = 299792458.0;
constexpr double kEmrat = 81.30056;  // DE405 Earth/Moon mass ratio (Standish 1998)
constexpr double kAU = 149597870691.0;

// DE405 on the ICRF axes (the reader gives the ecliptic of J2000: turned back by the same angle).
struct Ephem {
  State s;
  bool ok = true;
  explicit Ephem(const fs::path& dir) { s.workDir = dir.string(); }
  bool state(int k, double jdTT, double p[3], double v[3]) {
    if (s.JPLisOpen != 10 || jdTT < s.JDrec0 || jdTT >= s.JDrec1) {
      if (s.JPLisOpen == 10) JPLclose(s);
      s.JD = jdTT;
      if (JPLopen(s) != JplStatus::Ok) return ok = false;
    }
    s.JDjpl = jdTT;
    if (!JPLstate(s, k)) return ok = false;
    const double ce = std::cos(s.Eps0), se = std::sin(s.Eps0);
    p[0] = s.X[k], p[1] = s.Y[k] * ce - s.Z[k] * se, p[2] = s.Y[k] * se + s.Z[k] * ce;
    v[0] = s.VX[k], v[1] = s.VY[k] * ce - s.VZ[k] * se, v[2] = s.VY[k] * se + s.VZ[k] * ce;
    return true;
  }
  // Barycentric Earth (body 3) or Moon (body 11).
  bool body(int which, double jdTT, double p[3], double v[3]) {
    double emb[3], vemb[3], m[3], vm[3];
    if (which == 0) return state(0, jdTT, p, v);
    if (!state(3, jdTT, emb, vemb) || !state(11, jdTT, m, vm)) return false;
    const double f = which == 3 ? -1 / (1 + kEmrat) : kEmrat / (1 + kEmrat);
    for (int i = 0; i < 3; ++i) p[i] = emb[i] + f * m[i], v[i] = vemb[i] + f * vm[i];
    return true;
  }
};

// Apparent topocentric direction of the Sun (0) or the Moon (11) at UT jd for an observer at the
// terrestrial (ITRS, m) position r.
bool apparent(Ephem& e, int body, double jdUT, const double r[3], double u[3]) {
  const double tt = jdUT + kDeltaT / 86400;
  double E[3], VE[3];
  if (!e.body(3, tt, E, VE)) return false;
  double rbp[3][3], rot[3][3];
  eraPnm80(tt, 0, rbp);
  const double gast = eraGst94(jdUT, 0);
  eraIr(rot);
  eraRz(-gast, rot);
  double rtod[3], vtod[3], rg[3], vg[3];
  double rr[3] = {r[0], r[1], r[2]};
  eraRxp(rot, rr, rtod);
  const double w = 7.292115e-5;  // rad/s
  vtod[0] = -w * rtod[1], vtod[1] = w * rtod[0], vtod[2] = 0;
  eraTrxp(rbp, rtod, rg);
  eraTrxp(rbp, vtod, vg);
  double O[3], VO[3];
  for (int i = 0; i < 3; ++i) O[i] = E[i] + rg[i], VO[i] = VE[i] + vg[i];
  double tau = 0, P[3];
  for (int it = 0; it < 4; ++it) {
    double B[3], VB[3];
    if (!e.body(body, tt - tau / 86400, B, VB)) return false;
    for (int i = 0; i < 3; ++i) P[i] = B[i] - O[i];
    tau = eraPm(P) / kC;
  }
  double pn[3], v[3], S[3], VS[3];
  eraPn(P, &tau, pn);
  for (int i = 0; i < 3; ++i) v[i] = VO[i] / kC;
  if (!e.body(0, tt, S, VS)) return false;
  double so[3];
  for (int i = 0; i < 3; ++i) so[i] = O[i] - S[i];
  const double bm1 = std::sqrt(1 - eraPdp(v, v));
  eraAb(pn, v, eraPm(so) / kAU, bm1, u);
  return true;
}

double refSeparation(Ephem& e, double jdUT, const double r[3]) {
  double us[3], um[3];
  if (!apparent(e, 0, jdUT, r, us) || !apparent(e, 11, jdUT, r, um)) return NAN;
  return eraSepp(us, um) * 180 / M_PI;
}

// Separation less the sum (outer contacts) or the difference (inner) of the angular radii of
// the Sun (1 392 000 km) and the Moon (3 475 km) at their topocentric distances, degrees.
double refContactFunction(Ephem& e, double jdUT, const double r[3], bool inner) {
  double us[3], um[3];
  if (!apparent(e, 0, jdUT, r, us) || !apparent(e, 11, jdUT, r, um)) return NAN;
  // Topocentric distances from the geometric light-time vectors (their lengths).
  const double tt = jdUT + kDeltaT / 86400;
  double E[3], VE[3], S[3], VS[3], M[3], VM[3];
  e.body(3, tt, E, VE);
  e.body(0, tt, S, VS);
  e.body(11, tt, M, VM);
  double ds[3], dm[3];
  for (int i = 0; i < 3; ++i) ds[i] = S[i] - E[i], dm[i] = M[i] - E[i];
  // The observer's offset changes the Moon's distance by up to R: take it along the direction.
  double rbp[3][3], rot[3][3], rr[3] = {r[0], r[1], r[2]}, rtod[3], rg[3];
  eraPnm80(tt, 0, rbp);
  eraIr(rot);
  eraRz(-eraGst94(jdUT, 0), rot);
  eraRxp(rot, rr, rtod);
  eraTrxp(rbp, rtod, rg);
  for (int i = 0; i < 3; ++i) ds[i] -= rg[i], dm[i] -= rg[i];
  const double rs = std::atan(1392000000.0 / 2 / eraPm(ds)) * 180 / M_PI;
  const double rm = std::atan(3475000.0 / 2 / eraPm(dm)) * 180 / M_PI;
  const double sep = eraSepp(us, um) * 180 / M_PI;
  return sep - (inner ? std::fabs(rm - rs) : rm + rs);
}

// Bisection of refContactFunction on [a, b] (a sign change) to 1e-7 day.
double refContact(Ephem& e, double a, double b, const double r[3], bool inner) {
  double fa = refContactFunction(e, a, r, inner);
  while (b - a > 1e-7) {
    const double m = (a + b) / 2, fm = refContactFunction(e, m, r, inner);
    if ((fm > 0) == (fa > 0)) {
      a = m, fa = fm;
    } else {
      b = m;
    }
  }
  return (a + b) / 2;
}

// Golden-section search for the least separation in [a, b] (days), to 1e-7 day.
double refMinimum(Ephem& e, double a, double b, const double r[3]) {
  const double g = (std::sqrt(5.0) - 1) / 2;
  double x1 = b - g * (b - a), x2 = a + g * (b - a);
  double f1 = refSeparation(e, x1, r), f2 = refSeparation(e, x2, r);
  while (b - a > 1e-7) {
    if (f1 < f2) {
      b = x2, x2 = x1, f2 = f1, x1 = b - g * (b - a), f1 = refSeparation(e, x1, r);
    } else {
      a = x1, x1 = x2, f1 = f2, x2 = a + g * (b - a), f2 = refSeparation(e, x2, r);
    }
  }
  return (a + b) / 2;
}

// The screen's observer: a sphere of radius 6378140 m at latitude ObsB, as ERFA sees it:
// geodetic latitude and height on WGS84, and back to the terrestrial vector.
void sphereObserver(double r[3], double& phiGd, double& h) {
  const double d2r = M_PI / 180, R = kEclEarthRadius;
  double xyz[3] = {R * std::cos(kScreenB * d2r) * std::cos(kScreenL * d2r),
                         R * std::cos(kScreenB * d2r) * std::sin(kScreenL * d2r),
                         R * std::sin(kScreenB * d2r)};
  double elong = 0, phi = 0;
  ASSERT_EQ(eraGc2gd(1 /* WGS84 */, xyz, &elong, &phi, &h), 0);
  phiGd = phi / d2r;
  ASSERT_EQ(eraGd2gc(1 /* WGS84 */, elong, phi, h, r), 0);
  for (int i = 0; i < 3; ++i) ASSERT_NEAR(r[i], xyz[i], 1e-6);
}

void ellipsoidObserver(double r[3]) {
  const double d2r = M_PI / 180;
  ASSERT_EQ(eraGd2gc(1 /* WGS84 */, kScreenL * d2r, kScreenB * d2r, 0, r), 0);
}

std::string utText(double jd) {
  const double f = (jd + 0.5 - std::floor(jd + 0.5)) * 86400;
  char b[32];
  std::snprintf(b, sizeof b, "%02d:%02d:%05.2f", static_cast<int>(f / 3600),
                static_cast<int>(std::fmod(f, 3600) / 60), std::fmod(f, 60));
  return b;
}

TEST(EclipseReference, ScreenStepsToTheMinimumOfTheReferenceWithin5s) {
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  // Reference for the screen's sphere.
  double r[3], phiGd = 0, h = 0;
  sphereObserver(r, phiGd, h);
  Ephem e(b.dir);
  const double ref = refMinimum(e, kJD20060329 + 11.0 / 24, kJD20060329 + 11.75 / 24, r);
  ASSERT_TRUE(e.ok);
  // Screen 16 stepping by 0.00002 day (1.7 s) from 11:16:48 UT through the minimum.
  ui::Form& f = b.f16();
  f.choose("theory", 3);  // JPL2
  f.type("Day", "29,47");
  f.type("step", "0,00002");
  f.tick("et1Scr", true);
  f.type("et1", "1,081666666667");  // 64.9 s
  f.tick("et2Scr", true);
  f.type("et2", "0");
  f.tick("upd", false);
  b.desk.limitDisplays(600);
  f.press("start");
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  ASSERT_GE(b.screen().steps(), 600);
  const double got = b.screen().minSeparationJD();
  std::printf("[ reference ] sphere R=6378140 m, lat 45.874 (geocentric) = geodetic %.6f deg, "
              "h = %.1f m on WGS84\n",
              phiGd, h);
  std::printf("[ reference ] least separation: ERFA+DE405 %s UT, screen 16 %s UT, diff %.2f s\n",
              utText(ref).c_str(), utText(got).c_str(), (got - ref) * 86400);
  // The screen's sample nearest the minimum: at most half a step (0.9 s) from it.
  EXPECT_NEAR((got - ref) * 86400, 0, 5.0);
}

TEST(EclipseReference, FinderAgreesForBothObserverModels) {
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  State& s = b.state;
  setETcoefDefaults(s);
  s.Dpl[0] = 1392000000, s.Dpl[3] = 12756000, s.Dpl[11] = 3475000;
  EclipseSettings set;
  set.theory = EclTheory::JPL2;
  set.et1Screen = set.et2Screen = true;
  set.et1Min = kDeltaT / 60;
  set.et2Min = 0;
  EclFinderOptions opt;
  opt.jdFrom = kJD20060329;
  opt.jdTo = kJD20060329 + 1;
  opt.lunar = opt.mercury = opt.venus = false;
  Ephem e(b.dir);
  for (bool ellipsoid : {false, true}) {
    double r[3], phiGd = 0, h = 0;
    if (ellipsoid) {
      ellipsoidObserver(r);
    } else {
      sphereObserver(r, phiGd, h);
    }
    const double ref = refMinimum(e, kJD20060329 + 11.0 / 24, kJD20060329 + 11.75 / 24, r);
    set.ellipsoid = ellipsoid;
    std::vector<EclEvent> ev;
    ASSERT_EQ(findEclipses(s, set, opt, ev), EclStatus::Ok);
    ASSERT_EQ(ev.size(), 1u);
    const EclEvent& x = ev[0];
    std::printf("[ reference ] %s: ERFA max %s, finder C1 %s C2 %s MAX %s C3 %s C4 %s, "
                "diff %.2f s, type %c, mag %.4f\n",
                ellipsoid ? "WGS84 h=0" : "sphere", utText(ref).c_str(), utText(x.c1).c_str(),
                utText(x.c2).c_str(), utText(x.jdMax).c_str(), utText(x.c3).c_str(),
                utText(x.c4).c_str(), (x.jdMax - ref) * 86400, x.type, x.magnitude);
    EXPECT_NEAR((x.jdMax - ref) * 86400, 0, 5.0);
    EXPECT_EQ(x.type, 'T');  // the observer lies in the path of totality
    // The contacts of the reference, bracketed around its maximum.
    const double c1 = refContact(e, ref - 0.1, ref, r, false);
    const double c2 = refContact(e, ref - 0.01, ref, r, true);
    const double c3 = refContact(e, ref, ref + 0.01, r, true);
    const double c4 = refContact(e, ref, ref + 0.1, r, false);
    std::printf("[ reference ] %s: ERFA contacts %s %s %s %s; finder minus ERFA %.2f %.2f "
                "%.2f %.2f s\n",
                ellipsoid ? "WGS84 h=0" : "sphere", utText(c1).c_str(), utText(c2).c_str(),
                utText(c3).c_str(), utText(c4).c_str(), (x.c1 - c1) * 86400,
                (x.c2 - c2) * 86400, (x.c3 - c3) * 86400, (x.c4 - c4) * 86400);
    EXPECT_NEAR((x.c1 - c1) * 86400, 0, 5.0);
    EXPECT_NEAR((x.c2 - c2) * 86400, 0, 5.0);
    EXPECT_NEAR((x.c3 - c3) * 86400, 0, 5.0);
    EXPECT_NEAR((x.c4 - c4) * 86400, 0, 5.0);
    // First and last contacts bracket the maximum by about an hour and ten minutes each.
    EXPECT_GT((x.jdMax - x.c1) * 24, 1.0);
    EXPECT_GT((x.c4 - x.jdMax) * 24, 1.0);
    EXPECT_LT(x.c2, x.jdMax);
    EXPECT_GT(x.c3, x.jdMax);
    // At the contacts the separation equals the sum (outer) and difference (inner) of the radii.
    for (double t : {x.c1, x.c2}) {
      EclipseStep st;
      ASSERT_EQ(eclipseStep(s, set, t, st), EclStatus::Ok);
      const double sep = angularSeparation(st.ra[0], st.dec[0], st.ra[1], st.dec[1]);
      const double want = t == x.c1 ? st.rho[0] + st.rho[1] : std::fabs(st.rho[1] - st.rho[0]);
      EXPECT_NEAR(sep, want, 1e-6);  // 0.004": 0.01 s of the relative motion
    }
  }
}

#endif  // ORVANT_HAVE_ERFA

}  // namespace
}  // namespace orvant::test
