// orvant-cli theory / moonpos: the printed values and the refusal of bad arguments.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace {

struct CliRun {
  int status = -1;
  std::string out, err;
  std::map<std::string, double> values;  // "NAME = value" lines
};

CliRun runCli(const std::string& args) {
  CliRun r;
  static int counter = 0;
  const auto errFile = std::filesystem::temp_directory_path() /
                       ("orvant_theory_cli_" + std::to_string(::getpid()) + "_" +
                        std::to_string(++counter) + ".txt");
  const std::string cmd =
      std::string("'") + ORVANT_CLI + "' " + args + " 2>'" + errFile.string() + "'";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) r.out += buf;
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  if (FILE* e = std::fopen(errFile.c_str(), "r")) {
    while (std::fgets(buf, sizeof buf, e)) r.err += buf;
    std::fclose(e);
  }
  std::filesystem::remove(errFile);
  std::istringstream in(r.out);
  std::string name, eq, value;
  while (in >> name >> eq >> value)
    if (eq == "=") r.values[name] = std::strtod(value.c_str(), nullptr);
  return r;
}

constexpr double kUgol = 180 / 3.14159265359;

class CliTheory : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built: " << ORVANT_CLI;
  }
};

TEST_F(CliTheory, PrintsTheSevenParametersWith17Digits) {
  CliRun r = runCli("theory New0 2415020 3");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"AlfaL", "AlfaP0", "AlfaU0", "Betta0", "Eks0", "W0sr", "R0sr"})
    EXPECT_EQ(r.values.count(name), 1u) << name;
  EXPECT_NEAR(r.values["AlfaL"] * kUgol, 99 + 41 / 60.0 + 48.04 / 3600, 1e-12);
  EXPECT_NE(r.out.find("Eks0 = 0.01675103999999999"), std::string::npos) << r.out;

  CliRun k = runCli("theory Kin0 2451545,0 3");  // decimal comma accepted
  ASSERT_EQ(k.status, 0) << k.err;
  EXPECT_EQ(k.values["R0sr"], 149618177000.0);
  CliRun kp = runCli("theory Kin0p 2451545 3");
  EXPECT_NEAR(kp.values["AlfaL"] * kUgol, 100.46501957, 1e-11);
}

TEST_F(CliTheory, MoonCarriedToJ2000OnRequest) {
  CliRun date = runCli("theory J2000 2488070 11");
  CliRun j2000 = runCli("theory J2000 2488070 11 --to-j2000");
  ASSERT_EQ(date.status, 0);
  ASSERT_EQ(j2000.status, 0);
  // One century after J2000 the longitudes fall by the precession, 5030.2077".
  EXPECT_NEAR((j2000.values["AlfaL"] - date.values["AlfaL"]) * kUgol * 3600, -5030.2077, 1e-4);
  EXPECT_NEAR((j2000.values["AlfaU0"] - date.values["AlfaU0"]) * kUgol * 3600, -5030.2077, 1e-4);
  EXPECT_EQ(j2000.values["R0sr"], 384402000.0);
}

TEST_F(CliTheory, MoonPosPrintsLongitudeLatitudeDistance) {
  char T[64];
  std::snprintf(T, sizeof T, "%.17g", (1 - 0.374897) / 1325.55241);  // perigee
  CliRun r = runCli(std::string("moonpos ") + T);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NEAR(r.values.at("R11"), 384402000 * (1 - 0.0549), 1.0);
  EXPECT_EQ(r.values.count("Lk11"), 1u);
  EXPECT_EQ(r.values.count("Bk11"), 1u);
}

TEST_F(CliTheory, BadArgumentsAreRefusedWithAMessage) {
  for (const char* args :
       {"theory", "theory New0 2451545", "theory New0 2451545 3 4", "theory Foo 2451545 3",
        "theory new0 2451545 3", "theory New0 abc 3", "theory New0 2451545 x",
        "theory New0 2451545 3.5", "theory New0 2451545 10", "theory J2000 2451545 0",
        "theory Kin0 2451545 12", "theory Kin0 2451545 -1", "theory Kin0 2451545 11 --to-j2000",
        "theory J2000 2451545 3 --to-j2000", "theory J2000 2451545 11 --bogus", "moonpos",
        "moonpos 1 2", "moonpos T", "moonpos nan"}) {
    CliRun r = runCli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.out.empty()) << args << ": " << r.out;  // nothing half-printed
    EXPECT_FALSE(r.err.empty()) << args;
  }
  CliRun r = runCli("theory New0 2451545 10");
  EXPECT_NE(r.err.find("не рассчитывает объект 10"), std::string::npos) << r.err;
}

}  // namespace
