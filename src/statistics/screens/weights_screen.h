// Screen 19 "Весовые коэффициенты": the two inputs of the gravity-speed criterion that live in the
// files of a plan.
//
// - The weights Wt(N, c) of the secular shifts of planets 1..10 and parameters 1..6, kept in the
//   plan file Plan<k>/OrvantPlan<k>.dat (statistics/plan_file.h). "Загрузить  весовые коэффициенты"
//   fills the grid from the file; "Сохранить" writes the file back with the header lines and the
//   factor levels as they were loaded and the weights from the grid. Both make the grid's weights
//   the weights of the criterion (State::Wt).
// - The calculated secular shifts of one planet in every experiment of the plan,
//   Plan<k>/Orvant<N>Ras.dat (statistics/shifts.h): viewed as a listing, with the six shifts of
//   experiment e in boxes that "Сохранить" writes back into the file.
#pragma once

#include <optional>
#include <string_view>

#include "statistics/plan_file.h"
#include "ui/screen.h"

namespace orvant::statistics {

class WeightsScreen : public ui::Screen {
 public:
  static constexpr int kNumber = 19;

  WeightsScreen(State& s, ui::Workbench& wb);

  // Plan whose file the grid was loaded from (0: none).
  int loadedPlan() const { return loadedPlan_; }

 private:
  void loadWeights();   // "Загрузить  весовые коэффициенты"
  void saveWeights();   // "Сохранить" (weights)
  void viewShifts();    // "Просмотреть данные моделирования по одной планете"
  void saveShifts();    // "Сохранить" (shifts)

  std::optional<int> integerBox(std::string_view id, int lo, int hi) const;
  void badInput();

  PlanFile loaded_;  // the plan file as last loaded: headers and levels are written back
  int loadedPlan_ = 0;
};

}  // namespace orvant::statistics
