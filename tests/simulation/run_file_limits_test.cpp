// A run never writes a value its files cannot hold: a non-finite orbit parameter or coordinate ends
// the run as a numeric failure, and the files keep what was written before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "model/format.h"
#include "run_fixture.h"
#include "simulation/extraction.h"

namespace orvant::test {
namespace {

using simulation::ExperimentRun;
using simulation::RunEnd;

std::string fileText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Every item after the header of a record file is a plain integer that is not the value a NaN
// cast to an integer gives.
void expectOnlySoundRecords(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  for (int i = 0; i < 4 && std::getline(in, line); ++i) {
  }
  while (std::getline(in, line)) {
    for (const auto& item : splitItems(line)) {
      EXPECT_EQ(item.find_first_not_of("-0123456789"), std::string::npos) << line;
      EXPECT_NE(item, "-9223372036854775808") << line;
    }
  }
}

// Spoils the angle unit just before the second record is written, so that the record's orbit
// parameters come out as NaN, as a broken model (a mass ratio that tears the orbit apart) gives.
struct SpoilingObserver : TestObserver {
  int records = 0;
  explicit SpoilingObserver(State& st) : TestObserver(st) {}
  void extractionEvent(const simulation::ExperimentRun& r, unsigned ev) override {
    TestObserver::extractionEvent(r, ev);
    if ((ev & simulation::kEvRecord) && ++records == 2) s.kUgol = std::nan("");
  }
};

TEST(RunFileLimits, ANonFiniteOrbitParameterEndsTheRunAndKeepsTheRecordsBefore) {
  double e6[6];
  mercuryWithAnomaly(270, e6);
  State s = keplerState(1, e6);
  TempDir dir;
  s.workDir = dir.path.string();
  const Elements el = initialElements(s, 1);
  ExperimentRun run(s);
  SpoilingObserver obs(s);
  obs.stopAfterSeconds = 8 * el.period;
  ASSERT_TRUE(run.start(modelInputs(1))) << s.lastMessage;
  EXPECT_EQ(run.loop(obs), RunEnd::Failed);
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_EQ(obs.records, 2);
  const std::string text = fileText(dir.path / "Plan0/Txt1/Orvant1Ras1.txt");
  expectOnlySoundRecords(text);
  // Header, line 5 and the one record written before the failure.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
}

TEST(RunFileLimits, RecordValuesRefuseWhatTheFileCannotHold) {
  double e6[6];
  mercuryWithAnomaly(270, e6);
  State s = keplerState(1, e6);
  simulation::OrbitExtraction x;
  x.Nrec = 3;
  x.Rpl = 5.8e10;
  x.Tper = 88;
  x.Eks = 0.2;
  ASSERT_TRUE(simulation::recordValues(s, x, s.JD2000, 86400, 1));
  x.Eks = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(simulation::recordValues(s, x, s.JD2000, 86400, 1));
  x.Eks = 0.2;
  x.Tper = 0;  // a period never measured: an infinite mean motion
  EXPECT_FALSE(simulation::recordValues(s, x, s.JD2000, 86400, 1));
  x.Tper = 88;
  x.Rpl = 1e30;  // 1e29 tens of metres: beyond the 64-bit integers
  EXPECT_FALSE(simulation::recordValues(s, x, s.JD2000, 86400, 1));
}

TEST(RunFileLimits, CoordinateLineRefusesNonFiniteValues) {
  State s;
  s.Day = 1.5;
  s.Month = 1;
  s.Year = 2000;
  s.X[1] = 5.8e10;
  ASSERT_TRUE(simulation::coordinateLine(s, 1, 86400, 5.8e10, 0));
  s.VY[1] = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(simulation::coordinateLine(s, 1, 86400, 5.8e10, 0));
  s.VY[1] = 0;
  EXPECT_FALSE(simulation::coordinateLine(s, 1, 86400, std::nan(""), 0));
}

}  // namespace
}  // namespace orvant::test
