// The command lines of orvant-cli and orvant: help, refusals that name their reason, the units of
// the reduction's figures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "statistics/test_files.h"
#include "support/run_command.h"

namespace orvant::test {
namespace {

namespace fs = std::filesystem;
using statistics::testing::TempWorkDir;

std::string cli(const std::string& args) { return std::string(ORVANT_CLI) + " " + args; }

TEST(CommandLine, HelpGoesToStdoutAndEndsWell) {
  for (const char* args : {"--help", "-h", "help"}) {
    const auto r = runCommand(cli(args) + " 2>/dev/null");
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_NE(r.out.find("Использование: orvant-cli"), std::string::npos) << args;
    EXPECT_NE(r.out.find("orvant-cli reduce --source"), std::string::npos) << args;
  }
}

// Each refused command line says why on its first line, then the usage; exit status 2.
TEST(CommandLine, RefusalsNameTheirReason) {
  TempWorkDir dir;
  const std::string d = "--dir " + dir.dir().string() + " ";
  struct Case {
    std::string args, reason;
  };
  const Case cases[] = {
      {"", "не задана команда"},
      {"frobnicate", "неизвестная команда «frobnicate»"},
      {"--colour red jd", "неизвестный параметр «--colour»"},
      {"--force-path mmx jd", "неизвестный путь интегратора «mmx»"},
      {d + "reduce --source obs --name GREN --object 4 --month 14", "--month"},
      {d + "reduce --source obs --name GREN --object 4 --month 0", "--month"},
      {d + "reduce --source obs --name GREN --object 4 --day 1e300", "--day"},
      {d + "reduce --source obs --name GREN --object 4 --year 1e300", "--year"},
      {d + "reduce --source obs --name GREN --object 4 --limit 1e300", "--limit"},
      {d + "reduce --source obs --name GREN --object 4 --obsL nan", "--obsL"},
  };
  for (const Case& c : cases) {
    const auto r = runCommand(cli(c.args) + " 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.substr(0, r.out.find('\n')).find(c.reason), std::string::npos)
        << c.args << "\n" << r.out;
  }
}

// Only where the window program is built (the sanitizer pass builds without it).
#ifdef ORVANT_GUI
TEST(CommandLine, WindowProgramHelpOpensNoWindowAndMakesNoFolder) {
  if (!fs::exists(ORVANT_GUI)) GTEST_SKIP() << "orvant not built: " << ORVANT_GUI;
  TempWorkDir home;
  // With a window this would wait for the user: the timeout ends it and the test fails.
  const auto r = runCommand("env HOME=" + home.dir().string() +
                            " ORVANT_DIR= QT_QPA_PLATFORM=offscreen timeout 60 " + ORVANT_GUI + " --help");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("--dir"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(home.dir() / "Orvant"));
}
#endif

}  // namespace
}  // namespace orvant::test
