// The DE405 reader against JPL's own test points, and its block, record and failure handling.
//
// Real data: JPL's blocks ascp1980/2000/2020.405 and testpo.405 from ../shared/de405 (skipped when
// absent). Synthetic blocks written here exercise what those three blocks cannot: the first block of
// the ephemeris (1600), the crossing 1660 -> 1680, and every sub-interval of every body against an
// independent, trigonometric evaluation of the Chebyshev series.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ephemeris/jpl.h"
#include "jpl_testpo.h"
#include "model/state.h"

namespace orvant {
namespace {

using namespace jpltest;

constexpr double kMetrePerAu = kAuM;
constexpr double kOneMetre = 1.0;   // position tolerance against testpo, m
constexpr double kOneMm = 1e-3;     // velocity tolerance against testpo, m/s

class JplRealTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"ascp1980.405", "ascp2000.405", "ascp2020.405", "testpo.405"})
      if (!fs::exists(shareDir() / f))
        GTEST_SKIP() << "JPL DE405 data absent: " << (shareDir() / f).string();
    for (const char* f : {"ascp1980.405", "ascp2000.405", "ascp2020.405"})
      fs::create_symlink(shareDir() / f, dir_.jpl() / f);
    s_.workDir = dir_.path().string();
  }
  void TearDown() override { JPLclose(s_); }

  // Checks one test point at the reader's current record and records the difference.
  void checkPoint(const TestPoint& p, MaxDiff& maxDiff) {
    const double d = testpoDifference(s_, p);
    maxDiff.add(p, d);
    if (p.x <= 3)
      EXPECT_LE(std::fabs(d) * kMetrePerAu, kOneMetre)
          << "JD " << p.jd << " t " << p.t << " c " << p.c << " x " << p.x;
    else
      EXPECT_LE(std::fabs(d) * kMetrePerAu / 86400, kOneMm)
          << "JD " << p.jd << " t " << p.t << " c " << p.c << " x " << p.x;
  }

  static void printMax(const char* what, const MaxDiff& m) {
    std::printf("%s: %d points, max |dr| = %.3g m (%.3g AU), max |dv| = %.3g m/s (%.3g AU/day)\n",
                what, m.count, m.position * kMetrePerAu, m.position,
                m.velocity * kMetrePerAu / 86400, m.velocity);
  }

  TempWorkDir dir_{"jpl"};
  State s_;
};

// Every test point of the blocks 1980 and 2000 (the dates JPLopen serves from the installed files),
// each found by opening the block afresh.
TEST_F(JplRealTest, TestPointsThroughOpen) {
  std::vector<TestPoint> points = readTestpo(shareDir() / "testpo.405");
  MaxDiff maxDiff;
  double openJD = 0;
  for (const TestPoint& p : points) {
    if (!servedBodies(p) || p.jd < 2444208.5 || p.jd >= kJplEndJD) continue;
    if (p.jd != openJD) {
      s_.JD = p.jd;
      ASSERT_EQ(JPLopen(s_), JplStatus::Ok) << "JD " << p.jd;
      openJD = p.jd;
    }
    checkPoint(p, maxDiff);
  }
  EXPECT_GT(maxDiff.count, 400);
  printMax("testpo via JPLopen", maxDiff);
}

// The same points and those of block 2020, reached by stepping forward with JPLnext from the first
// date, across the block boundaries 1980 -> 2000 -> 2020 (each with its repeated head record).
TEST_F(JplRealTest, TestPointsThroughNextAcrossBlocks) {
  std::vector<TestPoint> points = readTestpo(shareDir() / "testpo.405");
  std::stable_sort(points.begin(), points.end(),
                   [](const TestPoint& a, const TestPoint& b) { return a.jd < b.jd; });
  MaxDiff maxDiff;
  std::set<int> years;
  bool open = false;
  for (const TestPoint& p : points) {
    if (!servedBodies(p) || p.jd < 2444208.5 || p.jd >= 2466128.5) continue;
    if (!open) {
      s_.JD = p.jd;
      ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
      open = true;
    }
    while (s_.JDjpl < p.jd) {  // steps of at most 8 days, as a run would make
      s_.JDjpl = std::min(p.jd, s_.JDjpl + 8);
      ASSERT_EQ(JPLnext(s_), JplStatus::Ok) << "JD " << s_.JDjpl;
    }
    years.insert(s_.JPLyear);
    checkPoint(p, maxDiff);
  }
  EXPECT_EQ(years, (std::set<int>{1980, 2000, 2020}));
  EXPECT_GT(maxDiff.count, 600);
  printMax("testpo via JPLnext", maxDiff);
}

TEST_F(JplRealTest, J2000SelectsSecondRecordOfBlock2000) {
  s_.JD = 2451545.0;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JDjpl, 2451545.0);
  EXPECT_EQ(s_.JPLyear, 2000);
  EXPECT_EQ(s_.JPLlast, 229);
  EXPECT_EQ(s_.JPLisOpen, 10);
  EXPECT_EQ(s_.JPLnr, 2);  // record 1 repeats the last record of block 1980
  EXPECT_EQ(s_.JDrec0, 2451536.5);
  EXPECT_EQ(s_.JDrec1, 2451568.5);
  EXPECT_EQ(s_.jpl.coef[1], 2451536.5);
  EXPECT_EQ(s_.jpl.coef[2], 2451568.5);
}

TEST_F(JplRealTest, RecordAndBlockBoundaries) {
  // A date exactly at a record boundary falls in the later record.
  s_.JD = 2451568.5;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JDrec0, 2451568.5);
  EXPECT_EQ(s_.JPLnr, 3);

  // The first date of block 2000 opens it (not block 1980, whose last record ends there).
  s_.JD = 2451536.5;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JPLyear, 2000);
  EXPECT_EQ(s_.JPLnr, 2);

  // Just before it: the last record 230 of block 1980.
  s_.JD = 2451536.4;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JPLyear, 1980);
  EXPECT_EQ(s_.JPLlast, 230);
  EXPECT_EQ(s_.JPLnr, 230);
  EXPECT_EQ(s_.JDrec0, 2451504.5);

  // Inside the record JPLnext does nothing.
  s_.JDjpl = 2451536.0;
  ASSERT_EQ(JPLnext(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JPLnr, 230);

  // Leaving it crosses into block 2000, skipping its repeated head record.
  s_.JDjpl = 2451540.0;
  ASSERT_EQ(JPLnext(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JPLyear, 2000);
  EXPECT_EQ(s_.JPLlast, 229);
  EXPECT_EQ(s_.JPLnr, 2);
  EXPECT_EQ(s_.JDrec0, 2451536.5);
  ASSERT_TRUE(JPLstate(s_, 5));
  const std::array<double, 6> stepped = {s_.X[5], s_.Y[5], s_.Z[5], s_.VX[5], s_.VY[5], s_.VZ[5]};

  State fresh;
  fresh.workDir = s_.workDir;
  fresh.JD = 2451540.0;
  ASSERT_EQ(JPLopen(fresh), JplStatus::Ok);
  ASSERT_TRUE(JPLstate(fresh, 5));
  EXPECT_EQ(stepped, (std::array<double, 6>{fresh.X[5], fresh.Y[5], fresh.Z[5], fresh.VX[5],
                                            fresh.VY[5], fresh.VZ[5]}));
  JPLclose(fresh);
}

TEST_F(JplRealTest, DatesOutsideAllBlocksGiveTheMessage) {
  for (double jd : {2305424.4, kJplEndJD, 2460000.0, 1e7, -1.0, std::nan("")}) {
    State s;
    s.workDir = s_.workDir;
    s.JD = jd;
    EXPECT_EQ(JPLopen(s), JplStatus::NoDate) << jd;
    EXPECT_EQ(s.lastMessage, "В файлах DE405 нет такой даты") << jd;
    EXPECT_EQ(s.lastTitle, "Orvant7");
    EXPECT_EQ(s.kStop, 1);
    EXPECT_EQ(s.JPLisOpen, 0);
    EXPECT_EQ(s.JPLnr, 0);
  }
}

// Block 2000 -> 2020 by JPLnext, then to the end of block 2020: block 2040 is not installed, which
// JPLnext leaves to its caller (no message); the new block's last record would be 230.
TEST_F(JplRealTest, MissingNextBlockIsLeftToTheCaller) {
  s_.JD = 2458830.0;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  EXPECT_EQ(s_.JPLnr, 229);
  while (s_.JDjpl < 2466128.0) {
    s_.JDjpl = std::min(s_.JDjpl + 16, 2466128.0);
    ASSERT_EQ(JPLnext(s_), JplStatus::Ok) << s_.JDjpl;
  }
  EXPECT_EQ(s_.JPLyear, 2020);
  EXPECT_EQ(s_.JPLnr, 229);
  EXPECT_EQ(s_.JDrec1, 2466128.5);
  s_.JDjpl = 2466130.0;
  EXPECT_EQ(JPLnext(s_), JplStatus::NoFile);
  EXPECT_EQ(s_.JPLyear, 2040);
  EXPECT_EQ(s_.JPLlast, 230);
  EXPECT_EQ(s_.JPLisOpen, 0);
  EXPECT_TRUE(s_.lastMessage.empty());
  EXPECT_FALSE(JPLstate(s_, 3));  // the old record does not cover the date
}

TEST_F(JplRealTest, StateFailuresReportAndStop) {
  s_.JD = 2451545.0;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  const auto expectFailure = [this](double jd, int k) {
    s_.kStop = 0;
    s_.lastMessage.clear();
    s_.JDjpl = jd;
    s_.X[5] = 123;
    EXPECT_FALSE(JPLstate(s_, k)) << jd << " " << k;
    EXPECT_EQ(s_.lastMessage, "Ошибка чтения файлов JPL");
    EXPECT_EQ(s_.lastTitle, "Orvant7");
    EXPECT_EQ(s_.kStop, 1);
    EXPECT_EQ(s_.X[5], 123);
  };
  expectFailure(2451568.5, 5);   // the record's end: needs JPLnext first
  expectFailure(2451570.0, 5);
  expectFailure(2451536.0, 5);   // before the record (no extrapolation of sub-interval 1)
  expectFailure(2451545.0, 12);  // not an object of the ephemeris
  expectFailure(2451545.0, -1);

  State none;  // nothing read yet
  none.JDjpl = 0;
  EXPECT_FALSE(JPLstate(none, 3));
  EXPECT_EQ(none.lastMessage, "Ошибка чтения файлов JPL");
  EXPECT_EQ(none.kStop, 1);
}

TEST(JplFiles, MissingBlockFileIsLeftToTheCaller) {
  TempWorkDir dir("jpl_empty");
  State s;
  s.workDir = dir.path().string();
  s.JD = 2451545.0;
  EXPECT_EQ(JPLopen(s), JplStatus::NoFile);
  EXPECT_EQ(s.JPLyear, 2000);
  EXPECT_EQ(s.JPLisOpen, 0);
  EXPECT_EQ(s.kStop, 0);
  EXPECT_TRUE(s.lastMessage.empty());
}

TEST_F(JplRealTest, TruncatedBlockIsAReadError) {
  TempWorkDir dir("jpl_cut");
  {
    std::ifstream in(shareDir() / "ascp2000.405");
    std::ofstream out(dir.jpl() / "ascp2000.405");
    std::string line;
    for (int i = 0; i < 3 * 341 + 100 && std::getline(in, line); ++i) out << line << '\n';
  }
  State s;
  s.workDir = dir.path().string();
  s.JD = 2458000.0;
  EXPECT_EQ(JPLopen(s), JplStatus::ReadError);
  EXPECT_EQ(s.JPLnr, 0);
  EXPECT_FALSE(JPLstate(s, 3));
  JPLclose(s);
}

// ---- synthetic blocks ----

// JPL's pointer table of DE405 (header.405, group 1050): first number, coefficients per
// component, sub-intervals per record, for DE405 bodies 1..11.
constexpr int kPtrFirst[12] = {0, 3, 171, 231, 309, 342, 366, 387, 405, 423, 441, 753};
constexpr int kPtrNcf[12] = {0, 14, 10, 13, 11, 8, 7, 6, 6, 6, 13, 11};
constexpr int kPtrSub[12] = {0, 4, 2, 2, 1, 1, 1, 1, 1, 1, 8, 2};

using Record = std::array<double, 1021>;  // numbers 1..1020

Record makeRecord(double jd0, double seed) {
  Record r{};
  r[1] = jd0;
  r[2] = jd0 + 32;
  for (int p = 3; p <= 1018; ++p) r[p] = 1000 * std::sin(0.7 * p + seed);
  return r;
}

// Writes records in JPL's layout; the numbers with 17 significant digits and the letter D, so
// that they read back exactly.
void writeBlock(const fs::path& path, const std::vector<std::pair<int, Record>>& records) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  for (const auto& [number, r] : records) {
    std::fprintf(f, "%6d%6d\n", number, 1018);
    for (int p = 1; p <= 1020; ++p) {
      char num[40];
      std::snprintf(num, sizeof num, "%.16E", r[p]);
      for (char* c = num; *c; ++c)
        if (*c == 'E') *c = 'D';
      std::fprintf(f, "%26s%s", num, p % 3 == 0 ? "\n" : "");
    }
  }
  std::fclose(f);
}

// The state of object k from a record, evaluated with T_n(cos t) = cos(n t) and
// dT_n/dx = n sin(n t)/sin t, rotated by kEps; metres and m/s.
std::array<double, 6> expectedState(const Record& r, double jd, int k) {
  const int b = k == 0 ? 11 : (k == 11 ? 10 : k);
  const int n = kPtrNcf[b], sub = kPtrSub[b];
  const double len = 32.0 / sub;
  const int i = static_cast<int>((jd - r[1]) / len);  // 0-based sub-interval
  const double x = 2 * (jd - (r[1] + i * len)) / len - 1;
  const double t = std::acos(x);
  double P[3] = {0, 0, 0}, V[3] = {0, 0, 0};
  for (int c = 0; c < 3; ++c)
    for (int deg = 0; deg < n; ++deg) {
      const double a = r[kPtrFirst[b] + (i * 3 + c) * n + deg];
      P[c] += a * std::cos(deg * t);
      // At x = -1 (a sub-interval's start) the quotient is 0/0; its limit is (-1)^(n+1) n^2.
      V[c] += a * (x == -1 ? (deg % 2 ? 1.0 : -1.0) * deg * deg
                           : deg * std::sin(deg * t) / std::sin(t));
    }
  const double ce = std::cos(kEps), se = std::sin(kEps), f = 2 / len / 86400 * 1000;
  return {1000 * P[0], 1000 * (ce * P[1] + se * P[2]), 1000 * (ce * P[2] - se * P[1]),
          f * V[0], f * (ce * V[1] + se * V[2]), f * (ce * V[2] - se * V[1])};
}

// Block 1600 begins the ephemeris: JD 2305424.5 opens it at its first record. Every body is then
// checked in every sub-interval, the Moon's eighth (31.9 days into the record) included.
TEST(JplSynthetic, EverySubIntervalOfEveryBody) {
  TempWorkDir dir("jpl_syn");
  const Record r1 = makeRecord(2305424.5, 0.3), r2 = makeRecord(2305456.5, 1.1);
  writeBlock(dir.jpl() / "ascp1600.405", {{1, r1}, {2, r2}});
  State s;
  s.workDir = dir.path().string();
  s.JD = 2305424.5;
  ASSERT_EQ(JPLopen(s), JplStatus::Ok);
  EXPECT_EQ(s.JPLyear, 1600);
  EXPECT_EQ(s.JPLlast, 229);
  EXPECT_EQ(s.JPLnr, 1);
  EXPECT_EQ(s.JDrec0, 2305424.5);
  for (double offset : {0.0, 1.3, 3.99, 4.0, 7.5, 8.0, 12.1, 16.0, 20.7, 24.0, 27.2, 28.0, 31.9}) {
    s.JDjpl = 2305424.5 + offset;
    for (int k = 0; k <= 11; ++k) {
      ASSERT_TRUE(JPLstate(s, k));
      const std::array<double, 6> e = expectedState(r1, s.JDjpl, k);
      const std::array<double, 6> got = {s.X[k], s.Y[k], s.Z[k], s.VX[k], s.VY[k], s.VZ[k]};
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], e[c], 1e-6) << offset << " k " << k;
      for (int c = 3; c < 6; ++c) EXPECT_NEAR(got[c], e[c], 1e-7) << offset << " k " << k;
    }
  }
  s.JDjpl = 2305424.5 + 31.9;
  ASSERT_TRUE(JPLstate(s, 11));
  EXPECT_EQ(s.jpl.t0[8], 2305424.5 + 28);
  EXPECT_EQ(s.jpl.cheb[8][1][1], r1[441 + 7 * 3 * 13]);
  JPLclose(s);
}

// Crossing from block 1660 (last record 229) into 1680 (last record 230) by JPLnext skips the
// repeated head record of 1680.
TEST(JplSynthetic, CrossingFrom1660To1680) {
  TempWorkDir dir("jpl_syn");
  const Record r228 = makeRecord(2334576.5, 0.5), r229 = makeRecord(2334608.5, 0.9);
  const Record r2 = makeRecord(2334640.5, 1.7), r3 = makeRecord(2334672.5, 2.2);
  writeBlock(dir.jpl() / "ascp1660.405", {{228, r228}, {229, r229}});
  writeBlock(dir.jpl() / "ascp1680.405", {{1, r229}, {2, r2}, {3, r3}});
  State s;
  s.workDir = dir.path().string();
  s.JD = 2334600.0;
  ASSERT_EQ(JPLopen(s), JplStatus::Ok);
  EXPECT_EQ(s.JPLyear, 1660);
  EXPECT_EQ(s.JPLlast, 229);
  EXPECT_EQ(s.JPLnr, 228);
  s.JDjpl = 2334620.0;
  ASSERT_EQ(JPLnext(s), JplStatus::Ok);
  EXPECT_EQ(s.JPLnr, 229);
  s.JDjpl = 2334645.0;
  ASSERT_EQ(JPLnext(s), JplStatus::Ok);
  EXPECT_EQ(s.JPLyear, 1680);
  EXPECT_EQ(s.JPLlast, 230);
  EXPECT_EQ(s.JPLisOpen, 10);
  EXPECT_EQ(s.JPLnr, 2);
  EXPECT_EQ(s.JDrec0, 2334640.5);
  ASSERT_TRUE(JPLstate(s, 5));
  const std::array<double, 6> e = expectedState(r2, 2334645.0, 5);
  EXPECT_NEAR(s.X[5], e[0], 1e-6);
  EXPECT_NEAR(s.VZ[5], e[5], 1e-7);
  JPLclose(s);
}

// ---- orvant-cli jpl ----

struct CliRun {
  int status = -1;
  std::string output;
};

CliRun runCli(const std::string& args) {
  CliRun run;
  const std::string cmd = std::string(ORVANT_CLI) + " " + args + " 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (!p) return run;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) run.output += buf;
  const int st = pclose(p);
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return run;
}

TEST_F(JplRealTest, CliPrintsTheStateAndRejectsBadInput) {
  if (!fs::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built: " << ORVANT_CLI;
  const std::string dirArg = "--dir " + s_.workDir;
  const CliRun ok = runCli(dirArg + " jpl 2451545.25 11");
  ASSERT_EQ(ok.status, 0) << ok.output;
  s_.JD = 2451545.25;
  ASSERT_EQ(JPLopen(s_), JplStatus::Ok);
  ASSERT_TRUE(JPLstate(s_, 11));
  std::map<std::string, double> got;
  char name[8];
  double value = 0;
  for (const char* line = ok.output.c_str(); *line;) {
    if (std::sscanf(line, "%7s = %lf", name, &value) == 2) got[name] = value;
    const char* nl = std::strchr(line, '\n');
    line = nl ? nl + 1 : line + std::strlen(line);
  }
  EXPECT_EQ(got, (std::map<std::string, double>{{"X", s_.X[11]}, {"Y", s_.Y[11]}, {"Z", s_.Z[11]},
                                                {"VX", s_.VX[11]}, {"VY", s_.VY[11]},
                                                {"VZ", s_.VZ[11]}}));

  const CliRun outside = runCli(dirArg + " jpl 2458832.5 3");
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.output.find("В файлах DE405 нет такой даты"), std::string::npos);
  const CliRun missing = runCli(dirArg + " jpl 2440000 3");  // block 1960 not installed
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.output.find("Не могу найти файл"), std::string::npos);
  for (const char* bad : {"jpl", "jpl 2451545", "jpl abc 3", "jpl 2451545 12", "jpl 2451545 1.5",
                          "jpl 2451545 3 4"}) {
    const CliRun r = runCli(dirArg + " " + bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.output.find("Задайте правильно данные"), std::string::npos) << bad;
  }
}

}  // namespace
}  // namespace orvant
