// Screen 2, "Моделирование и имитирование движения планет": runs a computational experiment on the
// model or on an ephemeris simulator (run.h), shows the motion, the energy check and the orbit
// parameters of the traced body (extraction.h), and writes the result files.
//
// The screen reads its boxes, hands them to the run and is the run's observer: at every display
// point it shows the values, draws, re-reads the boxes marked * and lets the window process its
// events; at every registered passage it shows the new parameters. The drawing is in
// run_screen_drawing.cpp.
//
// Screen 15 (the gravity-speed optimisation) drives this screen through the ids below: it sets
// the boxes and changes the hidden field `startHidden`, which acts as "Начать" after the command
// in progress; at the end of a run of plan NPlan > 0 this screen sets screen 15's hidden field
// `runFinished` to the clock, and "Остановить" ends a running series by setting screen 15's
// "с №" (`expFrom`) to its "по №" (`expTo`).
#pragma once

#include <array>
#include <optional>
#include <vector>
#include <string>

#include "simulation/run.h"
#include "ui/canvas.h"
#include "ui/screen.h"

namespace orvant::simulation {

class RunScreen : public ui::Screen, private RunObserver {
 public:
  static constexpr int kNumber = 2;
  static constexpr int kStatisticsScreen = 6;  // "К статистике"
  static constexpr int kGravityScreen = 7;     // "Тест гравитации*"
  static constexpr int kPlanScreen = 15;       // "К плану"

  RunScreen(State& s, ui::Workbench& wb);

  void opened() override;
  bool keepsModel() const override { return false; }  // this screen sets the model
  void activated() override;
  // Closing the window during a run stops it as "Остановить" does (a plan series ends too).
  void stopLoop() override { stopRun(); }

  // The run (its state is kept between the commands).
  const ExperimentRun& run() const { return run_; }

 private:
  // The controls, declared by the constructor group by group.
  void declareSettings();
  void declareCommands();
  void declareProgress();
  void declarePictures();
  // ---- commands ----
  void start();         // "Начать" and the hidden start field
  void resumeRun();     // "Продолжить"
  void stopRun();       // "Остановить"
  void stepsRun();      // "NC0 шагов"
  void navigate(int n); // "К статистике", "К плану", "Тест гравитации*"
  void runLoop();       // the loop of the run and what follows its end

  // ---- the boxes ----
  std::optional<RunInputs> readInputs();
  std::optional<LiveInputs> readLive() const;
  void readScales();
  std::optional<long> integer(std::string_view id, long lo, long hi) const;
  std::string sourceOfScreen1() const;
  void centreChanged(bool sun);

  // ---- showing ----
  void showStart();
  void showReference();
  void showParameters();
  void showDisplay();
  void showProgress();
  void showDate(std::string_view id);

  // ---- drawing (run_screen_drawing.cpp) ----
  void clearPictures();
  void printStartTexts();
  void drawAnimation();
  void plotDisplay();
  void plotChanges();
  double plotX();            // horizontal position of the present model time, cm
  void graphAxes();
  // One point of plotted series k, joined to its previous point by a line: the value v in the
  // units of its scale (group 0: the box "тыс.км в 1 см", group 1: "сек в 1 см"). A value that
  // leaves the picture widens the scale of its group to fit it, unless the user typed that box.
  void plotPoint(int k, double x, double v, int group, ui::Color color);
  void drawPlotted(int k, double x, double v, int group, ui::Color color);
  bool widenScale(double v, int group);  // true when the scale changed (the sweep is redrawn)
  void redrawSweep();

  // ---- RunObserver ----
  void displayPoint(const ExperimentRun& run) override;
  void extractionEvent(const ExperimentRun& run, unsigned events) override;
  std::optional<LiveInputs> liveInputs() override;
  void processEvents() override;

  ExperimentRun run_;
  // Scales of the plots (run_screen_drawing.cpp): days per cm of the time axis, arc seconds per cm
  // of the changes, thousand km per cm of X, Y, Z (and of the energy check), and the offset of the
  // zero line, cm.
  double scaleT_ = 100, scaleA_ = 100, scaleXYZ_ = 10000, offsetY_ = 0;
  int runPlan_ = 0;             // plan number of the records of the last started run
  double lastPlotX_ = -1;      // the last horizontal position plotted (a smaller one wraps)
  struct PlotPoint {
    double x = 0, y = 0;
    bool set = false;
  };
  std::array<PlotPoint, 11> last_{};  // the last point of each series: X, Y, Z, dE, dM, changes
  struct Plotted {  // a point of the present sweep of the plot, kept to redraw it at a new scale
    int k, group, pen;
    double x, v;
    ui::Color color;
  };
  std::vector<Plotted> sweep_;
  bool wrapped_ = false;        // the time axis wrapped since the start (the start texts are gone)
  std::array<bool, 2> scaleTyped_{};  // the user typed "тыс.км в 1 см" / "сек в 1 см"
  long orbitPoints_ = 0;       // points on the animation picture since it was last cleared
  long long stepsAtDisplay_ = 0;
  double realAtDisplay_ = 0;
  double stepsPerSecond_ = 0;
};

}  // namespace orvant::simulation
