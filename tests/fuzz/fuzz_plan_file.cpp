// libFuzzer harness: the plan file reader, Plan1/OrvantPlan1.dat (factor levels and weights). A
// file the reader accepts holds only values the writer can write back, and the written text reads
// back to the same values.
#include "fuzz_support.h"
#include "statistics/plan_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  using namespace orvant::statistics;
  const auto& dir = fuzz::workDir("plan");
  fuzz::writeInput(dir, planFilePath(1), data, size);
  State s;
  s.workDir = dir.string();
  PlanFile f;
  if (!readPlanFile(s, 1, f)) return 0;
  const auto text = planFileText(s, f);
  fuzz::check(text.has_value());
  fuzz::check(writePlanFile(s, 2, f));
  PlanFile back;
  fuzz::check(readPlanFile(s, 2, back));
  fuzz::check(planFileText(s, back) == text);
  return 0;
}
