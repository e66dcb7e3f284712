// libFuzzer harness: the reader of the plan-experiment file of screen 13,
// <src>/Plan<k>/<name><N>_<e>.dat. The bytes are written to a temporary file under a work
// directory of their own and read as screen 13 reads them; a file it accepts must give finite
// values, one it refuses must leave the data as they were, and the criterion line is parsed too.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/state.h"
#include "model/textfile.h"
#include "observations/obs_plan.h"

namespace {

class QuietSink : public orvant::MessageSink {
 public:
  void message(std::string_view, std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("orvant_fuzz_obsplan_" + std::to_string(static_cast<long>(getpid())));
  static const std::string rel = "Tab/Plan1/fuzz4_1.dat";
  std::filesystem::create_directories(dir / "Tab" / "Plan1");
  {
    std::ofstream out(dir / rel, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static QuietSink sink;
  orvant::State s;
  s.workDir = dir.string();
  s.sink = &sink;
  orvant::ObsPlanFileData d;
  d.v.X0.fill(0.25);
  d.dates.JDmean = 7;
  const orvant::ObsPlanFileData before = d;
  if (orvant::readObsPlanFile(s, rel, d)) {
    bool finite = std::isfinite(d.dates.Day) && std::isfinite(d.dates.JDmean) &&
                  std::isfinite(d.v.VXsys) && std::isfinite(d.v.Prec);
    for (std::size_t i = 1; i <= 10; ++i) finite = finite && std::isfinite(d.v.X0[i]);
    for (std::size_t i = 1; i <= 9; ++i)
      finite = finite && std::isfinite(d.v.dX[i]) && std::isfinite(d.v.Xopt[i]) &&
               std::isfinite(d.v.XoptNat[i]);
    if (!finite) std::abort();
    // What was read can be formed again or is refused as a whole (a value beyond the integers).
    (void)orvant::obsPlanFileText(d);
  } else if (d.v.X0 != before.v.X0 || d.dates.JDmean != before.dates.JDmean) {
    std::abort();
  }
  std::vector<std::string> lines;
  if (orvant::readLines(dir / rel, lines) == orvant::ReadStatus::Ok)
    (void)orvant::obsPlanFileCriterion(lines);
  return 0;
}
