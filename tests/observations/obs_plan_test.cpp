// Observation experiment plans: the plan-experiment file in its layout and scalings (the worked
// values 123.456 -> 123456000, 0.0167 -> 16700000, X0(1) to the kilometre), its refusals, the
// factors of the ticked rows, the experiment parameters, the optimum of a known quadratic, the
// template against the J2000 elements, and the "План" theory parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "design/plan.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "model/textfile.h"
#include "observations/obs_plan.h"
#include "ephemeris/theory_planets.h"
#include "obs_test_util.h"

namespace orvant {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

ObsPlanFileData sample() {
  ObsPlanFileData d;
  d.line1 = obsPlanLine1(2, 5, 4, "GREN", false, false, true, "09.12.2026");
  d.dates = {1.5, 3, 1995, 2015, 2450500.25};
  ObsPlanValues& v = d.v;
  v.X0 = {0, 227939366123.4, 0.0167, 1.85, 336.04, 49.56, 334.06, 123.456, 0.0123, -0.0045, 0.75};
  v.dX = {0, 10000e3, 0.0001, 0.01, 0.1, 0.1, 0.001, 0.01, 0.1, 0.1};
  v.Xopt = {0, 0.25, -0.5, 0, 1.125, 0, 0, -0.75, 0, 0};
  for (std::size_t i = 1; i <= 9; ++i) v.XoptNat[i] = v.X0[i] + v.Xopt[i] * v.dX[i];
  v.VXsys = 250.7;
  v.VYsys = -30;
  v.VZsys = 0;
  v.Prec = 5029.5;
  return d;
}

TEST(ObsPlanFile, WorkedValuesAndLayout) {
  const ObsPlanFileData d = sample();
  const auto text = obsPlanFileText(d);
  ASSERT_TRUE(text);
  const auto lines = linesOf(*text);
  // 15 lines of levels and values, the heading of the experiments (none), the coefficient
  // heading and 28 coefficients.
  ASSERT_EQ(lines.size(), 15u + 1 + 1 + 28);
  EXPECT_EQ(lines[0], "план № 2 опыт № 5 по планете № 4 для GREN в эпохе J2000 по RSigma от 09.12.2026");
  EXPECT_EQ(lines[1], "Начальная дата оптимизации и год окончания");
  // Day x MK, month, year, end year, JDmean x MK, each in its print zone of 14 characters.
  EXPECT_EQ(lines[2], " 1500000       3             1995          2015          2450500250000 ");
  // Row 1 in kilometres, the coded optimum x MK.
  EXPECT_EQ(splitItems(lines[4]),
            (std::vector<std::string>{"1", "227939366", "10000", "250000", "227941866"}));
  // Row 2: 0.0167 -> 16700000 (x 1000 x MK); row 7: 123.456 -> 123456000 (x MK).
  EXPECT_EQ(splitItems(lines[5])[1], "16700000");
  EXPECT_EQ(splitItems(lines[10])[1], "123456000");
  EXPECT_EQ(splitItems(lines[10])[2], "10000");      // interval x MK
  EXPECT_EQ(splitItems(lines[10])[3], "-750000");    // Xopt x MK
  EXPECT_EQ(splitItems(lines[10])[4], "123448500");  // natural optimum x MK
  EXPECT_EQ(lines[13], "Скорость Солнечной системы по осям X Y Z и прецессия и вес ");
  EXPECT_EQ(splitItems(lines[14]),
            (std::vector<std::string>{"250", "-30", "0", "5029500000", "750000"}));
  EXPECT_EQ(lines[16].rfind("№ коэффициента", 0), 0u);
}

TEST(ObsPlanFile, RoundTripRestoresTheScaledValues) {
  const ObsPlanFileData d = sample();
  ObsPlanFileData r;
  ASSERT_TRUE(parseObsPlanText(linesOf(*obsPlanFileText(d)), r));
  EXPECT_EQ(r.line1, d.line1);
  EXPECT_DOUBLE_EQ(r.dates.Day, 1.5);
  EXPECT_EQ(r.dates.Month, 3);
  EXPECT_EQ(r.dates.Year, 1995);
  EXPECT_EQ(r.dates.YearEnd, 2015);
  EXPECT_NEAR(r.dates.JDmean, 2450500.25, 1e-6);
  // X0(1) back in metres, truncated to the whole kilometre.
  EXPECT_DOUBLE_EQ(r.v.X0[1], 227939366000.0);
  EXPECT_DOUBLE_EQ(r.v.dX[1], 10000e3);
  EXPECT_NEAR(r.v.X0[7], 123.456, 1e-12);
  EXPECT_NEAR(r.v.X0[2], 0.0167, 1e-15);
  for (std::size_t i = 2; i <= 9; ++i) {
    // Zero levels keep 1e-9 (1e-6 for row 7), the rest 1e-6, all truncated toward zero.
    const double q = i == 7 ? 1e-6 : 1e-9;
    EXPECT_NEAR(r.v.X0[i], d.v.X0[i], q) << i;
    EXPECT_LE(std::fabs(r.v.X0[i]), std::fabs(d.v.X0[i]) + 1e-15) << i;
    EXPECT_NEAR(r.v.dX[i], d.v.dX[i], 1e-6) << i;
    EXPECT_NEAR(r.v.Xopt[i], d.v.Xopt[i], 1e-6) << i;
    EXPECT_NEAR(r.v.XoptNat[i], d.v.XoptNat[i], 1e-6) << i;
  }
  EXPECT_DOUBLE_EQ(r.v.VXsys, 250);  // whole metres per second
  EXPECT_DOUBLE_EQ(r.v.VYsys, -30);
  EXPECT_NEAR(r.v.Prec, 5029.5, 1e-9);
  EXPECT_NEAR(r.v.X0[10], 0.75, 1e-9);
  // Written again, the file is the same text.
  ObsPlanFileData again = r;
  EXPECT_EQ(*obsPlanFileText(again), *obsPlanFileText(d));
}

TEST(ObsPlanFile, ExperimentLinesAndCoefficients) {
  ObsPlanFileData d = sample();
  d.Nf = 2;
  d.Npt = 2;
  d.levels[1] = {0, 1, -1};
  d.levels[2] = {0, -1.414, 0};
  d.Yexp[1] = 12.5;
  d.Ycalc[1] = 12.25;
  d.criterion = 3.25;
  d.Breg[0] = 1.5;
  d.Breg[27] = -2;
  const auto lines = linesOf(*obsPlanFileText(d));
  ASSERT_EQ(lines.size(), 15u + 1 + 2 + 1 + 28);
  // u, four blanks, each coded level x 1000 and seven blanks, the two criteria x MK; numbers with
  // a leading blank when not negative and one trailing blank.
  EXPECT_EQ(lines[16], std::string(" 1 ") + "    " + " 1000 " + "       " + "-1000 " + "       " +
                           " 12500000 " + " 12250000 ");
  EXPECT_EQ(lines[17], std::string(" 2 ") + "    " + "-1414 " + "       " + " 0 " + "       " +
                           " 0 " + " 0 ");
  EXPECT_EQ(lines[18].substr(lines[18].size() - 9), "= 3250000");
  EXPECT_EQ(splitItems(lines[19]), (std::vector<std::string>{"0", "1500000"}));
  EXPECT_EQ(splitItems(lines[46]), (std::vector<std::string>{"27", "-2000000"}));
}

TEST(ObsPlanFile, BadFilesAndRefusedWrites) {
  test::TempDir dir;
  State s;
  s.workDir = dir.str();
  test::RecordingSink sink;
  s.sink = &sink;
  const std::string rel = "Tab/Plan1/Ptolemy4_1.dat";
  ObsPlanFileData d = sample();
  ObsPlanFileData r = d;
  r.v.X0[7] = 1;
  // Missing.
  EXPECT_FALSE(readObsPlanFile(s, rel, r));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, "Не могу найти файл\n\\Tab\\Plan1\\Ptolemy4_1.dat");
  EXPECT_EQ(sink.messages[0].second, "Orvant7");
  // Written, then short and broken copies.
  ASSERT_TRUE(writeObsPlanFile(s, rel, d));
  const std::string good = *obsPlanFileText(d);
  auto lines = linesOf(good);
  std::string shortText;
  for (std::size_t i = 0; i < 12; ++i) shortText += lines[i] + "\n";
  dir.write(rel, shortText);
  EXPECT_FALSE(readObsPlanFile(s, rel, r));
  EXPECT_EQ(sink.messages.back().first, "Ошибка чтения данных из файла\n\\Tab\\Plan1\\Ptolemy4_1.dat");
  EXPECT_DOUBLE_EQ(r.v.X0[7], 1);  // untouched
  for (std::size_t bad : {2u, 5u, 10u, 14u}) {
    auto broken = lines;
    broken[bad] = "1 x 3 4 5";
    std::string t;
    for (auto& l : broken) t += l + "\n";
    dir.write(rel, t);
    EXPECT_FALSE(readObsPlanFile(s, rel, r)) << bad;
  }
  // A row out of its place.
  auto swapped = lines;
  std::swap(swapped[5], swapped[6]);
  EXPECT_FALSE(parseObsPlanText(swapped, r));
  // A value the file cannot hold: refused, the old file kept.
  dir.write(rel, good);
  ObsPlanFileData nan = d;
  nan.v.X0[3] = std::numeric_limits<double>::quiet_NaN();
  const std::size_t before = sink.messages.size();
  EXPECT_FALSE(writeObsPlanFile(s, rel, nan));
  EXPECT_EQ(sink.messages.size(), before + 1);
  EXPECT_EQ(sink.messages.back().first, "Ошибка записи данных в файл\n\\Tab\\Plan1\\Ptolemy4_1.dat");
  std::vector<std::string> kept;
  ASSERT_EQ(readLines(fullPath(s, rel), kept), ReadStatus::Ok);
  EXPECT_EQ(kept, lines);
  ObsPlanFileData huge = d;
  huge.v.X0[6] = 1e20;  // x 1000 x MK beyond the 64-bit integers
  EXPECT_FALSE(obsPlanFileText(huge));
}

TEST(ObsPlanFile, Paths) {
  EXPECT_EQ(obsPlanPath("Obs", "GREN", 2, 4, 3, "100"), "Obs/Plan2/GREN4_100_3.dat");
  EXPECT_EQ(obsPlanPath("Tab", "Ptolemy", 1, 11, 7, "100"), "Tab/Plan1/Ptolemy11_7.dat");
}

TEST(ObsPlanDesign, FactorsAreTheTickedRowsInOrder) {
  std::array<bool, 10> tick{};
  tick[1] = tick[2] = tick[4] = true;
  std::array<int, design::kMaxFactors + 1> rows{};
  EXPECT_EQ(planFactors(tick, rows), 3);
  EXPECT_EQ(rows[1], 1);
  EXPECT_EQ(rows[2], 2);
  EXPECT_EQ(rows[3], 4);

  State s;
  test::RecordingSink sink;
  s.sink = &sink;
  const auto signs = design::fillSignTables();
  ObsPlan p;
  p.v.tick = {};
  p.v.tick[5] = true;
  EXPECT_FALSE(createObsPlan(s, signs, design::kRotatable, p));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, "К-во факторов должно быть от 2 до 6");
  for (std::size_t i = 1; i <= 7; ++i) p.v.tick[i] = true;
  EXPECT_FALSE(createObsPlan(s, signs, design::kRotatable, p));
  EXPECT_FALSE(p.built);
  p.v.tick = tick;
  ASSERT_TRUE(createObsPlan(s, signs, design::kRotatable, p));
  EXPECT_EQ(p.plan.Nf, 3);
  EXPECT_EQ(p.plan.Npt, 8 + 6 + design::defaultCentrePoints(design::kRotatable, 3));

  // Experiment u: the factor rows at zero level + coded level x interval, the others as given.
  p.v.X0 = {0, 2e11, 0.05, 1.5, 100, 50, 300, 10, 0, 0, 1};
  p.v.dX = {0, 1e7, 0.001, 0.01, 0.1, 0.1, 0.001, 0.01, 0.1, 0.1};
  std::array<double, 11> par{};
  for (std::size_t j = 1; j <= 10; ++j) par[j] = static_cast<double>(j) * 1000.0;
  for (int u = 1; u <= p.plan.Npt; ++u) {
    const auto e = experimentParameters(p, par, u);
    const auto& x = p.plan.Xpl[static_cast<std::size_t>(u)];
    EXPECT_DOUBLE_EQ(e[1], 2e11 + x[1] * 1e7);
    EXPECT_DOUBLE_EQ(e[2], 0.05 + x[2] * 0.001);
    EXPECT_DOUBLE_EQ(e[4], 100 + x[3] * 0.1);
    EXPECT_DOUBLE_EQ(e[3], 3000);
    EXPECT_DOUBLE_EQ(e[10], 10000);
  }
}

TEST(ObsPlanDesign, OptimumOfAKnownQuadratic) {
  State s;
  test::RecordingSink sink;
  s.sink = &sink;
  const auto signs = design::fillSignTables();
  for (int type : {design::kOrthogonal, design::kRotatable}) {
    ObsPlan p;
    p.v.tick[4] = p.v.tick[7] = true;
    p.v.X0[4] = 336;
    p.v.dX[4] = 0.1;
    p.v.X0[7] = 20;
    p.v.dX[7] = 0.01;
    p.v.Xopt[1] = 0.5;  // not a factor: kept
    ASSERT_TRUE(createObsPlan(s, signs, type, p));
    // Y = 3 + (x1 - 0.3)^2 + 2 (x2 + 0.2)^2 + 0.5 x1 x2: a second-order surface the regression
    // holds exactly, optimum from dY/dx = 0 by hand: 2(x1-0.3) + 0.5 x2 = 0, 4(x2+0.2) + 0.5 x1 = 0.
    for (int u = 1; u <= p.plan.Npt; ++u) {
      const auto& x = p.plan.Xpl[static_cast<std::size_t>(u)];
      p.Yexp[static_cast<std::size_t>(u)] =
          3 + (x[1] - 0.3) * (x[1] - 0.3) + 2 * (x[2] + 0.2) * (x[2] + 0.2) + 0.5 * x[1] * x[2];
    }
    ASSERT_TRUE(design::fitRegression(s, p.plan, p.Yexp, p.reg));
    p.fitted = true;
    ASSERT_TRUE(optimiseObsPlan(s, p));
    // 2 x1 + 0.5 x2 = 0.6; 0.5 x1 + 4 x2 = -0.8  ->  x1 = 3.2/7.75*... solved exactly:
    const double det = 2 * 4 - 0.5 * 0.5;
    const double x1 = (0.6 * 4 - 0.5 * -0.8) / det, x2 = (2 * -0.8 - 0.5 * 0.6) / det;
    EXPECT_NEAR(p.v.Xopt[4], x1, 1e-9) << type;
    EXPECT_NEAR(p.v.Xopt[7], x2, 1e-9) << type;
    EXPECT_DOUBLE_EQ(p.v.Xopt[1], 0.5);
    EXPECT_NEAR(p.v.XoptNat[4], 336 + x1 * 0.1, 1e-6);
    EXPECT_NEAR(p.v.XoptNat[7], 20 + x2 * 0.01, 1e-6);
    zeroLevelsFromOptimum(p.v);
    EXPECT_DOUBLE_EQ(p.v.X0[4], p.v.XoptNat[4]);
    clearOptimum(p.v);
    EXPECT_EQ(p.v.Xopt[4], 0);
    EXPECT_EQ(p.v.Xopt[1], 0);
  }
  EXPECT_TRUE(sink.messages.empty());
}

TEST(ObsPlanTemplate, J2000ElementsOfMarsAndTheMoonsMotions) {
  State s;
  ObsPlanValues v;
  v.tick[4] = true;
  ASSERT_TRUE(obsPlanTemplate(s, 4, 2451545.0, false, v));
  // Standish's elements of Mars at J2000: a = 1.52371034 AU, e = 0.09339410, i = 1.84969142,
  // L = -4.55343205 (355.44656795), long. peri. = -23.94362959 (336.05637041), node 49.55953891.
  EXPECT_NEAR(v.X0[1], 1.52371034 * kTheoryLae, 2e3);
  EXPECT_NEAR(v.X0[2], 0.09339410, 1e-8);
  EXPECT_NEAR(v.X0[3], 1.84969142, 1e-7);
  EXPECT_NEAR(v.X0[4], 336.05637041, 1e-7);
  EXPECT_NEAR(v.X0[5], 49.55953891, 1e-7);
  EXPECT_NEAR(v.X0[7], 355.44656795, 1e-7);
  // Wsr in rad per century: 19140.30268499 degrees per century.
  EXPECT_NEAR(v.X0[6], 19140.30268499 / 57.29577951308232, 1e-3);
  EXPECT_EQ(v.X0[8], 0);
  EXPECT_EQ(v.X0[9], 0);
  EXPECT_EQ(v.X0[10], 1);
  EXPECT_EQ(v.Prec, 5029);
  EXPECT_TRUE(v.tick[4]);
  EXPECT_DOUBLE_EQ(v.dX[1], 1e7);
  EXPECT_DOUBLE_EQ(v.dX[7], 0.01);
  for (std::size_t i = 1; i <= 9; ++i) EXPECT_EQ(v.XoptNat[i], v.X0[i]);
  // The Moon: 4069.037111 and -1934.136185 degrees per century, less 5029" with J2000.
  ObsPlanValues m;
  ASSERT_TRUE(obsPlanTemplate(s, 11, 2451545.0, true, m));
  EXPECT_NEAR(m.X0[8], 4069.037111 / 57.29577951308232, 1e-9);
  EXPECT_NEAR(m.X0[9], -1934.136185 / 57.29577951308232, 1e-9);
  ASSERT_TRUE(obsPlanTemplate(s, 11, 2451545.0, false, m));
  EXPECT_NEAR(m.X0[8], (4069.037111 - 5029.0 / 3600) / 57.29577951308232, 1e-9);
  // Object 0 counts as the Earth; the Earth alone (13) has no theory.
  ObsPlanValues e;
  ASSERT_TRUE(obsPlanTemplate(s, 0, 2451545.0, false, e));
  EXPECT_NEAR(e.X0[2], 0.01671123, 1e-8);
  EXPECT_FALSE(obsPlanTemplate(s, 13, 2451545.0, false, e));
}

TEST(ObsPlanTheory, ParametersOfTheCurrentExperimentRow) {
  State s;
  ExperimentTable t;
  t.par = {0, 2.279e11, 0.0934, 1.85, 336.0, 49.5, 334.06, 355.0, 0.01, -0.02, 1};
  for (std::size_t j = 0; j < t.par.size(); ++j) t.row[3][j] = t.par[j];
  t.row[3][4] = 337.0;
  const double JDep = 2451545.0;
  s.JD = JDep + 36525 / 2.0;  // half a century later
  ASSERT_TRUE(obsPlanParameters(s, 4, t, JDep, false));
  const double rad = 1 / s.kUgol;
  EXPECT_NEAR(s.AlfaL[4], 355.0 * rad + 334.06 * 0.5, 1e-12);
  EXPECT_NEAR(s.AlfaP0[4], 336.0 * rad + 0.01 * 0.5, 1e-12);
  EXPECT_NEAR(s.AlfaU0[4], 49.5 * rad - 0.02 * 0.5, 1e-12);
  EXPECT_NEAR(s.W0sr[4] * 36525 * 86400, 334.06, 1e-9);
  t.current = 3;
  ASSERT_TRUE(obsPlanParameters(s, 4, t, JDep, false));
  EXPECT_NEAR(s.AlfaP0[4], 337.0 * rad + 0.01 * 0.5, 1e-12);
  t.row[3][2] = 1.0;  // a parabola is no orbit of the plan
  EXPECT_FALSE(obsPlanParameters(s, 4, t, JDep, false));
}

TEST(ObsPlanRecord, ColumnsOfTheLongRecord) {
  ObsPlanValues v = sample().v;
  const auto c = optimalRecordColumns(v);
  EXPECT_DOUBLE_EQ(c[1], v.XoptNat[4]);
  EXPECT_DOUBLE_EQ(c[3], v.XoptNat[3]);
  EXPECT_DOUBLE_EQ(c[4], v.XoptNat[2]);
  EXPECT_DOUBLE_EQ(c[5], v.XoptNat[1] / 1e9);
  EXPECT_DOUBLE_EQ(c[7], v.XoptNat[7]);
  EXPECT_DOUBLE_EQ(c[10], 0.75);
  const auto k = perturbationCoefficients(v);
  EXPECT_DOUBLE_EQ(k[0], v.X0[2]);
  EXPECT_DOUBLE_EQ(k[7], v.X0[9]);
}

}  // namespace
}  // namespace orvant
