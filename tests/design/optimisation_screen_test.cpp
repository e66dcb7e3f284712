// Screen 15 driven headless. Screen 2 is played by a stand-in that declares the controls of the
// contract between the two screens and behaves as a run does at its end: it notifies screen 15
// through `runFinished` and clears NPlan (or refuses to start, or is stopped).
#include "design/screens/optimisation_screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "model/format.h"
#include "statistics/records.h"
#include "statistics/test_files.h"
#include "statistics/screens/weights_screen.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::design {
namespace {

using statistics::testing::TempWorkDir;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// What the stand-in saw at each start.
struct Start {
  int e = 0;
  double VgrFactor = 0, kPgr = 0;
  double VXsys = 0, VYsys = 0, VZsys = 0, km5 = 0, m5 = 0, km2 = 0, m2 = 0;
  int NPlan = 0;
  bool model = false, animation = false, findParams = false, writeRecords = false, finiteVgr = false,
       stopYear = false, sunCentre = false, earthCentre = true, energy = true, writeXYZ = true;
};

class FakeRunScreen : public ui::Screen {
 public:
  FakeRunScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Моделирование и имитирование движения планет") {
    options("kodMod", "", {"модель", "имитатор"}, 1);
    check("animation", "Анимация");
    check("findParams", "Найти показатели планеты №");
    field("Ntr", "", "1");
    check("writeRecords", "Записать параметры орбиты в файл");
    check("kodVgr", "Vgr = Vsv *");
    field("VgrFactor", "", "1");
    field("kPgr", "kPgr =", "1");
    check("stopYear", "эксперимент закончить в");
    field("YearStop", "", "2000");
    check("Xsol0", "Xsol=0");
    check("Xzem0", "Xzem=0", true);
    check("energy", "dEsys, dMsys, %", true);
    check("writeXYZ", "Записать координаты  X, Y, Z", true);
    field("NExp", "", "1");
    hidden("startHidden", [this] { start(); });
  }

  std::vector<Start> starts;
  int refuseAt = 0;  // this experiment is refused ("Задайте правильно данные")
  int stopAt = 0;    // this experiment is stopped by "Остановить"
  bool nested = false;

 private:
  void start() {
    if (inRun_) nested = true;
    inRun_ = true;
    ui::Form& f = form();
    State& s = state();
    Start st;
    st.e = static_cast<int>(*f.number("NExp"));
    st.VgrFactor = *f.number("VgrFactor");
    st.kPgr = *f.number("kPgr");
    st.VXsys = s.VXsys;
    st.VYsys = s.VYsys;
    st.VZsys = s.VZsys;
    st.km5 = s.km[5];
    st.m5 = s.m[5];
    st.km2 = s.km[2];
    st.m2 = s.m[2];
    st.NPlan = s.NPlan;
    st.model = f.option("kodMod") == 0;
    st.animation = f.checked("animation");
    st.findParams = f.checked("findParams");
    st.writeRecords = f.checked("writeRecords");
    st.finiteVgr = f.checked("kodVgr");
    st.stopYear = f.checked("stopYear");
    st.sunCentre = f.checked("Xsol0");
    st.earthCentre = f.checked("Xzem0");
    st.energy = f.checked("energy");
    st.writeXYZ = f.checked("writeXYZ");
    starts.push_back(st);
    ui::Screen* plan = workbench().created(15);
    if (st.e == refuseAt) {
      f.message("Задайте правильно данные", kTitle7);
    } else if (st.e == stopAt) {
      s.NPlan = 0;
      plan->form().setText("expFrom", plan->form().text("expTo"));
    } else if (s.NPlan > 0) {
      plan->form().setText("runFinished", "43200");
      s.NPlan = 0;
    }
    inRun_ = false;
  }
  bool inRun_ = false;
};

struct Bench {
  TempWorkDir dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  std::vector<std::string> sounds;

  explicit Bench(bool withRunScreen = true, bool withWeights = true) {
    state.workDir = dir.dir().string();
    if (withRunScreen) wb.add<FakeRunScreen>(2);
    wb.add<OptimisationScreen>(15);
    if (withWeights) wb.add<statistics::WeightsScreen>(19);
    screen().setSoundPlayer([this](const std::string& p) { sounds.push_back(p); });
  }
  OptimisationScreen& screen() { return wb.screen<OptimisationScreen>(15); }
  FakeRunScreen& run() { return wb.screen<FakeRunScreen>(2); }
  ui::Form& form() { return wb.show(15).form(); }
  std::string last() const { return desk.dialogs().empty() ? "" : desk.dialogs().back().text; }
  std::vector<std::string> reportLines() {
    std::vector<std::string> out;
    std::istringstream in(form().text("report"));
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  void setRow(int i, const std::string& X0, const std::string& dX) {
    form().type("X0_" + std::to_string(i), X0);
    form().type("dX_" + std::to_string(i), dX);
  }
};

// Appends " n" to a file line.
void item(std::string& line, long long n) {
  line += ' ';
  line += std::to_string(n);
}

// Coded levels of the 2-factor orthogonal plan (first factor slowest; star arm 1; one centre point).
constexpr double kCoded[9][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}};

TEST(OptimisationScreen, DefaultPlanIsOverRowsOneAndFour) {
  Bench b;
  ui::Form& f = b.form();
  EXPECT_EQ(f.text("Nf"), "2");
  ASSERT_TRUE(f.press("build"));
  ASSERT_TRUE(b.screen().hasPlan());
  EXPECT_EQ(b.screen().plan().Npt, 9);
  EXPECT_EQ(b.screen().planFactors()[1], 1);
  EXPECT_EQ(b.screen().planFactors()[2], 4);
  EXPECT_EQ(f.text("expTo"), "9");
  const auto lines = b.reportLines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Номер эксперимента, уровни плана и значение критерия (экспериментальное и расчетное)");
  EXPECT_EQ(lines[1], "1   1   1");
  EXPECT_EQ(lines[4], "4   -1   -1");
  EXPECT_EQ(lines[7], "7   0   1");
  // A rotatable plan of the same two factors has three centre points.
  f.choose("PlanType", 1);
  f.press("build");
  EXPECT_EQ(f.text("expTo"), "11");
  EXPECT_EQ(b.reportLines()[5], "5   1,41   0");  // star arm 2^(2/4) = 1.41421..., two decimals
}

TEST(OptimisationScreen, FactorCountOutsideTwoToSixIsRefused) {
  Bench b;
  ui::Form& f = b.form();
  f.tick("use4", false);
  EXPECT_EQ(f.text("Nf"), "1");
  f.press("build");
  EXPECT_EQ(b.last(), "К-во факторов должно быть от 2 до 6");
  EXPECT_EQ(b.desk.dialogs().back().title, "Orvant7");
  EXPECT_FALSE(b.screen().hasPlan());
  for (int i = 1; i <= 7; ++i) f.tick("use" + std::to_string(i), true);
  EXPECT_EQ(f.text("Nf"), "7");
  b.desk.clearDialogs();
  f.press("build");
  EXPECT_EQ(b.last(), "К-во факторов должно быть от 2 до 6");
  EXPECT_FALSE(b.screen().hasPlan());
}

class Series : public ::testing::Test {
 protected:
  Bench b;
  void SetUp() override {
    ui::Form& f = b.form();
    b.setRow(1, "30", "10");
    b.setRow(2, "-5", "3");
    b.setRow(3, "2", "1");
    b.setRow(4, "1,5", "0,5");
    b.setRow(5, "0,7", "0,1");
    b.setRow(6, "1047,3486", "10");
    b.setRow(7, "408523,71", "100");
    f.type("planNo", "3");
    ASSERT_TRUE(f.press("build"));
  }
};

TEST_F(Series, EveryExperimentStartsInTurnWithItsSettings) {
  ui::Form& f = b.form();
  const double mSun = b.state.m[0];
  ASSERT_TRUE(f.press("run"));
  const auto& starts = b.run().starts;
  ASSERT_EQ(starts.size(), 9u);
  EXPECT_FALSE(b.run().nested);
  for (int e = 1; e <= 9; ++e) {
    const Start& st = starts[at(e - 1)];
    EXPECT_EQ(st.e, e);
    EXPECT_EQ(st.NPlan, 3);
    // Rows 1 (VX) and 4 (Vgr factor) vary; the other five stay at their zero levels.
    EXPECT_DOUBLE_EQ(st.VXsys, 30 + 10 * kCoded[e - 1][0]) << e;
    EXPECT_DOUBLE_EQ(st.VgrFactor, 1.5 + 0.5 * kCoded[e - 1][1]) << e;
    EXPECT_EQ(st.VYsys, -5);
    EXPECT_EQ(st.VZsys, 2);
    EXPECT_DOUBLE_EQ(st.kPgr, 0.7);
    EXPECT_DOUBLE_EQ(st.km5, 1047.3486);
    EXPECT_DOUBLE_EQ(st.m5, mSun / 1047.3486);
    EXPECT_DOUBLE_EQ(st.km2, 408523.71);
    EXPECT_DOUBLE_EQ(st.m2, mSun / 408523.71);
    EXPECT_TRUE(st.model && st.animation && st.findParams && st.writeRecords && st.finiteVgr && st.stopYear &&
                st.sunCentre);
    EXPECT_FALSE(st.earthCentre || st.energy || st.writeXYZ);
  }
  EXPECT_EQ(f.text("expFrom"), "10");
  EXPECT_EQ(b.state.NPlan, 0);
  EXPECT_EQ(b.screen().finishedRuns(), 9);
  ASSERT_EQ(b.sounds.size(), 1u);
  EXPECT_EQ(b.sounds[0], (b.dir / "Arhiv/Zvuk_end1.wav").string());
  EXPECT_NE(f.text("progress").find("выполнено 9 из 9"), std::string::npos) << f.text("progress");
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.last();
  // The settings of the last experiment are shown in the third column.
  EXPECT_EQ(f.text("Xset_1"), "30");
  EXPECT_EQ(f.text("Xset_4"), "1,5");
}

TEST_F(Series, APartOfThePlanAndAResumedSeries) {
  ui::Form& f = b.form();
  f.type("expFrom", "3");
  f.type("expTo", "5");
  f.press("run");
  ASSERT_EQ(b.run().starts.size(), 3u);
  EXPECT_EQ(b.run().starts.front().e, 3);
  EXPECT_EQ(b.run().starts.back().e, 5);
  EXPECT_EQ(f.text("expFrom"), "6");
  // Resumed from where the chain stopped.
  f.type("expTo", "9");
  f.press("run");
  ASSERT_EQ(b.run().starts.size(), 7u);
  EXPECT_EQ(b.run().starts.back().e, 9);
  EXPECT_EQ(b.sounds.size(), 2u);
}

TEST_F(Series, ARefusedStartEndsTheSeries) {
  ui::Form& f = b.form();
  b.run().refuseAt = 4;
  f.press("run");
  ASSERT_EQ(b.run().starts.size(), 4u);
  ASSERT_EQ(b.desk.dialogs().size(), 2u);
  EXPECT_EQ(b.desk.dialogs()[0].text, "Задайте правильно данные");
  EXPECT_EQ(b.desk.dialogs()[1].text, "Ошибка при выполнение плана");
  EXPECT_EQ(b.desk.dialogs()[1].screen, 15);
  EXPECT_EQ(f.text("expFrom"), "4");
  EXPECT_EQ(b.state.NPlan, 0);
  EXPECT_TRUE(b.sounds.empty());
  // The series can be taken up again from experiment 4.
  b.run().refuseAt = 0;
  f.press("run");
  EXPECT_EQ(b.run().starts.back().e, 9);
  EXPECT_EQ(b.run().starts.size(), 10u);
}

TEST_F(Series, StopOnScreenTwoEndsTheSeries) {
  ui::Form& f = b.form();
  b.run().stopAt = 2;
  f.press("run");
  ASSERT_EQ(b.run().starts.size(), 2u);
  EXPECT_EQ(f.text("expFrom"), "9");
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.last();
  EXPECT_TRUE(b.sounds.empty());
}

TEST_F(Series, BadInputStartsNothing) {
  ui::Form& f = b.form();
  const auto refused = [&](const char* what, const char* text = "Ошибка при выполнение плана") {
    const int plan = b.state.NPlan;
    b.desk.clearDialogs();
    f.press("run");
    EXPECT_EQ(b.last(), text) << what;
    EXPECT_TRUE(b.run().starts.empty()) << what;
    EXPECT_EQ(b.state.NPlan, plan) << what;
  };
  f.type("planNo", "три");
  refused("plan number", "Задайте правильно номер плана");
  f.type("planNo", "3");
  f.type("expTo", "10");
  refused("past the last experiment");
  f.type("expTo", "9");
  f.type("expFrom", "0");
  refused("experiment 0");
  f.type("expFrom", "x");
  refused("not a number");
  f.type("expFrom", "5");
  f.type("expTo", "4");
  refused("from after to");
  f.type("expTo", "9");
  f.type("X0_6", "0");  // Jupiter's mass would be m0/0
  refused("zero mass ratio");
  f.type("X0_6", "1047");
  f.type("dX_2", "abc");
  refused("an interval that is not a number");
  f.type("dX_2", "3");
  b.state.NPlan = 5;  // a run of plan 5 is still going
  refused("a run in progress");
  b.state.NPlan = 0;
  b.desk.clearDialogs();
  f.press("run");
  EXPECT_EQ(b.run().starts.size(), 5u);
}

TEST(OptimisationScreen, NoPlanNoRunAndButtonsOfMissingScreensDisabled) {
  Bench b;
  b.form().press("run");
  EXPECT_EQ(b.last(), "Ошибка при выполнение плана");
  Bench alone(false, false);
  ui::Form& f = alone.form();
  EXPECT_FALSE(f.enabled("run"));
  EXPECT_FALSE(f.enabled("weights"));
  EXPECT_FALSE(f.press("run"));
  EXPECT_TRUE(f.enabled("build"));
}

TEST(OptimisationScreen, WeightsButtonOpensScreenNineteenOnThePlan) {
  Bench b;
  b.form().type("planNo", "12");
  ASSERT_TRUE(b.form().press("weights"));
  ASSERT_NE(b.wb.created(19), nullptr);
  EXPECT_TRUE(b.wb.created(19)->form().shown());
  EXPECT_EQ(b.wb.created(19)->form().text("plan"), "12");
}

// ---- criterion, regression, optimum ----

// Observed shifts of the New0 source and the calculated shifts of planet 1 in plan 3, where the
// calculated perihelion shift is a known quadratic in the coded levels.
class Criterion15 : public ::testing::Test {
 protected:
  Bench b;
  static constexpr double kNab = 42.98;
  static double surface(double x1, double x2) {
    return kNab * (1 + 0.5 * (x1 - 0.3) * (x1 - 0.3) + 2 * (x2 + 0.2) * (x2 + 0.2));
  }
  void writeObserved(double mercuryPerihelion) {
    std::string t = "Обработанные данные  \\NEW  по всем планетам\n№ планеты      перигелий\n";
    for (int N = 1; N <= 11; ++N) {
      item(t, N);
      const double v[6] = {N == 1 ? mercuryPerihelion : 1.0, 2, 3, 4, 5, 6};
      for (double x : v) item(t, static_cast<long long>(std::trunc(x * 1e6)));
      t += '\n';
    }
    b.dir.write("NEW/OrvantNab.dat", t);
  }
  void writeCalculated() {
    std::string t = "Обработанные данные расчета для плана № 3  по планете № 1\n 9\n№ эксперимента\n";
    for (int e = 1; e <= 9; ++e) {
      item(t, e);
      const double v[6] = {surface(kCoded[e - 1][0], kCoded[e - 1][1]), 1, 1, 1, 1, 1};
      for (double x : v) item(t, static_cast<long long>(std::trunc(x * 1e6)));
      t += '\n';
    }
    b.dir.write("Plan3/Orvant1Ras.dat", t);
  }
  void SetUp() override {
    ui::Form& f = b.form();
    f.type("planNo", "3");
    b.setRow(1, "20", "10");
    b.setRow(4, "1,5", "0,5");
    ASSERT_TRUE(f.press("build"));
  }
};

TEST_F(Criterion15, ModelCriterionNeedsTheObservedShifts) {
  b.form().press("criterion");
  EXPECT_EQ(b.last(), "Загрузите данные наблюдений");
  b.form().press("loadNab");
  EXPECT_EQ(b.last(), "Не могу найти файл \\NEW\\OrvantNab.dat");
}

TEST_F(Criterion15, TestDataWithDYStartsAtZero) {
  ui::Form& f = b.form();
  f.choose("data", 0);
  f.choose("form", 1);
  ASSERT_TRUE(f.press("criterion"));
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.last();
  EXPECT_EQ(b.screen().criteria()[1], 0);
  // Zero levels and intervals of rows 1..Nf become 1; the other rows keep theirs.
  EXPECT_EQ(f.text("X0_1"), "1");
  EXPECT_EQ(f.text("dX_2"), "1");
  EXPECT_EQ(f.text("X0_4"), "1,5");
  // Regression coefficients are all 1 after a criterion.
  for (int c = 0; c <= 27; ++c) EXPECT_EQ(b.screen().coefficients()[at(c)], 1);
}

TEST_F(Criterion15, FromShiftsToTheNaturalOptimum) {
  writeObserved(kNab);
  writeCalculated();
  ui::Form& f = b.form();
  f.choose("form", 0);  // "Y": the weighted calculated shift itself
  ASSERT_TRUE(f.press("loadNab"));
  ASSERT_TRUE(f.press("criterion"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  for (int e = 1; e <= 9; ++e)
    EXPECT_NEAR(b.screen().criteria()[at(e)], surface(kCoded[e - 1][0], kCoded[e - 1][1]), 1e-6);
  EXPECT_NEAR(*f.number("Ymin"), surface(0, 0), 2e-6);  // the centre point is the lowest
  f.press("fit");
  f.press("optimise");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  // The stationary point of the quadratic is at x1 = 0.3, x2 = -0.2 (coded), i.e. VX = 20 + 3,
  // Vgr factor = 1.5 - 0.1.
  EXPECT_NEAR(*f.number("Xopt_1"), 0.3, 2e-6);
  EXPECT_NEAR(*f.number("Xopt_4"), -0.2, 2e-6);
  EXPECT_NEAR(*f.number("XoptNat_1"), 23, 2e-5);
  EXPECT_NEAR(*f.number("XoptNat_4"), 1.4, 2e-6);
  EXPECT_EQ(f.text("Xopt_2"), "0");  // rows outside the plan keep their boxes
  f.press("copyOpt");
  EXPECT_EQ(f.text("X0_1"), f.text("XoptNat_1"));
  EXPECT_EQ(f.text("X0_4"), f.text("XoptNat_4"));
  // Graphs at the screen's scale; a scale far too small is refused.
  b.desk.clearDialogs();
  f.press("graphs");
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.last();
  auto& pic = static_cast<ui::MemoryForm&>(f).memoryCanvas("pic");
  EXPECT_GE(pic.shapes().size(), 64u);  // 2 x 32 segments
  f.type("scale", "0,000001");
  f.press("graphs");
  EXPECT_EQ(b.last(), "Ошибка при построение графиков\nПопробуйте увеличить масштаб");
}

TEST_F(Criterion15, ZeroObservedShiftInARelativeForm) {
  writeObserved(0);
  writeCalculated();
  ui::Form& f = b.form();
  f.press("loadNab");
  for (int form = 1; form <= 3; ++form) {
    f.choose("form", form);
    b.desk.clearDialogs();
    f.press("criterion");
    EXPECT_EQ(b.last(), "Ошибка чтения данных из файла\n\\Plan3\\Orvant1Ras.dat") << form;
  }
  f.press("fit");
  EXPECT_EQ(b.last(), "Ошибка при рассчете коэффициентов");
}

// ---- plan file through the screen ----

TEST(OptimisationScreen, SavedPlanLoadsBackToSixDecimals) {
  Bench b;
  ui::Form& f = b.form();
  f.type("planNo", "5");
  const char* X0[8] = {"", "12,3456789", "-0,0000015", "3", "1,25", "0,5", "1047,3486", "408523,71"};
  for (int i = 1; i <= 7; ++i) b.setRow(i, X0[i], "0," + std::to_string(i) + "1234567");
  f.choose("PlanType", 1);
  b.state.Wt[3][2] = 12.5;
  ASSERT_TRUE(f.press("save"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  const std::string text = b.dir.read("Plan5/OrvantPlan5.dat");
  EXPECT_EQ(text.substr(0, text.find('\n')), "Уровни варьирования плана № 5");
  EXPECT_NE(text.find("\nRoto - для  2  факторов \n"), std::string::npos);
  for (int i = 1; i <= 7; ++i) {
    b.setRow(i, "99", "99");
    f.setText("Xopt_" + std::to_string(i), "7");
  }
  b.state.Wt[3][2] = 0;
  ASSERT_TRUE(f.press("load"));
  for (int i = 1; i <= 7; ++i) {
    EXPECT_EQ(*f.number("X0_" + std::to_string(i)), truncDecimals(*parseNumber(X0[i]), 6)) << i;
    EXPECT_EQ(*f.number("dX_" + std::to_string(i)), truncDecimals(*parseNumber("0." + std::to_string(i) + "1234567"), 6));
    EXPECT_EQ(f.text("Xopt_" + std::to_string(i)), "0");
    EXPECT_EQ(f.text("XoptNat_" + std::to_string(i)), "1");
  }
  EXPECT_EQ(b.state.Wt[3][2], 12.5);
  EXPECT_EQ(b.reportLines()[2].substr(0, 5), "X1   ");
}

TEST(OptimisationScreen, PlanFileRefusals) {
  Bench b;
  ui::Form& f = b.form();
  f.type("planNo", "1,5");
  f.press("save");
  EXPECT_EQ(b.last(), "Задайте правильно номер плана");
  f.press("load");
  EXPECT_EQ(b.last(), "Задайте правильно номер плана");
  f.type("planNo", "9");
  f.press("load");
  EXPECT_EQ(b.last(), "Не могу найти файл \\Plan9\\OrvantPlan9.dat");
  f.type("X0_3", "три");
  f.press("save");
  EXPECT_EQ(b.last(), "Ошибка при записи данных в файл \\Plan9 \\OrvantPlan9.dat");
  EXPECT_FALSE(b.dir.exists("Plan9/OrvantPlan9.dat"));
  b.dir.write("Plan9/OrvantPlan9.dat", "Уровни варьирования плана № 9\nOrto - для  2  факторов \n1 2 3\n");
  f.press("load");
  EXPECT_EQ(b.last(), "Ошибка при чтении данных из файла \\Plan9\\OrvantPlan9.dat");
  EXPECT_EQ(f.text("X0_1"), "1");
}

TEST(OptimisationScreen, ShiftsOfAllExperiments) {
  Bench b;
  ui::Form& f = b.form();
  f.type("planNo", "2");
  f.press("allShifts");
  EXPECT_EQ(b.last(), "Сначала создайте план экспериментов");
  ASSERT_TRUE(f.press("build"));
  // Perihelion of Mercury advancing 0.01 deg a century faster in each experiment.
  for (int e = 1; e <= 9; ++e) {
    const std::string rel = statistics::recordPath(statistics::Source::Model, 1, 2, e);
    ASSERT_TRUE(statistics::createRecordFile(b.state, rel, {"1", "2", "3", "4"}, 10, 2378497));
    for (int r = 0; r < 5; ++r) {
      const double days = r * 3652.5;
      std::vector<std::int64_t> v = {r + 1, scaledInt(days, 100), scaledInt(77 + 0.01 * e * r / 10, 1e8),
                                     0, 0, 0, 0, 0};
      ASSERT_TRUE(statistics::appendRecord(b.state, rel, v));
    }
  }
  f.type("shiftPlanet", "11");
  f.press("allShifts");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  f.type("shiftPlanet", "1");
  b.desk.clearDialogs();
  ASSERT_TRUE(f.press("allShifts"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  EXPECT_EQ(b.state.NE, 9);
  for (int e = 1; e <= 9; ++e) EXPECT_NEAR(b.state.RasShift[1][1][at(e)], 36.0 * e, 1e-3) << e;
  EXPECT_TRUE(b.dir.exists("Plan2/Orvant1Ras.dat"));
  EXPECT_EQ(b.reportLines().size(), 10u);
}

}  // namespace
}  // namespace orvant::design
