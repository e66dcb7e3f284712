// The reduction run at its edges: the residual fold, the rejection limit, the classes at their
// bounds, invisible and rejected observations, the report against a hand-written golden file,
// the files of a run, the end of the sources and the failures in the middle of a run.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "astro/etut.h"
#include "ephemeris/theory_planets.h"
#include "model/calendar.h"
#include "model/state.h"
#include "model/textfile.h"
#include "observations/reduction.h"
#include "observations/residual_classes.h"
#include "observations/sources.h"
#include "observations/spreadsheet.h"
#include "observation_records.h"
#include "support/files.h"

namespace orvant {
namespace {

using test::WorkDir;
namespace fs = std::filesystem;

long countLines(const fs::path& p) {
  std::ifstream f(p);
  std::string l;
  long n = 0;
  while (std::getline(f, l)) ++n;
  return n;
}

// ---- pure pieces ----

TEST(ReductionPieces, FoldIntoPlusMinus300) {
  EXPECT_NEAR(foldResidual(359.9), -0.1, 1e-12);
  EXPECT_NEAR(foldResidual(-359.9), 0.1, 1e-12);
  EXPECT_EQ(foldResidual(299.0), 299.0);
  EXPECT_EQ(foldResidual(-299.0), -299.0);
  EXPECT_EQ(foldResidual(300.0), 300.0);  // only above 300 is folded
}

TEST(ReductionPieces, RejectionAtExactlyTheLimitRejects) {
  EXPECT_FALSE(acceptedByLimit(ObsCriterion::dR, 200, 0, 200));
  EXPECT_TRUE(acceptedByLimit(ObsCriterion::dR, 200, 0, 199.999));
  EXPECT_FALSE(acceptedByLimit(ObsCriterion::AbsdL, 200, 200.0 / 3600, 0));
  EXPECT_FALSE(acceptedByLimit(ObsCriterion::AbsdL, 200, -200.0 / 3600, 0));
  EXPECT_TRUE(acceptedByLimit(ObsCriterion::AbsdL, 200, -199.99 / 3600, 1e9));
}

TEST(ReductionPieces, ResultRowAndCriterion) {
  Accumulators a;
  a.Nok = 4;
  a.sdR = 40;
  a.sadL = 8.0 / 3600;
  a.sadB = 4.0 / 3600;
  a.sdR2 = 400 + 36;  // values 10+-3 and 10+-3 would give 436
  a.sdL2 = 16.0 / 3600 / 3600;
  a.sdB2 = 4.0 / 3600 / 3600;
  std::array<double, kExperimentCols> row{};
  writeResultRow(a, row);
  EXPECT_DOUBLE_EQ(row[kColMeanDR], 10);
  EXPECT_DOUBLE_EQ(row[kColMeanAbsDL], 2);
  EXPECT_DOUBLE_EQ(row[kColMeanAbsDB], 1);
  EXPECT_DOUBLE_EQ(row[kColRmsDR], std::sqrt(109.0));
  EXPECT_DOUBLE_EQ(row[kColRmsDL], 2);
  EXPECT_DOUBLE_EQ(row[kColRmsDB], 1);
  EXPECT_DOUBLE_EQ(criterionOf(row, ObsCriterion::dR, false), 10);
  EXPECT_DOUBLE_EQ(criterionOf(row, ObsCriterion::AbsdL, false), 2);
  EXPECT_DOUBLE_EQ(criterionOf(row, ObsCriterion::dR, true), std::sqrt(109.0));
  EXPECT_DOUBLE_EQ(criterionOf(row, ObsCriterion::AbsdL, true), 2);
  for (int c : {0, 1, 12, 16, 24}) EXPECT_EQ(row[static_cast<std::size_t>(c)], 0);
}

// ---- classes ----

TEST(ResidualClassesTest, BoundsAndStrictComparisons) {
  State s;
  ResidualClasses c;
  c.setUp(s, 180);
  EXPECT_DOUBLE_EQ(c.Gran[41] - c.Gran[40], 10);  // dRmax 180: classes of 10 thousand km
  c.classify(0.5 / 3600, 0.3 / 3600, 15);
  EXPECT_EQ(c.Cnt[1], 1);
  EXPECT_EQ(c.Cnt[22], 1);
  EXPECT_EQ(c.Cnt[42], 1);
  c.classify(25.0 / 3600, 5.0 / 3600, 200);
  EXPECT_EQ(c.Cnt[19], 1);
  EXPECT_EQ(c.Cnt[39], 1);
  EXPECT_EQ(c.Cnt[59], 1);
  // On a bound, and an exact zero: counted nowhere.
  const auto before = c.Cnt;
  c.classify(1.0 / 3600, 0.25 / 3600, 10);
  c.classify(0, 0, 0);
  c.classify(-1.0 / 3600, -0.5 / 3600, 180);
  EXPECT_EQ(c.Cnt, before);
  EXPECT_EQ(c.Cnt[20], 0);
  EXPECT_EQ(c.Cnt[40], 0);
  // Negative residuals are classed by their size.
  c.classify(-2.5 / 3600, -0.1 / 3600, 5);
  EXPECT_EQ(c.Cnt[3], 1);
  EXPECT_EQ(c.Cnt[21], 1);
  EXPECT_EQ(c.Cnt[41], 1);
  // A new set-up clears the counters.
  c.setUp(s, 180);
  for (std::size_t i = 0; i <= 59; ++i) EXPECT_EQ(c.Cnt[i], 0) << i;
}

TEST(ResidualClassesTest, ReportAgainstHandWrittenGolden) {
  WorkDir dir;
  State s;
  s.workDir = dir.path.string();
  s.ObsName = "GREN";
  s.Npl = 4;
  s.FileNo = "100";
  ResidualClasses c;
  c.setUp(s, 180);
  ReportSums sums;
  auto accepted = [&](double dLsec, double dBsec, double dR) {
    c.classify(dLsec / 3600, dBsec / 3600, dR);
    sums.Nok += 1;
    sums.sadL += dLsec / 3600;
    sums.sadB += dBsec / 3600;
    sums.sdR += dR;
  };
  accepted(0.5, 0.3, 15);
  accepted(0.5, 0.3, 15);
  accepted(17.5, 4.4, 175);
  c.classify(25.0 / 3600, 5.0 / 3600, 200);  // rejected: classed, not summed
  c.classify(1.0 / 3600, 0.25 / 3600, 10);   // on the bounds: nowhere
  ASSERT_TRUE(writeStatReport(s, c, sums));
  EXPECT_EQ(test::readAll(dir.path / "Dat" / "StatGREN4_100.txt"),
            test::readAll(fs::path(ORVANT_SOURCE_DIR) / "tests/observations/data/StatGREN4_100.golden.txt"));
}

TEST(ResidualClassesTest, NoAcceptedObservationRefusesTheReport) {
  WorkDir dir;
  State s;
  s.workDir = dir.path.string();
  s.ObsName = "GREN";
  s.Npl = 4;
  ResidualClasses c;
  c.setUp(s, 200);
  fs::create_directories(dir.path / "Dat");
  { std::ofstream(dir.path / "Dat" / "StatGREN4_100.txt") << "old report\n"; }
  EXPECT_FALSE(writeStatReport(s, c, ReportSums{}));
  EXPECT_EQ(s.lastMessage, kMsgBadScale);
  EXPECT_EQ(s.lastTitle, kTitle70);
  EXPECT_EQ(test::readAll(dir.path / "Dat" / "StatGREN4_100.txt"), "old report\n");
}

// ---- runs over an observatory file ----

class ObsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    s.workDir = dir.path.string();
    setETcoefDefaults(s);
  }
  void TearDown() override { ObsClose(s); }

  // Chooses GREN with object 4 and file 100 and starts a run from 1995 with the options.
  bool begin(const PassOptions& o, double limit = 200, int startYear = 1995) {
    ChooseSrcObs(s);
    SourceScreen scr;
    scr.objectNo = 4;
    scr.criterion = o.criterion;
    if (!SelectObs(s, scr, 1)) return false;
    in.Npl = 4;
    in.Year = startYear;
    in.YearEnd = 2000;
    in.ObsB = 51.477;
    in.limit = limit;
    obs.opt = o;
    return run.start(in, obs);
  }

  WorkDir dir;
  State s;
  ReductionInputs in;
  PlainObserver obs{PassOptions{}};
  ObservationRun run{s};
};

TEST_F(ObsRun, InvisibleObservationsChangeNothing) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(10));
  PassOptions o;
  o.visibility = true;
  o.statistics = true;
  in.Hpl = 91;  // nothing is ever above 91 degrees
  ASSERT_TRUE(begin(o));
  EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded);
  EXPECT_EQ(run.passes(), 10);
  EXPECT_EQ(run.compared(), 0);
  EXPECT_EQ(run.acc().Nok, 0);
  EXPECT_EQ(run.acc().sdR, 0);
  for (double n : run.classes().Cnt) EXPECT_EQ(n, 0);
  EXPECT_FALSE(run.last().visible);
}

TEST_F(ObsRun, SunAboveHsolMakesTheObservationInvisible) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(5));
  PassOptions o;
  o.visibility = true;
  o.sunTest = true;
  in.Hpl = -91;   // the body always counts as high enough
  in.Hsol = -91;  // the Sun always counts as too high
  ASSERT_TRUE(begin(o));
  run.loop(obs);
  EXPECT_EQ(run.compared(), 0);
  // The Sun part alone: without "++Hsol<" every observation is compared.
  ObsClose(s);
  s.ObsName.clear();
  o.sunTest = false;
  ASSERT_TRUE(begin(o));
  run.loop(obs);
  EXPECT_EQ(run.compared(), 5);
}

TEST_F(ObsRun, RejectedObservationsAreClassedButNotSummed) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(12));
  PassOptions o;
  o.reject = true;
  o.statistics = true;
  o.files = true;
  ASSERT_TRUE(begin(o, /*limit=*/1e-6));
  EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded);
  EXPECT_EQ(run.compared(), 12);
  EXPECT_EQ(run.rejected(), 12);
  EXPECT_EQ(run.acc().Nok, 0);
  EXPECT_EQ(run.acc().sdR, 0);
  double classed = 0;
  for (std::size_t i = 41; i <= 59; ++i) classed += run.classes().Cnt[i];
  EXPECT_EQ(classed, 12);
  // Bad_data: six header lines and one line per rejected observation, six numbers each.
  const fs::path bad = dir.path / "Dat" / "Bad_dataGREN4_100.txt";
  EXPECT_EQ(countLines(bad), 6 + 12);
  std::ifstream f(bad);
  std::string line;
  for (int k = 0; k < 7; ++k) std::getline(f, line);
  std::istringstream items(line);
  double day = 0, month = 0, year = 0, dL = 0, dB = 0, dR = 0;
  items >> day >> month >> year >> dL >> dB >> dR;
  ASSERT_FALSE(items.fail()) << "six numbers expected: " << line;
  EXPECT_NEAR(day, 1 + 21.0 / 24, 1e-6);
  EXPECT_EQ(month, 3);
  EXPECT_EQ(year, 1995);
  EXPECT_GT(dR, 0);
  // The Good file holds the header and no record.
  EXPECT_EQ(countLines(dir.path / "Obs" / "GREN4_G_100LB.txt"), 5);
}

TEST_F(ObsRun, AcceptedObservationsSummedTraceAndGoodFile) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(8));
  PassOptions o;
  o.reject = true;
  o.files = true;
  o.trace = true;
  o.kVes = true;
  ASSERT_TRUE(begin(o, 1e9));
  EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded);
  const Accumulators& a = run.acc();
  EXPECT_EQ(a.Nok, 8);
  const auto& row = run.experiments().row[0];
  EXPECT_DOUBLE_EQ(row[kColMeanDR], a.sdR / 8);
  EXPECT_DOUBLE_EQ(run.criterion(), row[kColMeanDR]);
  // kW with "+kVes=" for an observatory: (Ny/100 + 1)(Nok/1000 + 1)/criterion, Ny = 2000 - 1995.
  EXPECT_NEAR(run.kW(), 1.05 * 1.008 / row[kColMeanDR], 1e-12 / row[kColMeanDR]);
  EXPECT_EQ(run.experiments().par[10], run.kW());
  // The Good file: header, then the eight raw lines.
  EXPECT_EQ(countLines(dir.path / "Obs" / "GREN4_G_100LB.txt"), 5 + 8);
  // The trace: six header lines; per observation eleven traced steps (Earth, Moon twice, Earth,
  // planet, geocentre, light time, receiver, to the date, to the equator, nutation), the
  // observation and an empty line.
  EXPECT_EQ(countLines(dir.path / "Dat" / "Ras_data_GREN4_100.txt"), 6 + 8 * 13);
  // The file is read again from the start after its end: the next start finds all records.
  ASSERT_TRUE(run.start(in, obs));
  run.loop(obs);
  EXPECT_EQ(run.acc().Nok, 8);
}

TEST_F(ObsRun, RecordsBeforeTheStartDateCompareNothing) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(6, 1995, 3));
  ASSERT_TRUE(begin(PassOptions{}, 200, 1996));
  EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded);
  EXPECT_EQ(run.passes(), 0);
  EXPECT_EQ(run.compared(), 0);
}

TEST_F(ObsRun, StopAndOneStep) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(6));
  ASSERT_TRUE(begin(PassOptions{}));
  ASSERT_TRUE(run.prepareOneStep());
  EXPECT_EQ(run.loop(obs), LoopEnd::Stopped);
  EXPECT_EQ(run.acc().Nok, 1);
  ASSERT_TRUE(run.prepareOneStep());
  run.loop(obs);
  EXPECT_EQ(run.acc().Nok, 2);
  // A stopped observatory run cannot be started again before the file is chosen again...
  EXPECT_FALSE(run.start(in, obs));
  EXPECT_EQ(s.lastMessage, kMsgReopen);
  // ...but goes on step by step.
  for (int k = 3; k <= 6; ++k) {
    ASSERT_TRUE(run.prepareOneStep());
    EXPECT_EQ(run.loop(obs), LoopEnd::Stopped);
  }
  EXPECT_EQ(run.acc().Nok, 6);
  // One step at the end of the file: no pass, the file read again from its start...
  ASSERT_TRUE(run.prepareOneStep());
  EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded);
  EXPECT_EQ(run.acc().Nok, 6);
  // ...so that "Продолжить" goes through the records once more.
  ASSERT_TRUE(run.resume());
  EXPECT_EQ(run.loop(obs), LoopEnd::SourceEnded);
  EXPECT_EQ(run.acc().Nok, 12);
}

TEST_F(ObsRun, RefusalsAtStart) {
  test::writeObsFile(dir.path, "GREN3_G_100.txt", 1995, 2000, test::marsRecords(2));
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(2));
  // No table chosen, no observatory chosen.
  s.SrcKind = "Tab";
  s.ObsName.clear();
  EXPECT_FALSE(run.start(in, obs));
  EXPECT_EQ(s.lastMessage, kMsgChooseTable);
  ChooseSrcObs(s);
  s.kStop = 0;
  EXPECT_FALSE(run.start(in, obs));
  EXPECT_EQ(s.lastMessage, kMsgChooseObs);
  EXPECT_EQ(s.lastTitle, kTitle70);
  // The Earth.
  ASSERT_TRUE(begin(PassOptions{}));
  in.Npl = 3;
  s.kStop = 0;
  EXPECT_FALSE(run.start(in, obs));
  EXPECT_EQ(s.lastMessage, kMsgEarthObserved);
  // A field that is not a number.
  ObsClose(s);
  s.ObsName.clear();
  ASSERT_TRUE(begin(PassOptions{}));
  in.Npl = 4;
  in.StepTab = std::nan("");
  EXPECT_FALSE(run.start(in, obs));
  EXPECT_EQ(s.lastMessage, kMsgBadInputs);
}

TEST_F(ObsRun, UnwritableDatRefusesTheStart) {
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(2));
  fs::create_directories(dir.path / "Dat");
  { std::ofstream(dir.path / "Dat" / "Ras_data_GREN4_100.txt") << "old trace\n"; }
  fs::permissions(dir.path / "Dat" / "Ras_data_GREN4_100.txt", fs::perms::owner_read);
  fs::permissions(dir.path / "Dat", fs::perms::owner_read | fs::perms::owner_exec);
  PassOptions o;
  o.trace = true;
  EXPECT_FALSE(begin(o));
  EXPECT_EQ(s.lastMessage, kMsgBadInputs);
  fs::permissions(dir.path / "Dat", fs::perms::owner_all);
  EXPECT_EQ(test::readAll(dir.path / "Dat" / "Ras_data_GREN4_100.txt"), "old trace\n");
}

TEST_F(ObsRun, RecordFailingMidRunKeepsTheSums) {
  auto records = test::marsRecords(5);
  records.push_back("GREN      1995 xx Mar  21 00 00 0000       08 10 00 00000           +22 00 00 0000");
  for (const auto& r : test::marsRecords(3, 1995, 4)) records.push_back(r);
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, records);
  PassOptions o;
  o.trace = true;
  ASSERT_TRUE(begin(o));
  EXPECT_EQ(run.loop(obs), LoopEnd::Failed);
  EXPECT_NE(s.lastMessage.find("Ошибка чтения данных из файла"), std::string::npos);
  EXPECT_EQ(s.kStop, 1);
  EXPECT_EQ(run.acc().Nok, 5);
  EXPECT_GT(run.acc().sdR, 0);
  // The trace holds whole lines only.
  EXPECT_EQ(countLines(dir.path / "Dat" / "Ras_data_GREN4_100.txt"), 6 + 5 * 13);
  // "Начать" now asks for the observatory to be chosen again.
  EXPECT_FALSE(run.start(in, obs));
  EXPECT_EQ(s.lastMessage, kMsgReopen);
}

TEST_F(ObsRun, PlanetPerturbationOfAnOuterPlanetFailsThePass) {
  std::vector<std::string> r = {test::recordLine(1995, 3, 1, 21, 200, -5)};
  test::writeObsFile(dir.path, "GREN5_G_100.txt", 1995, 2000, r);
  ChooseSrcObs(s);
  SourceScreen scr;
  scr.objectNo = 5;
  ASSERT_TRUE(SelectObs(s, scr, 1));
  in.Npl = 5;
  in.Year = 1995;
  PassOptions o;
  o.dLp = true;
  obs.opt = o;
  ASSERT_TRUE(run.start(in, obs));
  EXPECT_EQ(run.loop(obs), LoopEnd::Failed);
  EXPECT_EQ(s.lastMessage, kMsgPassFailed);
}

// ---- a table source through the in-memory engine ----

TEST(TabRun, StepCrossingTheEndYearIsProcessedThenTheRunEnds) {
  WorkDir dir;
  State s;
  s.workDir = dir.path.string();
  setETcoefDefaults(s);
  auto engine = std::make_shared<MemorySpreadsheet>();
  MemorySpreadsheet::Book book;
  book.sheets = 9;
  book.cells[{1, "C14"}] = CellValue{CellValue::Kind::Number, 123.0, ""};
  engine->add(fullPath(s, "Tab/AlBattani.xls").string(), book);
  s.TabEngine = engine;
  ChooseSrcTab(s);
  SourceScreen scr;
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, 1)) << s.lastMessage;
  ReductionInputs in;
  in.Npl = 0;
  in.Day = 1;
  in.Month = 1;
  in.Year = 1999;
  in.CalType = 1;
  in.Hour0 = 12;
  in.YearEnd = 1999;
  in.StepTab = 100;
  in.ObsL = 37;
  PassOptions o;
  o.nutation = false;
  PlainObserver obs(o);
  std::vector<int> years;
  obs.onPass = [&](const ObservationRun&, const PassResult& r) {
    years.push_back(s.YearNab);
    EXPECT_EQ(r.Lnab, 123.0);  // the Sun's longitude cell
    EXPECT_EQ(r.Bnab, 0.0);    // AlBattani gives the Sun no latitude
  };
  ObservationRun run(s);
  ASSERT_TRUE(run.start(in, obs));
  EXPECT_EQ(run.loop(obs), LoopEnd::YearPassed);
  // 1 January 1999, then every 100 days: 1999 x4, then the first step in 2000 is processed.
  ASSERT_EQ(years.size(), 5u);
  EXPECT_EQ(years.back(), 2000);
  EXPECT_EQ(run.acc().Nok, 5);
  // The dates of the series were asked for ahead, in one batch, each evaluated once.
  EXPECT_EQ(engine->batches, 1);
  EXPECT_EQ(engine->exchanges, 1 + 5);
  // The Sun observed: its geocentric longitude from JPL0 is near 280 deg in early January.
  EXPECT_EQ(run.tableSource(), true);
}

}  // namespace
}  // namespace orvant

namespace orvant {
namespace {

// One pass over a single Mars record, with the options given; the result of the pass.
PassResult onePass(const PassOptions& o, const std::function<void(ObservationRun&)>& prepare = {}) {
  WorkDir dir;
  State s;
  s.workDir = dir.path.string();
  setETcoefDefaults(s);
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000,
                     {test::recordLine(1995, 3, 1, 21, 120, 20)});
  ChooseSrcObs(s);
  SourceScreen scr;
  scr.objectNo = 4;
  EXPECT_TRUE(SelectObs(s, scr, 1));
  ReductionInputs in;
  in.Npl = 4;
  in.Day = 1;
  in.Month = 3;
  in.Year = 1995;
  in.ObsB = 51.477;
  PlainObserver obs(o);
  ObservationRun run(s);
  if (prepare) prepare(run);
  EXPECT_TRUE(run.start(in, obs)) << s.lastMessage;
  run.loop(obs);
  ObsClose(s);
  return run.last();
}

// "Параллакс" off and "Рефракция" on: the position stays geocentric (its distance is the
// geocentric one) but its direction carries the refraction for the observer's altitude: at
// 21 h UT on 1 March 1995 Mars stands about 58 degrees high at Greenwich, where the tangent
// formula gives 57.1" tan(32 deg) = 36" of refraction, mostly in declination.
TEST(ReductionSteps, RefractionWithoutParallaxStaysGeocentric) {
  PassOptions plain;
  PassOptions refr = plain;
  refr.refraction = true;
  const PassResult a = onePass(plain), b = onePass(refr);
  const double shift = std::hypot((b.Lras - a.Lras) * std::cos(a.Bras / 57.2957795), b.Bras - a.Bras) * 3600;
  EXPECT_GT(shift, 20);
  EXPECT_LT(shift, 60);
  const double rA = std::hypot(a.Xras, std::hypot(a.Yras, a.Zras));
  const double rB = std::hypot(b.Xras, std::hypot(b.Yras, b.Zras));
  EXPECT_LT(std::fabs(rA - rB), 100e3);  // not displaced by the Earth's radius (6378 km)
  EXPECT_TRUE(b.rowSet[kRowRefraction]);
  EXPECT_FALSE(b.rowSet[kRowParallax]);
  // With the parallax the topocentric position moves by up to the Earth's radius.
  PassOptions par = plain;
  par.parallax = true;
  const PassResult c = onePass(par);
  const double rC = std::hypot(c.Xras, std::hypot(c.Yras, c.Zras));
  EXPECT_GT(std::fabs(rA - rC), 1000e3);
}

// "План" with the parameters of the J2000 theory reproduces the JPL0 place. The theory takes
// ephemeris time, the plan universal time: the parameters are those of the theory at the start
// date in ephemeris time (ET - UT = 61 s in 1995, in which Mars moves 1500 km, 3"); what is left
// is the plan's linear mean longitude against the theory's and mass set 3 in the velocities.
TEST(ReductionSteps, PlanParametersFromTheTheoryReproduceIt) {
  PassOptions jpl;
  const PassResult a = onePass(jpl);
  PassOptions plan = jpl;
  plan.planet = PlanetTheory::Plan;
  const PassResult b = onePass(plan, [](ObservationRun& run) {
    State t;
    t.CalType = 0;
    setETcoefDefaults(t);
    const double ut = JDfromDate(t, 1, 3, 1995);
    t.JD = ut + ETUTsel(t, 1, ut) / 86400;
    ThJ2000(t, 4);
    auto& p = run.experiments().par;
    const double deg = t.kUgol;
    p[1] = t.R0sr[4];
    p[2] = t.Eks0[4];
    p[3] = t.Betta0[4] * deg;
    p[4] = t.AlfaP0[4] * deg;
    p[5] = t.AlfaU0[4] * deg;
    p[6] = t.W0sr[4] * 36525 * t.sekD;
    p[7] = t.AlfaL[4] * deg;
    p[8] = p[9] = 0;
  });
  EXPECT_NEAR((b.Lras - a.Lras) * 3600, 0, 0.3);
  EXPECT_NEAR((b.Bras - a.Bras) * 3600, 0, 0.3);
  // An impossible parameter row fails the pass.
  const PassResult c = onePass(plan, [](ObservationRun& run) { run.experiments().par[1] = -1; });
  EXPECT_FALSE(c.compared);
}

}  // namespace
}  // namespace orvant

namespace orvant {
namespace {

// A trace file that stops taking lines in the middle of a run: "Ошибка решения уравнений", the
// loop ends, the sums keep the passes before, and the file keeps whole lines only.
TEST(ReductionFiles, TraceRefusedMidRunEndsTheLoopWithTheSumsKept) {
  WorkDir dir;
  State s;
  s.workDir = dir.path.string();
  setETcoefDefaults(s);
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(6));
  ChooseSrcObs(s);
  SourceScreen scr;
  scr.objectNo = 4;
  ASSERT_TRUE(SelectObs(s, scr, 1));
  ReductionInputs in;
  in.Npl = 4;
  in.Year = 1995;
  PassOptions o;
  o.trace = true;
  PlainObserver obs(o);
  const fs::path trace = dir.path / "Dat" / "Ras_data_GREN4_100.txt";
  obs.onPass = [&](const ObservationRun& run, const PassResult&) {
    if (run.acc().Nok == 2) fs::permissions(trace, fs::perms::owner_read);
  };
  ObservationRun run(s);
  ASSERT_TRUE(run.start(in, obs));
  EXPECT_EQ(run.loop(obs), LoopEnd::Failed);
  EXPECT_EQ(s.lastMessage, kMsgPassFailed);
  EXPECT_EQ(s.lastTitle, kTitle70);
  EXPECT_EQ(run.acc().Nok, 2);
  fs::permissions(trace, fs::perms::owner_all);
  EXPECT_EQ(countLines(trace), 6 + 2 * 13);
}

}  // namespace
}  // namespace orvant
