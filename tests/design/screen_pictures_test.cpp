// Screens 18 and 15 as a user meets them: the response curves of any scale are drawn in bounded
// time (a hang is what fails, not a slow machine), the texts of the pictures do not cover one another, and the masses of screen 15's series
// are the series' own.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "support/wait.h"
#include "design/screens/optimisation_screen.h"
#include "design/screens/plan_tests_screen.h"
#include "design/screens/plans_screen.h"
#include "design/plans_workbench.h"
#include "model/format.h"
#include "statistics/test_files.h"
#include "ui/canvas.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::design {
namespace {

using statistics::testing::TempWorkDir;

std::vector<ui::Shape> texts(ui::Form& f) {
  std::vector<ui::Shape> out;
  for (const ui::Shape& s : dynamic_cast<ui::MemoryForm&>(f).memoryCanvas("pic").shapes())
    if (s.type == ui::Shape::Type::Text) out.push_back(s);
  return out;
}

// Two texts cover one another: their boxes (0.2 cm a character, a line of 0.45 cm) intersect.
bool overlap(const ui::Shape& a, const ui::Shape& b) {
  const auto chars = [](const std::string& s) {
    return static_cast<double>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  const double wa = chars(a.text) * 0.2, wb = chars(b.text) * 0.2, h = 0.45, e = 1e-9;  // touching is not covering
  return a.cx1 < b.cx1 + wb - e && b.cx1 < a.cx1 + wa - e && a.cy1 < b.cy1 + h - e && b.cy1 < a.cy1 + h - e;
}

TEST(PlansScreenPicture, CurvesOfAHugeYminAreDrawnInBoundedTime) {
  TempWorkDir dir;
  State state;
  state.workDir = dir.dir().string();
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  wb.add<PlanTestsScreen>(kPlanTestsScreen);
  wb.add<PlansScreen>(kPlansScreen);
  ui::Form& f = wb.show(kPlansScreen).form();
  for (int i = 1; i <= 6; ++i) f.tick("X" + std::to_string(i), i <= 3);
  f.choose("PlanType", kRotatable - 1);
  ASSERT_TRUE(f.press("build"));
  ASSERT_TRUE(f.press("run"));
  ASSERT_TRUE(f.press("fit"));
  ASSERT_TRUE(f.press("optimise"));
  // Three curves end together at 1e20 below Ymin: 1e20 + 0.45 == 1e20, a label search that only
  // steps upward never finds a free height.
  f.type("scale", "1");
  f.type("Ymin", "99999999999999999999");
  ASSERT_TRUE(test::endsNormally([&] { f.press("graphs"); }));  // a hang is killed; then drawn here as well
  desk.clearDialogs();
  f.press("graphs");
  // The labels are on the picture, at its lower edge, one above the other.
  std::vector<double> heights;
  for (const ui::Shape& s : texts(f))
    if (s.text.size() == 2 && s.text[0] == 'X') heights.push_back(s.y1);
  ASSERT_EQ(heights.size(), 3u);
  std::sort(heights.begin(), heights.end());
  EXPECT_GE(heights.front(), kLabelLowCm);
  for (std::size_t i = 1; i < heights.size(); ++i) EXPECT_GE(heights[i] - heights[i - 1], 0.4);
}

// ---- screen 15 ----

// Screen 2 reduced to the contract with screen 15: it records the masses of each start and ends
// the run (or is stopped at experiment stopAt) as screen 2 does.
class RunStandIn : public ui::Screen {
 public:
  RunStandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "Моделирование") {
    options("kodMod", "", {"модель", "имитатор"}, 1);
    for (const char* id : {"animation", "findParams", "writeRecords", "kodVgr", "stopYear", "Xsol0", "Xzem0",
                           "energy", "writeXYZ"})
      check(id, id);
    field("VgrFactor", "", "1");
    field("kPgr", "", "1");
    field("NExp", "", "1");
    hidden("startHidden", [this] { start(); });
  }
  struct Masses {
    double m2, m5, km2, km5;
  };
  std::vector<Masses> starts;
  int stopAt = 0;

 private:
  void start() {
    State& s = state();
    starts.push_back({s.m[2], s.m[5], s.km[2], s.km[5]});
    ui::Screen* plan = workbench().created(15);
    if (static_cast<int>(starts.size()) == stopAt) {
      s.NPlan = 0;
      plan->form().setText("expFrom", plan->form().text("expTo"));
    } else if (s.NPlan > 0) {
      plan->form().setText("runFinished", "43200");
      s.NPlan = 0;
    }
  }
};

struct Bench15 {
  TempWorkDir dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench15() {
    state.workDir = dir.dir().string();
    initCatalogue(state);
    setMassSet(state, 3);
    wb.add<RunStandIn>(2);
    wb.add<OptimisationScreen>(15);
    wb.screen<OptimisationScreen>(15).setSoundPlayer([](const std::string&) {});
  }
  ui::Form& form() { return wb.show(15).form(); }
  RunStandIn& run() { return wb.screen<RunStandIn>(2); }
};

TEST(OptimisationScreenMasses, RowsSixAndSevenOpenWithTheRatiosOfTheMassSet) {
  Bench15 b;
  const State set = b.state;
  ui::Form& f = b.form();
  EXPECT_NEAR(*f.number("X0_6"), set.km[5], 1e-9 * set.km[5]);
  EXPECT_NEAR(*f.number("X0_7"), set.km[2], 1e-9 * set.km[2]);
  // The default series (rows 1 and 4) keeps the planets' masses.
  ASSERT_TRUE(f.press("build"));
  ASSERT_TRUE(f.press("run"));
  ASSERT_EQ(b.run().starts.size(), 9u);
  for (const auto& m : b.run().starts) {
    EXPECT_NEAR(m.m5, set.m[5], 1e-9 * set.m[5]);
    EXPECT_NEAR(m.m2, set.m[2], 1e-9 * set.m[2]);
  }
  // Another mass set in use when the screen is shown again: untouched rows follow it, a typed
  // row stays as typed.
  f.type("X0_7", "400000");
  setMassSet(b.state, 1);
  b.wb.show(2);
  b.wb.show(15);
  EXPECT_NEAR(*f.number("X0_6"), b.state.km[5], 1e-9 * b.state.km[5]);
  EXPECT_EQ(f.text("X0_7"), "400000");
}

TEST(OptimisationScreenMasses, ASeriesLeavesTheMassesOfTheSetForLaterRuns) {
  Bench15 b;
  const State set = b.state;
  ui::Form& f = b.form();
  f.tick("use4", false);
  f.tick("use6", true);  // Jupiter's ratio varies: rows 1 and 6
  f.type("dX_6", "100");
  ASSERT_TRUE(f.press("build"));
  ASSERT_TRUE(f.press("run"));
  ASSERT_EQ(b.run().starts.size(), 9u);
  EXPECT_NE(b.run().starts.front().m5, set.m[5]);  // the series' own masses during its runs
  EXPECT_EQ(b.state.m[5], set.m[5]);
  EXPECT_EQ(b.state.km[5], set.km[5]);
  EXPECT_EQ(b.state.m[2], set.m[2]);
  EXPECT_EQ(b.state.km[2], set.km[2]);

  // A series stopped on screen 2 gives the masses back as well, quietly.
  b.run().starts.clear();
  b.run().stopAt = 2;
  f.type("expFrom", "1");
  f.type("expTo", "9");
  ASSERT_TRUE(f.press("run"));
  ASSERT_EQ(b.run().starts.size(), 2u);
  EXPECT_EQ(b.state.m[5], set.m[5]);
  EXPECT_EQ(b.state.km[5], set.km[5]);
  EXPECT_TRUE(b.desk.dialogs().empty());
  EXPECT_NE(f.text("progress").find("серия закончена"), std::string::npos) << f.text("progress");
}

TEST(OptimisationScreenPicture, CriterionValuesAndCurveLabelsDoNotOverlap) {
  Bench15 b;
  ui::Form& f = b.form();
  for (int i = 1; i <= 7; ++i) f.tick("use" + std::to_string(i), i <= 4);
  f.choose("PlanType", 1);  // rotatable, 4 factors: 31 experiments 0,5 cm apart
  ASSERT_TRUE(f.press("build"));
  f.choose("data", 0);
  ASSERT_TRUE(f.press("criterion"));
  const auto values = texts(f);
  int shown = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (std::size_t j = i + 1; j < values.size(); ++j)
      EXPECT_FALSE(overlap(values[i], values[j])) << values[i].text << " / " << values[j].text;
    if (parseNumber(values[i].text) && std::fabs(values[i].y1 + 0.15) > 1e-9) ++shown;  // not a number of an experiment
  }
  EXPECT_GE(shown, 8);  // the values that have room are shown

  ASSERT_TRUE(f.press("fit"));
  ASSERT_TRUE(f.press("optimise"));
  f.type("scale", "1000");  // every curve flat on one height: their labels end together
  f.type("Ymin", "0");
  ASSERT_TRUE(f.press("graphs"));
  std::vector<ui::Shape> labels;
  for (const ui::Shape& s : texts(f))
    if (s.text.size() == 2 && s.text[0] == 'X') labels.push_back(s);
  ASSERT_EQ(labels.size(), 4u);
  for (std::size_t i = 0; i < labels.size(); ++i)
    for (std::size_t j = i + 1; j < labels.size(); ++j) EXPECT_FALSE(overlap(labels[i], labels[j]));
}

}  // namespace
}  // namespace orvant::design
