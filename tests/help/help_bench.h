// The whole workbench headless, every screen registered as the program registers them
// (support/screen_harness.h).
#pragma once

#include "app/screens.h"
#include "support/screen_harness.h"

namespace orvant::test {

struct WorkbenchBench : ScreenHarness {
  WorkbenchBench() : ScreenHarness("orvant_help_") {
    registerAllScreens(wb);
    desk.limitDisplays(1);  // a loop a screen starts by itself stops at its first display point
  }
};

}  // namespace orvant::test
