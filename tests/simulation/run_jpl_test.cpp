// The JPL2 simulator with JPL's DE405 blocks (a temporary work directory whose JPL/ holds links to
// the shared blocks): stepping forward across a record boundary and the boundary of the blocks
// 1980/2000, and backward across it, the bodies must be where the reader puts them when it opens
// the ephemeris afresh at the same date; the orbit parameters of Mercury from DE405 must agree
// with JPL's mean elements to the size of Mercury's periodic perturbations.
#include <gtest/gtest.h>

#include <filesystem>

#include "ephemeris/jpl.h"
#include "run_fixture.h"
#include "statistics/records.h"
#include "support/files.h"

namespace orvant::test {
namespace {

namespace fs = std::filesystem;
using simulation::ExperimentRun;
using simulation::RunEnd;
using simulation::Simulator;

constexpr double kBlock2000 = 2451536.5;  // first day of the block ascp2000.405

class Jpl2Run : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"ascp1980.405", "ascp2000.405"}) {
      if (!fs::exists(de405Dir() / f))
        GTEST_SKIP() << "JPL DE405 data absent: " << (de405Dir() / f).string();
    }
    fs::create_directories(dir_.path / "JPL");
    for (const char* f : {"ascp1980.405", "ascp2000.405"})
      fs::create_symlink(de405Dir() / f, dir_.path / "JPL" / f);
    double e6[6];
    mercuryWithAnomaly(0, e6);
    s_ = keplerState(1, e6);
    s_.workDir = dir_.path.string();
  }
  void TearDown() override {
    if (s_.JPLisOpen == 10) JPLclose(s_);
  }

  simulation::RunInputs inputs(int kDir) const {
    simulation::RunInputs in;
    in.Ntr = 1;
    in.findParams = false;
    in.model = false;
    in.simulator = Simulator::JPL2;
    in.kDir = kDir;
    in.live.H0 = 21600;  // 6 h
    in.live.NC0 = 4;     // a display point a day
    return in;
  }

  TempDir dir_;
  State s_;
};

// At every display point the Sun, the Earth and Mercury equal a fresh evaluation at the date of
// the last motion step: a simulator evaluates the bodies at the date the step begins with, then
// advances the date by the step.
struct SameAsReader : TestObserver {
  State ref;
  long compared = 0;
  double minJD = 1e300, maxJD = -1e300;
  explicit SameAsReader(State& st) : TestObserver(st) { ref.workDir = st.workDir; }
  ~SameAsReader() override {
    if (ref.JPLisOpen == 10) JPLclose(ref);
  }
  void displayPoint(const simulation::ExperimentRun& r) override {
    TestObserver::displayPoint(r);
    ref.JD = r.JD0() + (r.dTmod() - r.kDir() * r.live().H0) / 86400;
    ASSERT_EQ(JPLopen(ref), JplStatus::Ok);
    for (int k : {0, 3, 1}) {
      ASSERT_TRUE(JPLstate(ref, k));
      EXPECT_EQ(s.X[k], ref.X[k]) << k << " at " << s.JDjpl;
      EXPECT_EQ(s.Y[k], ref.Y[k]) << k;
      EXPECT_EQ(s.VZ[k], ref.VZ[k]) << k;
    }
    ++compared;
    minJD = std::min(minJD, ref.JD);
    maxJD = std::max(maxJD, ref.JD);
  }
};

TEST_F(Jpl2Run, ForwardAcrossRecordAndBlockBoundaries) {
  s_.JD0 = kBlock2000 - 36;  // a record boundary at -32 days, the block boundary, then +32
  ExperimentRun run(s_);
  ASSERT_TRUE(run.start(inputs(1))) << s_.lastMessage;
  SameAsReader obs(s_);
  obs.maxDisplays = 80;
  EXPECT_EQ(run.loop(obs), RunEnd::Stopped) << s_.lastMessage;
  EXPECT_EQ(obs.compared, 80);
  EXPECT_LT(obs.minJD, kBlock2000 - 32);
  EXPECT_GT(obs.maxJD, kBlock2000 + 32);
  EXPECT_EQ(s_.JPLyear, 2000);
  EXPECT_DOUBLE_EQ(s_.JDjpl, s_.JD0 + 80.0);
}

TEST_F(Jpl2Run, BackwardAcrossTheBlockBoundary) {
  s_.JD0 = kBlock2000 + 40;
  ExperimentRun run(s_);
  ASSERT_TRUE(run.start(inputs(-1))) << s_.lastMessage;
  SameAsReader obs(s_);
  obs.maxDisplays = 80;
  EXPECT_EQ(run.loop(obs), RunEnd::Stopped) << s_.lastMessage;
  EXPECT_EQ(obs.compared, 80);
  EXPECT_LT(obs.minJD, kBlock2000 - 32);
  EXPECT_EQ(s_.JPLyear, 1980);
  EXPECT_DOUBLE_EQ(s_.JDjpl, s_.JD0 - 80.0);
  EXPECT_DOUBLE_EQ(run.dTmod(), -80 * 86400.0);
  EXPECT_DOUBLE_EQ(run.t(), 80 * 86400.0);
}

// "NC0 шагов" makes NC0 steps in JPL2 as in the other modes (the stop it sets is not a failure
// of the reader).
TEST_F(Jpl2Run, StepsCommand) {
  s_.JD0 = kBlock2000 - 3;
  ExperimentRun run(s_);
  ASSERT_TRUE(run.start(inputs(1))) << s_.lastMessage;
  simulation::LiveInputs live = run.live();
  live.NC0 = 5;
  ASSERT_TRUE(run.prepareSteps(live));
  TestObserver obs(s_);
  EXPECT_EQ(run.loop(obs), RunEnd::Stopped);
  EXPECT_EQ(run.steps(), 5);
  EXPECT_EQ(obs.displays, 1);
  EXPECT_DOUBLE_EQ(s_.JDjpl, s_.JD0 + 5 * 0.25);
}

// Mercury from DE405 over about four years around 2000: perihelion, node, inclination and
// eccentricity of the recorded passages against JPL's mean J2000 elements (Standish's table).
// Mercury's periodic perturbations move its osculating perihelion by up to about 0.01 deg and
// its eccentricity by about 2e-5; the tolerances allow twice that.
TEST_F(Jpl2Run, MercuryParametersFromTheEphemeris) {
  for (const char* f : {"ascp2020.405"}) {
    if (!fs::exists(de405Dir() / f)) GTEST_SKIP() << "JPL DE405 data absent: " << f;
    fs::create_symlink(de405Dir() / f, dir_.path / "JPL" / f);
  }
  s_.JD0 = 2451000.5;
  ExperimentRun run(s_);
  simulation::RunInputs in = inputs(1);
  in.findParams = true;
  in.writeRecords = true;
  in.live.H0 = 3600;
  in.live.NC0 = 1000;
  in.stopYear = true;
  in.YearStop = 2002;
  ASSERT_TRUE(run.start(in)) << s_.lastMessage;
  EXPECT_EQ(run.recordFile(), "JPL/Orvant1Nab.txt");
  TestObserver obs(s_);
  EXPECT_EQ(run.loop(obs), RunEnd::YearReached) << s_.lastMessage;
  statistics::RecordSeries sr;
  statistics::LoadChoice c;
  c.N = 1;
  c.source = statistics::Source::JPL;
  ASSERT_TRUE(statistics::loadSeries(s_, sr, c)) << s_.lastMessage;
  ASSERT_GE(sr.NP, 20);
  EXPECT_EQ(sr.header[2].substr(0, 10), "JPL_DE405 ");
  const double* el = kJ2000[0];
  for (int i = 1; i <= sr.NP; ++i) {
    SCOPED_TRACE(i);
    const double T = (sr.JD0 + sr.dT[i] - 2451545.0) / 36525;
    EXPECT_NEAR(sr.Par[i][1], el[4] + 0.16047689 * T, 0.02);   // deg (rate: Standish's table)
    EXPECT_NEAR(sr.Par[i][2], el[5] - 0.12534081 * T, 0.02);
    EXPECT_NEAR(sr.Par[i][3], el[2], 0.002);
    EXPECT_NEAR(sr.Par[i][4], el[1], 4e-5);
    EXPECT_NEAR(sr.Par[i][5], el[0] * 149.597870691, 0.02);     // million km
  }
}

}  // namespace
}  // namespace orvant::test
