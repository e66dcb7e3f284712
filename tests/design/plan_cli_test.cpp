// End to end: a 2-factor orthogonal plan (9 experiments, short runs of Mercury) run by orvant-cli
// plan-run on the model of screen 2, the secular shifts of all experiments by plan-shifts, then on
// screen 15 the criterion against an observed shift file written here, the regression and the
// optimum, checked against an ordinary least-squares fit and its stationary point computed here.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "design/screens/optimisation_screen.h"
#include "model/format.h"
#include "statistics/test_files.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::design {
namespace {

using statistics::testing::TempWorkDir;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

struct Result {
  int status = -1;
  std::string out;
  double seconds = 0;
};

// Runs orvant-cli with the arguments (already quoted), stdout and stderr together.
Result cli(const std::string& args) {
  Result r;
  const auto t0 = std::chrono::steady_clock::now();
  FILE* p = popen((std::string("'") + ORVANT_CLI + "' " + args + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int st = pclose(p);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// Coded levels of the 2-factor orthogonal plan (first factor slowest, star arm 1, one centre point).
constexpr double kCoded[9][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}};

// Solves A x = b (n <= 6) by Gaussian elimination with partial pivoting.
std::vector<double> solve(std::vector<std::vector<double>> A, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t p = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(A[r][c]) > std::fabs(A[p][c])) p = r;
    std::swap(A[c], A[p]);
    std::swap(b[c], b[p]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const double k = A[r][c] / A[c][c];
      for (std::size_t j = c; j < n; ++j) A[r][j] -= k * A[c][j];
      b[r] -= k * b[c];
    }
  }
  std::vector<double> x(n);
  for (std::size_t r = n; r-- > 0;) {
    double v = b[r];
    for (std::size_t j = r + 1; j < n; ++j) v -= A[r][j] * x[j];
    x[r] = v / A[r][r];
  }
  return x;
}

class PlanCli : public ::testing::Test {
 protected:
  TempWorkDir dir;
  std::string base;

  void SetUp() override {
    if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli is not built: " << ORVANT_CLI;
    base = "--dir '" + dir.dir().string() + "' ";
    // Plan 1: VX = 0 +- 5 km/s (row 1), Vgr = (1 +- 0.5) Vsv (row 4); the masses of Jupiter and
    // Venus at their DE405 ratios; weights 100.
    std::string plan =
        "Уровни варьирования плана № 1\nOrto - для  2  факторов \n"
        "0 5000000 0 0\n0 1000000 0 0\n0 1000000 0 0\n1000000 500000 0 1000000\n"
        "1000000 1000000 0 1000000\n1047348600 1000000 0 1047348600\n408523710000 1000000 0 408523710000\n"
        "весовые коэффициенты смещений параметров орбит планет\n";
    for (int N = 1; N <= 10; ++N) plan += "100 100 100 100 100 100\n";
    dir.write("Plan1/OrvantPlan1.dat", plan);
    // Screen 1 opens with the Kin0 data of 1801 January 1.5; ten years of Mercury at one-hour steps.
    dir.write("setup.txt",
              "press 1 toModel\nset 2 Ntr 1\nset 2 H0 3600\nset 2 YearStop 1810\n");
  }
  std::string run(const std::string& args) { return base + args; }
  std::string setup() const { return "--setup '" + (dir / "setup.txt").string() + "'"; }
};

TEST_F(PlanCli, WholePlanFromRunsToTheOptimum) {
  // The plan in one process at a time, then in two: the record files are the same.
  const Result one = cli(run("plan-run --plan 1 --from 1 --to 9 --jobs 1 " + setup()));
  ASSERT_EQ(one.status, 0) << one.out;
  EXPECT_NE(one.out.find("план 1: выполнено 9 из 9"), std::string::npos) << one.out;
  EXPECT_NE(one.out.find("выполнено 4 из 9; осталось около"), std::string::npos) << one.out;
  std::vector<std::vector<std::string>> first;
  for (int e = 1; e <= 9; ++e) {
    auto lines = linesOf(dir.read("Plan1/Txt1/Orvant1Ras" + std::to_string(e) + ".txt"));
    ASSERT_GT(lines.size(), 10u) << e;
    lines.erase(lines.begin());  // line 1 holds the time of the run
    first.push_back(lines);
  }
  const Result two = cli(run("plan-run --plan 1 --from 1 --to 9 --jobs 2 " + setup()));
  ASSERT_EQ(two.status, 0) << two.out;
  for (int e = 1; e <= 9; ++e) {
    auto lines = linesOf(dir.read("Plan1/Txt1/Orvant1Ras" + std::to_string(e) + ".txt"));
    lines.erase(lines.begin());
    EXPECT_EQ(lines, first[at(e - 1)]) << e;
  }
  std::cout << "[ plan of 9 ] --jobs 1: " << one.seconds << " s, --jobs 2: " << two.seconds
            << " s, speed-up " << one.seconds / two.seconds << '\n';

  const Result shifts = cli(run("plan-shifts --plan 1 --planet 1"));
  ASSERT_EQ(shifts.status, 0) << shifts.out;
  const auto ras = linesOf(dir.read("Plan1/Orvant1Ras.dat"));
  ASSERT_EQ(ras.size(), 12u);
  double Ras[10] = {};
  for (int e = 1; e <= 9; ++e) {
    const auto items = splitItems(ras[at(e + 2)]);
    ASSERT_EQ(items.size(), 7u);
    Ras[e] = *parseNumber(items[1]) / 1e6;  // perihelion, arc seconds per century
  }
  // The runs differ: a faster system and a slower gravity change the perihelion's motion.
  EXPECT_NE(Ras[1], Ras[4]);
  EXPECT_NE(Ras[7], Ras[8]);

  // Observed shifts: Mercury's perihelion 3 % above the centre experiment's.
  const double nab = std::trunc(Ras[9] * 1.03 * 1e6) / 1e6;
  std::string obs = "Обработанные данные  \\NEW  по всем планетам\n№ планеты      перигелий\n";
  for (int N = 1; N <= 11; ++N) {
    obs += ' ';
    obs += std::to_string(N);
    obs += ' ';
    obs += std::to_string(static_cast<long long>(N == 1 ? std::llround(nab * 1e6) : 1000000));
    obs += " 1000000 1000000 1000000 1000000 1000000\n";
  }
  dir.write("NEW/OrvantNab.dat", obs);

  // Screen 15 headless: plan file, plan, observed shifts, criterion "dY^2", regression, optimum.
  State state;
  state.workDir = dir.dir().string();
  ui::MemoryDesk desk;
  ui::Workbench wb(state, desk.factory());
  wb.add<OptimisationScreen>(15);
  auto& screen = wb.screen<OptimisationScreen>(15);
  ui::Form& f = wb.show(15).form();
  f.type("planNo", "1");
  for (const char* b : {"load", "build", "loadNab"}) ASSERT_TRUE(f.press(b)) << b;
  f.choose("form", 2);
  f.choose("data", 1);
  for (const char* b : {"criterion", "fit", "optimise"}) ASSERT_TRUE(f.press(b)) << b;
  ASSERT_TRUE(desk.dialogs().empty()) << desk.dialogs().front().text;

  for (int e = 1; e <= 9; ++e)
    EXPECT_NEAR(screen.criteria()[at(e)], std::pow((Ras[e] - nab) / nab, 2), 1e-12) << e;
  // Ordinary least squares of y on 1, x1, x2, x1*x2, x1^2, x2^2 over the nine points.
  std::vector<std::vector<double>> XtX(6, std::vector<double>(6, 0));
  std::vector<double> Xty(6, 0);
  for (int e = 1; e <= 9; ++e) {
    const double a = kCoded[e - 1][0], b = kCoded[e - 1][1];
    const double row[6] = {1, a, b, a * b, a * a, b * b};
    for (int i = 0; i < 6; ++i) {
      Xty[at(i)] += row[i] * screen.criteria()[at(e)];
      for (int j = 0; j < 6; ++j) XtX[at(i)][at(j)] += row[i] * row[j];
    }
  }
  const auto beta = solve(XtX, Xty);
  const auto& B = screen.coefficients();
  double scale = 0;
  for (double v : beta) scale = std::max(scale, std::fabs(v));
  for (int c = 0; c < 6; ++c) EXPECT_NEAR(B[at(c)], beta[at(c)], 1e-10 * scale) << "b" << c;
  // Stationary point: b1 + b12 x2 + 2 b11 x1 = 0, b2 + b12 x1 + 2 b22 x2 = 0.
  const auto x = solve({{2 * beta[4], beta[3]}, {beta[3], 2 * beta[5]}}, {-beta[1], -beta[2]});
  EXPECT_NEAR(*f.number("Xopt_1"), x[0], 2e-6);
  EXPECT_NEAR(*f.number("Xopt_4"), x[1], 2e-6);
  EXPECT_NEAR(*f.number("XoptNat_1"), 0 + x[0] * 5, 1e-5);
  EXPECT_NEAR(*f.number("XoptNat_4"), 1 + x[1] * 0.5, 2e-6);
}

TEST_F(PlanCli, FailuresAreReportedByExperiment) {
  // Experiment 10 is not in the plan: reported, and 8 and 9 are run all the same.
  const Result r = cli(run("plan-run --plan 1 --from 8 --to 10 --jobs 2 " + setup()));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("[10] эксперимент 10: ошибка: в плане 1 экспериментов 9"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("план 1: выполнено 2 из 3"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("с ошибкой эксперименты: 10"), std::string::npos) << r.out;
  EXPECT_TRUE(dir.exists("Plan1/Txt1/Orvant1Ras9.txt"));

  // A plan without its file, factor rows that do not match line 2, bad arguments.
  Result m = cli(run("plan-run --plan 2 --from 1 --to 1 " + setup()));
  EXPECT_EQ(m.status, 1);
  EXPECT_NE(m.out.find("MESSAGE [Orvant7] Не могу найти файл \\Plan2\\OrvantPlan2.dat"), std::string::npos) << m.out;
  dir.write("rows.txt", "open 15\ncheck 15 use2 on\n");
  m = cli(run("plan-run --plan 1 --from 1 --to 1 --setup '" + (dir / "rows.txt").string() + "'"));
  EXPECT_EQ(m.status, 1);
  EXPECT_NE(m.out.find("план 1 построен для 2 факторов, а отмечено 3"), std::string::npos) << m.out;
  for (const char* bad : {"plan-run --plan 1 --from 3 --to 2", "plan-run --plan x --from 1 --to 1",
                          "plan-run --plan 1 --from 1", "plan-run --plan 1 --from 1 --to 2 --jobs 0",
                          "plan-run --plan 1 --from 1 --to 1 --setup /nonexistent/setup.txt",
                          "plan-shifts --plan 1", "plan-shifts --plan 1 --planet 1 --fit cubic",
                          // scripts: the collecting step needs its planet, the plan has 9 experiments,
                          // a plan without its file, --planet alone
                          "plan-run --plan 1 --from 1 --to 9 --emit-slurm s.sh",
                          "plan-run --plan 1 --from 1 --to 10 --planet 1 --emit-parallel p.sh",
                          "plan-run --plan 2 --from 1 --to 9 --planet 1 --emit-slurm s.sh",
                          "plan-run --plan 1 --from 1 --to 9 --planet 1"})
    EXPECT_EQ(cli(run(bad)).status, 2) << bad;
  EXPECT_FALSE(dir.exists("Logs"));
  // Shifts of a plan whose record files are missing: nothing is written.
  m = cli(run("plan-shifts --plan 1 --planet 2"));
  EXPECT_EQ(m.status, 1);
  EXPECT_NE(m.out.find("Не могу найти файл | \\Plan1\\Txt2\\Orvant2Ras1.txt | эксперимент № 1"), std::string::npos)
      << m.out;
  EXPECT_FALSE(dir.exists("Plan1/Orvant2Ras.dat"));
}

}  // namespace
}  // namespace orvant::design
