// The experiment run against the bare integrator, and the energy drift of a century.
//
// BM_RunYearWithExtraction: one model year of the classical 11-body model (the Sun, nine planets
// at JPL's mean J2000 elements, the tenth object at its defaults), Mercury traced, its orbit
// parameters extracted and recorded in a temporary directory, display points every 1000 steps
// (with no window: a null observer). BM_BareIntegratorSteps: Runge-Kutta steps of the same state
// at 3600 s. Both report steps per second (items_per_second).
//
// BM_EnergyDrift100Years: one run of 100 model years at H0 = 3600 s (constant step, the extraction
// off), once; counters: the relative change of the total energy of the system (kinetic energy and
// every pair's potential, computed here independently of the run) and the run's own check dEsys,
// dMsys (per cent; only the Sun-body potentials, so it follows the planets' exchanges).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "bench_model.h"
#include "model/state.h"
#include "simulation/integrator.h"
#include "simulation/run.h"

namespace {

using namespace orvant;
using namespace orvant::simulation;

State modelState() {
  State s = bench::j2000Model();
  s.JD0 = s.JD2000;
  s.Year1 = 2000;
  s.Month1 = 1;
  s.Day1 = 1.5;
  return s;
}

struct NullObserver : RunObserver {
  void displayPoint(const ExperimentRun&) override {}
  void extractionEvent(const ExperimentRun&, unsigned) override {}
  std::optional<LiveInputs> liveInputs() override { return std::nullopt; }
  void processEvents() override {}
};

std::filesystem::path tempDir() {
  std::random_device rd;
  auto p = std::filesystem::temp_directory_path() / ("orvant_bench_" + std::to_string(rd()));
  std::filesystem::create_directories(p);
  return p;
}

void BM_RunYearWithExtraction(benchmark::State& bs) {
  const auto dir = tempDir();
  const State base = modelState();
  long long steps = 0;
  long records = 0;
  for (auto _ : bs) {
    bs.PauseTiming();
    State s = base;
    s.workDir = dir.string();
    ExperimentRun run(s);
    RunInputs in;
    in.Ntr = 1;
    in.findParams = true;
    in.writeRecords = true;
    in.stopYear = true;
    in.YearStop = 2000;  // ends when 2001 begins
    in.source = " JPL0";
    NullObserver obs;
    bs.ResumeTiming();
    if (!run.start(in)) bs.SkipWithError("the run did not start");
    run.loop(obs);
    steps += run.steps();
    records += run.recordsWritten();
  }
  bs.SetItemsProcessed(steps);
  bs.counters["records"] = static_cast<double>(records) / static_cast<double>(bs.iterations());
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void BM_BareIntegratorSteps(benchmark::State& bs) {
  State s = modelState();
  for (int i = 0; i <= 10; ++i) {
    s.VX[i] = s.VX0[i];
    s.VY[i] = s.VY0[i];
    s.VZ[i] = s.VZ0[i];
  }
  s.Vgr = s.Vsv;
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  for (auto _ : bs) {
    bool ok = rungeKuttaStep(s, w, 3600.0, 1);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(w.S.data());
  }
  bs.SetItemsProcessed(bs.iterations());
}

// Total energy of bodies 0..10: kinetic energy and the potential of every pair, J.
double totalEnergy(const Integrator& w, const State& s) {
  double E = 0;
  for (int i = 0; i <= kNob; ++i) {
    const double vx = w.S[33 + i], vy = w.S[44 + i], vz = w.S[55 + i];
    E += s.m[i] * (vx * vx + vy * vy + vz * vz) / 2;
    for (int j = i + 1; j <= kNob; ++j) {
      const double dx = w.S[j] - w.S[i], dy = w.S[11 + j] - w.S[11 + i], dz = w.S[22 + j] - w.S[22 + i];
      E -= s.gamma * s.m[i] * s.m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
    }
  }
  return E;
}

void BM_EnergyDrift100Years(benchmark::State& bs) {
  for (auto _ : bs) {
    State s = modelState();
    ExperimentRun run(s);
    RunInputs in;
    in.Ntr = 1;
    in.findParams = false;
    in.energy = true;
    in.stopYear = true;
    in.YearStop = 2099;
    in.live.NC0 = 10000;
    in.source = " JPL0";
    NullObserver obs;
    if (!run.start(in)) bs.SkipWithError("the run did not start");
    const double E0 = totalEnergy(run.integrator(), s);
    run.loop(obs);
    const double E1 = totalEnergy(run.integrator(), s);
    bs.counters["steps"] = static_cast<double>(run.steps());
    bs.counters["dE_total_rel"] = (E1 - E0) / std::fabs(E0);
    bs.counters["dEsys_pct"] = dEsysPercent(run.energy());
    bs.counters["dMsys_pct"] = dMsysPercent(run.energy());
  }
}

}  // namespace

BENCHMARK(BM_RunYearWithExtraction)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareIntegratorSteps);
BENCHMARK(BM_EnergyDrift100Years)->Iterations(1)->Unit(benchmark::kMillisecond);
