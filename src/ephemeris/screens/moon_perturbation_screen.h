// Screen 21, "Возмущения  Луны dLdB": the coefficients of the Moon's periodic perturbations.
//
// Twenty terms of the Moon's longitude and latitude (perturbations.h, MoonPert), each with a check
// box and a value box in degrees; "Задать значения коэффициентов" takes the ticked boxes into the
// shared table State::dLdB (an unticked term is 0 whatever its box holds). Opening the screen
// fills the boxes with the defaults (the classical inequalities, most of them ticked) and takes
// them into the table, so the table holds its defaults from the first time screen 10 or 16 opens
// (they create this screen with workbench().screen(21); "dLl*" shows it with workbench().show(21)).
// Edits in the boxes take effect only through the command; "Закрыть форму" keeps the table.
#pragma once

#include <array>
#include <string>

#include "ui/screen.h"

namespace orvant::ephemeris {

class MoonPerturbationScreen : public ui::Screen {
 public:
  static constexpr int kNumber = 21;

  // One term of the table: its entry of dLdB, check-box caption, term shown beside the box,
  // default value (degrees) and whether it is ticked by default.
  struct Term {
    int entry;
    const char* caption;
    const char* term;
    const char* value;
    bool ticked;
  };
  static const std::array<Term, 20>& terms();

  // Control ids of entry n: check box "tick<n>", value box "value<n>".
  static std::string tickId(int entry) { return "tick" + std::to_string(entry); }
  static std::string valueId(int entry) { return "value" + std::to_string(entry); }

  MoonPerturbationScreen(State& s, ui::Workbench& wb);
  void opened() override;

  // "Задать значения коэффициентов": entries 1..16, then 25..28, in that order: 0, or the value of
  // the box when ticked. A ticked box that is not a number stops there with a message (the
  // entries before it hold their new values, the failing one 0, the later ones their old values).
  // True when every entry was taken.
  bool setCoefficients();

 private:
  bool takeBoxes(std::string_view failure);
};

}  // namespace orvant::ephemeris
