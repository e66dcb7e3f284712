// Screen 1, "Параметры объектов и начальные данные": the start screen of the workbench.
//
// It loads the orbit parameters (and, for some sources, the initial state) of the eleven bodies
// at a date from one of six sources, shows them in an 11-row table in one of two views, converts
// parameters to the initial state, corrects it (centre of mass, Sun velocity), saves and loads the
// parameter files Dat/Orvant<N>.dat, draws the bodies, and opens the other screens.
//
// Opening the screen is the start of the program: the participation tables from the boxes, the
// traced-object choice reset, the catalogue and constants, then the data of the default source
// "Kin0 (J2000)" at 1801 January 1.5 loaded and converted to the initial state once.
//
// Other screens refresh it by switching its view option "view" to the initial data (entry 1) and
// setting its hidden field "refresh" (screen 4 after "Задать скорость системе").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "initial/initial_data_screen_sources.h"
#include "initial/orbit_check.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kInitialDataScreen = 1;

class InitialDataScreen : public ui::Screen {
 public:
  InitialDataScreen(State& s, ui::Workbench& wb);

  void opened() override;
  bool keepsModel() const override { return false; }  // this screen sets the model
  void activated() override;

  // Ids other screens and tests use.
  // Scroll bar of the drawing scale: Mx1 = position * 10^8 m per unit of the picture.
  static constexpr double kScaleStep = 1e8;
  static constexpr const char* kView = "view";        // 0 parameters, 1 initial data
  static constexpr const char* kRefresh = "refresh";  // hidden: redraws the initial-data view
  static constexpr int kInitialView = 1;

 private:
  // ---- commands ----
  void load();
  void calculate();
  void save();
  void findCentre();
  void centreToOrigin();
  void sunVelocity();
  void addSunVelocity();
  void gregorianToJulian();
  void julianToGregorian();
  void toModelling();
  void refreshInitialView();

  // ---- changes of the boxes ----
  void moonModeChanged();
  void participationChanged(int i);
  void tracedChanged();
  void scaleChanged();

  // ---- helpers ----
  bool loadFromScreen();
  bool readDate(double& day, int32& month, int32& year);
  void showDate(double day, int32 month, int32 year);
  void showConstants();
  void showTable();
  void switchToInitialView();
  void drawPicture();
  void drawCentreCross();
  void updateTraced();
  void updateNavigation();
  void applyScale();
  std::string bodyName(int i) const;

  // ---- the orbit check (initial_data_screen_check.cpp) ----
  void declareCheck(const std::vector<std::string>& names);
  void checkStart();
  void checkContinue();
  void checkSteps();
  void runCheck();
  void showCheckNode();
  void showCheckPerihelion();
  void showCheckDisplay();
  void drawCheck();
  void fitCheckScale(double distance);  // m between the centre and the traced body

  OrbitCheck check_;
  std::optional<OrbitCheckSlots> keepPair_;  // while the check's loop runs
  bool checkReady_ = false;    // a check was set up and can be continued
  bool checkRunning_ = false;  // its loop is running (a button pressed meanwhile only sets flags)
};

}  // namespace orvant
