// Slots of the shared arrays that the reduction's files (reduction*.cpp) use alike.
#pragma once

#include "model/state.h"

namespace orvant::reduction_detail {

inline constexpr int kEarth = 3, kMoon = 11, kObserver = 12, kEarthAside = 23;

inline void copySlot(State& s, int to, int from) {
  s.X[to] = s.X[from];
  s.Y[to] = s.Y[from];
  s.Z[to] = s.Z[from];
}

}  // namespace orvant::reduction_detail
