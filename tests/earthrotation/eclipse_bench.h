// Screens 16 and 17 headless (support/screen_harness.h).
#pragma once

#include "earthrotation/screens/eclipse_screen.h"
#include "earthrotation/screens/etut_screen.h"
#include "support/screen_harness.h"

namespace orvant::test {

namespace fs = std::filesystem;

struct EclipseBench : ScreenHarness {
  EclipseBench() : ScreenHarness("orvant_s16_") {
    wb.add<EclipseScreen>(kEclipseScreen);
    wb.add<EtutScreen>(kEtutScreen);
  }
  EclipseScreen& screen() { return wb.screen<EclipseScreen>(kEclipseScreen); }
  ui::Form& f16() { return wb.show(kEclipseScreen).form(); }
  ui::Form& f17() { return wb.show(kEtutScreen).form(); }
};

}  // namespace orvant::test
