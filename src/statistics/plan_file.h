// The plan file of the gravity-speed optimisation, Plan<k>/OrvantPlan<k>.dat: the factor levels of
// the plan (written by screen 15) and the weights of the secular shifts (edited on screen 19). Both
// the design code and the weights screen read and write it; it lives here, below the design code,
// so that statistics needs nothing from design.
//
//   1      "Уровни варьирования плана № " + k
//   2      "Orto" or "Roto", " - для  ", Nf, "  факторов "
//   3..9   per row i = 1..7: X0(i), dX(i), Xopt(i), XoptNat(i), each times MK truncated toward
//          zero, separated by blanks
//   10     "весовые коэффициенты смещений параметров орбит планет"
//   11..20 per planet N = 1..10: Wt(N, 1) .. Wt(N, 6) as plain decimal numbers
// Lines 1, 2 and 10 are read as whole texts.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/state.h"

namespace orvant::statistics {

inline constexpr int kFactorRows = 7;
inline constexpr int kPlanets = 10;      // planets of the criterion: 1 Mercury .. 10 the tenth object
inline constexpr int kShiftColumns = 6;  // shift columns c = 1..6 (perihelion .. angular velocity)

// Values of the seven factor rows at index 1..7 (index 0 unused).
using RowValues = std::array<double, kFactorRows + 1>;
// Weights Wt(N, c), N = 0..11, c = 0..6 (the shape of State::Wt).
using Weights = std::array<std::array<double, 7>, 12>;

// Zero levels, intervals and optima of the seven rows, with the screen's defaults.
struct FactorLevels {
  RowValues X0 = filled(1);
  RowValues dX = filled(1);
  RowValues Xopt = filled(0);
  RowValues XoptNat = filled(1);

  static RowValues filled(double v) {
    RowValues r{};
    r.fill(v);
    r[0] = 0;
    return r;
  }
};

struct PlanFile {
  std::string title;        // line 1
  std::string kind;         // line 2
  FactorLevels levels;      // lines 3..9
  std::string weightsTitle; // line 10
  Weights Wt{};             // lines 11..20: planets 1..10, columns 1..6
};

std::string planFilePath(int k);     // "Plan<k>/OrvantPlan<k>.dat"
std::string planFileDisplay(int k);  // "\Plan<k>\OrvantPlan<k>.dat"

// Reads the plan file of plan k. Failures (title "Orvant7"): "Не могу найти файл
// \Plan<k>\OrvantPlan<k>.dat", "Ошибка при чтении данных из файла \Plan<k>\OrvantPlan<k>.dat" (fewer than 20
// lines, a number line with the wrong count of items, an item that is not a number, a level
// beyond the file's integers, text after line 20). `f` is filled only when the whole file was read.
bool readPlanFile(State& s, int k, PlanFile& f);

// The text of the plan file; nullopt when a level (times MK) or a weight cannot be written (not
// finite, or beyond the 64-bit integers).
std::optional<std::string> planFileText(const State& s, const PlanFile& f);

// Writes the plan file of plan k through a temporary file renamed over the old one (the folder
// Plan<k> is made when missing). A failure, a value the file cannot hold included, reports
// "Ошибка при записи данных в файл \Plan<k> \OrvantPlan<k>.dat" (with that blank) and leaves any
// old file as it was.
bool writePlanFile(State& s, int k, const PlanFile& f);

}  // namespace orvant::statistics
