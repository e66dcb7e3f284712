// A headless session of screen 1 through the script runner, as `orvant-cli script` runs it: every
// source at 2000 January 1.5, the initial state computed, saved to file 7 and loaded back; the
// DE405 source against `orvant-cli jpl`.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "initial/screen_bench.h"
#include "ui/script.h"

namespace orvant {
namespace {

using test::ScreenBench;

const char* const kArrays[] = {"AlfaL", "R0sr", "W0sr", "Eks0", "Betta0", "AlfaP0", "AlfaU0",
                               "X",     "Y",    "Z",    "VX",   "VY",     "VZ",     "X0",
                               "Y0",    "Z0",   "VX0",  "VY0",  "VZ0",    "km",     "m"};
const char* const kScalars[] = {"gamma", "Lae", "JD0", "JDep", "DayD", "MonthD", "YearD"};

// A dump of the state after a marker line that the output shows as "source = ...".
std::string dump() {
  std::string s = "show 1 source\n";
  for (const char* a : kArrays)
    for (int i = 0; i <= 10; ++i) s += std::string("state ") + a + "[" + std::to_string(i) + "]\n";
  for (const char* n : kScalars) s += std::string("state ") + n + "\n";
  return s;
}

using Values = std::map<std::string, double>;

// The dumps of the output, in order; other lines go to `rest`.
std::vector<Values> dumps(const std::string& out, std::vector<std::string>& rest) {
  std::vector<Values> all;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("source = ", 0) == 0) {
      all.emplace_back();
      continue;
    }
    const auto eq = line.find(" = ");
    if (eq == std::string::npos || all.empty() || line.rfind("MESSAGE", 0) == 0) {
      rest.push_back(line);
      continue;
    }
    all.back()[line.substr(0, eq)] = std::strtod(line.c_str() + eq + 3, nullptr);
  }
  return all;
}

std::string run(ScreenBench& b, const std::string& script) {
  std::ostringstream out, err;
  std::istringstream in(script);
  ui::ScriptRunner runner(b.wb, b.desk, out);
  EXPECT_EQ(runner.run(in, err), 0) << err.str();
  return out.str();
}

// The state before saving and after loading agree to the steps of the file's scales.
void expectFileScales(const Values& before, const Values& after, const std::string& source) {
  SCOPED_TRACE(source);
  const double kUgol = 180 / 3.14159265359, MK = 1e6, sekG = 31557600;
  const double angle = 1e-6 / kUgol + 1e-14;
  const std::map<std::string, double> steps = {
      {"AlfaL", angle},      {"Betta0", angle},     {"AlfaP0", angle},   {"AlfaU0", angle},
      {"R0sr", 500.001},     {"W0sr", 1.0000001 / MK / sekG},           {"Eks0", 1e-6},
      {"X", 1000},           {"Y", 500.001},        {"Z", 1000},         {"VX", 1e-6},
      {"VY", 1e-6},          {"VZ", 1e-6},          {"km", 1e-3}};
  for (const auto& [name, step] : steps)
    for (int i = 0; i <= 10; ++i) {
      const std::string key = name + "[" + std::to_string(i) + "]";
      EXPECT_NEAR(after.at(key), before.at(key), step) << key;
    }
  for (int i = 0; i <= 10; ++i) {
    std::string k = std::to_string(i);
    k.insert(k.begin(), '[');
    k.push_back(']');
    // The file carries the current state; loaded, it is also the initial state.
    for (const char* a : {"X", "Y", "Z", "VX", "VY", "VZ"})
      EXPECT_EQ(after.at(std::string(a) + "0" + k), after.at(a + k)) << a << k;
    EXPECT_NEAR(after.at("m" + k), after.at("m[0]") / after.at("km" + k), 1e-15 * after.at("m" + k));
  }
  EXPECT_NEAR(after.at("m[0]"), before.at("m[0]"), 1e25);
  EXPECT_NEAR(after.at("gamma"), before.at("gamma"), 1e-16);
  EXPECT_EQ(after.at("Lae"), std::trunc(before.at("Lae")));
  for (const char* n : {"JD0", "JDep", "DayD", "MonthD", "YearD"}) EXPECT_EQ(after.at(n), before.at(n)) << n;
}

std::string shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

TEST(InitialDataScript, EverySourceSavedAndLoadedBack) {
  ScreenBench b;
  const bool jpl = b.linkDe405(2000);
  if (!jpl) std::cout << "DE405 block ascp2000.405 absent: the JPL2 source is left out\n";
  std::vector<std::string> sources = {"New0 (JD)", "JPL0 (J2000)", "Kin0 (J2000)"};
  if (jpl) sources.push_back("параметры и данные JPL2 (J2000)");
  sources.push_back("параметры и данные из файла");
  sources.push_back("параметры или данные с экрана");

  std::string script = "open 1\nset 1 fileN 7\n";
  for (const std::string& source : sources) {
    script += "set 1 Year1 2000\nset 1 Month1 1\nset 1 Day1 1,5\npress 1 G->J\n";
    script += "choose 1 \"" + source + "\"\n";
    script += "press 1 \"Загрузить на заданную дату \"\n";
    script += "press 1 \"Рассчитать по параметрам орбит начальные данные\"\n";
    script += dump();
    script += "press 1 \"Сохранить параметры и данные в файле №\"\n";
    // Other data in between, so that only the file can bring the saved state back.
    script += "set 1 Year1 1950\nchoose 1 \"New0 (JD)\"\npress 1 \"Загрузить на заданную дату \"\n"
              "press 1 \"Рассчитать по параметрам орбит начальные данные\"\n";
    script += "choose 1 \"параметры и данные из файла\"\npress 1 \"Загрузить на заданную дату \"\n";
    script += dump();
  }
  const std::string out = run(b, script);
  std::vector<std::string> rest;
  const std::vector<Values> all = dumps(out, rest);
  EXPECT_TRUE(rest.empty()) << "unexpected output: " << rest.front();
  ASSERT_EQ(all.size(), 2 * sources.size());
  for (std::size_t k = 0; k < sources.size(); ++k) expectFileScales(all[2 * k], all[2 * k + 1], sources[k]);
  // The sources did load different data: New0 and Kin0 put the Earth at different places.
  EXPECT_GT(std::fabs(all[0].at("X0[3]") - all[4].at("X0[3]")), 1e6);
}

// The DE405 source: the initial state of the Earth-Moon barycentre is what `orvant-cli jpl` gives
// at the same ephemeris time, the date's JD plus ET-UT of the 1939 formula (126.62 s at J2000).
TEST(InitialDataScript, De405SourceAgreesWithTheJplQuery) {
  if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli is not built at " << ORVANT_CLI;
  ScreenBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "JPL block ascp2000.405 not found under " << test::de405Dir();
  const std::string out = run(b,
                              "open 1\nset 1 Year1 2000\nset 1 Month1 1\nset 1 Day1 1,5\n"
                              "choose 1 \"параметры и данные JPL2 (J2000)\"\n"
                              "press 1 \"Загрузить на заданную дату \"\n"
                              "show 1 source\nstate JDE\nstate ETUT\nstate X0[3]\nstate Y0[3]\n"
                              "state Z0[3]\nstate VX0[3]\nstate VY0[3]\nstate VZ0[3]\n");
  std::vector<std::string> rest;
  const std::vector<Values> all = dumps(out, rest);
  ASSERT_EQ(all.size(), 1u) << out;
  EXPECT_TRUE(rest.empty()) << "unexpected output: " << rest.front();
  const Values& loaded = all[0];
  EXPECT_NEAR(loaded.at("ETUT"), 126.62, 1e-9);
  EXPECT_EQ(loaded.at("JDE"), 2451545.0 + loaded.at("ETUT") / 86400);
  char jd[64];
  std::snprintf(jd, sizeof jd, "%.17g", loaded.at("JDE"));
  std::string command = ORVANT_CLI;
  command += " --dir " + b.dir.string() + " jpl " + jd + " 3";
  const std::string cli = shell(command);
  std::istringstream lines(cli);
  std::string line;
  int seen = 0;
  while (std::getline(lines, line)) {
    const auto eq = line.find(" = ");
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq) + "0[3]";
    EXPECT_EQ(std::strtod(line.c_str() + eq + 3, nullptr), loaded.at(key)) << key;
    ++seen;
  }
  EXPECT_EQ(seen, 6) << cli;
}

}  // namespace
}  // namespace orvant
