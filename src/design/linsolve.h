// The linear-equation solver as the design code names it; it lives in model/linsolve.h, below both
// the design and the statistics code that use it.
#pragma once

#include "model/linsolve.h"

namespace orvant::design {

using orvant::kSolveFailed;
using orvant::LinearSystem;
using orvant::Solve;

}  // namespace orvant::design
