// orvant-cli jd / date: the built program, run as a user would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/files.h"

namespace {

struct CliRun {
  int status = -1;
  std::string out, err;
};

CliRun runCli(const std::string& args) {
  const auto dir = std::filesystem::temp_directory_path();
  const std::string tag = std::to_string(::getpid());
  const auto out = dir / ("orvant_cal_out_" + tag), err = dir / ("orvant_cal_err_" + tag);
  const std::string cmd = std::string("'") + ORVANT_CLI + "' " + args + " >'" + out.string() +
                          "' 2>'" + err.string() + "'";
  CliRun r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = orvant::test::readAll(out);
  r.err = orvant::test::readAll(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return r;
}

class CliCalendar : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(ORVANT_CLI))
      GTEST_SKIP() << "orvant-cli is not built at " << ORVANT_CLI;
  }
};

TEST_F(CliCalendar, JulianDatesOfDates) {
  CliRun r = runCli("jd 1.5 1 2000");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "JD = 2451545.0\n");
  EXPECT_EQ(r.err, "");
  // Normalised first: day 60 of January 1900 is 29 February in the Julian calendar, which is
  // 13 March 1900 Gregorian, JD 2415091.5 at midnight.
  r = runCli("jd 60 1 1900 --calendar julian");
  EXPECT_EQ(r.out, "JD = 2415091.5\n");
  r = runCli("jd 1 1 1 --calendar egyptian --noon");
  EXPECT_EQ(r.out, "JD = 1448638.0\n");
  r = runCli("jd 1,5 1 -4712 --calendar julian");
  EXPECT_EQ(r.out, "JD = 0.0\n");
}

TEST_F(CliCalendar, DatesOfJulianDates) {
  CliRun r = runCli("date 2451545 --calendar julian");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Year = 1999\nMonth = 12\nDay = 19.5\n");
  r = runCli("date 1448638 --noon --calendar egyptian");
  EXPECT_EQ(r.out, "Year = 1\nMonth = 1\nDay = 1.0\n");
}

TEST_F(CliCalendar, BadInputExitsWithTwoAndTheMessage) {
  for (const char* args : {"jd abc 1 2000", "jd 1 14 2000", "jd 1 1", "jd 1 1 2000 --calendar maya",
                           "jd 1 1.5 2000", "jd 1 1 5883517 --calendar egyptian"}) {
    const CliRun r = runCli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(r.err, "Введите правильно дату\n") << args;
  }
  for (const char* args : {"date x", "date", "date 1 --noon 2", "date 2451545 --calendar"}) {
    const CliRun r = runCli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.err, "Введите правильно юлианскую дату\n") << args;
  }
}

}  // namespace
