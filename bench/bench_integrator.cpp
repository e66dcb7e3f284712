// One Runge-Kutta step of the 11-body model (the Sun, nine planets, the tenth object), with the
// finite speed of gravity off and on (NItGr = 0 and 2), on each force path (scalar reference,
// SSE2, AVX2) in the same run.
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

// The force path of the run is argument 0 of each benchmark: 0 scalar (the reference), 1 SSE2,
// 2 AVX2; a path the processor lacks is skipped.
bool choosePath(benchmark::State& bs) {
  const auto wanted = static_cast<ForcePath>(bs.range(0));
  if (setForcePath(wanted) != wanted) {
    bs.SkipWithError("this processor lacks the path");
    return false;
  }
  bs.SetLabel(forcePathName(wanted));
  return true;
}

void runSteps(benchmark::State& bs, int kodVgr, int NItGr) {
  if (!choosePath(bs)) return;
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
  if (!choosePath(bs)) return;
  State s = modelState(static_cast<int>(bs.range(1)), 0);
  Integrator w;
  loadState(s, w);
  prepareIntegrator(s, w);
  for (auto _ : bs) {
    evaluateDerivative(w);
    benchmark::DoNotOptimize(w.dS.data());
  }
}

}  // namespace

BENCHMARK(BM_StepClassical)->DenseRange(0, 2);
BENCHMARK(BM_StepFiniteSpeed)->DenseRange(0, 2);
BENCHMARK(BM_StepFiniteSpeed2)->DenseRange(0, 2);
BENCHMARK(BM_Derivative)->ArgsProduct({{0, 1, 2}, {0, 1}});
