// Screen 6, "Статистическая обработка параметров орбит": loads an orbit-parameter record file
// (records.h), shows one parameter on a time axis or as text, deletes and adds points, fits the
// parameter by time (approximation.h) and stores the secular shift in a shift file (shifts.h).
//
// The screen holds the loaded series; its commands call the statistics library and show the
// results. The drawing is in statistics_drawing.h.
#pragma once

#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "statistics/approximation.h"
#include "statistics/records.h"
#include "statistics/screens/statistics_drawing.h"
#include "ui/screen.h"

namespace orvant::statistics {

class StatisticsScreen : public ui::Screen {
 public:
  static constexpr int kNumber = 6;
  static constexpr int kPlanScreen = 15;   // "К плану"
  static constexpr int kFilesScreen = 9;   // "Файлы*": the file-system help screen

  StatisticsScreen(State& s, ui::Workbench& wb);

  void opened() override;

  // The loaded series (or the test series) and the result of the last approximation.
  const RecordSeries& series() const { return series_; }
  const ApproxResult& lastResult() const { return result_; }

  // "Добавить оптимальные параметры в файл" of screen 13: shows this screen with source "Kin",
  // plan k and object `planet` (0, the Sun, is filed as object 3), inserts or replaces the long
  // record of the optimum in "Kin/Plan<k>/Orvant<N>Nab.txt" (asking before a replace), and shows
  // the file as text with the new record framed. `line3` is the new header line 3
  // ("по плану №  " + k + "   от " + the date). Messages appear on this screen.
  Change addOptimalRecord(int k, int planet, std::string_view line3, const OptimalRecord& opt);

 private:
  // ---- commands ----
  void load();            // "Загрузить данные полученные"
  void removePoint();     // "Удалить точку №"
  void addPointToFile();  // "Добавить в файл точку от"
  void fit();             // "Аппроксимировать данные выборки"
  void loadShifts();      // "Смещение в файле ="
  void replaceShift();    // "Изменить смещение в файле на рассчитанное"
  void savePicture();     // "Сохранить график как"
  void pick(double x, double y, ui::MouseButton button);

  // ---- helpers ----
  // The choices of a load from the boxes; "Задайте правильно данные" and nullopt on bad input.
  std::optional<LoadChoice> readChoice();
  // A box holding an integer in lo..hi; nullopt otherwise (no message).
  std::optional<int> integer(std::string_view id, int lo, int hi) const;
  void badInput();
  // Result boxes of a loaded series: count, first and last value and date.
  void showSeriesBoxes();
  // Asks before a drawing above 3000 cm^2, then draws the series; false when not drawn.
  bool drawLoadedSeries(double unitsPerCm, double yearsPerCm);
  // Scales that fit a loaded series on the picture, unless the user typed the scale boxes.
  void fitScales(double& unitsPerCm, double& yearsPerCm);
  // Draws the series afresh at frame_, unless the picture shows it and the overlay is ticked.
  void redrawSeries();
  bool overlay() const;
  ui::Color seriesColor() const;
  // "год 1850  мес. 3  день 15,25" of a Julian date.
  std::string dateText(double JD);
  void showShiftRows();
  void showShiftBox();

  RecordSeries series_;
  ApproxResult result_;
  SeriesFrame frame_;
  bool drawn_ = false;   // the user let the series be drawn: frame_ holds its axes
  bool scaleTyped_ = false;  // the user typed "лет в 1 см" or "единиц в 1 см": those win
  bool shown_ = false;   // the picture shows the series at frame_ (not the rows or the sizes)
  int overlays_ = 0;     // series drawn over the first one ("с наложением цветом №")
  int lastPick_ = 0;     // the record picked last
  std::mt19937 rnd_{19};  // the test series' random numbers
};

}  // namespace orvant::statistics
