// Screen 17, "Рассчет ET-UT": the models of the two corrections ET1 - UT (the ephemeris time of
// the planets) and ET2 - UT (the rotation of the Earth) used by screen 16, and the diameters of
// the Sun, the Earth and the Moon of the eclipse computation.
//
// For each correction six presets (astro/etut.h, kETUTOptions) write their coefficients
// into the fields of the formula "ET1-UT, сек =" a0 "+" a1 " * (T-T01) +" a2 " * (T-T01)^2" and
// its origin year "T01=" (the same for ET2 with T02); a second pair of options reverses the sign.
// "Задать значения" reads the fields back into State::ETcoef (T0 = 1.5 January of the year,
// Gregorian, from midnight) and the diameters (thousands of km) into Dpl of the Sun, the Earth and
// the Moon. The screen applies its fields once when it is built and again whenever its hidden
// field "Time" is set.
#pragma once

#include "ui/screen.h"

namespace orvant {

inline constexpr int kEtutScreen = 17;

class EtutScreen : public ui::Screen {
 public:
  EtutScreen(State& s, ui::Workbench& wb);

  void opened() override;

  // "Задать значения": reads every field first and changes nothing when one is not a number
  // (message "Введите правильно данные", title "Orvant7.0"). True when applied.
  bool apply();

 private:
  void presetChosen(int n);
};

}  // namespace orvant
