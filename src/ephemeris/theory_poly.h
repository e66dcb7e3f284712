// Polynomials in Julian centuries, the form in which the theories' tables give every element.
#pragma once

namespace orvant {

// c0 + c1*T + c2*T^2 + c3*T^3, evaluated term by term as the tables write it.
struct ThPoly {
  double c0 = 0, c1 = 0, c2 = 0, c3 = 0;
  constexpr double at(double T) const { return c0 + c1 * T + c2 * T * T + c3 * T * T * T; }
};

}  // namespace orvant
