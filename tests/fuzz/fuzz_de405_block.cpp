// libFuzzer harness: the DE405 ASCII block reader, JPL/ascp2000.405. The block is opened at a date
// of its span, every body is evaluated, and the reader steps on through the records; accepted
// positions must be finite, and an absurd record must be refused, never evaluated.
#include <cmath>

#include "ephemeris/jpl.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  const auto& dir = fuzz::workDir("de405");
  fuzz::writeInput(dir, "JPL/ascp2000.405", data, size);
  State s;
  s.workDir = dir.string();
  s.JD = 2451545.0;
  if (JPLopen(s) != JplStatus::Ok) {
    JPLclose(s);
    return 0;
  }
  for (int step = 0; step < 4; ++step) {
    for (int k = 0; k <= 11; ++k) {
      if (JPLstate(s, k)) fuzz::check(std::isfinite(s.X[k]) && std::isfinite(s.VZ[k]));
    }
    s.JDjpl += 40;
    if (JPLnext(s) != JplStatus::Ok) break;
  }
  JPLclose(s);
  return 0;
}
