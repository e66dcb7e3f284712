// Screen 22, "Возмущения планет dL": the coefficients of the planets' periodic perturbations.
//
// Mercury, Venus, the Earth and Mars (I = 1..4), each perturbed by two planets of the user's
// choice (State::Ipl21[I], Ipl22[I]), eight terms per perturber in the heliocentric longitude
// (perturbations.h, PlanetPert). The value boxes are numbered as the table's entries: box 10 I + j
// holds term j of perturber 1 (PertDL[1][10 I + j]), box 10 I + j + 40 term j of perturber 2
// (PertDL[2][10 I + j]); control ids "box<n>", perturber boxes "Ipl21_<I>", "Ipl22_<I>".
//
// Commands: "Задать значения коэффициентов (возмущений)" takes the 64 boxes and the perturbers
// into the shared table; "Загрузить из файла №" / "Записать в файл №" read and write
// Dat/dL<N>.dat (N in the box "fileNo", default 1). Opening the screen sets the 64 boxes to 0,
// loads Dat/dL1.dat and takes the boxes into the table, so the table holds the file's
// coefficients and the default perturbers (Mercury 2, 5; Venus 3, 5; Earth 2, 5; Mars 3, 5) from
// the first time screen 10 or 16 opens (they create this screen with workbench().screen(22);
// "dLp*" shows it with workbench().show(22)). "Закрыть форму" keeps the table.
//
// Screen 13 (observation plans) hands its optimum to this screen with copyOptimum(): it first
// checks that the screen exists (workbench().created(22)) and shows "Загрузите форму 22 (dLp)"
// when it does not, or when copyOptimum returns false.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "ui/screen.h"

namespace orvant::ephemeris {

class PlanetPerturbationScreen : public ui::Screen {
 public:
  static constexpr int kNumber = 22;

  // Control id of box n (11..18, 21..28, .., 41..48 for perturber 1, the same + 40 for 2).
  static std::string boxId(int n) { return "box" + std::to_string(n); }
  static std::string perturber1Id(int I) { return "Ipl21_" + std::to_string(I); }
  static std::string perturber2Id(int I) { return "Ipl22_" + std::to_string(I); }

  PlanetPerturbationScreen(State& s, ui::Workbench& wb);
  void opened() override;

  // "Задать значения коэффициентов (возмущений)": for I = 1..4, j = 1..8 the entries
  // PertDL[1][10 I + j] and PertDL[2][10 I + j] become 0 and then the boxes 10 I + j and
  // 10 I + j + 40; then the perturbers Ipl21, Ipl22 of the four planets. A box that is not a number
  // stops there with "Введите правильно данные" (the entries before it hold their new values, the
  // failing one 0, the later ones their old values; the perturbers are read only when all 64 boxes
  // were read, and are all kept when one of them is not an object number 0..13). True on success.
  bool setCoefficients();

  // "Загрузить из файла №": reads Dat/dL<N>.dat into the table (values / MK) and shows the 64
  // values in the boxes; the perturbers are not touched. A missing, short or non-numeric file, or a
  // file number that is not a whole number, gives a message and changes neither table nor boxes.
  bool loadFile();

  // "Записать в файл №": takes the 64 boxes into the table and writes Dat/dL<N>.dat (values * MK
  // truncated toward zero). A bad box or file number, a value too large for the file, or a failed
  // write gives a message and leaves the old file as it was.
  bool saveFile();

  // For screen 13, "возмущения на форму 22": the optimum of a perturbation plan. The eight
  // coefficients c[0..7] (terms j = 1..8, degrees, the plan's zero levels of rows 2..9 as typed)
  // become PertDL[k][10 N + j] of perturber k (1, or 2 when the plan's "№2" is chosen) of object
  // N (0, the Sun observed, counts as the Earth 3); then the boxes of object N show its
  // coefficients of both perturbers from the table. False, with nothing changed, when N is not
  // 0..4 or k is not 1 or 2 (screen 13 then shows "Загрузите форму 22 (dLp)").
  bool copyOptimum(int N, int k, const std::array<double, 8>& c);

  // Shows the table's coefficients of planet I (1..4) of both perturbers in its 16 boxes.
  void showPlanet(int I);

 private:
  enum class Opening { No, Yes };
  bool load(Opening opening);
  bool takeBoxes();  // the 64 boxes into PertDL, in the order of the command
  std::optional<long long> fileNumber();
};

}  // namespace orvant::ephemeris
