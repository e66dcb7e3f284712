// tools/de405/make_ascii.py: the DE405 blocks written from Debian's casacore table must be JPL's
// blocks. Runs the tool into a temporary work directory, compares every number with the blocks JPL
// distributes (within their 16 digits) and evaluates JPL's test points through the reader.
// Skipped when python3-casacore, the casacore DE405 table or the reference data are absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ephemeris/jpl.h"
#include "jpl_testpo.h"
#include "model/state.h"

namespace orvant {
namespace {

using namespace jpltest;

const char* const kCasacoreTable = "/usr/share/casacore/data/ephemerides/DE405";

// A Python that has casacore: Debian's python3-casacore serves the system interpreter.
std::string casacorePython() {
  for (const char* py : {"/usr/bin/python3", "python3"}) {
    const std::string cmd =
        std::string(py) + " -c 'import casacore.tables' > /dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return py;
  }
  return "";
}

// The numbers of one line of a block (exponent letter D).
std::vector<double> numbersOf(std::string line) {
  for (char& c : line)
    if (c == 'D') c = 'E';
  std::vector<double> v;
  const char* p = line.c_str();
  char* end = nullptr;
  for (double x = std::strtod(p, &end); end != p; x = std::strtod(p, &end)) {
    v.push_back(x);
    p = end;
  }
  return v;
}

TEST(JplTool, BlocksFromCasacoreAreJplBlocks) {
  for (const char* f : {"ascp1980.405", "ascp2000.405", "ascp2020.405", "testpo.405"})
    if (!fs::exists(shareDir() / f))
      GTEST_SKIP() << "JPL DE405 data absent: " << (shareDir() / f).string();
  if (!fs::exists(fs::path(kCasacoreTable) / "table.dat"))
    GTEST_SKIP() << "casacore DE405 table absent (Debian package casacore-data-jpl-de405)";
  const std::string python = casacorePython();
  if (python.empty()) GTEST_SKIP() << "python3-casacore absent (scripts/install-deps.sh --de405)";

  TempWorkDir dir("jpl_tool");
  const fs::path tool = fs::path(ORVANT_SOURCE_DIR) / "tools" / "de405" / "make_ascii.py";
  // Block 2040 too: JPL's files here stop at 2020, but its test points go on to 2201.
  const std::string cmd = python + " " + tool.string() + " --years 1980,2000,2020,2040 " +
                          dir.path().string() + " > " +
                          (dir.path() / "tool.log").string() + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << "make_ascii.py failed, see " << cmd;
  EXPECT_FALSE(fs::exists(dir.jpl() / "ascp2000.405.part"));

  for (const char* f : {"ascp1980.405", "ascp2000.405", "ascp2020.405"}) {
    std::ifstream made(dir.jpl() / f), jpl(shareDir() / f);
    ASSERT_TRUE(made.good()) << f;
    std::string a, b;
    long lines = 0, sameLines = 0;
    double worst = 0;  // largest relative difference of a number
    while (std::getline(jpl, b)) {
      ASSERT_TRUE(std::getline(made, a)) << f << " ends early at line " << lines + 1;
      ++lines;
      if (a == b) {
        ++sameLines;
        continue;
      }
      const std::vector<double> va = numbersOf(a), vb = numbersOf(b);
      ASSERT_EQ(va.size(), vb.size()) << f << " line " << lines;
      ASSERT_EQ(va.size(), 3u) << f << " line " << lines << ": header lines differ";
      for (std::size_t i = 0; i < va.size(); ++i) {
        const double rel = std::fabs(va[i] - vb[i]) / std::max(std::fabs(vb[i]), 1e-300);
        worst = std::max(worst, rel);
        // 16 digits after "0.": one unit of the last digit is at most 1e-15 of the value.
        EXPECT_LE(std::fabs(va[i] - vb[i]), 1e-15 * std::fabs(vb[i])) << f << " line " << lines;
      }
    }
    EXPECT_FALSE(std::getline(made, a)) << f << " is longer than JPL's";
    std::printf("%s: %ld lines, %ld identical, worst relative difference %.3g\n", f, lines,
                sameLines, worst);
  }

  // JPL's test points through the reader, stepping across the generated blocks 1980 .. 2040.
  std::vector<TestPoint> points = readTestpo(shareDir() / "testpo.405");
  std::stable_sort(points.begin(), points.end(),
                   [](const TestPoint& p, const TestPoint& q) { return p.jd < q.jd; });
  State s;
  s.workDir = dir.path().string();
  MaxDiff maxDiff;
  bool open = false;
  for (const TestPoint& p : points) {
    if (!servedBodies(p) || p.jd < 2444208.5 || p.jd >= 2473456.5) continue;
    if (!open) {
      s.JD = p.jd;
      ASSERT_EQ(JPLopen(s), JplStatus::Ok);
      open = true;
    }
    while (s.JDjpl < p.jd) {
      s.JDjpl = std::min(p.jd, s.JDjpl + 8);
      ASSERT_EQ(JPLnext(s), JplStatus::Ok) << s.JDjpl;
    }
    const double d = testpoDifference(s, p);
    maxDiff.add(p, d);
    EXPECT_LE(std::fabs(d), 1e-13) << "JD " << p.jd << " t " << p.t << " c " << p.c << " x " << p.x;
  }
  EXPECT_EQ(s.JPLyear, 2040);
  EXPECT_EQ(s.JPLlast, 230);
  JPLclose(s);
  EXPECT_GT(maxDiff.count, 800);
  std::printf("testpo on the generated blocks: %d points, max %.3g AU, %.3g AU/day\n",
              maxDiff.count, maxDiff.position, maxDiff.velocity);
}

}  // namespace
}  // namespace orvant
