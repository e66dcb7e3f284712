// Screen 16, "Неравномерность вращения Земли (ET-UT)": the Sun, the Moon or a planet and the
// Earth's shadow followed step by step in universal time as an observer sees them, so that solar
// and lunar eclipses and transits of Mercury and Venus can be watched and compared between the
// theories (New0, JPL0, JPL2, Kin0+) and the ancient tables, under the ET - UT models of screen 17.
//
// Each step runs the chain of eclipse_chain.h and shows its stages row by row, the times of the
// chain (ut, LTut, UTet2, DMY, LTet2, GMST, LMST), the angular radii and the separation of the
// disks with the least separation met so far; it draws the disks in the horizon (Cartesian and
// polar) and the heliocentric pictures, and logs Dat/Param_data.txt and Dat/TimeYer_data.txt.
// "Начать" checks and starts, "Остановить" / "Продолжить" / "+ 1 шаг" control the loop, which
// yields to the window after every step.
#pragma once

#include "earthrotation/eclipse_chain.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kEclipseScreen = 16;

class EclipseScreen : public ui::Screen {
 public:
  EclipseScreen(State& s, ui::Workbench& wb);

  void opened() override;

  // The last step and the least separation of the disks met since "Начать" (degrees) with its UT.
  const EclipseStep& lastStep() const { return last_; }
  double minSeparation() const { return minSep_; }
  double minSeparationJD() const { return minSepJD_; }
  int steps() const { return steps_; }

 private:
  void start();
  void resume(bool oneStep);
  void loop();
  bool readSettings(EclipseSettings& set);
  void showStep(const EclipseStep& st);
  void draw(const EclipseStep& st);
  void clearPictures();
  void showDate();
  void dmyToJd();
  void jdToDmy();
  void jdToJd0();
  bool logStep(const EclipseStep& st);
  double separation(const EclipseStep& st) const;

  EclipseSettings set_;
  EclipseStep last_;
  bool prepared_ = false;   // "Начать" succeeded: the loop may continue
  bool firstStepOnly_ = false;  // "+ 1 шаг" before any start: start stopped after one step
  double day_ = 0;          // the current date of the stepping
  int month_ = 0, year_ = 0;
  double day0_ = 0;         // the normalised start date ("JD = JD0")
  int month0_ = 0, year0_ = 0;
  int calType_ = 0;         // calendar and day start of the stepping
  double hour0_ = 0;
  int direction_ = 1;
  double stepDays_ = 0, divisor_ = 10;
  bool fineNext_ = false;   // the last step was marked: the next one is divided
  bool logParam_ = false, logTimeYer_ = false;
  double minSep_ = 0, minSepJD_ = 0;
  int steps_ = 0;
  bool running_ = false;     // the loop runs (a press meanwhile starts no second loop)
};

}  // namespace orvant
