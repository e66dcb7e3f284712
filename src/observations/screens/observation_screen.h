// Screen 10, "Обработка первичных данных наблюдений": compares a theory of the motion of one body
// with the observations of an observatory series or the positions of an ancient table.
//
// The screen chooses the source through the sources library (sources.h), reads its boxes into
// the inputs of the reduction run (reduction.h), hands itself to the loop as its observer and
// shows, between passes, the date, the reduction rows, the residuals, the running means, the
// counts and the speed; it draws the residual picture, the orbit or horizon view and the three
// distributions of "++Статистика" (observation_screen_drawing.cpp).
//
// Ids other screens use: "dmyHidden" (changed by the plan screen 13: performs "DMY->JD"),
// "planListHidden" (changed by screen 13: prints the plan listing), the date fields "Day",
// "Month", "Year", "YearEnd", the criterion "criterion", "Prec", and "expFrom", "expTo" (the
// experiments of a plan).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "observations/reduction.h"
#include "observations/sources.h"
#include "ui/canvas.h"
#include "ui/screen.h"

namespace orvant {

struct ObsPlan;
inline constexpr int kObservationScreen = 10;

class ObservationScreen : public ui::Screen, private ReductionObserver {
 public:
  static constexpr int kStatisticsScreen = 6;
  static constexpr int kPlanScreen = 13;
  static constexpr int kMoonPertScreen = 21;
  static constexpr int kPlanetPertScreen = 22;

  ObservationScreen(State& s, ui::Workbench& wb);

  void opened() override;
  void activated() override;

  ObservationRun& run() { return run_; }
  const ObservationRun& run() const { return run_; }
  // The plan link of the runs: screen 13's parameters and plan once it is open, else the default.
  PlanLink planLink();

 private:
  // The first residual scales (MdAlfa, ″/cm) of an observatory's and of a table's series.
  static constexpr double kObsResidualScale = 100, kTabResidualScale = 3600;
  void residualScaleFor(bool table);
  // The controls, declared by the constructor group by group.
  void declareSourceAndDate();
  void declareTheoryColumn();
  void declareResultColumn();
  void declarePictures();
  // ---- the source (observation_screen.cpp) ----
  void kindChosen();
  void tableChosen();
  void observatoryChosen();
  SourceScreen readSourceScreen() const;
  void showSourceScreen(const SourceScreen& scr);

  // ---- commands ----
  void start();
  void stopRun();
  void resumeRun();
  void oneStep();
  LoopEnd runLoop();
  bool openChosenObservatory();
  void clearResults();
  void dmyToJd();
  void jdToDmy();
  void backToJD0();
  void statisticsReport();
  void closeScreen();
  void navigate(int n);
  void enableNavigation();

  // ---- the boxes ----
  ReductionInputs readInputs() const;
  std::optional<LiveInputs> readLive() const;
  PassOptions readOptions() const;
  double num(std::string_view id) const;  // NaN when the box is not a number
  static int32 integerOf(double v);       // -2^31 for a value that is not a whole 32-bit number

  // ---- showing ----
  void showPass(const PassResult& r);
  void showProgress(bool force);

  // ---- drawing (observation_screen_drawing.cpp) ----
  void clearPictures();
  void drawAxes();
  void drawLimitLines();
  void plotPass(const PassResult& r);
  void drawOrbitView(const PassResult& r);
  void drawHorizonView(const PassResult& r);
  void drawDistributions(double K);
  void plotPoint(int series, double x, double y, ui::Color c);

  // ---- the experiments of a plan of screen 13 (observation_screen_plan.cpp) ----
  void declarePlanControls();   // the controls of the series, at the end of the constructor
  void runExperiments();        // "Выполнить эксперименты с"
  void runExperiment(int u, int last);  // one experiment, then the next one queued
  void endExperiments(bool completed);
  void planRegression();        // "Найти коэффициенты уравнения регрессии"
  void planGraphs();            // "Построить графики при X(i)=X(i)opt"
  void planListing();           // the second hidden field "planListHidden"
  void planetChosen();          // the planet theory chosen: the epochs and screen 13's box
  void planText(double units, const std::string& text, double xCm = 0, ui::Color c = ui::kBlack);
  std::string planIgnored(const ObsPlan& plan) const;  // why a series would not vary, or ""
  bool seriesRunning_ = false;
  int seriesFirst_ = 1;
  double seriesStart_ = 0;

  // ---- ReductionObserver ----
  PassOptions passOptions() override;
  void sourceDate(const ObservationRun&, const std::string& dateText) override;
  void orbitView(const ObservationRun&, const PassResult& r) override;
  void passDone(const ObservationRun&, const PassResult& r) override;
  void limitLines(const ObservationRun&) override;
  std::optional<LiveInputs> liveInputs() override;
  void pause(double ms) override;
  void processEvents() override;

  ObservationRun run_;
  // The start date of the last run ("JD = JD0").
  double day0_ = 1.5;
  int32 month0_ = 1, year0_ = 2000;
  // Progress between passes.
  double clockStart_ = 0, lastShown_ = -1;
  long passesAtStart_ = 0;
  long compared_ = 0;  // observations compared since "Начать"
  // The last point of each plotted series (joined by lines).
  struct LastPoint {
    double x = 0, y = 0;
    bool set = false;
  };
  std::array<LastPoint, 16> last_{};
};

}  // namespace orvant
