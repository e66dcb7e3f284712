// The integrator's kernels with four lanes of doubles (AVX2). This file alone is compiled with
// -mavx2 -mno-fma -ffp-contract=off; it runs only where the processor has AVX2 (the dispatcher in
// integrator.cpp asks). No fused multiply-add: every lane rounds as the scalar reference does.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "simulation/integrator_paths.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace orvant {

namespace integrator_avx2 {
#include "simulation/integrator_lanes.inc"
#include "simulation/integrator_kernels.inc"
}  // namespace integrator_avx2

namespace {
constexpr ForceKernels kAvx2Kernels = integrator_avx2::kernelsOf<integrator_avx2::V4>();
}  // namespace

const ForceKernels* avx2Kernels() { return &kAvx2Kernels; }

}  // namespace orvant

#else

namespace orvant {
const ForceKernels* avx2Kernels() { return nullptr; }
}  // namespace orvant

#endif
