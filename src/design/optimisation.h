// Computations of the gravity-speed optimisation (screen 15): the seven model factors and their map
// onto the factors of a plan, the natural settings of every experiment, the plan file with the
// factor levels and the weights, the optimisation criterion from the calculated and observed
// secular shifts, the secular shifts of all experiments of a plan from their record files, and the
// sound at the end of a series.
//
// Factor rows (screen rows 1..7) and the model quantity each one sets:
//   1 VXsys, 2 VYsys, 3 VZsys (km/s, absolute velocity of the solar system);
//   4 the speed of gravity as a multiple of the speed of light (Vgr = X4*Vsv on screen 2);
//   5 kPgr of screen 2 (carried into the run's box, not used by the motion);
//   6 m0/m5, 7 m0/m2: mass ratios of the Sun to Jupiter and to Venus (the planet's mass becomes
//     m(0)/ratio).
// The rows ticked for optimisation become plan factors 1..Nf in row order: PlanFactor(n) = row.
//
// The plan file Plan<k>/OrvantPlan<k>.dat (levels and weights) is read and written by
// statistics/plan_file.h, which the weights screen shares.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "design/plan.h"
#include "design/plans_workbench.h"
#include "design/regression.h"
#include "model/state.h"
#include "statistics/approximation.h"
#include "statistics/plan_file.h"

namespace orvant::design {

using statistics::kFactorRows;
using statistics::kPlanets;
using statistics::kShiftColumns;
using statistics::RowValues;
using statistics::Weights;
using statistics::FactorLevels;
// Screen row (1..7) of plan factor n = 1..Nf.
using PlanFactorMap = std::array<int, kMaxFactors + 1>;

// ---- messages (title "Orvant7") ----
inline constexpr const char* kPlanNumberBad = "Задайте правильно номер плана";
inline constexpr const char* kRunFailed = "Ошибка при выполнение плана";
inline constexpr const char* kLoadObserved = "Загрузите данные наблюдений";
inline constexpr const char* kCriterionReadError = "Ошибка чтения данных из файла";
inline constexpr const char* kTestCriterionFailed = "Ошибка при обработке данных";
inline constexpr const char* kGraphsFailedScale = "Ошибка при построение графиков\nПопробуйте увеличить масштаб";
inline constexpr const char* kPlanHeading =
    "Номер эксперимента, уровни плана и значение критерия (экспериментальное и расчетное)";
inline constexpr const char* kWeightsHeading = "весовые коэффициенты смещений параметров орбит планет";

// ---- factors ----

// Fills PlanFactor with the ticked rows (ticked[1..7]) in row order; returns Nf, the count.
int mapPlanFactors(const std::array<bool, kFactorRows + 1>& ticked, PlanFactorMap& PlanFactor);

// Natural settings Xset(i, e) of the seven rows in experiment e (1..Npt): X0(i) + Xpl(e, n)*dX(i)
// for the row i = PlanFactor(n) of plan factor n, X0(i) for the rows outside the plan.
RowValues experimentSettings(const Plan& plan, const PlanFactorMap& PlanFactor, const RowValues& X0,
                             const RowValues& dX, int e);

// Puts the settings of rows 1..3, 6 and 7 into the model: VXsys..VZsys (km/s), the mass ratios
// km(5), km(2) and the masses m(5) = m(0)/X6, m(2) = m(0)/X7. Rows 4 and 5 go into screen 2's boxes.
// A ratio that is not a positive finite number changes nothing and returns false.
bool applySettings(State& s, const RowValues& Xset);

// ---- plan file ----

using statistics::PlanFile;
using statistics::planFilePath;
using statistics::planFileDisplay;
using statistics::readPlanFile;
using statistics::planFileText;
using statistics::writePlanFile;
std::string planTitle(int k);        // "Уровни варьирования плана № " + k
// "Orto - для  2  факторов " (type 1) or "Roto - для  2  факторов " (type 2).
std::string planKindLine(int PlanType, int Nf);
// Reads the plan type (1 "Orto", 2 "Roto") and Nf back from line 2; false when it is not of that
// form (the file's readers keep the line as text; the batch runs use it to rebuild the plan).
bool parsePlanKind(std::string_view line, int& PlanType, int& Nf);


// ---- criterion ----

struct CriterionChoice {
  std::array<bool, kPlanets + 1> planets{};       // "и использовать планеты", 1..10
  std::array<bool, kShiftColumns + 1> params{};   // "для модели критерий по", 1..6
  CriterionForm form = CriterionForm::Y;          // "Y", "dY", "dY^2", "Abs(dY)"
};

// The term of planet N, parameter c in experiment e for the chosen form:
//   "Y"       Ras*Wt/100
//   "dY"      (Ras - Nab)*Wt/|Nab|/100
//   "dY^2"    ((Ras - Nab)*Wt/Nab/100)^2
//   "Abs(dY)" |(Ras - Nab)/Nab|*Wt/100
// A zero observed shift gives a non-finite value in the three relative forms.
double criterionTerm(CriterionForm form, double Ras, double Nab, double Wt);

// Criterion from the model: for every ticked planet N reads Plan<k>/Orvant<N>Ras.dat into
// RasShift[N] (as screen 6's load does) and sums, for every experiment e = 1..Npt, the terms of the
// ticked planets and parameters against NabShift with the weights Wt. A file that cannot be read,
// holds fewer than Npt experiments, or a term that is not a finite number (a zero observed shift
// in the relative forms) reports "Ошибка чтения данных из файла", a line break and the path of the
// file last opened; Yexp is then unchanged.
bool modelCriterion(State& s, int k, int Npt, const CriterionChoice& choice, const Weights& Wt,
                    Criterion& Yexp);

// Criterion from the test: Y(e) = the regression with every coefficient 1 at plan row e, Yref =
// Y(1); "Y" -> Y(e), "dY" -> (Y(e) - Yref)/Yref, "dY^2" -> its square, "Abs(dY)" -> |Y(e) - Yref|/Yref.
// A value that is not finite reports "Ошибка при обработке данных" and leaves Yexp unchanged.
bool testCriterion(State& s, const Plan& plan, CriterionForm form, Criterion& Yexp);

// ---- secular shifts of all experiments ----

// The fit of every parameter of every experiment, as screen 6 does it ("Аппроксимировать данные
// выборки"): all records of the file, groups of NCP0 records, the fit kind, the year IG of the
// shift and the epoch 1.5 January Year0. Defaults are screen 6's.
struct ShiftFitOptions {
  int NCP0 = 1;
  statistics::FitKind fit = statistics::FitKind::Line;
  double IG = 2000;
  int32 Year0 = 2000;
};

// Fits parameters 1..6 of the record file Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt of every experiment
// e = 1..NE and writes all six shifts of every experiment to Plan<k>/Orvant<N>Ras.dat (the
// calculated-shift layout), which then counts as loaded (RasShift[N], NE). A record file that does
// not load or fit stops the whole computation with the library's message followed by a line
// "эксперимент № e"; nothing is written then and RasShift is unchanged. `progress` (may be empty)
// is called after each experiment with e.
bool computeExperimentShifts(State& s, int k, int N, int NE, const ShiftFitOptions& options,
                             const std::function<void(int)>& progress = {});

// ---- sound ----

// Plays a wave file without waiting: a detached child process `aplay -q FILE` when aplay is found
// on the PATH and the file exists. A missing file, no player or no sound device is not an error:
// nothing happens. Returns true when a player was started.
bool playSoundAsync(const std::filesystem::path& file);

}  // namespace orvant::design
