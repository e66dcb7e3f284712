#include "simulation/integrator.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "model/format.h"
#include "simulation/integrator_paths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvant {

namespace integrator_base {
#include "simulation/integrator_lanes.inc"
#include "simulation/integrator_kernels.inc"
}  // namespace integrator_base

namespace {

constexpr int kYo = kBodies;  // offsets of the blocks in S
constexpr int kZo = 2 * kBodies;
constexpr int kVXo = 3 * kBodies;
constexpr int kVYo = 4 * kBodies;
constexpr int kVZo = 5 * kBodies;

double allBits() {
  std::uint64_t u = ~std::uint64_t{0};
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}

constexpr ForceKernels kScalarKernels = integrator_base::kernelsOf<integrator_base::V1>();
#if defined(__SSE2__)
constexpr ForceKernels kSse2Kernels = integrator_base::kernelsOf<integrator_base::V2>();
#endif

const ForceKernels* kernelsFor(ForcePath path) {
  switch (path) {
    case ForcePath::AVX2:
      if (const ForceKernels* k = avx2Kernels()) return k;
      [[fallthrough]];
    case ForcePath::SSE2:
#if defined(__SSE2__)
      return &kSse2Kernels;
#endif
      [[fallthrough]];
    case ForcePath::Scalar:
      break;
  }
  return &kScalarKernels;
}

bool processorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  // Checks the processor and that the operating system saves the 256-bit registers.
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// The path every newly prepared context takes: ORVANT_FORCE_PATH (scalar, sse2, avx2) when set to a
// path this processor can run, else the best one.
ForcePath initialPath() {
  if (const char* env = std::getenv("ORVANT_FORCE_PATH"); env && *env) {
    const std::string_view v = env;
    if (v == "scalar") return ForcePath::Scalar;
    if (v == "sse2") return supportedForcePath(ForcePath::SSE2);
    if (v == "avx2") return supportedForcePath(ForcePath::AVX2);
  }
  return bestForcePath();
}

std::atomic<ForcePath>& chosenPath() {
  static std::atomic<ForcePath> path{initialPath()};
  return path;
}

}  // namespace

ForcePath bestForcePath() {
  if (avx2Kernels() && processorHasAvx2()) return ForcePath::AVX2;
#if defined(__SSE2__)
  return ForcePath::SSE2;
#else
  return ForcePath::Scalar;
#endif
}

ForcePath supportedForcePath(ForcePath wanted) {
  const ForcePath best = bestForcePath();
  return static_cast<int>(wanted) <= static_cast<int>(best) ? wanted : best;
}

ForcePath forcePath() { return chosenPath().load(); }

ForcePath setForcePath(ForcePath path) {
  const ForcePath p = supportedForcePath(path);
  chosenPath().store(p);
  return p;
}

const char* forcePathName(ForcePath path) {
  switch (path) {
    case ForcePath::AVX2:
      return "avx2";
    case ForcePath::SSE2:
      return "sse2";
    case ForcePath::Scalar:
      break;
  }
  return "scalar";
}

void prepareIntegrator(const State& s, Integrator& w) {
  const double on = allBits();
  for (int I = 0; I < kBodies; ++I) {
    for (int J = 0; J < kLanes; ++J) {
      const bool pair = J < kBodies && J != I;
      w.coef[I][J] = pair ? s.kVz[I][J] * s.m[I] * s.m[J] * s.gamma : 0.0;
      w.pairMask[I][J] = pair ? on : 0.0;
    }
  }
  for (int k = 0; k < 16; ++k) {
    const int I = kGroupPairs[k][0], J = kGroupPairs[k][1];
    w.groupCoef[k] = I < kBodies ? w.coef[I][J] : 0.0;
  }
  w.symmetric = true;
  for (int I = 0; I < kBodies; ++I)
    for (int J = 0; J < kBodies; ++J)
      if (std::memcmp(&w.coef[I][J], &w.coef[J][I], sizeof(double)) != 0) w.symmetric = false;
  for (int J = 0; J < kLanes; ++J) {
    const bool ok = J < kBodies && s.m[J] != 0;
    w.mass[J] = ok ? s.m[J] : 1.0;
    w.massMask[J] = ok ? on : 0.0;
  }
  w.Vgr = s.Vgr;
  w.Rpow = s.Rpow;
  w.kodVgr = s.kodVgr == 1 ? 1 : 0;
  w.NItGr = s.NItGr > 0 ? s.NItGr : 0;
  w.kodOTO = s.kodOTO == 1 ? 1 : 0;
  w.path = forcePath();
}

void loadState(const State& s, Integrator& w) {
  for (int i = 0; i < kBodies; ++i) {
    w.S[i] = s.X[i];
    w.S[kYo + i] = s.Y[i];
    w.S[kZo + i] = s.Z[i];
    w.S[kVXo + i] = s.VX[i];
    w.S[kVYo + i] = s.VY[i];
    w.S[kVZo + i] = s.VZ[i];
  }
}

void evaluateDerivative(Integrator& w) { kernelsFor(w.path)->evaluate(w); }

bool rungeKuttaStep(State& s, Integrator& w, double h, int n) {
  const bool forces = w.kodOTO != 1;
  // The first approximation of the propagation time divides by Vgr in every evaluation, with the
  // finite speed on or off: a zero speed of gravity is a failure of the step.
  if (forces && w.Vgr == 0) return false;

  if (!kernelsFor(w.path)->stages(w, h, forces)) return false;
  const double* S = w.S.data();
  const double* S0 = w.S0.data();
  // Copy-back: coordinates of all bodies; velocities as the last evaluation unpacked them
  // (S0 + K3), the traced body's at the end of the step.
  for (int i = 0; i < kBodies; ++i) {
    s.X[i] = S[i];
    s.Y[i] = S[kYo + i];
    s.Z[i] = S[kZo + i];
  }
  if (forces) {
    for (int i = 0; i < kBodies; ++i) {
      s.VX[i] = S0[kVXo + i] + w.K3[kVXo + i];
      s.VY[i] = S0[kVYo + i] + w.K3[kVYo + i];
      s.VZ[i] = S0[kVZo + i] + w.K3[kVZo + i];
    }
  }
  if (n >= 0 && n < kBodies) {
    s.VX[n] = S[kVXo + n];
    s.VY[n] = S[kVYo + n];
    s.VZ[n] = S[kVZo + n];
    s.Vpl = std::sqrt(s.VX[n] * s.VX[n] + s.VY[n] * s.VY[n] + s.VZ[n] * s.VZ[n]);
  }
  return true;
}

// ---- energy and angular momentum ----

void unpackVelocities(State& s, const Integrator& w, int M) {
  for (int i = 0; i <= M && i < kBodies; ++i) {
    s.VX[i] = w.S[kVXo + i];
    s.VY[i] = w.S[kVYo + i];
    s.VZ[i] = w.S[kVZo + i];
  }
}

namespace {

double speedSquared(const State& s, int i) {
  return s.VX[i] * s.VX[i] + s.VY[i] * s.VY[i] + s.VZ[i] * s.VZ[i];
}

double distanceFromSun(const State& s, int i) {
  const double dx = s.X[i] - s.X[0], dy = s.Y[i] - s.Y[0], dz = s.Z[i] - s.Z[0];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double angularMomentumZ(const State& s, int M) {
  double sum = 0;
  for (int i = 1; i <= M; ++i) {
    sum += ((s.VY[i] - s.VY[0]) * (s.X[i] - s.X[0]) - (s.VX[i] - s.VX[0]) * (s.Y[i] - s.Y[0])) *
           s.kUch[i] * s.m[i];
  }
  return sum;
}

}  // namespace

bool startEnergyCheck(const State& s, EnergyCheck& e, int M) {
  if (M > kNob) M = kNob;
  e.E0sys = 0;
  for (int i = 0; i <= M; ++i) {
    e.R0[i] = distanceFromSun(s, i);
    e.E0sys += s.kUch[i] * s.m[i] * speedSquared(s, i) / 2;
  }
  e.M0sys = angularMomentumZ(s, M);
  e.Esys = e.E0sys;
  e.Msys = e.M0sys;
  return std::isfinite(e.E0sys) && std::isfinite(e.M0sys);
}

bool updateEnergyCheck(const State& s, EnergyCheck& e, int M) {
  if (M > kNob) M = kNob;
  double E = s.kUch[0] * s.m[0] * speedSquared(s, 0) / 2;
  for (int i = 1; i <= M; ++i) {
    if (s.kUch[i] == 0) continue;
    const double R = distanceFromSun(s, i);
    E += (1 / e.R0[i] - 1 / R) * s.kUch[i] * s.gamma * s.m[0] * s.m[i] +
         speedSquared(s, i) * s.kUch[i] * s.m[i] / 2;
  }
  e.Esys = E;
  e.Msys = angularMomentumZ(s, M);
  return std::isfinite(e.Esys) && std::isfinite(e.Msys);
}

double dEsysPercent(const EnergyCheck& e) {
  return truncDecimals((e.Esys - e.E0sys) * 100 / e.E0sys, 8);
}

double dMsysPercent(const EnergyCheck& e) {
  return truncDecimals((e.Msys - e.M0sys) * 100 / e.M0sys, 8);
}

}  // namespace orvant
