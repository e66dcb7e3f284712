// The headless window: what screens see through Form, and what the workbench does with commands.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/demo_screen.h"
#include "ui/memory_form.h"

namespace orvant::ui {
namespace {

using test::DemoScreen;
using test::kDemoScreen;

struct Bench {
  State state;
  MemoryDesk desk;
  Workbench wb{state, desk.factory()};
  Bench() { wb.add<DemoScreen>(kDemoScreen); }
  DemoScreen& demo() { return wb.screen<DemoScreen>(kDemoScreen); }
  Form& form() { return wb.show(kDemoScreen).form(); }
};

TEST(Workbench, ShowBuildsOnceAndActivatesWhenAnotherScreenWasActive) {
  Bench b;
  EXPECT_EQ(b.wb.created(kDemoScreen), nullptr);
  Form& f = b.form();
  EXPECT_TRUE(f.shown());
  b.wb.close(kDemoScreen);
  EXPECT_FALSE(f.shown());
  EXPECT_EQ(&b.wb.show(kDemoScreen).form(), &f);  // the same window, values kept
  b.wb.show(kDemoScreen);                          // already the active one: no second activation
  EXPECT_EQ(b.demo().log, (std::vector<std::string>{"opened", "activated", "activated"}));
  // Another screen in front, then this one again: activated again.
  b.wb.add<DemoScreen>(kDemoScreen - 1);
  b.wb.show(kDemoScreen - 1);
  b.wb.show(kDemoScreen);
  EXPECT_EQ(b.demo().log.size(), 4u);
  EXPECT_EQ(b.wb.screen<DemoScreen>(kDemoScreen - 1).log, (std::vector<std::string>{"opened", "activated"}));
  EXPECT_EQ(b.demo().number(), kDemoScreen);
  EXPECT_THROW(b.wb.show(5), std::out_of_range);
}

TEST(Form, FieldsReadBothSeparatorsAndShowTheDecimalComma) {
  Bench b;
  Form& f = b.form();
  EXPECT_EQ(f.text("a"), "1");  // the declared default
  for (const char* typed : {"1,5", "1.5"}) {
    ASSERT_TRUE(f.type("a", typed));
    EXPECT_EQ(f.number("a"), 1.5);
    ASSERT_TRUE(f.press("calc"));
    // 1.5^1.5 = 1.83711730708738..., shown truncated (not rounded) to 6 decimals.
    EXPECT_EQ(f.text("T"), "1,837117");
  }
  EXPECT_FALSE(f.type("T", "5"));  // read-only for the user, still written by the screen
  EXPECT_EQ(f.text("T"), "1,837117");
  f.type("a", "abc");
  f.press("calc");
  ASSERT_EQ(b.desk.dialogs().size(), 1u);
  EXPECT_EQ(b.desk.dialogs()[0].text, "Задайте правильно данные");
  EXPECT_EQ(b.desk.dialogs()[0].title, "Orvant7");
  EXPECT_FALSE(b.desk.dialogs()[0].question);
}

TEST(Form, OptionChecksTableAndScrollRunTheirChangeCommands) {
  Bench b;
  Form& f = b.form();
  f.type("a", "4");
  EXPECT_EQ(f.option("unit"), 0);
  ASSERT_TRUE(f.choose("unit", 1));  // the change command recomputes in days
  EXPECT_EQ(f.text("T"), "2922");    // 4^1.5 = 8 years = 2922 days
  f.setOption("unit", 0);            // code changes do not run the command
  EXPECT_EQ(f.text("T"), "2922");
  f.setEntryEnabled("unit", 1, false);
  EXPECT_FALSE(f.choose("unit", 1));
  EXPECT_EQ(f.option("unit"), 0);
  f.setOption("unit", -1);
  EXPECT_EQ(f.option("unit"), -1);

  EXPECT_FALSE(f.checked("trace"));
  EXPECT_TRUE(f.tick("trace", true));
  EXPECT_TRUE(f.checked("trace"));

  EXPECT_TRUE(f.typeCell("tab", 0, 0, "1"));
  EXPECT_TRUE(f.typeCell("tab", 1, 0, "0,25"));
  EXPECT_TRUE(f.typeCell("tab", 2, 0, "x"));
  f.press("fill");
  EXPECT_EQ(f.cell("tab", 0, 1), "1");
  EXPECT_EQ(f.cell("tab", 1, 1), "0,125");
  EXPECT_EQ(f.cell("tab", 2, 1), "");
  EXPECT_THROW(f.cell("tab", 3, 0), std::out_of_range);
  f.setColumnCaption("tab", 1, "T, дни");
  EXPECT_EQ(f.columnCaption("tab", 1), "T, дни");

  EXPECT_EQ(f.position("scale"), 30);
  EXPECT_TRUE(f.scrollTo("scale", 250));  // clamped to the maximum
  EXPECT_EQ(f.position("scale"), 100);
  EXPECT_EQ(f.text("scaleText"), "масштаб = 10");
  EXPECT_TRUE(f.scrollTo("scale", 15));
  EXPECT_EQ(f.text("scaleText"), "масштаб = 1,5");
}

TEST(Form, DisabledOrHiddenControlsAndGroupsIgnoreTheUser) {
  Bench b;
  Form& f = b.form();
  f.type("a", "4");
  f.setEnabled("calc", false);
  EXPECT_FALSE(f.press("calc"));
  EXPECT_EQ(f.text("T"), "");
  f.setEnabled("calc", true);
  f.setVisible("orbit", false);  // the group hides everything in it
  EXPECT_FALSE(f.press("calc"));
  EXPECT_FALSE(f.type("a", "9"));
  f.setVisible("orbit", true);
  EXPECT_TRUE(f.press("calc"));
  EXPECT_EQ(f.text("T"), "8");
  EXPECT_THROW(f.press("a"), std::logic_error);       // a field is not a button
  EXPECT_THROW(f.text("nothing"), std::out_of_range);  // no such id
}

TEST(Form, QuestionsTakeTheScriptedAnswerElseNo) {
  Bench b;
  Form& f = b.form();
  f.setCell("tab", 0, 0, "1");
  f.press("clear");  // no answer queued: No
  EXPECT_EQ(f.cell("tab", 0, 0), "1");
  b.desk.answer(true);
  f.press("clear");
  EXPECT_EQ(f.cell("tab", 0, 0), "");
  ASSERT_EQ(b.desk.dialogs().size(), 2u);
  EXPECT_TRUE(b.desk.dialogs()[0].question);
  EXPECT_FALSE(b.desk.dialogs()[0].answer);
  EXPECT_TRUE(b.desk.dialogs()[1].answer);
  EXPECT_EQ(b.desk.dialogs()[1].text, "Очистить таблицу?");
}

TEST(Workbench, LibraryMessagesAndFailuresOfACommandReachItsWindow) {
  Bench b;
  Form& f = b.form();
  f.press("lib");
  ASSERT_EQ(b.desk.dialogs().size(), 1u);
  EXPECT_EQ(b.desk.dialogs()[0].text, "Ошибка чтения данных из файла\nDat\\Orvant1.dat");
  EXPECT_EQ(b.desk.dialogs()[0].screen, kDemoScreen);
  EXPECT_EQ(b.state.sink, nullptr);  // only while the command runs
  f.press("boom");                   // an exception becomes a message, the program goes on
  ASSERT_EQ(b.desk.dialogs().size(), 2u);
  EXPECT_EQ(b.desk.dialogs()[1].text, "сбой вычислений");
  EXPECT_TRUE(f.press("calc"));
}

TEST(Workbench, HiddenFieldAndPostedCallsRunAfterTheCurrentCommand) {
  Bench b;
  Form& f = b.form();
  DemoScreen& d = b.demo();
  d.log.clear();
  f.press("chain");
  EXPECT_EQ(d.log, (std::vector<std::string>{"chain-begin", "chain-end", "next"}));
  EXPECT_EQ(f.text("next"), "12:00:01");

  // Posted from a command nested in another (a button pressed during a loop's display point):
  // still waits for the outermost command.
  d.log.clear();
  b.wb.run(d, [&] {
    b.wb.run(d, [&] { b.wb.post(d, [&] { d.log.push_back("posted"); }); });
    d.log.push_back("outer-end");
  });
  EXPECT_EQ(d.log, (std::vector<std::string>{"outer-end", "posted"}));
  // Nothing running: a posted call runs at once.
  b.wb.post(d, [&] { d.log.push_back("now"); });
  EXPECT_EQ(d.log.back(), "now");
}

TEST(Workbench, DisplayLimitStopsALoopAndQuitEndsEverything) {
  Bench b;
  Form& f = b.form();
  DemoScreen& d = b.demo();
  b.desk.limitDisplays(3);
  f.press("run");
  // A display point every 10 steps; kStop is set at the third and seen right after it.
  EXPECT_EQ(d.steps, 30);
  EXPECT_EQ(b.state.kStop, 1);
  EXPECT_EQ(b.desk.displays(), 3);
  // One point drawn per display point.
  EXPECT_EQ(static_cast<MemoryForm&>(f).memoryCanvas("pic").shapes().size(), 3u);

  f.press("exit");
  EXPECT_TRUE(b.wb.quitting());
  d.log.clear();
  f.press("chain");  // nothing runs any more
  EXPECT_TRUE(d.log.empty());
}

}  // namespace
}  // namespace orvant::ui

#include <chrono>
#include <ctime>

#include "ui/clock.h"

namespace orvant::ui {
namespace {

// The clock against the local time of day read independently, taken right after it: the two
// agree unless midnight passed in between. The tolerance only absorbs a descheduled process.
TEST(Clock, SecondsSinceLocalMidnightWithFractions) {
  using namespace std::chrono;
  const double a = clockSeconds();
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const double expected = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  EXPECT_GE(a, 0);
  EXPECT_LT(a, 86400);
  if (expected >= a) EXPECT_LT(expected - a, 60.0) << a << " vs " << expected;
  // Fractions of a second: among successive readings some lie between whole seconds.
  bool fraction = false;
  for (int i = 0; i < 1000 && !fraction; ++i) {
    const double v = clockSeconds();
    fraction = v != std::floor(v);
  }
  EXPECT_TRUE(fraction);
}

}  // namespace
}  // namespace orvant::ui
