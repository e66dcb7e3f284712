// Screen 15 "Оптимизация скорости гравитации": the speed of gravity, the absolute velocity of the
// solar system and two mass ratios that bring the modelled secular shifts closest to the observed.
//
// The user ticks the factor rows to optimise, builds an orthogonal or rotatable plan over them,
// runs every experiment of the plan on the model of screen 2 one after another, computes the
// secular shifts of each experiment from its record file, forms the criterion of every experiment
// from the calculated and observed shifts and the weights, fits the regression, finds its optimum
// and decodes it into natural values. The computations are in design/optimisation.h.
//
// Series of runs. Screen 15 never runs the model itself: for experiment e it writes the settings
// into the model (system velocity, masses) and into screen 2's boxes (the factor of "Vgr = Vsv *",
// "kPgr =", the experiment number), sets State::NPlan = k and sets screen 2's hidden field
// `startHidden`, which starts the run after the current command has returned. When a run of a plan
// ends, screen 2 writes the clock into this screen's hidden field `runFinished` and clears NPlan;
// that advances "с №" and starts the next experiment the same way, so one experiment runs at a time
// and no run is nested in another. Past "по №" the sound Arhiv/Zvuk_end1.wav marks the end.
// "Остановить" on screen 2 copies "по №" into "с №", which ends the series. The masses changed by
// rows 6 and 7 are the series' own: the state gets the masses back when the series ends.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "design/optimisation.h"
#include "design/optimum.h"
#include "design/plan.h"
#include "design/regression.h"
#include "ui/screen.h"

namespace orvant::design {

class OptimisationScreen : public ui::Screen {
 public:
  static constexpr int kNumber = 15;
  static constexpr int kRunScreen = 2;       // the model runs
  static constexpr int kWeightsScreen = 19;  // "Весовые коэффициенты и данные моделирования *"
  static constexpr const char* kSoundFile = "Arhiv/Zvuk_end1.wav";

  OptimisationScreen(State& s, ui::Workbench& wb);
  void opened() override;
  bool keepsModel() const override { return false; }  // this screen sets the model
  void activated() override;

  // What the commands keep (read by tests and the batch runs).
  bool hasPlan() const { return havePlan_; }
  const Plan& plan() const { return plan_; }
  const PlanFactorMap& planFactors() const { return PlanFactor_; }
  const Criterion& criteria() const { return Yexp_; }
  const Coefficients& coefficients() const { return Breg_; }
  const Levels& codedOptimum() const { return Xopt_; }
  // Natural settings of experiment e of the last series started (rows 1..7).
  const RowValues& settings(int e) const { return settings_[static_cast<std::size_t>(e)]; }
  // Experiments finished in the current or last series.
  int finishedRuns() const { return done_; }

  // The player of the end-of-series sound (default: playSoundAsync). Headless batch runs set an
  // empty function: no sound.
  void setSoundPlayer(std::function<void(const std::string&)> player) { sound_ = std::move(player); }

 private:
  // ---- commands ----
  void buildPlan();         // "1-Создать план"
  void loadPlanFile();      // "2-Загрузить параметры плана №"
  void savePlanFile();      // "Сохранить"
  void loadObserved();      // "3-Загрузить наблюдаемые вековые смещения параметров орбит планет"
  void runSeries();         // "4-1-Выполнить на математической модели (форма2) эксперименты с №"
  void runFinished();       // hidden: screen 2 finished a run of the plan
  void computeCriterion();  // "4-2- Рассчитать критерий оптимизации по данным"
  void fit();               // "5- Найти коэффициенты уравнения регрессии"
  void optimiseFactors();   // "6- Оптимизировать параметры"
  void copyOptimum();       // "7- задать X0(i) = X(i)opt"
  void drawGraphs();        // "8- Построить графики по уравнению при X(i) = X(i)opt"
  void openWeights();       // "Весовые коэффициенты и данные моделирования *"
  void computeAllShifts();  // "Рассчитать смещения всех экспериментов"
  void countFactors();

  // ---- helpers ----
  std::optional<int> integerBox(std::string_view id, int lo, int hi) const;
  std::optional<int> planNumber() const;  // "Задайте правильно номер плана" when not 1..
  bool readRow(const char* prefix, RowValues& v) const;  // seven boxes; false when one is not a number
  int tickedCount() const;
  bool makePlan(Plan& p, int type, int Nf);
  void report(const std::string& line);
  void startExperiment(int e);
  void endSeries(bool failed);
  // The masses a series changes (Venus and Jupiter): kept at the series' start, put back at its end
  // (also when "Остановить" on screen 2 ended it), so that later runs see the masses of the set.
  void keepMasses();
  void restoreMasses();
  // Rows 6 and 7 show the mass ratios of the current set while the user has not typed them.
  void showMassRatios();
  void showProgress(int running);
  void drawCriteria(bool withRegression);

  Plan plan_;
  bool havePlan_ = false;
  PlanFactorMap PlanFactor_{};
  Criterion Yexp_{};
  bool haveCriteria_ = false;
  double Ymin_ = 0, scale_ = 1;
  Coefficients Breg_{};
  bool haveRegression_ = false;
  Levels Xopt_{};
  bool observedLoaded_ = false;

  // The series of runs.
  std::array<RowValues, kMaxPoints + 1> settings_{};
  bool running_ = false;
  struct KeptMasses {
    double m2, m5, km2, km5;
  };
  std::optional<KeptMasses> kept_;
  std::array<std::string, 2> shownRatios_{};  // texts put into X0_6, X0_7 by showMassRatios
  int runPlan_ = 0;
  int total_ = 0, done_ = 0;
  std::chrono::steady_clock::time_point seriesStart_{}, runStart_{};
  std::function<void(const std::string&)> sound_;
};

}  // namespace orvant::design
