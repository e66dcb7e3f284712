// Ancient-table evaluations through LibreOffice Calc.
//
//   BM_FirstEvaluation   a fresh engine (bridge and soffice with a new private profile) started,
//                        the Almagest workbook opened and evaluated once: what the first table
//                        step of a program session costs.
//   BM_ThirtyYearRun     the Sun (and the Moon) of the Almagest workbook at the default step of
//                        1.28 days over 30 years (8 560 evaluations, one round trip each), the
//                        dates stepped in the Egyptian calendar as the processing steps them.
//   BM_ThirtyYearBatch   the same dates asked for in batches of 512 (TabPrefetch: the loop over
//                        the dates runs inside soffice), then evaluated (TabEval takes the values
//                        kept): what a table series costs per date now.
//
// The workbook is converted from data/workbooks/Almagest.fods once. Without LibreOffice the
// benchmarks report the reason and skip.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/calendar.h"
#include "model/state.h"
#include "observations/sources.h"
#include "observations/spreadsheet.h"

namespace {

namespace fs = std::filesystem;
using namespace orvant;

// The work directory with Tab/Almagest.xls, made once; empty with the reason when impossible.
struct Prepared {
  fs::path dir;
  std::string error;
};

const Prepared& prepared() {
  static const Prepared p = [] {
    Prepared r;
    r.dir = fs::temp_directory_path() / ("orvant-bench-tables-" + std::to_string(::getpid()));
    fs::create_directories(r.dir / "Tab");
    const fs::path source =
        fs::path(ORVANT_SOURCE_TREE) / "data/workbooks/Almagest.fods";
    LibreOfficeEngine engine;
    if (engine.convert(source.string(), (r.dir / "Tab/Almagest.xls").string(), r.error) !=
        SheetStatus::Ok) {
      std::error_code ec;
      fs::remove_all(r.dir, ec);
      r.dir.clear();
    }
    return r;
  }();
  static const struct Cleanup {
    ~Cleanup() {
      std::error_code ec;
      if (!p.dir.empty()) fs::remove_all(p.dir, ec);
    }
  } cleanup;
  return p;
}

void BM_FirstEvaluation(benchmark::State& st) {
  const Prepared& p = prepared();
  if (p.dir.empty()) return st.SkipWithError(("no LibreOffice: " + p.error).c_str());
  for (auto _ : st) {
    State s;
    s.workDir = p.dir.string();
    s.TabEngine = std::make_shared<LibreOfficeEngine>();
    SourceScreen scr;
    scr.objectNo = 0;
    if (!SelectTab(s, scr, 4)) return st.SkipWithError(s.lastMessage.c_str());
    benchmark::DoNotOptimize(s.Lk[0]);
    TabClose(s);
    s.TabEngine.reset();  // stops the engine: part of the cost of a session, not of the first step
  }
}
BENCHMARK(BM_FirstEvaluation)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

// The 30-year series of both benchmarks: the prepared Almagest opened for `object`, a date every
// 1.28 days, and the counters in milliseconds per evaluation.
constexpr double kSeriesStep = 1.28;
constexpr int kSeriesSteps = static_cast<int>(30 * 365.25 / kSeriesStep);

bool openAlmagest(benchmark::State& st, State& s, SourceScreen& scr, int object) {
  const Prepared& p = prepared();
  if (p.dir.empty()) return st.SkipWithError(("no LibreOffice: " + p.error).c_str()), false;
  s.workDir = p.dir.string();
  s.TabEngine = std::make_shared<LibreOfficeEngine>();
  scr.objectNo = object;
  if (!SelectTab(s, scr, 4)) return st.SkipWithError(s.lastMessage.c_str()), false;
  return true;
}

// The table date of the series at UT date jd, as screen 10's loop sets it.
void seriesDate(State& s, double jd) {
  DateFromJD(s, jd);
  s.YearNab = s.Year;
  s.MonthNab = s.Month;
  s.DayNab = s.Day;
  s.HourNab = (s.Day - std::trunc(s.Day)) * 24;
  s.JD = jd;
}

void seriesCounters(benchmark::State& st) {
  st.counters["evaluations"] = kSeriesSteps;
  // Shown as seconds per 1000 evaluations, that is milliseconds per evaluation.
  st.counters["per_1000_evaluations"] = benchmark::Counter(
      static_cast<double>(kSeriesSteps) * 1e-3,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ThirtyYearRun(benchmark::State& st) {
  const int object = static_cast<int>(st.range(0));
  State s;
  SourceScreen scr;
  if (!openAlmagest(st, s, scr, object)) return;
  for (auto _ : st) {
    double jd = s.JDep;
    for (int i = 0; i < kSeriesSteps; ++i) {
      jd += kSeriesStep;
      seriesDate(s, jd);
      if (!TabEval(s)) return st.SkipWithError(s.lastMessage.c_str());
      benchmark::DoNotOptimize(s.Lk[object]);
    }
  }
  seriesCounters(st);
}
BENCHMARK(BM_ThirtyYearRun)->Arg(0)->Arg(11)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_ThirtyYearBatch(benchmark::State& st) {
  const int object = static_cast<int>(st.range(0));
  State s;
  SourceScreen scr;
  if (!openAlmagest(st, s, scr, object)) return;
  const int batch = 512;
  for (auto _ : st) {
    // Every iteration evaluates dates not asked for before: the workbook is opened afresh.
    st.PauseTiming();
    if (!SelectTab(s, scr, 0) || !SelectTab(s, scr, 4)) return st.SkipWithError(s.lastMessage.c_str());
    st.ResumeTiming();
    const std::vector<int> objects{object};
    double jd = s.JDep;
    for (int i = 0; i < kSeriesSteps; ++i) {
      if (i % batch == 0) {  // the next batch's dates, stepped as the loop steps them
        std::vector<TabDate> ahead;
        double next = jd;
        for (int j = i; j < kSeriesSteps && j < i + batch; ++j) {
          next += kSeriesStep;
          seriesDate(s, next);
          ahead.push_back(tabDateNow(s));
        }
        if (!TabPrefetch(s, ahead, objects)) return st.SkipWithError("the batch failed");
      }
      jd += kSeriesStep;
      seriesDate(s, jd);
      if (!TabEval(s)) return st.SkipWithError(s.lastMessage.c_str());
      benchmark::DoNotOptimize(s.Lk[object]);
    }
  }
  seriesCounters(st);
}
BENCHMARK(BM_ThirtyYearBatch)->Arg(0)->Arg(11)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
