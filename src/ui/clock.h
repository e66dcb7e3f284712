// The clock of the screens: seconds since local midnight, with fractions (a run's real time, the
// clock values that screens write into each other's hidden fields).
#pragma once

namespace orvant::ui {

double clockSeconds();

}  // namespace orvant::ui
