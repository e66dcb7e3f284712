// Every navigation button of every registered screen, pressed headless: an enabled one must open a
// registered screen, and none may stay disabled when its screen is registered. The buttons whose
// screens are not registered yet are listed (they are disabled until their screens come).
//
// A navigation button is one whose caption ends in "*" ("Обозначения*", "План * ") or starts
// with "К " ("К моделированию", "К наблюдениям", "К плану"), as the screens name them.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "help_bench.h"

namespace orvant {
namespace {

using test::WorkbenchBench;

bool isNavigation(std::string caption) {
  while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  return (!caption.empty() && caption.back() == '*') || caption.rfind("К ", 0) == 0;
}

// The screens whose windows are shown now.
std::set<int> shownScreens(const ui::Workbench& wb) {
  std::set<int> out;
  for (int n : wb.numbers())
    if (const ui::Screen* s = wb.created(n); s && s->hasForm() && s->form().shown()) out.insert(n);
  return out;
}

// A stand-in for a screen not registered yet: it only shows itself.
class StandIn : public ui::Screen {
 public:
  StandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "заглушка") { label("l", ""); }
};

// The screen one navigation button opens: it is pressed with every other window hidden.
// 0 when the button is disabled or hidden, -1 when it opens nothing, -2 when it opens several.
int pressAndSee(WorkbenchBench& b, int n, const ui::Control& c) {
  const std::vector<int> numbers = b.wb.numbers();
  for (int m : numbers) b.wb.close(m);
  ui::Form& f = b.wb.show(n).form();
  b.messages();
  if (!f.enabled(c.id) || !f.visible(c.id)) return 0;
  for (int m : numbers)
    if (m != n) b.wb.close(m);
  EXPECT_TRUE(f.press(c.id));
  std::set<int> opened = shownScreens(b.wb);
  opened.erase(n);
  if (opened.empty()) return -1;
  return opened.size() == 1 ? *opened.begin() : -2;
}

TEST(Navigation, EveryNavigationButtonOpensItsScreen) {
  // 1. With a stand-in for every screen 1..22 not registered, every navigation button of the real
  //    screens must be enabled and open exactly one screen: that is its target.
  std::map<std::pair<int, std::string>, int> target;
  std::vector<int> real;
  {
    WorkbenchBench b;
    real = b.wb.numbers();
    for (int m = 1; m <= 22; ++m)
      if (!b.wb.has(m)) b.wb.add<StandIn>(m);
    for (int n : real) {
      const auto declared = b.wb.declaration(n);
      for (const ui::Control& c : declared->controls()) {
        if (c.kind != ui::Kind::Button || !isNavigation(c.caption)) continue;
        const int m = pressAndSee(b, n, c);
        EXPECT_GT(m, 0) << "экран " << n << " [" << c.caption << "]: "
                        << (m == 0 ? "disabled with every screen present" : "opens no single screen");
        target[{n, c.id}] = m;
      }
    }
  }
  EXPECT_GT(target.size(), 10u);

  // 2. The program's own registration: a button is enabled exactly when its screen is
  //    registered, and then opens it.
  WorkbenchBench b;
  std::vector<std::string> missing;
  for (int n : real) {
    const auto declared = b.wb.declaration(n);
    for (const ui::Control& c : declared->controls()) {
      if (c.kind != ui::Kind::Button || !isNavigation(c.caption)) continue;
      const int want = target[{n, c.id}];
      if (want <= 0) continue;
      const int got = pressAndSee(b, n, c);
      const std::string where = "экран " + std::to_string(n) + " [" + c.caption + "] -> " + std::to_string(want);
      if (b.wb.has(want)) {
        EXPECT_EQ(got, want) << where << (got == 0 ? ": disabled although its screen is registered" : "");
      } else {
        EXPECT_EQ(got, 0) << where << ": enabled although its screen is not registered";
        missing.push_back(where);
      }
    }
  }
  std::printf("navigation buttons: %zu; disabled because their screen is not registered: %zu\n",
              target.size(), missing.size());
  for (const auto& m : missing) std::printf("  %s\n", m.c_str());
}

// The screens the overview opens from screen 1 are all reached from it when registered.
TEST(Navigation, ScreenOneOpensItsScreens) {
  WorkbenchBench b;
  ui::Form& f = b.wb.show(1).form();
  const std::map<std::string, int> targets = {{"nav3", 3}, {"nav4", 4}, {"nav5", 5}, {"nav20", 20},
                                              {"toModel", 2}};
  for (const auto& [id, screen] : targets) {
    ASSERT_TRUE(b.wb.has(screen));
    EXPECT_TRUE(f.enabled(id)) << id;
    b.wb.close(screen);
    ASSERT_TRUE(f.press(id)) << id;
    EXPECT_TRUE(b.wb.created(screen)->form().shown()) << id;
  }
}

}  // namespace
}  // namespace orvant
