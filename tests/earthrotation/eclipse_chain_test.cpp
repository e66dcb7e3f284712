// The eclipse chain and the finder: geometry by hand, the refraction switches, published eclipses
// and transits from DE405, the circle overlap, the root and minimum finders.
#include "earthrotation/eclipse_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "astro/transform.h"
#include "earthrotation/eclipse_finder.h"
#include "astro/etut.h"
#include "eclipse_bench.h"
#include "ephemeris/perturbations.h"

namespace orvant::test {
namespace {

// 1 January 2000 and the DE405 block that holds the 2000s.
constexpr double kJD20180727 = 2458326.5;

EclipseSettings jpl2Settings() {
  EclipseSettings set;
  set.theory = EclTheory::JPL2;
  set.et1Screen = set.et2Screen = true;
  set.et1Min = 69.2 / 60;  // TT - UT of 2018 (IERS Bulletin A), minutes
  set.et2Min = 0;
  return set;
}

void screenDiameters(State& s) {
  s.Dpl[0] = 1392000000, s.Dpl[1] = 4879000, s.Dpl[2] = 12104000, s.Dpl[3] = 12756000;
  s.Dpl[11] = 3475000;
}

TEST(EarthShadow, OppositeTheSunAndTheMoonOnItsCentre) {
  // The Sun at 10 deg, latitude 0; the Moon at 190 deg, latitude 0, at its distance: the shadow's
  // centre is the Moon's place.
  const EarthShadow sh = earthShadow(10, 0, 1.496e11, 3.844e8, 1392e6, 12.756e6);
  EXPECT_DOUBLE_EQ(sh.L, 190);
  EXPECT_DOUBLE_EQ(sh.B, 0);
  const double moon[3] = {std::cos(190 * M_PI / 180), std::sin(190 * M_PI / 180), 0};
  const double shadow[3] = {std::cos(sh.L * M_PI / 180), std::sin(sh.L * M_PI / 180),
                            std::sin(sh.B * M_PI / 180)};
  EXPECT_NEAR(std::hypot(moon[0] - shadow[0], moon[1] - shadow[1]), 0, 1e-15);
  // Sun at 200 deg, 0.5 deg north: the centre at 20 deg, 0.5 deg south.
  const EarthShadow s2 = earthShadow(200, 0.5, 1.496e11, 3.844e8, 1392e6, 12.756e6);
  EXPECT_DOUBLE_EQ(s2.L, 20);
  EXPECT_DOUBLE_EQ(s2.B, -0.5);
}

TEST(EarthShadow, DiameterShrinksByTwiceTheDistanceTimesTheConeSlope) {
  // By hand: tan(sigma) = (1392e6 - 12.756e6)/2/1.496e11 = 4.609773e-3;
  // 2*3.844e8*4.609773e-3 = 3.543994e6 m; 12.756e6 - 3.543994e6 = 9.212006e6 m.
  const EarthShadow sh = earthShadow(0, 0, 1.496e11, 3.844e8, 1392e6, 12.756e6);
  EXPECT_NEAR(sh.diameter, 9.212006e6, 2);
  EXPECT_NEAR(std::tan(sh.sigma * M_PI / 180), 4.609773e-3, 1e-9);
  // The umbra ends where the diameter reaches 0: at Dearth/(2 tan sigma) = 1.3836e9 m.
  EXPECT_NEAR(earthShadow(0, 0, 1.496e11, 12.756e6 / 2 / 4.609773e-3, 1392e6, 12.756e6).diameter,
              0, 1);
}

TEST(Wgs84Geocentric, EquatorPoleAndAMiddleLatitude) {
  double rho = 0, phic = 0;
  wgs84Geocentric(0, 0, rho, phic);
  EXPECT_NEAR(rho, kWgs84A, 1e-6);
  EXPECT_NEAR(phic, 0, 1e-12);
  wgs84Geocentric(90, 0, rho, phic);
  EXPECT_NEAR(rho, kWgs84A * (1 - kWgs84F), 1e-6);  // polar radius 6356752.314 m
  // At 45 deg geodetic the geocentric latitude is 11.5' smaller (tan phic = (1-f)^2 tan phi).
  wgs84Geocentric(45, 0, rho, phic);
  EXPECT_NEAR(std::tan(phic * M_PI / 180), (1 - kWgs84F) * (1 - kWgs84F), 1e-12);
}

TEST(DiskOverlap, ApartInsideAndHalfway) {
  EXPECT_EQ(diskOverlapArea(1, 1, 2.5), 0);
  EXPECT_DOUBLE_EQ(diskOverlapArea(1, 0.5, 0.2), M_PI * 0.25);  // the small disk inside
  // Two unit disks one radius apart: 2 pi/3 - sqrt(3)/2 (the classical lens).
  EXPECT_NEAR(diskOverlapArea(1, 1, 1), 2 * M_PI / 3 - std::sqrt(3.0) / 2, 1e-14);
  // Touching from outside and from inside.
  EXPECT_NEAR(diskOverlapArea(1, 1, 2 - 1e-12), 0, 1e-8);
  EXPECT_NEAR(diskOverlapArea(1, 0.5, 0.5 + 1e-12), M_PI * 0.25, 1e-6);
}

TEST(BrentFinders, MinimumAndRootOnAbsoluteJulianDates) {
  // A shallow hyperbolic minimum like the separation near totality, placed at a Julian date, so
  // that a relative tolerance on the abscissa would lose seconds.
  const double t0 = 2453823.975543;
  auto sep = [&](double t) { return std::hypot(0.007, (t - t0) * 13.2); };
  double fmin = 0;
  const double x = brentMin(sep, t0 - 0.25, t0 + 0.25, 1e-7, fmin);
  EXPECT_NEAR((x - t0) * 86400, 0, 0.02);
  auto g = [&](double t) { return sep(t) - 0.55; };
  const double r = brentRoot(g, t0 - 0.25, t0, g(t0 - 0.25), g(t0), 1e-7);
  EXPECT_NEAR(std::fabs(r - t0) * 13.2, std::sqrt(0.55 * 0.55 - 0.007 * 0.007), 1e-5);
}

TEST(EclipseSettingsError, MessagesInTheOrderOfTheChecks) {
  EclipseSettings set;
  set.tables = true;
  EXPECT_EQ(eclipseSettingsError(set), kMsgEclNoTable);
  set.tables = false;
  EXPECT_EQ(eclipseSettingsError(set), kMsgEclNoTheory);
  set.theory = EclTheory::Kin0p;
  set.k = 3;
  EXPECT_EQ(eclipseSettingsError(set), kMsgEclEarth);
  for (int k : {0, 10, 12, -1}) {
    set.k = k;
    EXPECT_EQ(eclipseSettingsError(set), kMsgEclBadInput) << k;
  }
  set.k = 2;
  EXPECT_TRUE(eclipseSettingsError(set).empty());
  set.ObsB = 91;
  EXPECT_EQ(eclipseSettingsError(set), kMsgEclBadInput);
}

TEST(EclipseStep, TestSwitchesRefractionOffAndTheInverseChainReturns) {
  State s;
  screenDiameters(s);
  setETcoefDefaults(s);
  EclipseSettings set;
  set.theory = EclTheory::JPL0;
  const double jd = 2453823.5 + 11.0 / 24;
  ASSERT_EQ(eclipseBegin(s, set, jd), EclStatus::Ok);
  EclipseStep plain, refr, test;
  ASSERT_EQ(eclipseStep(s, set, jd, plain), EclStatus::Ok);
  set.refraction = true;
  ASSERT_EQ(eclipseStep(s, set, jd, refr), EclStatus::Ok);
  set.test = true;
  ASSERT_EQ(eclipseStep(s, set, jd, test), EclStatus::Ok);
  ASSERT_GT(plain.alt[0], 5);
  EXPECT_NEAR(refr.alt[0] - plain.alt[0], Refraction(s, 90 - plain.alt[0]), 1e-12);
  EXPECT_GT(refr.alt[0] - plain.alt[0], 30.0 / 3600);  // a minute of arc at 39 deg
  EXPECT_EQ(test.alt[0], plain.alt[0]);
  EXPECT_EQ(test.alt[1], plain.alt[1]);
  // The inverse chain from the horizon back to the ecliptic, without refraction.
  const EclipseInverse inv = eclipseInverseSun(s, set, test);
  EXPECT_NEAR(inv.topoRa, test.ra[0], 1e-9);
  EXPECT_NEAR(inv.topoDec, test.dec[0], 1e-9);
  EXPECT_NEAR(inv.geoRa, test.L[kStNut][0], 1e-9);
  EXPECT_NEAR(inv.geoDec, test.B[kStNut][0], 1e-9);
  EXPECT_NEAR(inv.eclL, test.sunEclDate, 1e-7);  // nutation removed to first order
  EXPECT_NEAR(inv.alt, test.alt[0], 1e-9);
  // With refraction the observed altitude is first freed of it.
  set.test = false;
  const EclipseInverse invR = eclipseInverseSun(s, set, refr);
  EXPECT_NEAR(invR.topoDec, refr.dec[0], 1e-8);
  EXPECT_NEAR(invR.alt, refr.alt[0], 1e-8);
}

TEST(EclipseStep, OutlinePointsLieOnTheDiskRim) {
  State s;
  screenDiameters(s);
  setETcoefDefaults(s);
  EclipseSettings set;
  set.theory = EclTheory::Kin0p;
  const double jd = 2451545.0;
  ASSERT_EQ(eclipseBegin(s, set, jd), EclStatus::Ok);
  for (bool moon : {false, true}) {
    set.outlineMoon = moon;
    EclipseStep st;
    ASSERT_EQ(eclipseStep(s, set, jd, st), EclStatus::Ok);
    const int j = moon ? 1 : 0;
    for (int p = 0; p < 8; ++p) {
      // L = Lc + rho cos(theta)/cos(Bc), B = Bc + rho sin(theta): on the small circle to first
      // order in rho; the second-order term rho^2 tan(Bc)/2 is 2.7e-4 deg at Bc = -23 deg.
      EXPECT_NEAR(angularSeparation(st.ra[j], st.dec[j], st.outRa[p], st.outDec[p]), st.rho[j],
                  4e-4)
          << p;
    }
  }
}

TEST(EclipseStep, TimeChainFromTheModelsOrTheScreen) {
  State s;
  setETcoefDefaults(s);
  EclipseSettings set;
  double et1 = 0, et2 = 0;
  eclipseTimes(s, set, s.JD2000, et1, et2);
  EXPECT_NEAR(et1, ETUTsel(s, 1, s.JD2000), 1e-12);
  EXPECT_NEAR(et2, ETUTsel(s, 2, s.JD2000), 1e-12);
  set.et1Screen = true;
  set.et1Min = 1.5;
  eclipseTimes(s, set, s.JD2000, et1, et2);
  EXPECT_EQ(et1, 90);
}

TEST(EclipseStep, Jpl2OutsideDe405StopsWithTheReadersMessage) {
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  State& s = b.state;
  screenDiameters(s);
  EclipseSettings set = jpl2Settings();
  EXPECT_EQ(eclipseBegin(s, set, 2488070.5), EclStatus::NoDate);  // 2100
  EXPECT_EQ(s.kStop, 1);
  EXPECT_NE(s.lastMessage.find("DE405"), std::string::npos);
}

TEST(EclipseFinder, TotalLunarEclipseOf27July2018) {
  // NASA (Espenak, Five Millennium Canon of Lunar Eclipses): greatest 20:21:44 UT, total
  // 19:30:15-21:13:12, partial 18:24:27-22:19:00, umbral magnitude 1.609, with the umbra enlarged
  // by Danjon's rule as the finder enlarges it. Every contact within 15 s.
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  State& s = b.state;
  screenDiameters(s);
  EclipseSettings set = jpl2Settings();
  EclFinderOptions opt;
  opt.jdFrom = kJD20180727 - 3;
  opt.jdTo = kJD20180727 + 3;
  std::vector<EclEvent> ev;
  ASSERT_EQ(findEclipses(s, set, opt, ev), EclStatus::Ok);
  ASSERT_EQ(ev.size(), 1u);
  const EclEvent& e = ev[0];
  const auto ut = [](double h, double m, double sec) {
    return kJD20180727 + (h + m / 60 + sec / 3600) / 24;
  };
  EXPECT_EQ(e.kind, EclEventKind::Lunar);
  EXPECT_EQ(e.type, 'T');
  EXPECT_NEAR((e.jdMax - ut(20, 21, 44)) * 86400, 0, 15);
  EXPECT_NEAR((e.c1 - ut(18, 24, 27)) * 86400, 0, 15);
  EXPECT_NEAR((e.c2 - ut(19, 30, 15)) * 86400, 0, 15);
  EXPECT_NEAR((e.c3 - ut(21, 13, 12)) * 86400, 0, 15);
  EXPECT_NEAR((e.c4 - ut(22, 19, 0)) * 86400, 0, 15);
  EXPECT_NEAR(e.magnitude, 1.609, 0.01);
  EXPECT_DOUBLE_EQ(e.obscured, 1.0);
  EXPECT_GT(e.moonAlt, 0);  // up at 48 E, 46 N that evening
}

TEST(EclipseFinder, TransitOfVenus2012AndOfMercury2016) {
  // Geocentric contacts (NASA, Espenak): Venus 5-6 June 2012, I 22:09:38, IV 04:49:35 UT;
  // Mercury 9 May 2016, I 11:12:19, IV 18:42:26 UT. Topocentric contacts differ by up to
  // ~7 min (Venus, parallax 30") and ~2 min (Mercury).
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  State& s = b.state;
  screenDiameters(s);
  EclipseSettings set = jpl2Settings();
  set.et1Min = 66.6 / 60;
  EclFinderOptions opt;
  opt.solar = opt.lunar = false;
  opt.jdFrom = 2456080.5;  // 2012-06-01
  opt.jdTo = 2457527.5;    // 2016-05-20
  std::vector<EclEvent> ev;
  ASSERT_EQ(findEclipses(s, set, opt, ev), EclStatus::Ok);
  // No transit at the superior conjunctions, where the planet passes behind the Sun (Mercury
  // within 0.1 deg of the Sun's centre on 11 May 2013 and 17 November 2015).
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].kind, EclEventKind::Venus);
  EXPECT_EQ(ev[0].type, 'I');
  EXPECT_NEAR((ev[0].c1 - (2456083.5 + (22 + 9 / 60.0 + 38 / 3600.0) / 24)) * 1440, 0, 8);
  EXPECT_NEAR((ev[0].c4 - (2456084.5 + (4 + 49 / 60.0 + 35 / 3600.0) / 24)) * 1440, 0, 8);
  EXPECT_EQ(ev[1].kind, EclEventKind::Mercury);
  EXPECT_NEAR((ev[1].c1 - (2457517.5 + (11 + 12 / 60.0 + 19 / 3600.0) / 24)) * 1440, 0, 3);
  EXPECT_NEAR((ev[1].c4 - (2457517.5 + (18 + 42 / 60.0 + 26 / 3600.0) / 24)) * 1440, 0, 3);
  EXPECT_NEAR(ev[1].magnitude, 1, 1e-12);
}

TEST(EclipseFinder, CommandLineFindsTheEclipseWithItsContacts) {
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  const std::string cmd = std::string(ORVANT_CLI) + " --dir " + b.dir.string() +
                          " eclipse 2006-03-01 2006-04-01 --source JPL2 --et1 min=1.0816667 "
                          "--et2 min=0 --kinds solar --ellipsoid --height 0";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  ASSERT_EQ(pclose(p), 0) << out;
  EXPECT_NE(out.find("источник JPL2"), std::string::npos) << out;
  EXPECT_NE(out.find("с экрана 1.0816667 мин"), std::string::npos) << out;
  EXPECT_NE(out.find("WGS84"), std::string::npos) << out;
  // The maximum agrees with the ERFA reference for the ellipsoid, 11:24:34.4 UT (see
  // eclipse_reference_test.cpp), to the tenth of a second printed.
  EXPECT_NE(out.find("Солнечное  2006-03-29  T    10:12:09"), std::string::npos) << out;
  EXPECT_NE(out.find("11:24:34"), std::string::npos) << out;
  // A solar eclipse has no planet: its height column shows "-", never "nan".
  EXPECT_EQ(out.find("nan"), std::string::npos) << out;
  EXPECT_NE(out.find("     -\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace orvant::test

namespace orvant::test {
namespace {

TEST(EclipseStep, PeriodicCorrectionsMoveTheMoonAndThePlanet) {
  // Only the evection of the Moon (1 deg x sin(L - 2D)) and the first term of Venus's first
  // perturber (0.5 deg x sin(L - 2 D1)) are set; the step with the corrections differs from the
  // plain one by exactly those sums in the geometric geocentric (Moon) and heliocentric (Venus)
  // longitudes.
  State s;
  screenDiameters(s);
  setETcoefDefaults(s);
  s.dLdB.fill(0);
  for (auto& row : s.PertDL) row.fill(0);
  s.dLdB[3] = 1.0;
  s.PertDL[1][20 + 1] = 0.5;
  EclipseSettings set;
  set.theory = EclTheory::Kin0p;
  const double jd = 2453823.9;
  ASSERT_EQ(eclipseBegin(s, set, jd), EclStatus::Ok);
  EclipseStep plain, moon;
  ASSERT_EQ(eclipseStep(s, set, jd, plain), EclStatus::Ok);
  set.dLl = true;
  ASSERT_EQ(eclipseStep(s, set, jd, moon), EclStatus::Ok);
  const MoonPertAngles a = MoonAngles(s);
  // The geometric geocentric longitude of the Moon (from the Earth's centre) gains the term; the
  // light-time and the Earth-Moon split do not change it.
  const double want = std::sin(a.L - 2 * a.D);
  EXPECT_NEAR(moon.L[kStGeoJ2000][1] - plain.L[kStGeoJ2000][1], want, 1e-9);
  // Venus: heliocentric longitude + 0.5 sin(L - 2 D1), seen from the Earth as a shift.
  set.dLl = false;
  set.k = 2;
  EclipseStep v0, v1;
  ASSERT_EQ(eclipseStep(s, set, jd, v0), EclStatus::Ok);
  set.dLp = true;
  s.Ipl21[2] = 3;
  s.Ipl22[2] = 5;
  ASSERT_EQ(eclipseStep(s, set, jd, v1), EclStatus::Ok);
  const PlanetPertAngles p = PlanetAngles(s, 2);
  const double helio0 = std::atan2(v0.object[1], v0.object[0]) * 180 / M_PI;
  const double helio1 = std::atan2(v1.object[1], v1.object[0]) * 180 / M_PI;
  EXPECT_NEAR(helio1 - helio0, 0.5 * std::sin(p.L - 2 * p.D1), 1e-9);
  EXPECT_GT(std::fabs(v1.L[kStGeoJ2000][1] - v0.L[kStGeoJ2000][1]), 1e-3);
}

}  // namespace
}  // namespace orvant::test
