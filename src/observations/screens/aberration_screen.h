// Screen 11, "Компоненты аберрации (обратный отсчет в эклиптических координатах)": the aberration
// of the source and of the receiver of one object seen from the Earth in a solar system moving
// with the typed absolute velocity (aberration.h), one iteration at a time or stepping the date,
// with the construction, the sweep against time and the phase plane of the components.
//
// Control ids: "theory", "Day", "Month", "Year", "GelioL3", "GelioLpl", "obj0".."obj10",
// "X3".."VZ3", "Xpl".."VZpl" (first group), "Xpl2".."VZpl2" (moving system), "S", "T", "N",
// "cosB", "VXsys", "VYsys", "VZsys", "step", "MT", "MAlfa", "kind", "abs", "plane", "showIs",
// "showPr", "showS", "L0".."B2", "dLis".."dBs", "iterations", "pic", "scale", "scaleText".
#pragma once

#include <optional>

#include "observations/aberration.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kAberrationScreen = 11;

class AberrationScreen : public ui::Screen {
 public:
  AberrationScreen(State& s, ui::Workbench& wb);
  void opened() override;

  const AberrationResult& result() const { return r_; }

  void place();       // "Найти параметры Земли и объекта наблюдения "
  void iterate();     // "Расчет наблюдаемых координат ... (одна итерация) ..."
  void stepping();    // "С шагом"
  void oneStep();     // "+1шаг"
  void resume();      // "Продолжить"
  void stop();        // "Stop"
  void backToJD0();   // "JD=JD0"
  void clearPicture();

 private:
  std::optional<AberrationInputs> readInputs();
  bool placeNow();
  bool iterateNow();
  bool pass();        // placement, iteration, the date advanced
  void loop();
  void showPlacement();
  void showIteration();
  void drawConstruction();
  void drawSweep();
  void showScale();
  double scaleUnit() const;  // m per cm of the construction, from the scale bar
  void fitScale();

  AberrationInputs in_;
  AberrationResult r_;
  bool placed_ = false;
  // The rest-frame state of the placement (X0..VZ0 of the Earth and of the object): the
  // iterations start from it; the model's own X0.. are given back after every command.
  struct Rest {
    double X0, Y0, Z0, VX0, VY0, VZ0;
  };
  Rest restEarth_{}, restObject_{};
  double JD0_ = 0;
  double Day1_ = 1.5;
  int32 Month1_ = 1, Year1_ = 2000;
  struct Last {
    double x = 0, y = 0;
    bool set = false;
  };
  Last last_[3];
};

}  // namespace orvant
