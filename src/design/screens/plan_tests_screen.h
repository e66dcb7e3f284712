// Screen 8 "Тесты формы планов": the response functions that test the plans of the plans workbench.
//
// Each function gives the criterion of experiment e from the natural settings X1..X6 of the factors
// in that experiment (Xi = X0(i) + Xpl(e, n)*dX(i) for the screen factor i of plan factor n, X0(i)
// for a factor outside the plan). Yopt is the function's reference value: its value at all Xi = 1,
// except for Y(u) = u, whose reference is 10. The plans workbench (screen 18) asks this screen for
// the chosen function when its criterion data are "доп. тестов".
#pragma once

#include <string_view>

#include "design/plan_tests.h"
#include "ui/screen.h"

namespace orvant::design {

inline constexpr int kPlanTestsScreen = 8;  // the screen's number

class PlanTestsScreen : public ui::Screen {
 public:
  PlanTestsScreen(State& s, ui::Workbench& wb);
  void opened() override;

  // The function chosen on the screen (0..8).
  int chosen() const;

 private:
  void showYopt();
};

}  // namespace orvant::design
