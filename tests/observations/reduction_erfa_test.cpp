// End to end: screen 10's reduction against apparent places that ERFA computes.
//
// A test-only generator writes an observatory file (GREN, Mars, 1991-2000, one record every ten
// days at 21 h UT) of apparent right ascensions and declinations of the date: light time by
// iteration on the ephemeris itself, ERFA's aberration (eraAb, with the Sun's distance),
// IAU 1976 precession (eraPmat76) and IAU 1980 nutation (eraNut80, eraObl80, eraNumat), TT =
// UT + ET-UT of the reduction's own model. The reduction (JPL0 theory for the planet, the Earth
// and the Moon; geocentric: no parallax, no refraction) then reads the file through the
// observatory reader and compares.
//   (a) Positions from the JPL0 theory's own heliocentric vectors: the residuals measure the
//       reduction chain alone. What limits them: the five-term nutation series of the reduction
//       against the 106 terms of IAU 1980 (documented within 0.26" for |T| <= 1); with the
//       nutation left out on both sides, the first-order aberration and the linear light time
//       (a few milli-arc-seconds).
//   (b) Positions from JPL DE405 (../shared/de405): the residuals are the JPL0 theory's own error;
//       the test checks them against the theory-minus-DE405 directions computed without any
//       reduction.
// A table source runs the same through an in-memory workbook whose cells ERFA computes (the
// ecliptic of the date: mean obliquity, no nutation, as the tables are compared).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "astro/transform.h"
#include "astro/etut.h"
#include "ephemeris/jpl.h"
#include "ephemeris/theory_planets.h"
#include "astro/twobody.h"
#include "model/calendar.h"
#include "model/state.h"
#include "model/textfile.h"
#include "observations/reduction.h"
#include "observations/sources.h"
#include "observations/spreadsheet.h"
#include "observation_records.h"

#ifdef ORVANT_HAVE_ERFA
#include <erfa.h>

#include "erfa_places.h"
#include "support/temp_dir.h"
#endif

namespace orvant {
namespace {

namespace fs = std::filesystem;

#ifdef ORVANT_HAVE_ERFA

using test::erfa::Body;
using test::erfa::Ephemeris;
using test::erfa::kAu;
using test::erfa::kC;
using test::erfa::Vec;
constexpr double kEmrat = 81.30056;  // DE405 Earth/Moon mass ratio
constexpr int kMars = 4;

using test::erfa::jpl0;

// DE405: barycentric planets and Earth, through the program's reader (verified against JPL's
// testpo.405 in test_ephemeris).
Body de405(State& g, int body, double tt) {
  auto state = [&](int k) {
    if (g.JPLisOpen != 10 || tt < g.JDrec0 || g.JPLnr <= 0) {
      g.JD = tt;
      EXPECT_EQ(JPLopen(g), JplStatus::Ok);
    }
    g.JDjpl = tt;
    while (g.JDjpl >= g.JDrec1) EXPECT_EQ(JPLnext(g), JplStatus::Ok);
    EXPECT_TRUE(JPLstate(g, k));
    return Body{{g.X[k], g.Y[k], g.Z[k]}, {g.VX[k], g.VY[k], g.VZ[k]}};
  };
  if (body != 3) return state(body);
  Body emb = state(3);
  const Body moon = state(11);
  emb.p = emb.p - (1 / (1 + kEmrat)) * moon.p;
  emb.v = emb.v - (1 / (1 + kEmrat)) * moon.v;
  return emb;
}

// Apparent right ascension and declination of the date (degrees) of body N for the UT date.
// `nutation` false gives the mean place of the date; `ecliptic` gives the ecliptic longitude and
// latitude of the date (mean obliquity) instead.
struct Place {
  double L, B;
};
Place apparent(const std::function<Body(int, double)>& eph, int N, double tt, bool nutation,
               bool ecliptic) {
  const Body e = eph(3, tt);
  const Body sun = eph(0, tt);
  double tau = norm(eph(N, tt).p - e.p) / kC;
  Vec p;
  for (int it = 0; it < 6; ++it) {
    p = eph(N, tt - tau / 86400).p - e.p;
    tau = norm(p) / kC;
  }
  const Vec pe = eclToEqu(p), ve = eclToEqu(e.v);
  const double r = norm(pe);
  double pnat[3] = {pe.x / r, pe.y / r, pe.z / r};
  double v[3] = {ve.x / kC, ve.y / kC, ve.z / kC};
  const double bm1 = std::sqrt(1 - (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  const double sunDist = norm(e.p - sun.p) / kAu;
  double ppr[3];
  eraAb(pnat, v, sunDist, bm1, ppr);
  double rp[3][3], rn[3][3], q[3];
  eraPmat76(2400000.5, tt - 2400000.5, rp);
  eraRxp(rp, ppr, q);
  if (nutation) {
    double dpsi = 0, deps = 0;
    eraNut80(2400000.5, tt - 2400000.5, &dpsi, &deps);
    eraNumat(eraObl80(2400000.5, tt - 2400000.5), dpsi, deps, rn);
    eraRxp(rn, q, q);
  }
  if (ecliptic) {
    double re[3][3];
    eraIr(re);
    eraRx(eraObl80(2400000.5, tt - 2400000.5), re);
    eraRxp(re, q, q);
  }
  double a = 0, d = 0;
  eraC2s(q, &a, &d);
  return {eraAnp(a) * 57.29577951308232, d * 57.29577951308232};
}

using test::recordLine;

struct Residuals {
  long n = 0;
  double sumA = 0, sumD = 0, sumA2 = 0, sumD2 = 0, maxA = 0, maxD = 0;
  void add(double a, double d) {
    ++n;
    sumA += a;
    sumD += d;
    sumA2 += a * a;
    sumD2 += d * d;
    maxA = std::max(maxA, std::fabs(a));
    maxD = std::max(maxD, std::fabs(d));
  }
  double meanA() const { return sumA / static_cast<double>(n); }
  double meanD() const { return sumD / static_cast<double>(n); }
  double rmsA() const { return std::sqrt(sumA2 / static_cast<double>(n)); }
  double rmsD() const { return std::sqrt(sumD2 / static_cast<double>(n)); }
};

class ReductionErfa : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::freshTempDir("orvant_erfa_");
    fs::create_directories(dir_ / "Obs");
    s_.workDir = g_.workDir = dir_.string();
    setETcoefDefaults(s_);
    setETcoefDefaults(g_);
  }
  void TearDown() override {
    ObsClose(s_);
    JPLclose(g_);
    fs::remove_all(dir_);
  }

  // The UT dates of the series: every ten days from 1991 January 1, 21 h.
  std::vector<double> dates() {
    std::vector<double> d;
    g_.CalType = 0;
    g_.Hour0 = 0;
    const double jd0 = JDfromDate(g_, 1.875, 1, 1991);
    for (int k = 0; k < 365; ++k) d.push_back(jd0 + 10.0 * k);
    return d;
  }

  // Writes Obs/GREN4_G_100.txt from the ephemeris; returns the places written.
  void writeFile(const Ephemeris& eph, bool nutation) {
    std::ofstream f(dir_ / "Obs" / "GREN4_G_100.txt");
    f << "Mars, GREN, apparent places of the date\nERFA generator\n\n\n1991, 2000\n";
    for (double ut : dates()) {
      const double tt = ut + ETUTsel(g_, 1, ut) / 86400;
      const Place p = apparent(eph, kMars, tt, nutation, false);
      ASSERT_TRUE(DateFromJD(g_, ut));
      f << recordLine(g_.Year, g_.Month, static_cast<int>(g_.Day), 21, p.L, p.B) << "\n";
    }
  }

  // Runs the reduction over the file and collects the residuals, arc seconds (RA times cos Dec).
  Residuals reduce(bool nutation) {
    SourceScreen scr;
    scr.objectNo = kMars;
    scr.fileNo = "100";
    scr.criterion = ObsCriterion::dR;
    ChooseSrcObs(s_);
    EXPECT_TRUE(SelectObs(s_, scr, 1)) << s_.lastMessage;
    ReductionInputs in;
    in.Npl = kMars;
    in.Day = 1.5;
    in.Month = 1;
    in.Year = 1991;
    in.YearEnd = 2000;
    in.ObsL = 0;
    in.ObsB = 51.477;
    PassOptions o;
    o.planet = PlanetTheory::JPL0;
    o.earth = EarthTheory::JPL0;
    o.nutation = nutation;
    PlainObserver obs(o);
    Residuals res;
    obs.onPass = [&](const ObservationRun&, const PassResult& r) {
      res.add(r.dL * 3600 * std::cos(r.Bnab / 57.29577951308232), r.dB * 3600);
    };
    ObservationRun run(s_);
    EXPECT_TRUE(run.start(in, obs));
    EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded) << s_.lastMessage;
    EXPECT_EQ(run.acc().Nok, 365);
    return res;
  }

  fs::path dir_;
  State s_, g_;
};

TEST_F(ReductionErfa, JplZeroPositionsReproducedWellUnderOneArcSecond) {
  Ephemeris eph = [&](int body, double tt) {
    return jpl0(g_, body, tt, tt - ETUTsel(g_, 1, tt) / 86400);
  };
  writeFile(eph, true);
  const Residuals withNut = reduce(true);
  std::printf("(a) JPL0 vectors, apparent places with IAU 1980 nutation: %ld records, "
              "RA*cosDec mean %.4f\" rms %.4f\" max %.4f\", Dec mean %.4f\" rms %.4f\" max %.4f\"\n",
              withNut.n, withNut.meanA(), withNut.rmsA(), withNut.maxA, withNut.meanD(),
              withNut.rmsD(), withNut.maxD);
  // The five-term nutation of the reduction against the 106 terms: 0.26" at most near J2000.
  EXPECT_LT(withNut.maxA, 0.3);
  EXPECT_LT(withNut.maxD, 0.3);

  // Without the nutation on both sides only the aberration and light-time models differ.
  ObsClose(s_);
  writeFile(eph, false);
  s_.kStop = 0;
  s_.ObsName.clear();
  const Residuals mean = reduce(false);
  std::printf("(a) JPL0 vectors, mean places of the date: RA*cosDec rms %.5f\" max %.5f\", "
              "Dec rms %.5f\" max %.5f\"\n",
              mean.rmsA(), mean.maxA, mean.rmsD(), mean.maxD);
  EXPECT_LT(mean.maxA, 0.02);
  EXPECT_LT(mean.maxD, 0.02);
}

TEST_F(ReductionErfa, De405ResidualsAreTheTheorysOwnError) {
  const fs::path de = fs::path(ORVANT_SHARED_DIR) / "de405";
  for (const char* f : {"ascp1980.405", "ascp2000.405"})
    if (!fs::exists(de / f)) GTEST_SKIP() << "JPL DE405 data absent: " << (de / f).string();
  fs::create_directories(dir_ / "JPL");
  for (const char* f : {"ascp1980.405", "ascp2000.405"})
    fs::create_symlink(de / f, dir_ / "JPL" / f);
  Ephemeris eph = [&](int body, double tt) { return de405(g_, body, tt); };
  writeFile(eph, true);
  const Residuals res = reduce(true);

  // The theory's error without any reduction: the geometric geocentric direction of Mars by
  // JPL0 against that by DE405, in equatorial J2000 axes.
  State t;
  t.workDir = dir_.string();
  Residuals direct;
  for (double ut : dates()) {
    const double tt = ut + ETUTsel(g_, 1, ut) / 86400;
    const Vec a = eclToEqu(jpl0(t, kMars, tt, ut).p - jpl0(t, 3, tt, ut).p);
    const Vec b = eclToEqu(de405(g_, kMars, tt).p - de405(g_, 3, tt).p);
    const double ra = std::atan2(a.y, a.x), rb = std::atan2(b.y, b.x);
    const double da = std::atan2(a.z, std::hypot(a.x, a.y));
    const double db = std::atan2(b.z, std::hypot(b.x, b.y));
    direct.add(eraAnpm(ra - rb) * std::cos(db) * 206264.806, (da - db) * 206264.806);
  }
  std::printf("(b) DE405 apparent places, JPL0 reduction: %ld records, RA*cosDec mean %.3f\" "
              "rms %.3f\" max %.3f\", Dec mean %.3f\" rms %.3f\" max %.3f\"\n",
              res.n, res.meanA(), res.rmsA(), res.maxA, res.meanD(), res.rmsD(), res.maxD);
  std::printf("(b) JPL0 - DE405 geometric, no reduction: RA*cosDec mean %.3f\" rms %.3f\", "
              "Dec mean %.3f\" rms %.3f\"\n",
              direct.meanA(), direct.rmsA(), direct.meanD(), direct.rmsD());
  // The residuals are the theory's error: same means and spreads within the reduction's own
  // 0.3" (nutation) and the light-time and aberration differences that the theory's velocity
  // error makes (JPL0's few arc seconds over the light time: far below 0.1").
  EXPECT_NEAR(res.meanA(), direct.meanA(), 0.3);
  EXPECT_NEAR(res.meanD(), direct.meanD(), 0.3);
  EXPECT_NEAR(res.rmsA(), direct.rmsA(), 0.3);
  EXPECT_NEAR(res.rmsD(), direct.rmsD(), 0.3);
  // Standish's table of approximate positions keeps Mars within tens of arc seconds.
  EXPECT_GT(res.rmsA(), 0.5);
  EXPECT_LT(res.rmsA(), 100);
}

// The table source: an in-memory AlBattani workbook whose Mars cells hold the apparent ecliptic
// longitude and latitude of the date (ERFA, JPL0 vectors) for the date written into its cells.
TEST_F(ReductionErfa, TableSourceEclipticOfTheDate) {
  auto engine = std::make_shared<MemorySpreadsheet>();
  MemorySpreadsheet::Book book;
  book.sheets = 9;
  const double obsL = 37;  // AlBattani's meridian
  auto place = std::make_shared<std::function<Place(const std::map<CellRef, CellValue>&)>>(
      [this, obsL](const std::map<CellRef, CellValue>& c) {
        State d;
        d.CalType = 1;
        d.Hour0 = 12;
        const double jdLocal = JDfromDate(d, cellNumber(c, 1, "B9") + cellNumber(c, 1, "F9") / 24,
                                          static_cast<int32>(cellNumber(c, 1, "C9")),
                                          static_cast<int32>(cellNumber(c, 1, "D9")));
        const double ut = jdLocal - obsL / 15 / 24;
        const double tt = ut + ETUTsel(g_, 1, ut) / 86400;
        Ephemeris eph = [&](int body, double t) { return jpl0(g_, body, t, ut); };
        return apparent(eph, kMars, tt, false, true);
      });
  book.formulas[{1, "C18"}] = [place](const std::map<CellRef, CellValue>& c) {
    return CellValue{CellValue::Kind::Number, (*place)(c).L, ""};
  };
  book.formulas[{1, "F18"}] = [place](const std::map<CellRef, CellValue>& c) {
    return CellValue{CellValue::Kind::Number, (*place)(c).B, ""};
  };
  engine->add(fullPath(s_, "Tab/AlBattani.xls").string(), book);
  s_.TabEngine = engine;
  s_.SrcKind = "Tab";
  SourceScreen scr;
  scr.objectNo = kMars;
  ASSERT_TRUE(SelectTab(s_, scr, 1));
  ReductionInputs in;
  in.Npl = kMars;
  in.Day = 1;
  in.Month = 1;
  in.Year = 1991;
  in.CalType = 1;
  in.Hour0 = 12;
  in.YearEnd = 1992;
  in.StepTab = 10;
  in.ObsL = obsL;
  in.ObsB = 36;
  PassOptions o;
  o.nutation = false;
  PlainObserver obs(o);
  Residuals res;
  obs.onPass = [&](const ObservationRun&, const PassResult& r) {
    res.add(r.dL * 3600 * std::cos(r.Bnab / 57.29577951308232), r.dB * 3600);
  };
  ObservationRun run(s_);
  ASSERT_TRUE(run.start(in, obs));
  EXPECT_EQ(run.loop(obs), LoopEnd::YearPassed);
  std::printf("table source (ecliptic of the date, JPL0 vectors): %ld steps, L*cosB rms %.5f\" "
              "max %.5f\", B rms %.5f\" max %.5f\"\n",
              res.n, res.rmsA(), res.maxA, res.rmsD(), res.maxD);
  EXPECT_GE(res.n, 73);
  EXPECT_LT(res.maxA, 0.02);
  EXPECT_LT(res.maxD, 0.02);
}

#else
TEST(ReductionErfa, NeedsErfa) { GTEST_SKIP() << "ERFA (liberfa-dev) not found: no reference"; }
#endif

}  // namespace
}  // namespace orvant
