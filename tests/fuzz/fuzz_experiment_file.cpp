// libFuzzer harness: the experiment file of the plans workbench, Dat/NabPlan<Nf>.txt (criterion
// values of natural experiments). The factor and experiment counts are taken from the input's
// second line when they are plausible, so that the fuzzer reaches the rows behind them. A file the
// reader accepts is written back and must read back.
#include <cmath>
#include <sstream>

#include "design/plans_workbench.h"
#include "fuzz_support.h"
#include "model/format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  using namespace orvant::design;
  const std::string text(reinterpret_cast<const char*>(data), size);
  int Nf = 2, Npt = 9;
  {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    if (std::getline(in, line)) {
      const auto items = splitItems(line);
      if (items.size() >= 2) {
        const auto nf = parseNumber(items[0]), npt = parseNumber(items[1]);
        if (nf && *nf >= 2 && *nf <= 6) Nf = static_cast<int>(*nf);
        if (npt && *npt >= 1 && *npt <= 91) Npt = static_cast<int>(*npt);
      }
    }
  }
  const auto& dir = fuzz::workDir("experiment");
  fuzz::writeInput(dir, experimentFileName(Nf), data, size);
  State s;
  s.workDir = dir.string();
  ExperimentFile f;
  if (!readExperimentFile(s, Nf, Npt, f)) return 0;
  if (!writeExperimentFile(s, f)) return 0;  // a value beyond the file's integers
  ExperimentFile back;
  fuzz::check(readExperimentFile(s, Nf, Npt, back));
  return 0;
}
