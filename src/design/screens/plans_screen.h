// Screen 18 "Планы многофакторного планирования": the plans workbench.
//
// The user ticks up to six abstract factors, builds one of the five plan types, obtains a criterion
// for every experiment from the standard test polynomial, from a test function of screen 8 or from
// the file of natural experiments Dat/NabPlan<Nf>.txt, fits the second-order regression, finds and
// decodes its stationary point and draws the response along each factor. The computations are in
// design/plans_workbench.h; the plan, regression and optimum in design/plan.h, regression.h and
// optimum.h.
//
// The screen keeps the sign tables of the plans (prepared once, when the screen is made), the current
// plan with the screen rows of its factors, the criteria of its experiments, the regression
// coefficients and the optimum; a new plan discards the rest.
#pragma once

#include "design/optimum.h"
#include "design/plan.h"
#include "design/plans_workbench.h"
#include "design/regression.h"
#include "ui/screen.h"

namespace orvant::design {

inline constexpr int kPlansScreen = 18;
// Refusal of a command that needs a plan before one was built.
inline constexpr const char* kNoPlan = "Сначала создайте план экспериментов";

class PlansScreen : public ui::Screen {
 public:
  PlansScreen(State& s, ui::Workbench& wb);
  void opened() override;
  bool keepsModel() const override { return false; }  // this screen sets the model

  // What the commands keep (read by tests).
  const Plan& plan() const { return plan_; }
  bool hasPlan() const { return havePlan_; }
  const FactorMap& factorRows() const { return rows_; }
  const Criterion& criteria() const { return Yexp_; }
  const Coefficients& coefficients() const { return Breg_; }
  const Levels& codedOptimum() const { return Xopt_; }
  double optimumValue() const { return Ystar_; }

 private:
  // Commands.
  void build();
  void setUnitLevels();
  void runExperiments();
  void saveExperiments();
  void fit();
  void optimiseFactors();
  void copyOptimum();
  void drawGraphs();
  void clearDrawing();
  void sourceChanged();
  void countFactors();

  // Helpers.
  int tickedCount() const;
  bool readLevels(Levels& X0, Levels& dX) const;  // all six rows; false when one is not a number
  void report(const std::string& line);
  void drawAxes(double widthCm);
  void labelAxis(double Ymin, double scale);  // values at 0, 5 and 10 cm above the base line
  void drawCriteria(bool withRegression);
  void printOptimumValue();

  SignTables signs_;
  Plan plan_;
  bool havePlan_ = false;
  FactorMap rows_{};
  Criterion Y_{};       // criteria as obtained (before the criterion form)
  Criterion Yexp_{};    // criteria of the regression
  double Yopt_ = 0;     // reference value of the experiments
  bool haveExperiments_ = false;
  double Ymin_ = 0, scale_ = 1;  // drawing of the criteria: lowest value, units per cm
  Coefficients Breg_{};
  bool haveRegression_ = false;
  Levels Xopt_{};       // coded optimum of plan factors 1..Nf
  double Ystar_ = 0;    // the regression's value at the optimum
  bool haveOptimum_ = false;
};

}  // namespace orvant::design
