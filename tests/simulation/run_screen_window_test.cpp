// Screen 2 as a window the user closes, leaves for screen 6, and reads plots from: closing during a
// run stops the run; screen 6 opens on the run's plan and experiment; a plot that leaves the
// picture widens its scale unless the user typed it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/format.h"
#include "run_fixture.h"
#include "simulation/screens/run_screen.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::test {
namespace {

using simulation::RunScreen;

// Stand-ins with the controls screen 2 uses on screens 6 and 15.
class StatisticsStandIn : public ui::Screen {
 public:
  StatisticsStandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "статистика") {
    field("plan", "план №", "1");
    field("exp", "эксперимент №", "1");
  }
};
class PlanStandIn : public ui::Screen {
 public:
  PlanStandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "план") {
    field("expFrom", "", "2");
    field("expTo", "по №", "7");
    hidden("runFinished", [this] { ++finished; });
  }
  int finished = 0;
};

struct Bench {
  State state;
  TempDir dir;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() {
    double e6[6];
    mercuryWithAnomaly(270, e6);
    state = keplerState(1, e6);
    state.workDir = dir.path.string();
    wb.add<RunScreen>(2);
    wb.add<StatisticsStandIn>(6);
    wb.add<PlanStandIn>(15);
  }
  ui::Form& form() { return wb.show(2).form(); }
  std::vector<ui::Shape> graphLines() {
    std::vector<ui::Shape> out;
    for (const ui::Shape& s : dynamic_cast<ui::MemoryForm&>(form()).memoryCanvas("graph").shapes())
      if (s.type == ui::Shape::Type::Line || s.type == ui::Shape::Type::Point) out.push_back(s);
    return out;
  }
};

TEST(RunWindow, ClosingTheWindowDuringARunStopsTheRunAndTheSeries) {
  Bench b;
  ui::Form& f = b.form();
  f.type("NC0", "10");
  b.wb.screen(15);    // the plan screen that started the series
  b.state.NPlan = 3;  // a run of a plan series
  b.desk.setDisplayListener([&](long n) {
    if (n == 3) f.press("closeForm");
  });
  b.desk.limitDisplays(200);  // a bound for the test only: without the stop the run goes on to it
  f.press("start");
  EXPECT_EQ(b.desk.displays(), 3);
  EXPECT_FALSE(f.shown());
  EXPECT_EQ(b.state.kStop, 1);
  EXPECT_EQ(b.state.NPlan, 0);  // as "Остановить": the series ends
  EXPECT_EQ(b.wb.screen(15).form().text("expFrom"), "7");
  EXPECT_EQ(b.wb.screen<PlanStandIn>(15).finished, 0);
  // Closed while idle: nothing is stopped.
  b.state.kStop = 0;
  b.wb.show(2);
  f.press("closeForm");
  EXPECT_EQ(b.state.kStop, 0);
}

TEST(RunWindow, ScreenSixOpensOnThePlanAndExperimentOfTheRun) {
  Bench b;
  ui::Form& f = b.form();
  f.type("NExp", "5");
  b.wb.show(6).form().setText("plan", "1");
  f.press("toStat");
  ui::Form& six = b.wb.screen(6).form();
  EXPECT_EQ(six.text("plan"), "0");  // outside a plan a run writes under Plan0
  EXPECT_EQ(six.text("exp"), "5");

  // A run of plan 3, experiment 4: NPlan is cleared at its end, screen 6 still gets plan 3.
  b.state.NPlan = 3;
  f.type("NExp", "4");
  f.tick("writeRecords", true);
  b.desk.limitDisplays(2);
  f.press("start");
  b.desk.limitDisplays(-1);
  f.type("NExp", "9");  // typed after the run: the records are still those of experiment 4
  f.press("toStat");
  EXPECT_EQ(six.text("plan"), "3");
  EXPECT_EQ(six.text("exp"), "4");
}

TEST(RunWindow, APlotThatLeavesThePictureWidensItsScaleUnlessTyped) {
  Bench b;
  ui::Form& f = b.form();
  f.type("NC0", "24");  // a display point a day
  f.tick("plotX", true);
  b.desk.limitDisplays(100);  // 100 days: more than one orbit of Mercury
  f.press("start");
  // Mercury's X reaches about 70 million km: at the default 10000 thousand km per cm that is 7 cm,
  // off a picture of +-4,5 cm. The scale becomes the next of 1, 2, 5 x 10^k that keeps it inside.
  const double widened = *parseNumber(f.text("scaleXYZ"));
  EXPECT_EQ(widened, 20000);
  const auto lines = b.graphLines();
  ASSERT_GT(lines.size(), 50u);
  double highest = 0;
  for (const ui::Shape& s : lines) highest = std::max({highest, std::fabs(s.y1), std::fabs(s.y2)});
  EXPECT_LE(highest, 4.5);
  EXPECT_GT(highest, 2.5);  // and the curve uses the picture

  // A typed scale wins: it stays, and what leaves the picture is left out.
  f.type("scaleXYZ", "10000");
  b.desk.limitDisplays(100);
  f.press("start");
  EXPECT_EQ(f.text("scaleXYZ"), "10000");
  for (const ui::Shape& s : b.graphLines()) EXPECT_LE(std::fabs(s.y1), 9.0);
}

}  // namespace
}  // namespace orvant::test
