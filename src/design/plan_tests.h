// The response functions of screen 8 "Тесты формы планов" that test the plans of the plans
// workbench.
//
// Each function gives the criterion of experiment e from the natural settings X1..X6 of the factors
// in that experiment (Xi = X0(i) + Xpl(e, n)*dX(i) for the screen factor i of plan factor n, X0(i)
// for a factor outside the plan). Yopt is the function's reference value: its value at all Xi = 1,
// except for Y(u) = u, whose reference is 10. The plans workbench (screen 18) asks for the chosen
// function when its criterion data are "доп. тестов".
#pragma once

#include <string_view>

#include "design/regression.h"

namespace orvant::design {

inline constexpr int kPlanTests = 9;           // functions 0..8, in the order of the screen

// Caption of test function k (0..8), exactly as the screen lists it; "" for another k.
std::string_view planTestCaption(int k);

// Value of test function k in experiment e with the natural factor settings X[1..6].
// A division by X4 = 0 gives a non-finite value, which the caller refuses.
double planTestValue(int k, int e, const Levels& X);

// Reference value Yopt of test function k.
double planTestYopt(int k);

}  // namespace orvant::design
