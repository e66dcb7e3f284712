// The kernels of one instruction set, as integrator.cpp dispatches to them (internal header).
#pragma once

#include "simulation/integrator.h"

namespace orvant {

struct ForceKernels {
  void (*evaluate)(Integrator& w);                      // evaluateDerivative
  bool (*stages)(Integrator& w, double h, bool forces);  // the four stages of a step
};

// The four-lane kernels (integrator_avx2.cpp), or nullptr where they were not compiled. Whether the
// processor can run them is the caller's question.
const ForceKernels* avx2Kernels();

}  // namespace orvant
