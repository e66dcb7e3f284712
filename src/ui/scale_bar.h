// A scale bar that moves the scale in proportion: each step of the bar multiplies the scale by the
// same factor, so that a click changes a small scale as much as a large one (a bar whose position
// was the scale itself took thirty clicks from 2 to 5, then jumped by thousands on a drag).
#pragma once

#include <algorithm>
#include <cmath>

namespace orvant::ui {

// Positions 0..steps map to the values 1..maxValue, kept to two significant digits so that the
// caption reads plainly.
struct ProportionalScale {
  int steps = 1000;
  double maxValue = 100000;

  double value(int position) const {
    const double v = std::pow(maxValue, static_cast<double>(position) / steps);
    const double unit = std::pow(10.0, std::floor(std::log10(v)) - 1);
    return std::clamp(std::round(v / unit) * unit, 1.0, maxValue);
  }
  // The first position whose value is not below `v` (clamped to the bar).
  int position(double v) const {
    const double p = std::ceil(std::log(std::max(1.0, v)) / std::log(maxValue) * steps - 1e-9);
    return static_cast<int>(std::clamp(p, 0.0, static_cast<double>(steps)));
  }
};

}  // namespace orvant::ui
