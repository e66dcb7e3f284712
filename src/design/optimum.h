// The stationary point of the regression surface and its decoding into natural units.
//
// Setting dY/dx_i = b_i + sum_{j!=i} b_ij x_j + 2 b_ii x_i = 0 for every factor gives Nf linear
// equations in the coded factors, written into layer Nf of the solver's store and solved by
// elimination without row exchange (design/linsolve.h). The natural optimum of factor i is
// X0(i) + Xopt(i)*dX(i) with the zero level X0(i) and the variation interval dX(i) of the calling
// screen.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "design/linsolve.h"
#include "design/regression.h"
#include "model/state.h"

namespace orvant::design {

inline constexpr const char* kOptimumHeading = "Исходная система линейных уравнений и ее решение";

struct Optimum {
  LinearSystem sys;   // the system (layer Nf) and its elimination
  Levels Xopt{};      // coded optimum x_1..x_Nf at index 1..Nf
  // One line per equation of the system ("    " r "          " constant "   " coefficients, two
  // decimals), then the records of the elimination steps.
  std::vector<std::string> listing;
};

// Writes the system of the optimum of Breg for Nf factors (2..6) into layer Nf of `sys`.
void optimumSystem(const Coefficients& Breg, int Nf, LinearSystem& sys);

// Builds and solves the system of the optimum. A zero pivot or another numeric failure reports
// "Ошибка при решение системы линейных уравнений" (title "Orvant7") and returns false; `opt` then
// keeps its previous values.
bool optimise(State& s, const Coefficients& Breg, int Nf, Optimum& opt);

// The heading followed by the listing.
std::vector<std::string> optimumReport(const Optimum& opt);

// Natural value of a coded optimum: X0 + Xopt*dX truncated toward zero at six decimals.
double naturalOptimum(double X0, double Xopt, double dX);

}  // namespace orvant::design
