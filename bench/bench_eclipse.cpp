// Speed of the eclipse chain of screen 16 and of the eclipse finder.
//   BM_EclipseStep/<source>  one step of the chain (no window, no drawing)
//   BM_Screen16Step          one "+ 1 шаг" of screen 16 headless, displays updated, no drawing
//   BM_FinderCentury         orvant-cli eclipse's search over 2000-2100 with JPL0, one observer
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "earthrotation/eclipse_chain.h"
#include "earthrotation/eclipse_finder.h"
#include "earthrotation/screens/eclipse_screen.h"
#include "astro/etut.h"
#include "earthrotation/screens/etut_screen.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace {

using namespace orvant;
namespace fs = std::filesystem;

// A work directory whose JPL/ holds links to the published DE405 blocks (when present).
std::string workDir() {
  const fs::path dir = fs::temp_directory_path() / "orvant_bench_eclipse";
  fs::create_directories(dir / "JPL");
  for (const char* y : {"1980", "2000", "2020"}) {
    const fs::path src = fs::path(ORVANT_SHARED_DIR) / "de405" / (std::string("ascp") + y + ".405");
    const fs::path dst = dir / "JPL" / src.filename();
    if (fs::exists(src) && !fs::exists(dst)) fs::create_symlink(src, dst);
  }
  return dir.string();
}

void prepare(State& s) {
  s.workDir = workDir();
  setETcoefDefaults(s);
  s.Dpl[0] = 1392000000, s.Dpl[1] = 4879000, s.Dpl[2] = 12104000, s.Dpl[3] = 12756000;
  s.Dpl[11] = 3475000;
}

void BM_EclipseStep(benchmark::State& bs) {
  State s;
  prepare(s);
  EclipseSettings set;
  set.theory = static_cast<EclTheory>(bs.range(0));
  set.refraction = true;
  double jd = 2453823.9;
  if (eclipseBegin(s, set, jd) != EclStatus::Ok) {
    bs.SkipWithError("source not available");
    return;
  }
  EclipseStep st;
  for (auto _ : bs) {
    jd += 0.0005;
    benchmark::DoNotOptimize(eclipseStep(s, set, jd, st));
  }
  bs.SetLabel(std::string(kEclTheoryNames[static_cast<std::size_t>(bs.range(0))]));
}
BENCHMARK(BM_EclipseStep)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

void BM_Screen16Step(benchmark::State& bs) {
  State s;
  prepare(s);
  ui::MemoryDesk desk;
  ui::Workbench wb(s, desk.factory());
  wb.add<EclipseScreen>(kEclipseScreen);
  wb.add<EtutScreen>(kEtutScreen);
  ui::Form& f = wb.show(kEclipseScreen).form();
  f.choose("theory", 2);  // JPL0
  f.tick("upd", false);
  f.tick("startStop", true);
  f.press("start");
  for (auto _ : bs) f.press("one");
}
BENCHMARK(BM_Screen16Step)->Unit(benchmark::kMicrosecond);

void BM_FinderCentury(benchmark::State& bs) {
  State s;
  prepare(s);
  EclipseSettings set;
  set.theory = EclTheory::JPL0;
  EclFinderOptions opt;
  opt.jdFrom = 2451544.5;           // 2000-01-01
  opt.jdTo = opt.jdFrom + 36525.0;  // 2100-01-01
  std::size_t n = 0;
  for (auto _ : bs) {
    std::vector<EclEvent> ev;
    findEclipses(s, set, opt, ev);
    n = ev.size();
  }
  bs.counters["events"] = static_cast<double>(n);
}
BENCHMARK(BM_FinderCentury)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
