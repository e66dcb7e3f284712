// The orvant-cli coordinate queries: output lines, values and the refusal of bad arguments.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace {

struct CliRun {
  int status = -1;
  std::map<std::string, double> values;  // "NAME = value" lines
  std::string out;
};

CliRun runCli(const std::string& args) {
  CliRun r;
  const std::string cmd = std::string("'") + ORVANT_CLI + "' " + args + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) r.out += buf;
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::istringstream in(r.out);
  std::string name, eq, value;
  while (in >> name >> eq >> value)
    if (eq == "=") r.values[name] = std::strtod(value.c_str(), nullptr);
  return r;
}

class CliCoordinates : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(ORVANT_CLI))
      GTEST_SKIP() << "orvant-cli not built: " << ORVANT_CLI;
  }
};

TEST_F(CliCoordinates, QueriesPrintNamedValuesWith17Digits) {
  CliRun g = runCli("gmst 51544.5");
  ASSERT_EQ(g.status, 0);
  EXPECT_NEAR(g.values.at("GMST"), 18.6973745574, 1e-10);
  EXPECT_NE(g.out.find("GMST = 18.69737455"), std::string::npos);

  CliRun r = runCli("refraction 86,25");  // decimal comma accepted
  ASSERT_EQ(r.status, 0);
  EXPECT_NEAR(r.values.at("Refraction"), (755.74 + 0.5 * 76.93) / 3600, 1e-15);

  // Ten centuries of general precession turn the equinox point by 5029" per century about the
  // ecliptic pole: 50290" = 13.97 deg, within the size of the t^2 term (1.1" t^2 = 110").
  CliRun e = runCli("precess ecl 0 10 1 0 0");
  ASSERT_EQ(e.status, 0);
  const double lon = std::atan2(e.values.at("Y"), e.values.at("X")) * 180 / M_PI * 3600;
  EXPECT_NEAR(lon, 50290.966 + 111.1, 1.0);

  CliRun n = runCli("nutation 0.1 1 0 0 7");  // a mode other than 0 and 1 changes nothing
  ASSERT_EQ(n.status, 0);
  EXPECT_EQ(n.values.at("X"), 1.0);
  EXPECT_EQ(n.values.at("Y"), 0.0);

  CliRun s = runCli("sph -3 4 12");
  ASSERT_EQ(s.status, 0);
  EXPECT_NEAR(s.values.at("Dolg"), 180 - std::atan2(4.0, 3.0) * 180 / M_PI, 1e-10);
  EXPECT_NEAR(s.values.at("Shir"), std::atan2(12.0, 5.0) * 180 / M_PI, 1e-10);
  EXPECT_EQ(s.values.at("Rast"), 13.0);
}

TEST_F(CliCoordinates, BadArgumentsExitWithStatus2) {
  for (const char* args : {"gmst", "gmst abc", "gmst 1 2", "refraction nan",
                           "precess xyz 0 1 1 0 0", "precess equ 0 1 1 0", "nutation 0 1 0 0 0.5",
                           "nutation 0 1 0 0 40000", "sph 1 2", "sph 0 0 0", "sph 1 2 1e999"}) {
    const CliRun r = runCli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.values.empty()) << args;
  }
}

}  // namespace
