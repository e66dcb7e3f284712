// Observation reduction of screen 10: passes per second.
//
//   BM_ObservatorySeries   10 000 records of an observatory file read, reduced (JPL0 theories,
//                          light time, aberration, precession, nutation) and classed, as with
//                          "без анимации" and no pause: the whole run per iteration.
//   BM_TableSeries         a table series through the in-memory workbook engine (one exchange per
//                          step); the real LibreOffice engine adds its round trip to every pass.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "astro/etut.h"
#include "model/state.h"
#include "model/textfile.h"
#include "observations/reduction.h"
#include "observations/sources.h"
#include "observations/spreadsheet.h"
#include "observations/observation_records.h"

namespace {

namespace fs = std::filesystem;
using namespace orvant;

using test::recordLine;

fs::path benchDir() {
  const fs::path d = fs::temp_directory_path() / "orvant_bench_reduction";
  fs::create_directories(d / "Obs");
  return d;
}

constexpr int kRecords = 10000;

void BM_ObservatorySeries(benchmark::State& st) {
  const fs::path dir = benchDir();
  {
    std::ofstream f(dir / "Obs" / "GREN4_G_100.txt");
    f << "bench\n\n\n\n1980, 2010\n";
    for (int k = 0; k < kRecords; ++k)
      f << recordLine(1980 + k / 336, 1 + (k / 28) % 12, 1 + k % 28, 21, std::fmod(7.0 * k, 360),
                      20 * std::sin(k * 0.01))
        << "\n";
  }
  State s;
  s.workDir = dir.string();
  setETcoefDefaults(s);
  PassOptions o;
  o.statistics = true;
  o.reject = true;
  PlainObserver obs(o);
  ObservationRun run(s);
  long passes = 0;
  for (auto _ : st) {
    ChooseSrcObs(s);
    SourceScreen scr;
    scr.objectNo = 4;
    SelectObs(s, scr, 1);
    ReductionInputs in;
    in.Npl = 4;
    in.Year = 1980;
    in.YearEnd = 2010;
    in.limit = 1e9;
    if (!run.start(in, obs)) st.SkipWithError("start refused");
    run.loop(obs);
    passes += run.passes();
  }
  ObsClose(s);
  st.counters["passes/s"] = benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
  st.counters["records"] = static_cast<double>(run.passes());
  fs::remove_all(dir);
}
BENCHMARK(BM_ObservatorySeries)->Unit(benchmark::kMillisecond);

void BM_TableSeries(benchmark::State& st) {
  const fs::path dir = benchDir();
  State s;
  s.workDir = dir.string();
  setETcoefDefaults(s);
  auto engine = std::make_shared<MemorySpreadsheet>();
  MemorySpreadsheet::Book book;
  book.sheets = 9;
  book.cells[{1, "C18"}] = CellValue{CellValue::Kind::Number, 100.0, ""};
  book.cells[{1, "F18"}] = CellValue{CellValue::Kind::Number, 1.0, ""};
  engine->add(fullPath(s, "Tab/AlBattani.xls").string(), book);
  s.TabEngine = engine;
  ChooseSrcTab(s);
  SourceScreen scr;
  scr.objectNo = 4;
  SelectTab(s, scr, 1);
  PassOptions o;
  o.nutation = false;
  o.statistics = true;
  PlainObserver obs(o);
  ObservationRun run(s);
  long passes = 0;
  for (auto _ : st) {
    ReductionInputs in;
    in.Npl = 4;
    in.Day = 1;
    in.Year = 1990;
    in.CalType = 1;
    in.Hour0 = 12;
    in.YearEnd = 1999;
    in.StepTab = 1;
    in.ObsL = 37;
    if (!run.start(in, obs)) st.SkipWithError("start refused");
    run.loop(obs);
    passes += run.passes();
  }
  TabClose(s);
  st.counters["passes/s"] = benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
  fs::remove_all(dir);
}
BENCHMARK(BM_TableSeries)->Unit(benchmark::kMillisecond);

}  // namespace
