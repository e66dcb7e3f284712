// The plans workbench driven by a script, as `orvant-cli script` runs it: a 3-factor rotatable plan
// with the standard test, then the sum of squares of four factors from screen 8, its regression and
// its optimum, which lies at X = 0 for every factor (coded -1 with zero levels and intervals of 1).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "design/screens/plan_tests_screen.h"
#include "design/screens/plans_screen.h"
#include "ui/memory_form.h"
#include "ui/script.h"

namespace orvant::design {
namespace {

namespace fs = std::filesystem;

const char* const kScript = R"(# plans workbench
open 18
check 18 X3 on
choose 18 рототабельный
press 18 "Создать план экспериментов"
show 18 Nf
show 18 N0
choose 18 "ст. теста"
press 18 "Выполнить эксперименты и рассчитать критерий"
show 18 "Yopt для dY"
show 18 "Масштаб, ед/см"
check 18 X4 on
press 18 "Создать план экспериментов"
show 18 Nf
choose 18 "доп. тестов"
choose 8 "Y(u)= X1^2 + X2^2 + X3^2 + X4^2"
show 8 Yopt=
press 18 "Выполнить эксперименты и рассчитать критерий"
show 18 "Yopt для dY"
press 18 "Найти коэффициенты уравнения регрессии"
press 18 "Оптимизировать параметры"
show 18 Xopt_1
show 18 Xopt_4
show 18 XoptNat_1
show 18 XoptNat_2
show 18 XoptNat_3
show 18 XoptNat_4
show 18 report
)";

// Lines of the script's output before the report: a rotatable plan of 3 factors has 2 centre points;
// the standard test's reference is Y at (+1, +1, +1) = 1 + 3 + 3 + 3 = 10 and its values run from 1
// (centre) to 10, scale 0.9 per cm; the sum of squares has Yopt = 4 at X = 1.
const char* const kExpected =
    "Nf = 3\n"
    "N0 = 2\n"
    "Yopt для dY = 10\n"
    "Масштаб, ед/см = 0,9\n"
    "Nf = 4\n"
    "Yopt= = 4\n"
    "Yopt для dY = 4\n"
    "Xopt_1 = -1\n"
    "Xopt_4 = -1\n"
    "XoptNat_1 = 0\n"
    "XoptNat_2 = 0\n"
    "XoptNat_3 = 0\n"
    "XoptNat_4 = 0\n";

void checkOutput(const std::string& out) {
  ASSERT_EQ(out.rfind(kExpected, 0), 0u) << out;
  EXPECT_EQ(out.find("MESSAGE"), std::string::npos) << out;
  const std::string report = out.substr(std::string(kExpected).size());
  ASSERT_EQ(report.rfind("report = ", 0), 0u) << report;
  EXPECT_NE(report.find(" | Исходная система линейных уравнений и ее решение | "), std::string::npos);
  // The value of the regression at the optimum closes the listing.
  EXPECT_EQ(report.substr(report.size() - std::string(" | Yopt= 0\n").size()), " | Yopt= 0\n") << report;
}

TEST(PlansScript, BuildsTestsFitsAndOptimises) {
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb(state, desk.factory());
  wb.add<PlanTestsScreen>(kPlanTestsScreen);
  wb.add<PlansScreen>(kPlansScreen);
  std::ostringstream out, err;
  std::istringstream in(kScript);
  int status = 0;
  {
    ui::ScriptRunner runner(wb, desk, out);
    status = runner.run(in, err);
  }
  ASSERT_EQ(status, 0) << err.str();
  checkOutput(out.str());
  const auto& s = wb.screen<PlansScreen>(kPlansScreen);
  EXPECT_EQ(s.plan().PlanType, kRotatable);
  EXPECT_EQ(s.plan().Npt, 16 + 8 + 2);
  for (int i = 1; i <= 4; ++i) EXPECT_NEAR(s.codedOptimum()[i], -1, 1e-12) << i;
  EXPECT_NEAR(s.optimumValue(), 0, 1e-12);
  // The regression of a quadratic is exact: b_i = 2, b_ii = 1, b0 = 4, b_ij = 0 (Y = sum (1 + x_i)^2).
  const auto& B = s.coefficients();
  EXPECT_NEAR(B[0], 4, 1e-12);
  for (int c = 1; c <= 4; ++c) EXPECT_NEAR(B[c], 2, 1e-12);
  for (int c = 5; c <= 10; ++c) EXPECT_NEAR(B[c], 0, 1e-12);
  for (int c = 11; c <= 14; ++c) EXPECT_NEAR(B[c], 1, 1e-12);
}

TEST(PlansScript, OrvantCliRunsTheSameScript) {
  if (!fs::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli is not built at " << ORVANT_CLI;
  std::string tmpl = (fs::temp_directory_path() / "orvant_plans_script_XXXXXX").string();
  const fs::path dir = ::mkdtemp(tmpl.data());
  std::ofstream(dir / "plans.txt") << kScript;
  const std::string cmd = std::string("'") + ORVANT_CLI + "' --dir '" + dir.string() + "' script '" +
                          (dir / "plans.txt").string() + "' >'" + (dir / "out.txt").string() + "' 2>'" +
                          (dir / "err.txt").string() + "'";
  const int raw = std::system(cmd.c_str());
  std::stringstream out, err;
  out << std::ifstream(dir / "out.txt").rdbuf();
  err << std::ifstream(dir / "err.txt").rdbuf();
  fs::remove_all(dir);
  ASSERT_TRUE(WIFEXITED(raw));
  ASSERT_EQ(WEXITSTATUS(raw), 0) << err.str();
  checkOutput(out.str());
}

}  // namespace
}  // namespace orvant::design
