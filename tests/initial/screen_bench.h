// Screens 1 and 4 headless (support/screen_harness.h), and chosen loads of screen 1.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "initial/screens/initial_data_screen.h"
#include "initial/screens/system_velocity_screen.h"
#include "support/screen_harness.h"

namespace orvant::test {

namespace fs = std::filesystem;

// A stand-in for the run screen: it only records that it was shown.
class RunStandIn : public ui::Screen {
 public:
  RunStandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "Моделирование") { label("l", ""); }
  void activated() override { ++shown; }
  int shown = 0;
};

struct ScreenBench : ScreenHarness {
  explicit ScreenBench(bool withRunScreen = false) : ScreenHarness("orvant_s1_") {
    wb.add<InitialDataScreen>(kInitialDataScreen);
    wb.add<SystemVelocityScreen>(kSystemVelocityScreen);
    if (withRunScreen) wb.add<RunStandIn>(2);
  }
  ui::Form& first() { return wb.show(kInitialDataScreen).form(); }
  ui::Form& fourth() { return wb.show(kSystemVelocityScreen).form(); }

  // Chooses a source on screen 1 by its caption and loads at the date.
  void load(std::string_view source, const std::string& year, const std::string& month,
            const std::string& day) {
    ui::Form& f = first();
    f.type("Year1", year);
    f.type("Month1", month);
    f.type("Day1", day);
    int entry = -1;
    for (std::size_t k = 0; k < kSourceCaptions.size(); ++k)
      if (kSourceCaptions[k] == source) entry = static_cast<int>(k);
    ASSERT_GE(entry, 0) << source;
    f.choose("source", entry);
    f.press("load");
  }
};

}  // namespace orvant::test
