// Observation experiment plans: the orbit parameters of one object fitted to observations by a
// multi-factor design (screen 13 builds and keeps the plan, screen 10 computes the criterion of
// each experiment from the observations).
//
// Nine factor rows, each with a tick that puts it into the plan, a zero level X0(i), a variation
// interval dX(i), a coded optimum Xopt(i) and a natural optimum XoptNat(i) = X0 + Xopt dX:
//   1 Rsr (kept in metres, shown in thousand km), 2 Eks, 3 Betta (degrees), 4 AlfaP, 5 AlfaU
//   (degrees), 6 Wsr (rad per century), 7 AlfaL0 (degrees at the start date), 8 dP11, 9 dU11 (rad
//   per century: the motions of the perihelion and the node).
// X0(10) is the weight kW of the result (screen 10 sets it after every experiment). In the
// perturbation variant rows 2..9 stand for the eight coefficients of one perturber of the planet.
//
// The plan-experiment file <src>/Plan<k>/<name><N>_<e>.dat (or <name><N>_<f>_<e>.dat for an
// observatory series) keeps the state of one experiment; every real is written as a decimal
// integer, the value times its scale truncated toward zero (obsPlanFileText has the layout).
//
// The plan itself is the central composite plan of design/plan.h over the ticked rows in their
// order; the regression and its optimum are those of design/regression.h and design/optimum.h.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/optimum.h"
#include "design/plan.h"
#include "design/regression.h"
#include "model/state.h"
#include "observations/reduction.h"

namespace orvant {

inline constexpr int kObsPlanRows = 9;

// Messages (title "Orvant7").
inline constexpr std::string_view kMsgTemplateFailed = "Ошибка при расчете параметров для шаблона";
inline constexpr std::string_view kMsgChooseSource = "Выберете источник данных";
inline constexpr std::string_view kMsgChooseSourceWrite = "Выберете источник данных наблюдений";
inline constexpr std::string_view kMsgPlanNumbersLoad = "Введите правильно номер плана и опыта";
inline constexpr std::string_view kMsgPlanNumbersWrite = "Задайте правильно номер плана и опыта";
inline constexpr std::string_view kMsgPlanBadBox = "Задайте правильно данные для плана";
inline constexpr std::string_view kMsgLoadForm22 = "Загрузите форму 22 (dLp)";
inline constexpr std::string_view kMsgPlanCannotFind = "Не могу найти файл";
inline constexpr std::string_view kMsgPlanReadError = "Ошибка чтения данных из файла";
inline constexpr std::string_view kMsgPlanWriteError = "Ошибка записи данных в файл";
inline constexpr std::string_view kMsgTemplateDescription = "шаблон файла данных плана эксперимента";

// Captions of rows 1..9 (index 0 unused), and of rows 2..9 in the perturbation variant.
extern const std::array<std::string_view, 10> kObsPlanRowCaptions;
extern const std::array<std::string_view, 10> kObsPlanPertCaptions;

// The values of the rows and the further values, in the kept units.
struct ObsPlanValues {
  std::array<bool, 10> tick{};       // 1..9
  std::array<double, 11> X0{};       // 1..9 zero levels; [10] the weight kW
  std::array<double, 10> dX{};       // 1..9 intervals
  std::array<double, 10> Xopt{};     // coded optima
  std::array<double, 10> XoptNat{};  // natural optima
  double VXsys = 0, VYsys = 0, VZsys = 0;  // m/s
  double Prec = 5029;                // arc seconds per century
};

// The start date and end year of the processing on screen 10 and the mean date of the processed
// observations (1000 until screen 10 has processed some).
struct ObsPlanDates {
  double Day = 1.5;
  int32 Month = 1, Year = 2000;
  int32 YearEnd = 2020;
  double JDmean = 1000;
};

// Everything a plan-experiment file holds.
struct ObsPlanFileData {
  std::string line1;
  ObsPlanDates dates;
  ObsPlanValues v;
  // Lines 10..12 (written, not read back): the coded levels of the plan factors, the experimental
  // and computed criterion of every experiment, the criterion of this experiment and the
  // regression coefficients.
  int Nf = 0, Npt = 0;
  std::array<std::array<double, design::kMaxFactors + 1>, design::kMaxPoints + 1> levels{};
  std::array<double, design::kMaxPoints + 1> Yexp{}, Ycalc{};
  double criterion = 0;
  design::Coefficients Breg{};
};

// The plan and its results, shared by screens 13 and 10 (and the command line).
struct ObsPlan {
  ObsPlanValues v;
  ObsPlanDates dates;
  std::string description = std::string(kMsgTemplateDescription);
  bool fromTemplate = true;
  bool pert = false;  // "план возмущений от планет №1 или №2"
  int pertNo = 1;     // 1, or 2 with "№2"

  bool built = false;
  design::Plan plan;
  std::array<int, design::kMaxFactors + 1> factorRow{};  // factor f -> row 1..9
  design::Criterion Yexp{};
  std::array<bool, 100> done{};  // experiments with a criterion
  bool fitted = false;
  design::Regression reg;
  bool optimised = false;
  design::Optimum opt;
};

// The plan factors: the ticked rows in their order. Nf = their count.
int planFactors(const std::array<bool, 10>& tick, std::array<int, design::kMaxFactors + 1>& rows);

// "Создать план": plan type 1 ("Orto") or 2 ("Roto") over the ticked rows. A count outside 2..6:
// "К-во факторов должно быть от 2 до 6" (title "Orvant7"), false, the plan unchanged.
bool createObsPlan(State& s, const design::SignTables& t, int planType, ObsPlan& p);

// The parameters 1..10 of experiment u (1..Npt): `par` (the current parameter row) with every plan
// factor replaced by zero level + coded level * interval.
std::array<double, 11> experimentParameters(const ObsPlan& p, const std::array<double, 11>& par,
                                            int u);

// The coded optimum of the fitted regression (Part of the plans library): Xopt of the factor rows,
// 0 for the others; XoptNat(i) = X0 + Xopt dX truncated to six decimals for every row. False
// (reported "Ошибка при решение системы линейных уравнений") when the system has no solution.
bool optimiseObsPlan(State& s, ObsPlan& p);

// "Задать нулевые уровни = X(i)opt", "X(i)opt=0".
void zeroLevelsFromOptimum(ObsPlanValues& v);
void clearOptimum(ObsPlanValues& v);

// The template: the object's orbit parameters at JD (object 0 counts as 3) by the J2000 theory
// (epochJD false; the Moon's elements carried to the equinox of J2000) or New0 (epochJD true), the
// default intervals, the weight 1, the precession 5029, velocities 0, optima 0 and natural optima
// equal to the zero levels. Ticks are kept. False when the theory fails or gives a value that is
// not finite.
bool obsPlanTemplate(State& s, int N, double JD, bool epochJD, ObsPlanValues& v);

// ---- the file ----

// <src>/Plan<k>/<name><N>_<e>.dat, or <src>/Plan<k>/<name><N>_<f>_<e>.dat for an observatory
// series (src "Obs"; f the observation file number).
std::string obsPlanPath(std::string_view src, std::string_view name, int k, int N, int e,
                        std::string_view fileNo);
// The path of the source chosen on screen 10 (State::SrcKind, ObsName, FileNo).
std::string obsPlanPath(const State& s, int k, int N, int e);

// Line 1: "план № k опыт № e по планете № N для <name> в эпохе J2000|JD по L|R[Sigma] от <date>".
std::string obsPlanLine1(int k, int e, int N, std::string_view name, bool epochJD, bool byL,
                         bool sigma, std::string_view date);
// The current date as the files write it (dd.mm.yyyy).
std::string todayText();

// The whole text of the file; nullopt when a value scaled for the file is not finite or beyond its
// 64-bit integers.
std::optional<std::string> obsPlanFileText(const ObsPlanFileData& d);

// Reads lines 1..8 of a file's text into d.line1, d.dates and d.v (ticks untouched, the optima
// and intervals replaced). False when a line is missing or a value is not a number.
bool parseObsPlanText(const std::vector<std::string>& lines, ObsPlanFileData& d);

// Writes / reads the file at relPath under the work directory. Failures report, with the title
// "Orvant7", "Ошибка записи данных в файл", "Не могу найти файл" or "Ошибка чтения данных из
// файла", a line break and the path; a failed write leaves the old file as it was and a failed
// read leaves `d` as it was.
bool writeObsPlanFile(State& s, std::string_view relPath, const ObsPlanFileData& d);
bool readObsPlanFile(State& s, std::string_view relPath, ObsPlanFileData& d);

// The experimental criterion of the experiment a file was written for (the number after "= " on
// the heading of the coefficients); nullopt when the file has no such line or number.
std::optional<double> obsPlanFileCriterion(const std::vector<std::string>& lines);

// The file data of the plan's current state: experiment e's criterion `criterion`, the computed
// criteria from the fitted regression when there is one.
ObsPlanFileData obsPlanFileData(const ObsPlan& p, std::string line1, double criterion);

// ---- the parameters of an experiment in the reduction ----

// The "План" theory of screen 10: the orbit parameters of object I at State::JD from the parameter
// row of the current experiment (ExperimentTable::row[current] during a plan series, the current
// parameter row `par` otherwise): AlfaL = AlfaL0 + Wsr tc, AlfaP = AlfaP + dP11 tc, AlfaU = AlfaU +
// dU11 tc with tc = (JD - JDep)/36525, W0sr = Wsr/(36525 sekD). False for a non-positive axis, an
// eccentricity outside 0..1 or a value that is not finite.
bool obsPlanParameters(State& s, int I, const ExperimentTable& t, double JDep, bool epochJD);

// The long record of "Добавить оптимальные параметры в файл" from the natural optima: columns
// 1 AlfaP, 2 AlfaU, 3 Betta, 4 Eks, 5 Rsr (million km), 6 Wsr, 7 AlfaL0, 8 dP11, 9 dU11, 10 the
// weight.
std::array<double, 11> optimalRecordColumns(const ObsPlanValues& v);

// The eight coefficients of the perturbation variant: the zero levels of rows 2..9.
std::array<double, 8> perturbationCoefficients(const ObsPlanValues& v);

// "Звук в конце": plays Arhiv/tada.wav without waiting; a missing file or player is no error.
void playEndSound(const State& s);

}  // namespace orvant
