// Screens 18 (plans workbench) and 8 (plan test functions), driven headless through MemoryDesk.
#include "design/screens/plans_screen.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "design/screens/plan_tests_screen.h"
#include "ui/memory_form.h"

namespace orvant::design {
namespace {

namespace fs = std::filesystem;

// "X1", "Xopt_3": ids of the factor rows.
std::string id(const char* prefix, int i) {
  std::string s = prefix;
  s += std::to_string(i);
  return s;
}

struct Bench {
  fs::path dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  ui::Form* f = nullptr;

  Bench() {
    std::string tmpl = (fs::temp_directory_path() / "orvant_plans_screen_XXXXXX").string();
    dir = ::mkdtemp(tmpl.data());
    state.workDir = dir.string();
    wb.add<PlanTestsScreen>(kPlanTestsScreen);
    wb.add<PlansScreen>(kPlansScreen);
    f = &wb.show(kPlansScreen).form();
  }
  ~Bench() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  ui::Form& form() { return *f; }
  PlansScreen& screen() { return wb.screen<PlansScreen>(kPlansScreen); }
  const std::vector<ui::Shape>& shapes() {
    return dynamic_cast<ui::MemoryForm&>(*f).memoryCanvas("pic").shapes();
  }
  bool drawnText(const std::string& text) {
    return std::any_of(shapes().begin(), shapes().end(), [&](const ui::Shape& s) {
      return s.type == ui::Shape::Type::Text && s.text == text;
    });
  }
  bool reportHas(const std::string& line) {
    std::istringstream in(form().text("report"));
    for (std::string l; std::getline(in, l);)
      if (l == line) return true;
    return false;
  }
  // Ticks exactly the given screen rows.
  void tick(std::initializer_list<int> rows) {
    for (int i = 1; i <= 6; ++i)
      form().tick(id("X", i), std::find(rows.begin(), rows.end(), i) != rows.end());
  }
  void build(int type, std::initializer_list<int> rows) {
    tick(rows);
    form().choose("PlanType", type - 1);
    desk.clearDialogs();
    ASSERT_TRUE(form().press("build"));
    ASSERT_TRUE(desk.dialogs().empty()) << desk.dialogs().front().text;
    ASSERT_TRUE(screen().hasPlan());
  }
  std::string lastMessage() { return desk.dialogs().empty() ? "" : desk.dialogs().back().text; }
};

double polynomialOfOnes(const Plan& p, int u) {
  double y = 1;
  for (int i = 1; i <= p.Nf; ++i) y += p.Xpl[u][i] + p.Xpl[u][i] * p.Xpl[u][i];
  for (int i = 1; i <= p.Nf; ++i)
    for (int j = i + 1; j <= p.Nf; ++j) y += p.Xpl[u][i] * p.Xpl[u][j];
  return y;
}

TEST(PlansScreen, StandardTestOfTheOrthogonalPlanIsFittedBackToOnes) {
  Bench b;
  b.build(kOrthogonal, {1, 2});
  EXPECT_TRUE(b.reportHas("к-во точек плана=         9"));
  EXPECT_EQ(b.form().text("N0"), "1");
  ASSERT_TRUE(b.form().press("run"));
  const Plan& p = b.screen().plan();
  for (int u = 1; u <= p.Npt; ++u) EXPECT_NEAR(b.screen().criteria()[u], polynomialOfOnes(p, u), 1e-12) << u;
  EXPECT_EQ(b.form().text("Yopt"), "6");  // Y at point 1, (+1, +1)
  EXPECT_TRUE(b.reportHas("1   6"));
  // Scale: (Ymax - Ymin)/10 over the plan's values.
  double lo = 1e300, hi = -1e300;
  for (int u = 1; u <= p.Npt; ++u) lo = std::min(lo, b.screen().criteria()[u]), hi = std::max(hi, b.screen().criteria()[u]);
  EXPECT_NEAR(*b.form().number("scale"), (hi - lo) / 10, 1e-6);
  EXPECT_NEAR(*b.form().number("Ymin"), lo, 1e-6);
  ASSERT_TRUE(b.form().press("fit"));
  EXPECT_TRUE(b.desk.dialogs().empty());
  for (int c = 0; c <= p.lastColumn(); ++c) EXPECT_NEAR(b.screen().coefficients()[c], 1, 1e-12) << c;
  EXPECT_TRUE(b.reportHas("b5  =  1"));
  EXPECT_TRUE(b.drawnText("расчет"));
  EXPECT_TRUE(b.drawnText("эксперимент"));
}

TEST(PlansScreen, TestFunctionOfScreen8WithTheFormDY) {
  Bench b;
  b.build(kOrthogonal, {1, 2});
  // Choosing "доп. тестов" opens screen 8.
  ASSERT_TRUE(b.form().choose("source", 1));
  ASSERT_NE(b.wb.created(kPlanTestsScreen), nullptr);
  ui::Form& tests = b.wb.screen(kPlanTestsScreen).form();
  EXPECT_TRUE(tests.shown());
  ASSERT_TRUE(tests.choose("func", 1));  // "Y(u)=X1+X1^2"
  EXPECT_EQ(tests.text("Yopt"), "2");
  b.form().choose("form", 1);  // "dY= Y - Yopt"
  ASSERT_TRUE(b.form().press("run"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  const Plan& p = b.screen().plan();
  EXPECT_EQ(b.form().text("Yopt"), "2");
  for (int u = 1; u <= p.Npt; ++u) {
    const double X1 = 1 + p.Xpl[u][1];
    EXPECT_NEAR(b.screen().criteria()[u], X1 + X1 * X1 - 2, 1e-12) << u;
  }
  // The core points with x1 = +1: Y = 2 + 4 = 6, Yexp = 4.
  EXPECT_EQ(b.screen().criteria()[1], 4);
  EXPECT_EQ(b.screen().criteria()[2], 4);
  EXPECT_EQ(b.screen().criteria()[3], -2);
}

TEST(PlansScreen, FileWithOtherCountsIsRefusedAndNothingChanges) {
  Bench b;
  ExperimentFile f;
  f.title = "t";
  f.Nf = 3;
  f.Npt = 16;
  f.heading = "h";
  ASSERT_TRUE(writeExperimentFile(b.state, f));
  fs::rename(b.dir / "Dat/NabPlan3.txt", b.dir / "Dat/NabPlan2.txt");
  b.build(kOrthogonal, {2, 3});
  b.form().choose("source", 2);
  b.form().type("X0_2", "7");
  ASSERT_TRUE(b.form().press("run"));
  ASSERT_EQ(b.desk.dialogs().size(), 1u);
  EXPECT_EQ(b.desk.dialogs()[0].text, "Не верное количество факторов или экспериментов в файле\n\\Dat\\NabPlan2.txt");
  EXPECT_EQ(b.desk.dialogs()[0].title, "Orvant7");
  EXPECT_FALSE(b.form().checked("X1"));
  EXPECT_TRUE(b.form().checked("X2"));
  EXPECT_EQ(b.form().text("X0_2"), "7");
  // Without experiments there is nothing to fit.
  b.desk.clearDialogs();
  b.form().press("fit");
  EXPECT_EQ(b.lastMessage(), "Ошибка при обработке данных");
  // No file at all.
  b.build(kRotatable, {1, 2, 3, 4});
  b.desk.clearDialogs();
  b.form().press("run");
  EXPECT_EQ(b.lastMessage(), "Не могу найти файл\n\\Dat\\NabPlan4.txt");
}

// Natural experiments from the file: a quadratic response with its minimum at (2.5, -1, 4) in natural
// units. The file ticks factors 1..3, fills their zero levels and intervals, and the optimum decodes
// to the minimum.
TEST(PlansScreen, NaturalExperimentsFromTheFileFindTheirOptimum) {
  Bench b;
  b.build(kRotatable, {2, 4, 5});
  const Plan& p = b.screen().plan();
  ExperimentFile f;
  f.title = "натурные опыты";
  f.Nf = 3;
  f.Npt = p.Npt;
  f.Yopt = 5;
  f.X0 = {0, 2, 0, 3};
  f.dX = {0, 1, 0.5, 2};
  f.heading = "опыт, критерий";
  const double a[4] = {0, 2.5, -1, 4};
  for (int u = 1; u <= p.Npt; ++u) {
    double y = 5;
    for (int i = 1; i <= 3; ++i) {
      const double X = f.X0[i] + p.Xpl[u][i] * f.dX[i];
      y += (X - a[i]) * (X - a[i]) * i;
    }
    f.Y[u] = y;
  }
  ASSERT_TRUE(writeExperimentFile(b.state, f));
  b.form().choose("source", 2);
  ASSERT_TRUE(b.form().press("run"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(b.form().checked(id("X", i)), i <= 3) << i;
  EXPECT_EQ(b.form().text("Nf"), "3");
  EXPECT_EQ(b.form().text("X0_3"), "3");
  EXPECT_EQ(b.form().text("dX_2"), "0,5");
  EXPECT_EQ(b.form().text("Yopt"), "5");
  ASSERT_TRUE(b.form().press("fit"));
  ASSERT_TRUE(b.form().press("optimise"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  // The file holds the criteria truncated at 1e-6: the optimum moves by about 1e-6 / curvature.
  for (int i = 1; i <= 3; ++i)
    EXPECT_NEAR(*b.form().number(id("XoptNat_", i)), a[i], 2e-5) << i;
  EXPECT_NEAR(b.screen().optimumValue(), 5, 1e-5);
}

TEST(PlansScreen, OptimumOfTheSumOfSquaresAndItsValue) {
  Bench b;
  b.build(kRotatable, {1, 2, 3, 4});
  b.form().choose("source", 1);
  b.wb.screen(kPlanTestsScreen).form().choose("func", 7);  // "Y(u)= X1^2 + X2^2 + X3^2 + X4^2"
  b.form().press("run");
  b.form().press("fit");
  b.form().press("optimise");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  for (int i = 1; i <= 4; ++i) {
    EXPECT_NEAR(b.screen().codedOptimum()[i], -1, 1e-12) << i;
    EXPECT_EQ(b.form().text(id("Xopt_", i)), "-1") << i;
    EXPECT_EQ(b.form().text(id("XoptNat_", i)), "0") << i;
  }
  EXPECT_EQ(b.form().text("XoptNat_5"), "1");  // outside the plan: untouched
  EXPECT_NEAR(b.screen().optimumValue(), 0, 1e-12);
  EXPECT_TRUE(b.drawnText("Yopt= 0"));
  EXPECT_TRUE(b.reportHas("Yopt= 0"));
  EXPECT_TRUE(b.reportHas("Исходная система линейных уравнений и ее решение"));

  // "dY= Y - Yopt" with "dY/Yopt": the criterion is (Y - 4)/4; at the optimum Y = 0, the criterion -1.
  b.form().choose("form", 1);
  b.form().tick("relative", true);
  b.form().press("run");
  b.form().press("fit");
  b.form().press("optimise");
  EXPECT_NEAR(b.screen().optimumValue(), -1, 1e-12);
  EXPECT_TRUE(b.drawnText("Yopt= -1"));

  // The natural optimum becomes the zero levels; "задать X0(i)=1 " resets the ticked factors only.
  b.form().type("X0_6", "3,5");
  b.form().press("copyOpt");
  EXPECT_EQ(b.form().text("X0_1"), "0");
  EXPECT_EQ(b.form().text("X0_6"), "1");  // its natural optimum box still holds the default 1
  b.form().type("X0_6", "3,5");
  b.form().type("dX_6", "2");
  b.form().press("setOnes");
  EXPECT_EQ(b.form().text("X0_1"), "1");
  EXPECT_EQ(b.form().text("dX_4"), "1");
  EXPECT_EQ(b.form().text("X0_6"), "3,5");
  EXPECT_EQ(b.form().text("dX_6"), "2");
}

TEST(PlansScreen, ResponseCurvesAlongEachFactor) {
  Bench b;
  b.desk.clearDialogs();
  b.form().press("graphs");
  EXPECT_EQ(b.lastMessage(), "Ошибка при построение графиков");
  b.build(kRotatable, {1, 3});
  b.form().choose("source", 1);
  b.wb.screen(kPlanTestsScreen).form().choose("func", 1);  // X1 + X1^2: no X3 dependence
  b.form().press("run");
  b.form().press("fit");
  b.form().press("optimise");
  b.desk.clearDialogs();
  b.form().type("scale", "0,5");
  b.form().type("Ymin", "-1");
  ASSERT_TRUE(b.form().press("graphs"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  // 32 segments per factor in the factor's own colour, labelled by its screen row.
  for (int row : {1, 3}) {
    const ui::Color c = std::find_if(b.shapes().begin(), b.shapes().end(), [&](const ui::Shape& s) {
                          return s.type == ui::Shape::Type::Text && s.text == id("X", row);
                        })->color;
    const auto segments = std::count_if(b.shapes().begin(), b.shapes().end(), [&](const ui::Shape& s) {
      return s.type == ui::Shape::Type::Line && s.color == c;
    });
    EXPECT_EQ(segments, 32) << row;
  }
  // Factor 1 at coded +1 (X1 = 2): Y = 6, drawn (6 - (-1))/0.5 = 14 cm above the base line; at
  // coded -1 (X1 = 0) Y = 0, 2 cm above it.
  const ui::Shape* first = nullptr;
  const ui::Shape* last = nullptr;
  for (const ui::Shape& s : b.shapes())
    if (s.type == ui::Shape::Type::Line && s.color == ui::qbColor(1)) {
      if (!first) first = &s;
      last = &s;
    }
  ASSERT_NE(first, nullptr);
  EXPECT_NEAR(first->y1, 2, 1e-9);
  EXPECT_NEAR(last->y2, 14, 1e-9);
  EXPECT_NEAR(last->x2 - first->x1, 16, 1e-9);  // -1 .. +1 over 16 cm
  // A scale that is not positive cannot be drawn.
  b.form().type("scale", "0");
  b.form().press("graphs");
  EXPECT_EQ(b.lastMessage(), "Ошибка при построение графиков");
  // Clearing empties the drawing and the listing.
  b.form().press("clear");
  EXPECT_TRUE(b.shapes().empty());
  EXPECT_EQ(b.form().text("report"), "");
}

TEST(PlansScreen, RefusalsOfBadInput) {
  Bench b;
  b.tick({1});
  b.form().press("build");
  EXPECT_EQ(b.lastMessage(), "К-во факторов должно быть от 2 до 6");
  EXPECT_FALSE(b.screen().hasPlan());
  b.form().press("run");
  EXPECT_EQ(b.lastMessage(), kNoPlan);

  // The user's centre points: 11 is more than the sign table of 3 factors holds; 4 is taken and shown.
  b.tick({1, 2, 3});
  b.form().tick("setN0", true);
  b.form().type("N0", "11");
  b.form().press("build");
  EXPECT_EQ(b.lastMessage(), "К-во нулевых точек должно быть от 0 до 10");
  b.form().type("N0", "4");
  b.build(kRotatable, {1, 2, 3});
  EXPECT_EQ(b.screen().plan().Npt, 8 + 6 + 4);
  EXPECT_EQ(b.form().text("N0"), "4");
  // The D-optimal plan has no centre points whatever the box says; the box shows 0.
  b.form().type("N0", "x");
  b.build(kBoxDOptimal, {1, 2, 3, 4});
  EXPECT_EQ(b.form().text("N0"), "0");

  b.form().type("dX_5", "абв");  // a factor outside the plan is read as well
  b.desk.clearDialogs();
  b.form().press("run");
  EXPECT_EQ(b.lastMessage(), "Введите правильно нулевые уровни и интервалы");
  b.form().type("dX_5", "1");

  // The quotient function with X4 = 0 at the core points where x4 = -1.
  b.form().choose("source", 1);
  b.wb.screen(kPlanTestsScreen).form().choose("func", 4);
  b.form().press("run");
  EXPECT_EQ(b.lastMessage(), "Ошибка при расчетах");
}

TEST(PlansScreen, SavedExperimentsAskBeforeReplacingAFile) {
  Bench b;
  b.build(kRotatable, {1, 3, 4});
  b.form().type("X0_3", "2,5");
  b.form().press("run");
  b.form().press("save");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  ExperimentFile r;
  ASSERT_TRUE(readExperimentFile(b.state, 3, 16, r));
  EXPECT_EQ(r.X0[2], 2.5);  // screen row 3 is plan factor 2
  EXPECT_EQ(r.Yopt, 10);
  for (int u = 1; u <= 16; ++u) EXPECT_NEAR(r.Y[u], polynomialOfOnes(b.screen().plan(), u), 1e-6) << u;

  b.form().type("X0_3", "9");
  b.form().press("save");  // no answer queued: No
  ASSERT_EQ(b.desk.dialogs().size(), 1u);
  EXPECT_TRUE(b.desk.dialogs()[0].question);
  EXPECT_EQ(b.desk.dialogs()[0].text, "Файл \\Dat\\NabPlan3.txt уже есть. Заменить его?");
  ASSERT_TRUE(readExperimentFile(b.state, 3, 16, r));
  EXPECT_EQ(r.X0[2], 2.5);
  b.desk.answer(true);
  b.form().press("save");
  ASSERT_TRUE(readExperimentFile(b.state, 3, 16, r));
  EXPECT_EQ(r.X0[2], 9);
}

TEST(PlanTestsScreen, ListsTheNineFunctions) {
  State s;
  ui::MemoryDesk desk;
  ui::Workbench wb{s, desk.factory()};
  wb.add<PlanTestsScreen>(kPlanTestsScreen);
  auto& scr = wb.screen<PlanTestsScreen>(kPlanTestsScreen);
  EXPECT_EQ(scr.title(), "Тесты формы планов");
  const auto& entries = scr.control("func").entries;
  ASSERT_EQ(entries.size(), 9u);
  EXPECT_EQ(entries[0], "Y(u)=u");
  EXPECT_EQ(entries[4], "Y(u) = X1* X2 * X3 / X4^2");
  EXPECT_EQ(entries[8], "Y(u)= X1 + X2 + X3 + X4 + X1*X4 + X2*X4 + X3*X4 + X4^2");
  EXPECT_EQ(scr.chosen(), 0);
  scr.form().choose("func", 5);
  EXPECT_EQ(scr.chosen(), 5);
  EXPECT_EQ(scr.form().text("Yopt"), "6");
  // Without screen 8 the workbench cannot offer the test functions.
  ui::MemoryDesk desk2;
  ui::Workbench alone{s, desk2.factory()};
  alone.add<PlansScreen>(kPlansScreen);
  EXPECT_FALSE(alone.show(kPlansScreen).form().choose("source", 1));
}

}  // namespace
}  // namespace orvant::design
