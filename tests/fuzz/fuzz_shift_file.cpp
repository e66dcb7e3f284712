// libFuzzer harness: the secular-shift readers, observed (NEW/OrvantNab.dat) and calculated
// (Plan1/Orvant3Ras.dat). A table the reader accepts is listed and written back; the written file
// must read back.
#include "fuzz_support.h"
#include "statistics/shifts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  using namespace orvant::statistics;
  const auto& dir = fuzz::workDir("shift");
  fuzz::writeInput(dir, "NEW/OrvantNab.dat", data, size);
  fuzz::writeInput(dir, "Plan1/Orvant3Ras.dat", data, size);
  State s;
  s.workDir = dir.string();
  if (loadObservedShifts(s, ShiftSource::New)) {
    (void)observedShiftText(s);
    (void)observedShiftText(s, true);
    if (writeObservedShifts(s, ShiftSource::New)) fuzz::check(loadObservedShifts(s, ShiftSource::New));
  }
  if (loadCalculatedShifts(s, 1, 3)) {
    (void)calculatedShiftText(s, 3);
    if (writeCalculatedShifts(s, 1, 3)) fuzz::check(loadCalculatedShifts(s, 1, 3));
  }
  return 0;
}
