// Frequency classes of the absolute residuals of screen 10 and their report.
//
// |dL| is counted in classes of one arc second up to 18", |dB| in classes of a quarter of an arc
// second up to 4.5", dR in eighteen equal classes up to the rejection limit dRmax; each quantity
// has one open class above its last bound. Bounds (degrees for dL, dB; thousand km for dR):
//   Gran(i) = i/3600            i = 0..18,  Cnt(1..18),  open Cnt(19)  (Gran(19) = MK)
//   Gran(i) = (i - 20)/14400    i = 20..38, Cnt(21..38), open Cnt(39)  (Gran(39) = MK)
//   Gran(i) = (i - 40) dRmax/18 i = 40..58, Cnt(41..58), open Cnt(59)  (Gran(59) = MK^2)
// Both comparisons are strict: a value equal to a bound falls in no class, an exact zero is never
// counted; Cnt(20) and Cnt(40) stay zero.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/state.h"

namespace orvant {

inline constexpr std::string_view kMsgBadScale = "Введите правильно масштаб";

struct ResidualClasses {
  std::array<double, 67> Gran{};
  std::array<double, 61> Cnt{};

  // Algorithms 1: fills the bounds for the limit dRmax (thousand km) and clears Cnt(0..59).
  void setUp(const State& s, double dRmax);
  // Algorithms 2: classes |dL|, |dB| (degrees) and dR (thousand km).
  void classify(double dL, double dB, double dR);
};

// The sums the report prints after the classes.
struct ReportSums {
  long Nok = 0;
  double sadL = 0, sadB = 0, sdR = 0;  // sums of |dL|, |dB| (degrees) and dR (thousand km)
};

// Dat/Stat<ObsName><Npl>_<FileNo>.txt.
std::string statReportPath(const State& s);

// The report text, written at once; nullopt when there is no accepted observation (Nok = 0: the
// means cannot be divided) or a mean is not finite.
std::optional<std::string> statReportText(const State& s, const ResidualClasses& c,
                                          const ReportSums& sums);

// Writes the report anew (the old file is replaced whole or kept). Messages (title "Orvant7.0"):
// "Введите правильно масштаб" for no accepted observation, "Ошибка записи данных в файл\n<path>"
// when the file cannot be written. False after a message.
bool writeStatReport(State& s, const ResidualClasses& c, const ReportSums& sums);

}  // namespace orvant
