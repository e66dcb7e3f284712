// Screen 13, "План эксперимента наблюдений": the orbit parameters of one object fitted to the
// observations of screen 10 by a multi-factor plan (obs_plan.h).
//
// The screen keeps the plan (ObsPlan) that screen 10's series of experiments runs ("Выполнить
// эксперименты с", observation_screen_plan.cpp): screen 10 reads the plan, the zero levels and the
// intervals from here, stores the criterion of every experiment and the regression here, and this
// screen finds the optimum and stores it as a record of the object's observation record file
// (screen 6) or hands the perturbation coefficients to screen 22.
//
// Coupling with screen 10: after loading the parameters of an experiment (template or file) this
// screen restores screen 10's start date and end year and writes the clock time into its hidden
// fields "dmyHidden" (screen 10 then performs "DMY->JD") and "planListHidden" (screen 10 prints the
// plan listing on its residual picture). Both run as queued calls after this command.
//
// Control ids: "k", "e" (plan and experiment), "type" ("Orto"/"Roto"), row i = 1..9: "t<i>" (tick),
// "X0_<i>", "dX_<i>", "Xopt_<i>", "Xnat_<i>"; "VXsys", "VYsys", "VZsys" (km/s), "Prec", "kW",
// "pert", "pertNo", "Npt", "listing".
#pragma once

#include <optional>
#include <string>

#include "design/plan.h"
#include "observations/obs_plan.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kObsPlanScreen = 13;

class ObservationScreen;

class ObsPlanScreen : public ui::Screen {
 public:
  static constexpr int kObservationScreenNo = 10;
  static constexpr int kStatisticsScreenNo = 6;
  static constexpr int kPlanetPertScreenNo = 22;

  ObsPlanScreen(State& s, ui::Workbench& wb);
  void opened() override;
  void activated() override;

  ObsPlan& plan() { return plan_; }
  const ObsPlan& plan() const { return plan_; }

  // Reads every box into the plan (row 1 x MK, rows 2..9 as typed, velocities x 1000, the
  // precession from screen 10, the perturbation variant); hands the zero levels and the weight to
  // screen 10's current parameter row. "Задайте правильно данные для плана" and false when a box
  // is not a number.
  bool readBoxes();
  // Shows the plan's values in the boxes.
  void showValues();
  // Screen 10's series ("использовать тест") sets zero levels and intervals of the factors to 1.
  void setTestLevels();

  // Commands.
  void createPlan();          // "Создать план"
  void loadTemplate();        // "Загрузить параметры плана из" "шаблона"
  void loadFile();            // "Загрузить параметры плана из" "файла"
  void writeFile();           // "Записать план опыта в файл"
  void optimise();            // "Оптимизировать отмеченные параметры"
  void zeroFromOptimum();     // "Задать нулевые уровни = X(i)opt"
  void optimumToZero();       // "X(i)opt=0"
  void addRecord();           // "Добавить оптимальные параметры в файл"
  void toScreen22();          // "возмущения на форму 22"

 private:
  ObservationScreen* observationScreen() const;
  std::optional<int> number(std::string_view id) const;
  int objectNumber() const;   // "объект №" of screen 10 (State::Npl without it)
  bool epochJD() const;
  void showRecordCaption();
  void pertChosen();
  void restoreScreen10Dates();
  void showSourceDates();

  ObsPlan plan_;
  design::SignTables signs_;
};

}  // namespace orvant
