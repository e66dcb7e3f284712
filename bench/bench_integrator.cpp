// One Runge-Kutta step of the 11-body model (the Sun, nine planets, the tenth object), with the
// finite speed of gravity off and on (NItGr = 0 and 2).
//
// The state is built the way screen 1 builds it: the planets' mean J2000 elements of JPL's
// Keplerian-element table (ThJ2000 at JD 2451545.0), the tenth object at its default elements
// (50.01 AU, e = 0.001), mass set 2, all bodies taking part; two-body conversion, centre of mass to
// the origin, Sun velocity from the planets. The step is 3600 s, the run screen's default.
#include <benchmark/benchmark.h>

#include "bench_model.h"
#include "model/state.h"
#include "simulation/integrator.h"

namespace {

using namespace orvant;

State modelState(int kodVgr, int NItGr) {
  State s = bench::j2000Model();
  s.Vgr = s.Vsv;
  s.kodVgr = static_cast<int16>(kodVgr);
  s.NItGr = static_cast<int16>(NItGr);
  s.Rpow = 2;
  return s;
}

void runSteps(benchmark::State& bs, int kodVgr, int NItGr) {
  State s = modelState(kodVgr, NItGr);
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  for (auto _ : bs) {
    bool ok = rungeKuttaStep(s, w, 3600.0, 3);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(w.S.data());
  }
  bs.SetItemsProcessed(bs.iterations());
}

void BM_StepClassical(benchmark::State& bs) { runSteps(bs, 0, 0); }
void BM_StepFiniteSpeed(benchmark::State& bs) { runSteps(bs, 1, 0); }
void BM_StepFiniteSpeed2(benchmark::State& bs) { runSteps(bs, 1, 2); }

void BM_Derivative(benchmark::State& bs) {
  State s = modelState(static_cast<int>(bs.range(0)), 0);
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  for (auto _ : bs) {
    evaluateDerivative(w);
    benchmark::DoNotOptimize(w.dS.data());
  }
}

}  // namespace

BENCHMARK(BM_StepClassical);
BENCHMARK(BM_StepFiniteSpeed);
BENCHMARK(BM_StepFiniteSpeed2);
BENCHMARK(BM_Derivative)->Arg(0)->Arg(1);
