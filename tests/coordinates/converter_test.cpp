// The converter's chain: inverse round trips in every system, the chain against the same
// transformation composed from ERFA's IAU 1976/1980 functions, the Earth of the J2000 theory
// against ERFA's eraEpv00, and the angle converter.
#include <gtest/gtest.h>

#include <cmath>

#include "coordinates/converter.h"
#include "coordinates/converter_screen_chain.h"
#include "astro/transform.h"
#include "model/state.h"

#ifdef ORVANT_HAVE_ERFA
#include <erfa.h>
#endif

namespace orvant {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kArcsec = kPi / 648000;

double norm(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
double dist(const Vec3& a, const Vec3& b) {
  return norm({a[0] - b[0], a[1] - b[1], a[2] - b[2]});
}

// Every system the converter allows: 2 origins x 2 planes x 2 equinoxes without the horizon,
// and the topocentric origin with the three planes x 2 equinoxes.
std::vector<CoordSystem> allowedSystems() {
  std::vector<CoordSystem> out;
  for (int o = 0; o < 3; ++o)
    for (int p = 0; p < 3; ++p)
      for (int e = 0; e < 2; ++e) {
        const CoordSystem c{static_cast<Origin>(o), static_cast<Plane>(p), static_cast<Equinox>(e)};
        if (allowed(c)) out.push_back(c);
      }
  return out;
}

TEST(ConverterChain, EveryAllowedSystemAndOnlyThose) {
  EXPECT_EQ(allowedSystems().size(), 14u);
  State s;
  ConverterScene sc;
  Vec3 v{1e11, 2e11, 3e9};
  EXPECT_FALSE(toSystem(s, sc, {Origin::Geo, Plane::Horizon, Equinox::OfDate}, v));
  EXPECT_FALSE(fromSystem(s, sc, {Origin::Helio, Plane::Horizon, Equinox::J2000}, v));
  EXPECT_EQ(v, (Vec3{1e11, 2e11, 3e9}));  // refused: the vector is left as it was
}

TEST(ConverterChain, EveryConversionFollowedByItsInverseReturnsTheSource) {
  // Dates from 2000 BC to AD 2500: the backward precession is the transpose of the forward one,
  // so the return does not depend on how far the date is from J2000. Bodies from the Moon's
  // distance to Pluto's; the topocentric and horizon steps subtract and rebuild the vector.
  State s;
  const double dates[] = {2451545.0, 2460676.25, 1721057.5, 990557.5, 2634167.0};
  const Vec3 bodies[] = {{1.2e11, -9.1e10, 3.3e9},    // a planet near the Earth's orbit
                         {-4.1e12, 2.7e12, -8.0e11},  // Pluto's distance
                         {0, 0, 2e11},                // toward the ecliptic pole (rho = 0)
                         {-1e11, 0, 0}};              // dX < 0, dY = 0
  double worst = 0;
  for (double jd : dates) {
    ConverterSky sky;
    ASSERT_TRUE(computeSky(s, jd, 30.3262, 59.7719, sky));
    std::vector<Vec3> sources(std::begin(bodies), std::end(bodies));
    // the Moon's distance from the Earth, seen topocentrically
    const Vec3 e = sky.body[3];
    sources.push_back({e[0] + 2.1e8, e[1] - 3.0e8, e[2] + 1.5e7});
    for (const Vec3& v0 : sources)
      for (const CoordSystem& c : allowedSystems()) {
        Vec3 v = v0;
        ASSERT_TRUE(toSystem(s, sky.scene, c, v));
        Vec3 back = v;
        ASSERT_TRUE(fromSystem(s, sky.scene, c, back));
        const double rel = dist(back, v0) / norm(v0);
        worst = std::max(worst, rel);
        EXPECT_LT(rel, 1e-9) << jd << " system " << int(c.origin) << int(c.plane) << int(c.equinox);
        // and the other way round: from the system to the internal frame and back
        Vec3 w = v;
        ASSERT_TRUE(fromSystem(s, sky.scene, c, w));
        ASSERT_TRUE(toSystem(s, sky.scene, c, w));
        EXPECT_LT(dist(w, v) / norm(v), 1e-9);
      }
  }
  std::printf("[ round trip ] worst relative return %.3g\n", worst);
}

TEST(ConverterChain, HorizonOfAStarOnTheMeridian) {
  // A body straight south of the zenith at upper culmination: hour angle 0, azimuth 0 (from the
  // south), altitude 90 - phi + delta. Built by hand in the topocentric equator of the date.
  State s;
  ConverterScene sc;
  sc.T = 0.2;
  sc.LMST = 5;  // 75 degrees
  sc.ObsB = 50;
  const CoordSystem equ{Origin::Topo, Plane::Equator, Equinox::OfDate};
  const CoordSystem hor{Origin::Topo, Plane::Horizon, Equinox::OfDate};
  Vec3 v = vectorOf(s, {75, 20, 1e11});
  ASSERT_TRUE(fromSystem(s, sc, equ, v));
  ASSERT_TRUE(toSystem(s, sc, hor, v));
  const Polar p = polarOf(s, v);
  EXPECT_NEAR(std::fmod(p.L + 180, 360) - 180, 0, 1e-9);
  EXPECT_NEAR(p.B, 60, 1e-9);
  EXPECT_NEAR(p.R, 1e11, 1e-3);
  EXPECT_NEAR(std::fmod(s.Tau + 180, 360) - 180, 0, 1e-9);
}

TEST(AngleConverter, MinusThirtyDegreesInEveryForm) {
  State s;
  const AngleForms f = angleForms(s, -30);
  EXPECT_EQ(f.hours, 2);
  EXPECT_EQ(f.hourMin, 0);
  EXPECT_EQ(f.hourSec, 0);
  EXPECT_EQ(f.deg, 30);
  EXPECT_EQ(f.degMin, 0);
  EXPECT_EQ(f.degSec, 0);
  EXPECT_EQ(f.degrees, -30);
  EXPECT_TRUE(f.negative);
  EXPECT_EQ(f.radians, std::trunc(-30 / s.kUgol * 1e6) / 1e6);  // -0.523598, truncated
  // Read back: the sexagesimal forms with the sign option "--"; degrees and radians carry their
  // own sign, whatever the option says.
  EXPECT_DOUBLE_EQ(angleFrom(s, AngleForm::HourMinSec, 2, 0, 0, true), -30);
  EXPECT_DOUBLE_EQ(angleFrom(s, AngleForm::DegMinSec, 30, 0, 0, true), -30);
  for (const bool option : {false, true}) {
    EXPECT_DOUBLE_EQ(angleFrom(s, AngleForm::Degrees, -30, 0, 0, option), -30);
    EXPECT_DOUBLE_EQ(angleFrom(s, AngleForm::Degrees, 30, 0, 0, option), 30);
    EXPECT_NEAR(angleFrom(s, AngleForm::Radians, -30 / s.kUgol, 0, 0, option), -30, 1e-12);
  }
}

TEST(AngleConverter, SexagesimalPartsAreTruncatedNotRounded) {
  State s;
  // 12h 34m 56.789s = 188.7366208333...°: back to the same parts, seconds to the microsecond.
  const double x = angleFrom(s, AngleForm::HourMinSec, 12, 34, 56.789, false);
  EXPECT_NEAR(x, 15 * (12 + 34 / 60.0 + 56.789 / 3600), 1e-12);
  const AngleForms f = angleForms(s, x);
  EXPECT_EQ(f.hours, 12);
  EXPECT_EQ(f.hourMin, 34);
  EXPECT_NEAR(f.hourSec, 56.789, 1.1e-6);
  EXPECT_FALSE(f.negative);
  EXPECT_EQ(f.deg, 188);
  EXPECT_EQ(f.degMin, 44);
  // 188.7366208333 - 188 = 0.7366208333 -> 44' 11.835" : truncation keeps 11.834999 or 11.835
  EXPECT_NEAR(f.degSec, 11.835, 1.1e-6);
  // a value just below a whole second is not rounded up
  const AngleForms g = angleForms(s, 10 + 59.9999999 / 3600);
  EXPECT_EQ(g.degMin, 0);
  EXPECT_LT(g.degSec, 60);
}

#ifdef ORVANT_HAVE_ERFA

// The reference chain composed from ERFA (IAU 1976 precession eraPmat76, IAU 1980 obliquity
// eraObl80, IAU 1982 sidereal time eraGmst82 with UT1 = UT, eraHd2ae for the horizon), applied to
// the same Earth and observer that the converter uses, so that only the transformations are
// compared. Model limits: Lieske's ecliptic precession series against the equatorial one turned
// through the obliquities agree to 1e-4" within a century of J2000 (5e-10 rad); the rounded GMST
// constant and rate of the converter differ from eraGmst82 by up to 1.05e-5 s within a century
// (7.7e-10 rad). Allowed: 2e-9 rad of the vectors' lengths.
struct ErfaChain {
  double epsJ2000, epsDate, rp[3][3];  // rp: equator of J2000 -> mean equator of the date
  double gmst;                          // rad
  ErfaChain(double jdTT, double jdUT) {
    epsJ2000 = eraObl80(2451545.0, 0);
    epsDate = eraObl80(2451545.0, jdTT - 2451545.0);
    eraPmat76(2451545.0, jdTT - 2451545.0, rp);
    gmst = eraGmst82(jdUT, 0);
  }
  // ecliptic of J2000 -> mean equator of the date
  void eclJ2000ToEquDate(double in[3], double out[3]) {
    double r[3][3], eq[3];
    eraIr(r);
    eraRx(-epsJ2000, r);
    eraRxp(r, in, eq);
    eraRxp(rp, eq, out);
  }
  // ecliptic of the date -> mean equator of the date
  void eclDateToEquDate(double in[3], double out[3]) {
    double r[3][3];
    eraIr(r);
    eraRx(-epsDate, r);
    eraRxp(r, in, out);
  }
};

TEST(ConverterAgainstErfa, HeliocentricEclipticJ2000ToGeocentricEquatorAndTopocentricHorizon) {
  State s;
  struct Case {
    double jdUT, obsL, obsB;
    double x, y, z;  // typed heliocentric ecliptic J2000 vector, thousand km
  } cases[] = {
      {2451545.0, 30.3262, 59.7719, 206000, 1200, -5100},         // Mars-like, at J2000
      {2460676.3, -70.4045, -24.6272, -750000, 210000, 16000},    // Jupiter-like, 2025, Paranal
      {2433282.5, 139.74, 35.68, 52000, -60000, 700},             // Venus-like, 1950, Tokyo
      {2488070.0, 0, 51.4779, 1200000, 900000, -40000},           // Saturn-like, 2100, Greenwich
  };
  double worstGeo = 0, worstHor = 0;
  for (const Case& c : cases) {
    ConverterSky sky;
    ASSERT_TRUE(computeSky(s, c.jdUT, c.obsL, c.obsB, sky));
    const Vec3 typed{c.x * s.MK, c.y * s.MK, c.z * s.MK};

    // the converter
    Vec3 geo = typed, hor = typed;
    const CoordSystem src{Origin::Helio, Plane::Ecliptic, Equinox::J2000};
    ASSERT_TRUE(fromSystem(s, sky.scene, src, geo));
    hor = geo;
    ASSERT_TRUE(toSystem(s, sky.scene, {Origin::Geo, Plane::Equator, Equinox::OfDate}, geo));
    ASSERT_TRUE(toSystem(s, sky.scene, {Origin::Topo, Plane::Horizon, Equinox::OfDate}, hor));

    // ERFA: the typed vector to the mean equator of the date, minus the same Earth
    ErfaChain ref(sky.JDE, c.jdUT);
    double in[3] = {typed[0], typed[1], typed[2]}, helio[3], earth[3];
    ref.eclJ2000ToEquDate(in, helio);
    double e[3] = {sky.scene.earth[0], sky.scene.earth[1], sky.scene.earth[2]};
    ref.eclDateToEquDate(e, earth);
    double g[3];
    eraPmp(helio, earth, g);
    const double errGeo = dist(geo, {g[0], g[1], g[2]}) / eraPm(g);
    worstGeo = std::max(worstGeo, errGeo);
    EXPECT_LT(errGeo, 2e-9 * (eraPm(helio) + eraPm(earth)) / eraPm(g)) << c.jdUT;
    // The converter stays on the mean equator: against the true equator of the date (eraNutm80,
    // IAU 1980 nutation) it differs by the nutation itself, at most about 17.2" sin(Omega) in
    // longitude and 9.2" in obliquity.
    double rn[3][3], gt[3];
    eraNutm80(2451545.0, sky.JDE - 2451545.0, rn);
    eraRxp(rn, g, gt);
    const double nut = dist(geo, {gt[0], gt[1], gt[2]}) / eraPm(g) / kArcsec;
    EXPECT_LT(nut, 21.0) << c.jdUT;
    std::printf("[ ERFA ] JD %.1f: the mean equator against the true one: %.2f\"\n", c.jdUT, nut);

    // the observer: radius 6378.14 km at the geocentric latitude ObsB, local sidereal angle
    const double last = ref.gmst + c.obsL * kPi / 180;
    double obs[3], topo[3];
    eraS2p(last, c.obsB * kPi / 180, 6378140.0, obs);
    eraPmp(g, obs, topo);
    double ra = 0, dec = 0, az = 0, el = 0;
    eraC2s(topo, &ra, &dec);
    eraHd2ae(last - ra, dec, c.obsB * kPi / 180, &az, &el);
    // ERFA's azimuth runs from the north through the east; the converter's horizon frame has X
    // toward the south and Y toward the west.
    const double r = eraPm(topo);
    const Vec3 h{-r * std::cos(el) * std::cos(az), -r * std::cos(el) * std::sin(az), r * std::sin(el)};
    const double errHor = dist(hor, h) / r;
    worstHor = std::max(worstHor, errHor);
    EXPECT_LT(errHor, 2e-9 * (eraPm(helio) + eraPm(earth)) / r) << c.jdUT;
  }
  std::printf("[ ERFA ] worst relative difference: geocentric equator %.3g, horizon %.3g\n",
              worstGeo, worstHor);
}

TEST(ConverterAgainstErfa, EarthOfTheJ2000TheoryWithinItsAccuracy) {
  // The converter's Earth (the J2000 theory's barycentre less the Moon's share) against
  // eraEpv00's heliocentric Earth (BCRS, turned to the ecliptic of the date through eraPmat76 and
  // eraObl80). Standish's elements are good to some 20" for the barycentre in 1800-2050 and MiniMoon
  // to a few arc-minutes, which moves the Earth by about 1/82 of that; allowed 1e-4 of the distance
  // (about 21") in direction and length.
  State s;
  for (double jd : {2378496.5, 2415020.0, 2451545.0, 2469807.5}) {
    ConverterSky sky;
    ASSERT_TRUE(computeSky(s, jd, 0, 0, sky));
    double pvh[2][3], pvb[2][3];
    eraEpv00(sky.JDE, 0, pvh, pvb);
    double rp[3][3], eq[3], r[3][3], ecl[3];
    eraPmat76(2451545.0, sky.JDE - 2451545.0, rp);
    eraRxp(rp, pvh[0], eq);
    eraIr(r);
    eraRx(eraObl80(2451545.0, sky.JDE - 2451545.0), r);
    eraRxp(r, eq, ecl);
    const double au = 149597870700.0;
    const Vec3 ref{ecl[0] * au, ecl[1] * au, ecl[2] * au};
    const double err = dist(sky.body[3], ref) / norm(ref);
    EXPECT_LT(err, 1e-4) << jd;
    std::printf("[ Earth ] JD %.1f relative difference %.3g\n", jd, err);
  }
}

#endif  // ORVANT_HAVE_ERFA

}  // namespace
}  // namespace orvant
