// The computations of the gravity-speed optimisation: factor map and experiment settings, the
// criterion terms, the plan file, the shifts of all experiments and the end-of-series sound.
#include "design/optimisation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "model/format.h"
#include "statistics/records.h"
#include "statistics/test_files.h"
#include "support/wait.h"

namespace orvant::design {
namespace {

using statistics::testing::TempWorkDir;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

Plan orthogonal2(State& s) {
  Plan p;
  EXPECT_TRUE(buildPlan(s, fillSignTables(), kOrthogonal, 2, std::nullopt, p));
  return p;
}

// ---- factors ----

TEST(OptimisationFactors, RowsOneAndFourTickedMapToTwoPlanFactors) {
  std::array<bool, kFactorRows + 1> ticked{};
  ticked[1] = ticked[4] = true;
  PlanFactorMap map{};
  ASSERT_EQ(mapPlanFactors(ticked, map), 2);
  EXPECT_EQ(map[1], 1);
  EXPECT_EQ(map[2], 4);
  EXPECT_EQ(map[3], 0);

  State s;
  const Plan plan = orthogonal2(s);
  ASSERT_EQ(plan.Npt, 9);
  const RowValues X0 = {0, 10, 20, 30, 1.5, 50, 1047.3486, 408523.71};
  const RowValues dX = {0, 1, 2, 3, 0.25, 5, 6, 7};
  // Coded levels of the 2-factor orthogonal plan: core (first factor slowest), star points at the
  // arm sqrt((sqrt(4*9) - 4)/2) = 1, one centre point.
  const double coded[9][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}};
  for (int e = 1; e <= 9; ++e) {
    const RowValues X = experimentSettings(plan, map, X0, dX, e);
    EXPECT_DOUBLE_EQ(X[1], 10 + coded[e - 1][0] * 1) << e;
    EXPECT_DOUBLE_EQ(X[4], 1.5 + coded[e - 1][1] * 0.25) << e;
    for (int row : {2, 3, 5, 6, 7}) EXPECT_EQ(X[at(row)], X0[at(row)]) << "row " << row << " e " << e;
  }
}

TEST(OptimisationFactors, SettingsGoIntoTheModel) {
  State s;
  const double mSun = s.m[0];
  RowValues X = {0, 30, -20, 10, 2, 0.5, 1000, 400000};
  ASSERT_TRUE(applySettings(s, X));
  EXPECT_EQ(s.VXsys, 30);
  EXPECT_EQ(s.VYsys, -20);
  EXPECT_EQ(s.VZsys, 10);
  EXPECT_EQ(s.km[5], 1000);
  EXPECT_DOUBLE_EQ(s.m[5], mSun / 1000);
  EXPECT_EQ(s.km[2], 400000);
  EXPECT_DOUBLE_EQ(s.m[2], mSun / 400000);
  // A ratio of zero would divide the Sun's mass by zero: refused, the model untouched.
  const State before = s;
  X[6] = 0;
  X[1] = 99;
  EXPECT_FALSE(applySettings(s, X));
  EXPECT_EQ(s.VXsys, before.VXsys);
  EXPECT_EQ(s.m[5], before.m[5]);
}

// ---- criterion ----

TEST(OptimisationCriterion, TermsOfTheFourForms) {
  // Equal shifts contribute nothing in the relative forms.
  for (auto f : {CriterionForm::dY, CriterionForm::dY2, CriterionForm::AbsdY})
    EXPECT_EQ(criterionTerm(f, 42.98, 42.98, 100), 0);
  // Twice the observed shift with weight 100: |(2a - a)/a| * 100/100 = 1.
  EXPECT_DOUBLE_EQ(criterionTerm(CriterionForm::AbsdY, 2 * 42.98, 42.98, 100), 1);
  EXPECT_DOUBLE_EQ(criterionTerm(CriterionForm::AbsdY, 2 * -7.5, -7.5, 100), 1);
  // "Y" is the weighted calculated shift.
  EXPECT_DOUBLE_EQ(criterionTerm(CriterionForm::Y, 8, 123, 50), 4);
  // "dY" keeps the sign of the difference, divides by |Nab|; "dY^2" divides by Nab and squares.
  EXPECT_DOUBLE_EQ(criterionTerm(CriterionForm::dY, -2, -4, 100), 0.5);
  EXPECT_DOUBLE_EQ(criterionTerm(CriterionForm::dY, -6, -4, 100), -0.5);
  EXPECT_DOUBLE_EQ(criterionTerm(CriterionForm::dY2, -2, -4, 50), 0.0625);
  // A zero observed shift: no finite value in the relative forms.
  for (auto f : {CriterionForm::dY, CriterionForm::dY2, CriterionForm::AbsdY})
    EXPECT_FALSE(std::isfinite(criterionTerm(f, 1, 0, 100)));
  EXPECT_TRUE(std::isfinite(criterionTerm(CriterionForm::Y, 1, 0, 100)));
}

// A calculated shift file as the statistics screens write it: header, count, heads, rows e and six
// shifts times MK.
std::string rasFile(int k, int N, const std::vector<std::array<double, 6>>& rows) {
  std::string t = "Обработанные данные расчета для плана № " + std::to_string(k) + "  по планете № " +
                  std::to_string(N) + "\n " + std::to_string(rows.size()) + "\n№ эксперимента  перигелий\n";
  for (std::size_t e = 0; e < rows.size(); ++e) {
    t += ' ';
    t += std::to_string(e + 1);
    for (double v : rows[e]) {
      t += "  ";
      t += std::to_string(static_cast<long long>(std::trunc(v * 1e6)));
    }
    t += "\n";
  }
  return t;
}

class ModelCriterion : public ::testing::Test {
 protected:
  TempWorkDir dir;
  State s = statistics::testing::stateIn(dir);
  Weights Wt{};
  CriterionChoice choice;
  std::vector<std::array<double, 6>> mercury, venus;

  void SetUp() override {
    for (auto& row : Wt) row.fill(100);
    Wt[1][1] = 50;
    Wt[2][3] = 200;
    s.NabShift[1] = {0, 42.98, -12.5, -1.2, 5.5, 0.3, 0.01};  // a negative one: |Nab| and Nab differ
    s.NabShift[2] = {0, 8.6, -3.0, 0.4, 2.1, 7.0, 0.02};
    for (int e = 1; e <= 9; ++e) {
      mercury.push_back({42.98 + e, -12.5 * e, 1.2, 5.5, 0.3, 0.01});
      venus.push_back({8.6, -3.0, 0.4 - 0.1 * e, 2.1, 7.0, 0.02});
    }
    dir.write("Plan4/Orvant1Ras.dat", rasFile(4, 1, mercury));
    dir.write("Plan4/Orvant2Ras.dat", rasFile(4, 2, venus));
    choice.planets[1] = choice.planets[2] = true;
    choice.params[1] = choice.params[3] = true;
  }
};

TEST_F(ModelCriterion, SumsTheTermsOfTheTickedPlanetsAndParameters) {
  for (auto form : {CriterionForm::Y, CriterionForm::dY, CriterionForm::dY2, CriterionForm::AbsdY}) {
    choice.form = form;
    Criterion Y{};
    ASSERT_TRUE(modelCriterion(s, 4, 9, choice, Wt, Y)) << s.lastMessage;
    for (int e = 1; e <= 9; ++e) {
      double want = 0;
      for (int N : {1, 2})
        for (int c : {1, 3}) {
          // As the file keeps it: times 10^6, truncated toward zero.
          const double ras = std::trunc((N == 1 ? mercury : venus)[at(e - 1)][at(c - 1)] * 1e6) / 1e6;
          const double nab = s.NabShift[at(N)][at(c)];
          const double w = Wt[at(N)][at(c)];
          switch (form) {
            case CriterionForm::Y: want += ras * w / 100; break;
            case CriterionForm::dY: want += (ras - nab) * w / std::fabs(nab) / 100; break;
            case CriterionForm::dY2: want += std::pow((ras - nab) * w / nab / 100, 2); break;
            case CriterionForm::AbsdY: want += std::fabs((ras - nab) / nab) * w / 100; break;
          }
        }
      EXPECT_NEAR(Y[at(e)], want, 1e-9) << static_cast<int>(form) << " e " << e;
    }
  }
  // The files are loaded the way screen 6 loads them: the last one counts as loaded.
  EXPECT_EQ(s.ShiftKind, 2);
  EXPECT_EQ(s.RasObj, 2);
  EXPECT_EQ(s.NE, 9);
}

TEST_F(ModelCriterion, ZeroObservedShiftIsReportedNotInfinite) {
  s.NabShift[2][3] = 0;
  Criterion Y{};
  Y[1] = 123;
  for (auto form : {CriterionForm::dY, CriterionForm::dY2, CriterionForm::AbsdY}) {
    choice.form = form;
    EXPECT_FALSE(modelCriterion(s, 4, 9, choice, Wt, Y));
    EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\Plan4\\Orvant2Ras.dat");
    EXPECT_EQ(s.lastTitle, "Orvant7");
    EXPECT_EQ(Y[1], 123);
  }
  // The same zero with the parameter not ticked, or in the form "Y", is harmless.
  choice.form = CriterionForm::Y;
  EXPECT_TRUE(modelCriterion(s, 4, 9, choice, Wt, Y));
  choice.form = CriterionForm::dY;
  choice.params[3] = false;
  EXPECT_TRUE(modelCriterion(s, 4, 9, choice, Wt, Y));
}

TEST_F(ModelCriterion, MissingShortAndBadFilesAreReadErrors) {
  Criterion Y{};
  EXPECT_FALSE(modelCriterion(s, 5, 9, choice, Wt, Y));
  EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\Plan5\\Orvant1Ras.dat");
  // Fewer experiments in the file than points in the plan.
  EXPECT_FALSE(modelCriterion(s, 4, 10, choice, Wt, Y));
  EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\Plan4\\Orvant1Ras.dat");
  // A value that is not a number.
  std::string bad = rasFile(4, 2, venus);
  bad.replace(bad.rfind("20000"), 5, "2x000");
  dir.write("Plan4/Orvant2Ras.dat", bad);
  EXPECT_FALSE(modelCriterion(s, 4, 9, choice, Wt, Y));
  EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\Plan4\\Orvant2Ras.dat");
  for (int e = 0; e < 100; ++e) EXPECT_EQ(Y[at(e)], 0);
}

TEST(TestCriterion, RegressionWithUnitCoefficientsAtThePlanRows) {
  State s;
  const Plan plan = orthogonal2(s);
  const auto poly = [](double a, double b) { return 1 + a + b + a * b + a * a + b * b; };
  Criterion Y{};
  ASSERT_TRUE(testCriterion(s, plan, CriterionForm::Y, Y));
  for (int e = 1; e <= 9; ++e)
    EXPECT_NEAR(Y[at(e)], poly(plan.Xpl[at(e)][1], plan.Xpl[at(e)][2]), 1e-12) << e;
  ASSERT_TRUE(testCriterion(s, plan, CriterionForm::dY, Y));
  EXPECT_EQ(Y[1], 0);
  const double ref = poly(1, 1);  // 6 at the first core point
  EXPECT_NEAR(Y[9], (1 - ref) / ref, 1e-12);  // the centre point
  ASSERT_TRUE(testCriterion(s, plan, CriterionForm::AbsdY, Y));
  EXPECT_NEAR(Y[4], std::fabs(poly(-1, -1) - ref) / ref, 1e-12);
  ASSERT_TRUE(testCriterion(s, plan, CriterionForm::dY2, Y));
  EXPECT_NEAR(Y[6], std::pow((poly(-1, 0) - ref) / ref, 2), 1e-12);
}

// ---- plan file ----

PlanFile samplePlanFile(int k) {
  PlanFile f;
  f.title = planTitle(k);
  f.kind = planKindLine(kRotatable, 3);
  f.weightsTitle = kWeightsHeading;
  for (int i = 1; i <= kFactorRows; ++i) {
    f.levels.X0[at(i)] = 10.1234567 * i;
    f.levels.dX[at(i)] = 0.0000015 * i;
    f.levels.Xopt[at(i)] = -0.3333333333 * i;
    f.levels.XoptNat[at(i)] = -0.0000015;
  }
  for (int N = 1; N <= kPlanets; ++N)
    for (int c = 1; c <= kShiftColumns; ++c) f.Wt[at(N)][at(c)] = N * 10 + c + 0.5 * (c % 2);
  return f;
}

TEST(PlanFile, LayoutOfTheLines) {
  TempWorkDir dir;
  State s = statistics::testing::stateIn(dir);
  const PlanFile f = samplePlanFile(3);
  ASSERT_TRUE(writePlanFile(s, 3, f)) << s.lastMessage;
  std::vector<std::string> lines;
  std::istringstream in(dir.read("Plan3/OrvantPlan3.dat"));
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[0], "Уровни варьирования плана № 3");
  EXPECT_EQ(lines[1], "Roto - для  3  факторов ");
  // Row 1: 10.1234567, 0.0000015, -0.3333333333, -0.0000015 times 10^6, truncated toward zero.
  EXPECT_EQ(lines[2], "10123456 1 -333333 -1");
  EXPECT_EQ(lines[3], "20246913 3 -666666 -1");
  EXPECT_EQ(lines[9], "весовые коэффициенты смещений параметров орбит планет");
  EXPECT_EQ(lines[10], "11.5 12 13.5 14 15.5 16");
  EXPECT_EQ(lines[19], "101.5 102 103.5 104 105.5 106");
  EXPECT_FALSE(dir.exists("Plan3/OrvantPlan3.dat.tmp"));
}

TEST(PlanFile, RoundTripKeepsSixDecimals) {
  TempWorkDir dir;
  State s = statistics::testing::stateIn(dir);
  const PlanFile f = samplePlanFile(7);
  ASSERT_TRUE(writePlanFile(s, 7, f));
  PlanFile g;
  ASSERT_TRUE(readPlanFile(s, 7, g)) << s.lastMessage;
  EXPECT_EQ(g.title, f.title);
  EXPECT_EQ(g.kind, f.kind);
  EXPECT_EQ(g.weightsTitle, f.weightsTitle);
  for (int i = 1; i <= kFactorRows; ++i) {
    EXPECT_EQ(g.levels.X0[at(i)], truncDecimals(f.levels.X0[at(i)], 6)) << i;
    EXPECT_NEAR(g.levels.dX[at(i)], f.levels.dX[at(i)], 1e-6) << i;
    EXPECT_EQ(g.levels.Xopt[at(i)], truncDecimals(f.levels.Xopt[at(i)], 6)) << i;
    EXPECT_EQ(g.levels.XoptNat[at(i)], -0.000001);
  }
  EXPECT_EQ(g.Wt, f.Wt);
  // Written again, the file is the same byte for byte.
  const std::string first = dir.read("Plan7/OrvantPlan7.dat");
  ASSERT_TRUE(writePlanFile(s, 7, g));
  EXPECT_EQ(dir.read("Plan7/OrvantPlan7.dat"), first);
  int type = 0, Nf = 0;
  ASSERT_TRUE(parsePlanKind(g.kind, type, Nf));
  EXPECT_EQ(type, kRotatable);
  EXPECT_EQ(Nf, 3);
}

TEST(PlanFile, KindLineParsesBackAndRejectsOthers) {
  for (int type : {kOrthogonal, kRotatable})
    for (int Nf = 2; Nf <= 6; ++Nf) {
      int t = 0, n = 0;
      ASSERT_TRUE(parsePlanKind(planKindLine(type, Nf), t, n));
      EXPECT_EQ(t, type);
      EXPECT_EQ(n, Nf);
    }
  int t = 0, n = 0;
  for (const char* line : {"Orto - для  7  факторов ", "Orto - для  1  факторов ", "Xyz - для  2  факторов ",
                           "Orto - для  два  факторов ", "Orto", "", "Roto - для  2,5  факторов "})
    EXPECT_FALSE(parsePlanKind(line, t, n)) << line;
}

TEST(PlanFile, MissingShortAndMalformedFilesAreRefused) {
  TempWorkDir dir;
  State s = statistics::testing::stateIn(dir);
  PlanFile g = samplePlanFile(1);
  const PlanFile untouched = g;
  EXPECT_FALSE(readPlanFile(s, 3, g));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл \\Plan3\\OrvantPlan3.dat");
  EXPECT_EQ(s.lastTitle, "Orvant7");

  ASSERT_TRUE(writePlanFile(s, 3, samplePlanFile(3)));
  const std::string good = dir.read("Plan3/OrvantPlan3.dat");
  const auto expectReadError = [&](const std::string& text, const char* what) {
    dir.write("Plan3/OrvantPlan3.dat", text);
    s.lastMessage.clear();
    EXPECT_FALSE(readPlanFile(s, 3, g)) << what;
    EXPECT_EQ(s.lastMessage, "Ошибка при чтении данных из файла \\Plan3\\OrvantPlan3.dat") << what;
    EXPECT_EQ(g.title, untouched.title) << what;
    EXPECT_EQ(g.levels.X0, untouched.levels.X0) << what;
  };
  expectReadError(good.substr(0, good.find("весовые")), "cut after the levels");
  std::string t = good;
  t.replace(t.find("10123456"), 8, "1012345x");
  expectReadError(t, "a level that is not a number");
  t = good;
  t.replace(t.find(" 16\n"), 3, "");
  expectReadError(t, "a weight line with five weights");
  t = good;
  t.replace(t.find(" -1\n"), 3, " -1 7");
  expectReadError(t, "a level line with five numbers");
  expectReadError(good + "12 13\n", "a line after the weights");
  // CRLF line ends and commas read as well.
  std::string crlf;
  for (char ch : good) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  dir.write("Plan3/OrvantPlan3.dat", crlf);
  EXPECT_TRUE(readPlanFile(s, 3, g)) << s.lastMessage;
}

TEST(PlanFile, FailedWriteLeavesNoPartialFile) {
  TempWorkDir dir;
  State s = statistics::testing::stateIn(dir);
  // A directory where the file should go: the rename fails.
  std::filesystem::create_directories(dir / "Plan2/OrvantPlan2.dat");
  EXPECT_FALSE(writePlanFile(s, 2, samplePlanFile(2)));
  EXPECT_EQ(s.lastMessage, "Ошибка при записи данных в файл \\Plan2 \\OrvantPlan2.dat");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Plan2/OrvantPlan2.dat"));
  EXPECT_FALSE(dir.exists("Plan2/OrvantPlan2.dat.tmp"));
  // A level that cannot be stored: nothing is written.
  PlanFile f = samplePlanFile(5);
  f.levels.dX[3] = std::nan("");
  EXPECT_FALSE(writePlanFile(s, 5, f));
  EXPECT_FALSE(dir.exists("Plan5/OrvantPlan5.dat"));
}

// ---- shifts of all experiments ----

// Record files of planet 1 in plan 6: experiment e has every parameter growing linearly in time at
// slope[e][c] per century, 12 records a century apart... 8 years apart.
class ExperimentShifts : public ::testing::Test {
 protected:
  TempWorkDir dir;
  State s = statistics::testing::stateIn(dir);
  static constexpr double kJD0 = 2378497.0;  // 1800 January 1.5

  static double slope(int e, int c) {
    const double base[7] = {0, 0.0119, -0.0035, 0.0002, 0.00002, 0.05, -0.0003};
    return base[c] * (1 + 0.1 * e);
  }
  void writeExperiment(int e) {
    const std::array<std::string, 4> header = {"эксперимент № " + std::to_string(e), "шаг", "модель", "шапка"};
    const std::string rel = statistics::recordPath(statistics::Source::Model, 1, 6, e);
    ASSERT_TRUE(statistics::createRecordFile(s, rel, header, 20, kJD0));
    const double start[7] = {0, 77.45, 48.33, 7.0, 0.2056, 57.909, 2608.0};
    for (int r = 0; r < 12; ++r) {
      const double days = r * 8 * 365.25;
      std::vector<std::int64_t> v = {r + 1, scaledInt(days, 100)};
      for (int c = 1; c <= 6; ++c) v.push_back(scaledInt(start[c] + slope(e, c) * days / 36525, 100 * s.MK));
      ASSERT_TRUE(statistics::appendRecord(s, rel, v));
    }
  }
};

TEST_F(ExperimentShifts, EveryExperimentFittedAndWritten) {
  for (int e = 1; e <= 3; ++e) writeExperiment(e);
  std::vector<int> seen;
  ASSERT_TRUE(computeExperimentShifts(s, 6, 1, 3, ShiftFitOptions{}, [&](int e) { seen.push_back(e); }))
      << s.lastMessage;
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  // Units of the shifts: arc seconds (angles, x3600), Eks x 10^6, km (Rsr in million km x 10^6),
  // rad per century (x1). Record values are kept to 1e-8, over 88 years.
  const double f[7] = {0, 3600, 3600, 3600, 1e6, 1e6, 1};
  const double tol[7] = {0, 1e-3, 1e-3, 1e-3, 0.05, 0.05, 1e-6};
  std::vector<std::string> lines;
  std::istringstream in(dir.read("Plan6/Orvant1Ras.dat"));
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Обработанные данные расчета для плана № 6  по планете № 1");
  EXPECT_EQ(splitItems(lines[1]), std::vector<std::string>{"3"});
  for (int e = 1; e <= 3; ++e) {
    const auto items = splitItems(lines[at(e + 2)]);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0], std::to_string(e));
    for (int c = 1; c <= 6; ++c) {
      const double want = slope(e, c) * f[c];
      EXPECT_NEAR(*parseNumber(items[at(c)]) / 1e6, want, tol[c] + 1e-6) << "e " << e << " c " << c;
      EXPECT_NEAR(s.RasShift[1][at(c)][at(e)], want, tol[c] + 1e-6);
    }
  }
  EXPECT_EQ(s.ShiftKind, 2);
  EXPECT_EQ(s.RasPlan, 6);
  EXPECT_EQ(s.NE, 3);
}

TEST_F(ExperimentShifts, AMissingExperimentWritesNothing) {
  writeExperiment(1);
  writeExperiment(3);
  s.RasShift[1][1][1] = 777;
  EXPECT_FALSE(computeExperimentShifts(s, 6, 1, 3, ShiftFitOptions{}));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл\n\\Plan6\\Txt1\\Orvant1Ras2.txt\nэксперимент № 2");
  EXPECT_FALSE(dir.exists("Plan6/Orvant1Ras.dat"));
  EXPECT_EQ(s.RasShift[1][1][1], 777);
  // Too few records for the groups asked for.
  writeExperiment(2);
  ShiftFitOptions o;
  o.NCP0 = 5;  // 12 records: two groups, a line needs three
  EXPECT_FALSE(computeExperimentShifts(s, 6, 1, 3, o));
  EXPECT_EQ(s.lastMessage, "Первичные данные должны быть\nразбиты минимум на 3 группы\nэксперимент № 1");
  EXPECT_FALSE(dir.exists("Plan6/Orvant1Ras.dat"));
  // Bad arguments.
  EXPECT_FALSE(computeExperimentShifts(s, 6, 0, 3, ShiftFitOptions{}));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_FALSE(computeExperimentShifts(s, 6, 1, 92, ShiftFitOptions{}));
}

// ---- sound ----

class SoundTest : public ::testing::Test {
 protected:
  TempWorkDir dir;
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  void TearDown() override { setenv("PATH", oldPath.c_str(), 1); }

  // A stand-in player that waits until the test creates `release`, then writes its arguments into
  // `marker` at once (a temporary file renamed, so the marker never exists half-written). It gives
  // up after a minute and writes "timeout" instead, so that a caller waiting for it cannot hang.
  void fakePlayer() {
    const auto bin = dir / "bin";
    std::filesystem::create_directories(bin);
    const std::string release = (dir / "release").string(), marker = (dir / "marker").string();
    dir.write("bin/aplay", "#!/bin/sh\ni=0\nwhile [ ! -e '" + release + "' ] && [ $i -lt 1200 ]; do\n"
                           "  sleep 0.05; i=$((i+1))\ndone\n"
                           "if [ -e '" + release + "' ]; then echo \"$@\"; else echo timeout; fi > '" +
                               marker + ".tmp'\nmv '" + marker + ".tmp' '" + marker + "'\n");
    chmod((bin / "aplay").c_str(), 0755);
    setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);
  }
};

// The player runs on after the call returns: it is released only afterwards, so a call that
// waited for it would end in the player's "timeout".
TEST_F(SoundTest, StartsThePlayerWithoutWaitingForIt) {
  fakePlayer();
  dir.write("Arhiv/Zvuk_end1.wav", "RIFF");
  const auto wav = (dir / "Arhiv/Zvuk_end1.wav").string();
  EXPECT_TRUE(playSoundAsync(wav));
  EXPECT_FALSE(dir.exists("marker"));
  dir.write("release", "");
  ASSERT_TRUE(test::waitUntil([&] { return dir.exists("marker"); })) << "the player never ran";
  EXPECT_EQ(dir.read("marker"), "-q " + wav + "\n");
}

// Nothing is started without a file or a player: the call says so before any process exists.
TEST_F(SoundTest, MissingFileOrPlayerIsNotAnError) {
  fakePlayer();
  EXPECT_FALSE(playSoundAsync(dir / "Arhiv/Zvuk_end1.wav"));
  dir.write("Arhiv/Zvuk_end1.wav", "RIFF");
  setenv("PATH", (dir / "nowhere").c_str(), 1);
  EXPECT_FALSE(playSoundAsync(dir / "Arhiv/Zvuk_end1.wav"));
}

}  // namespace
}  // namespace orvant::design
