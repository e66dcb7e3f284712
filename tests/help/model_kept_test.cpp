// Every screen opened in turn and its commands pressed headless, with loops stopped at their first
// display point: the model's orbit parameters, initial and current state, masses and constants
// (model/model_data.h) must come out as they went in, except for the commands that exist to set
// the model. A command that computes with a theory's mass set, or moves bodies for a check,
// gives the model its own values back.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "help_bench.h"
#include "model/model_data.h"
#include "observations/observation_records.h"

namespace orvant {
namespace {

using test::WorkbenchBench;

// The member of the model that differs, or "".
std::string difference(const ModelData& a, const ModelData& b) {
#define ORVANT_SAME(x) \
  if (!(a.x == b.x)) return #x
  ORVANT_SAME(AlfaL); ORVANT_SAME(R0sr); ORVANT_SAME(R0ae); ORVANT_SAME(W0sr);
  ORVANT_SAME(Eks0); ORVANT_SAME(Betta0); ORVANT_SAME(AlfaP0); ORVANT_SAME(AlfaU0);
  ORVANT_SAME(X0); ORVANT_SAME(Y0); ORVANT_SAME(Z0); ORVANT_SAME(VX0); ORVANT_SAME(VY0);
  ORVANT_SAME(VZ0); ORVANT_SAME(X); ORVANT_SAME(Y); ORVANT_SAME(Z); ORVANT_SAME(VX);
  ORVANT_SAME(VY); ORVANT_SAME(VZ); ORVANT_SAME(V0sr); ORVANT_SAME(m); ORVANT_SAME(km);
  ORVANT_SAME(mSol); ORVANT_SAME(massSet);
  ORVANT_SAME(gamma); ORVANT_SAME(Lae); ORVANT_SAME(Vsv); ORVANT_SAME(Vgr); ORVANT_SAME(Rpow);
  ORVANT_SAME(VXsys); ORVANT_SAME(VYsys); ORVANT_SAME(VZsys); ORVANT_SAME(kodMoon);
  ORVANT_SAME(kodBary); ORVANT_SAME(kodVgr); ORVANT_SAME(Icen);
#undef ORVANT_SAME
  return "";
}

bool isNavigation(std::string caption) {
  while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  return (!caption.empty() && caption.back() == '*') || caption.rfind("К ", 0) == 0;
}

// The commands that exist to set the model: the loads and edits of screen 1, the runs of screen
// 2 and of the plans that drive it (15, 18), the system velocity of screen 4, the bodies, Vgr
// and VXsys of the gravity test (7), the Moon and the Earth of screen 20. "*": every command.
const std::map<int, std::set<std::string>> kSetters = {
    {1, {"load", "calc", "cmFind", "cmOrigin", "vsol", "vplus"}},
    {2, {"*"}},
    {4, {"setVelocity"}},
    {7, {"*"}},
    {15, {"*"}},
    {18, {"*"}},
    {20, {"set"}},
};

// What a user sets first so that the main commands run rather than refuse: a theory for the
// eclipses, a Greenwich series of Mars for the observations.
const std::map<int, std::function<void(WorkbenchBench&, ui::Form&)>> kSetup = {
    {10,
     [](WorkbenchBench& b, ui::Form& f) {
       std::filesystem::create_directories(b.dir / "Obs");
       test::writeObsFile(b.dir, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(4, 2000));
       f.choose("kind", 1);
       f.type("Npl", "4");
       f.choose("obs", 1);
     }},
    {16, [](WorkbenchBench&, ui::Form& f) { f.choose("theory", 1); }},  // New0
};

bool setsModel(int screen, const std::string& id) {
  const auto it = kSetters.find(screen);
  return it != kSetters.end() && (it->second.count("*") != 0 || it->second.count(id) != 0);
}

TEST(ModelKept, NoScreenChangesTheModelBesideTheCommandsThatSetIt) {
  WorkbenchBench b;
  // A model to keep: screen 1's data loaded at its default date.
  ASSERT_TRUE(b.wb.show(1).form().press("load"));
  b.messages();
  int pressed = 0, setters = 0;
  for (int n : b.wb.numbers()) {
    if (const auto setup = kSetup.find(n); setup != kSetup.end()) {
      setup->second(b, b.wb.show(n).form());
      b.messages();
    }
    const auto declared = b.wb.declaration(n);
    for (const ui::Control& c : declared->controls()) {
      if (c.kind != ui::Kind::Button || isNavigation(c.caption) || c.caption == "Выход" ||
          c.caption.rfind("Закрыть форму", 0) == 0)
        continue;
      ui::Form& f = b.wb.show(n).form();
      if (!f.enabled(c.id) || !f.visible(c.id)) continue;
      const ModelData before = keepModel(b.state);
      b.desk.limitDisplays(1);
      f.press(c.id);
      b.messages();
      const std::string changed = difference(before, keepModel(b.state));
      if (setsModel(n, c.id)) {
        ++setters;
        continue;
      }
      ++pressed;
      EXPECT_EQ(changed, "") << "экран " << n << " [" << c.caption << "] changed the model";
    }
  }
  EXPECT_GT(pressed, 80);
  EXPECT_GT(setters, 5);
}

// A command that sets the model, pressed while a screen that keeps the model runs its loop,
// works on the model's data, and its change stays when the loop's command returns.
TEST(ModelKept, ASetterPressedDuringAnotherScreensLoopChangesTheModel) {
  WorkbenchBench b;
  ASSERT_TRUE(b.wb.show(1).form().press("load"));
  const ModelData loaded = keepModel(b.state);
  ui::Form& f16 = b.wb.show(16).form();
  f16.choose("theory", 1);  // New0: mass set 1, gamma of New0
  ModelData seenBySetter{};
  b.desk.setDisplayListener([&](long count) {
    if (count != 1) return;
    b.wb.run(b.wb.screen(4), [&] {
      seenBySetter = keepModel(b.state);
      b.state.VXsys = 12.5;
    });
  });
  b.desk.limitDisplays(2);
  f16.press("start");
  b.desk.setDisplayListener(nullptr);
  EXPECT_EQ(difference(seenBySetter, loaded), "");
  EXPECT_EQ(b.state.VXsys, 12.5);
  EXPECT_EQ(b.state.gamma, loaded.gamma);
  EXPECT_EQ(b.state.massSet, loaded.massSet);
}

}  // namespace
}  // namespace orvant
