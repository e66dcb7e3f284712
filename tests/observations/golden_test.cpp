// Golden outputs of screens 10 and 11: the reduction's trace file and printed results over an
// ERFA-generated observatory series (orvant-cli reduce) and over a table series through the
// in-memory spreadsheet, and the aberration components at three dates. Byte for byte against
// tests/observations/golden/ (support/golden.h).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "astro/etut.h"
#include "model/calendar.h"
#include "model/paths.h"
#include "model/textfile.h"
#include "model/state.h"
#include "observations/aberration.h"
#include "observations/reduction.h"
#include "observations/sources.h"
#include "observations/spreadsheet.h"
#include "observation_records.h"
#include "support/golden.h"
#include "support/temp_dir.h"

#ifdef ORVANT_HAVE_ERFA
#include "erfa_places.h"
#endif

namespace orvant {
namespace {

namespace fs = std::filesystem;
const char* const kSeries = "observations/golden/GREN4_G_100.txt";

#ifdef ORVANT_HAVE_ERFA
// The input series, regenerated only with ORVANT_UPDATE_GOLDEN: Mars seen from GREN, apparent
// places of the date (ERFA, JPL0 vectors), every 90 days from 1991 January 1, 21 h UT.
std::string erfaSeries() {
  State g;
  setETcoefDefaults(g);
  g.CalType = 0;
  g.Hour0 = 0;
  const double jd0 = JDfromDate(g, 1.875, 1, 1991);
  std::string out = "Mars, GREN, apparent places of the date\nERFA generator\n\n\n1991, 2000\n";
  for (int k = 0; k < 41; ++k) {
    const double ut = jd0 + 90.0 * k, tt = ut + ETUTsel(g, 1, ut) / 86400;
    test::erfa::Ephemeris eph = [&](int body, double t) { return test::erfa::jpl0(g, body, t, ut); };
    const test::erfa::Place p = test::erfa::apparent(eph, 4, tt, true);
    DateFromJD(g, ut);
    out += test::recordLine(g.Year, g.Month, static_cast<int>(g.Day), 21, p.L, p.B) + "\n";
  }
  return out;
}
#endif

struct GoldenDir {
  fs::path path = test::freshTempDir("orvant_golden_");
  GoldenDir() {
    fs::create_directories(path / "Obs");
    fs::create_directories(path / "Dat");
  }
  ~GoldenDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

TEST(GoldenObservations, ReduceTraceOfAnErfaSeries) {
  if (!fs::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built";
  const char* update = std::getenv("ORVANT_UPDATE_GOLDEN");
#ifdef ORVANT_HAVE_ERFA
  if (update && std::string(update) == "1") test::expectGolden(kSeries, erfaSeries());
#endif
  GoldenDir d;
  fs::copy_file(fs::path(ORVANT_SOURCE_DIR) / "tests" / kSeries, d.path / "Obs/GREN4_G_100.txt");
  const std::string common = "--dir '" + d.path.string() +
                             "' reduce --source obs --name GREN --object 4 --file 100 --day 1.5 "
                             "--month 1 --year 1991 --end 2000 --trace ";
  // Geocentric with nutation (JPL0); then the topocentric chain (parallax, refraction,
  // visibility) on the Kepler theories with parameters of the date.
  const std::string runs[2] = {
      "--obsL 0 --obsB 51.477 --stat",
      "--obsL 0 --obsB 51.477 --planet Kin0 --earth Kin0+ --epoch JD --parallax on "
      "--refraction on --visibility on --hpl -5 --criterion AbsdL --limit 100000 --rms"};
  for (int k = 0; k < 2; ++k) {
    int status = -1;
    const std::string out = test::cliOutput(common + runs[k], status);
    EXPECT_EQ(status, 0) << out;
    const std::string trace = test::readAll(d.path / "Dat/Ras_data_GREN4_100.txt");
    const std::string tag = "observations/golden/reduce_erfa_" + std::to_string(k + 1);
    test::expectGolden(tag + ".out", out);
    test::expectGolden(tag + ".trace", test::digestOf(trace, 40));
  }
}

// The table source through the in-memory spreadsheet: Mars cells of AlBattani hold a smooth
// function of the date written into the workbook.
TEST(GoldenObservations, ReduceTraceOfATableSeries) {
  GoldenDir d;
  State s;
  s.workDir = d.path.string();
  setETcoefDefaults(s);
  auto engine = std::make_shared<MemorySpreadsheet>();
  MemorySpreadsheet::Book book;
  book.sheets = 9;
  auto day = [](const std::map<CellRef, CellValue>& c) {
    return cellNumber(c, 1, "B9") + 30.6 * cellNumber(c, 1, "C9") + 365.25 * cellNumber(c, 1, "D9");
  };
  book.formulas[{1, "C18"}] = [day](const std::map<CellRef, CellValue>& c) {
    return CellValue{CellValue::Kind::Number, 90 + 0.524 * (day(c) - 727000), ""};
  };
  book.formulas[{1, "F18"}] = [day](const std::map<CellRef, CellValue>& c) {
    return CellValue{CellValue::Kind::Number, 1.2 - 0.004 * (day(c) - 727000), ""};
  };
  engine->add(fullPath(s, "Tab/AlBattani.xls").string(), book);
  s.TabEngine = engine;
  s.SrcKind = "Tab";
  SourceScreen scr;
  scr.objectNo = 4;
  ASSERT_TRUE(SelectTab(s, scr, 1));
  ReductionInputs in;
  in.Npl = 4;
  in.Day = 1;
  in.Month = 1;
  in.Year = 1991;
  in.CalType = 1;
  in.Hour0 = 12;
  in.YearEnd = 1991;
  in.StepTab = 30;
  in.ObsL = 37;
  in.ObsB = 36;
  PassOptions o;
  o.trace = true;
  o.parallax = true;
  PlainObserver obs(o);
  std::string rows;
  obs.onPass = [&](const ObservationRun&, const PassResult& r) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%.17g %.17g %.17g %.17g %.17g %.17g\n", r.JD, r.Lras, r.Bras,
                  r.dL, r.dB, r.dR);
    rows += buf;
  };
  ObservationRun run(s);
  ASSERT_TRUE(run.start(in, obs));
  EXPECT_EQ(run.loop(obs), LoopEnd::YearPassed);
  test::expectGolden("observations/golden/reduce_table.rows", rows);
  test::expectGolden("observations/golden/reduce_table.trace",
                     test::digestOf(test::readAll(fullPath(s, tracePath(s))), 40));
}

// Screen 11: placement and three iterations at three dates, one with the system's velocity and
// "* cos(B)", one for the star.
TEST(GoldenObservations, AberrationAtThreeDates) {
  struct Case {
    double day;
    int month, year, npl;
    double vx;
    bool cosB;
  };
  const Case cases[] = {{1.5, 1, 2000, 4, 0, false},
                        {15.25, 6, 1950, 5, 300, true},
                        {3.75, 11, 2030, kStarObject, -120, false}};
  std::string out;
  for (const Case& c : cases) {
    State s;
    AberrationInputs in;
    in.Day = c.day;
    in.Month = c.month;
    in.Year = c.year;
    in.Npl = c.npl;
    in.VXsys = c.vx;
    in.VYsys = c.vx / 3;
    in.cosB = c.cosB;
    AberrationResult r;
    ASSERT_TRUE(placeAberration(s, in, r));
    for (int it = 0; it <= 3; ++it) {
      if (it > 0) {
        ASSERT_TRUE(iterateAberration(s, in, r));
      }
      char buf[600];
      std::snprintf(buf, sizeof buf,
                    "%d %.17g %.17g %.17g | %.17g %.17g | %.17g %.17g | %.17g %.17g | %.17g %.17g "
                    "%.17g %.17g %.17g %.17g\n",
                    r.iterations, r.JD, r.lightTime, r.S, r.L0, r.B0, r.L1, r.B1, r.L2, r.B2,
                    r.dLis, r.dBis, r.dLpr, r.dBpr, r.dLs, r.dBs);
      out += buf;
    }
  }
  test::expectGolden("observations/golden/aberration.txt", out);
}

}  // namespace
}  // namespace orvant
