// Computations of the plans workbench (screen 18): the criteria of the experiments of a plan from the
// standard test polynomial, from a test function of screen 8 or from the file of natural experiments,
// their transformation into the optimisation criterion, and the response curves of the fitted
// regression along each factor.
//
// Experiment file Dat/NabPlan<Nf>.txt (one per factor count; numbers are decimal integers or reals
// separated by blanks or commas; values times MK = 10^6, truncated toward zero):
//   1. a text line;
//   2. Nf, Npt, Yopt*MK;
//   3. Nf lines: X0(i)*MK, dX(i)*MK for factor i = 1..Nf;
//   4. a text line;
//   5. Npt lines: experiment number e, criterion*MK.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "design/plan.h"
#include "design/regression.h"
#include "model/state.h"

namespace orvant::design {

// Messages of the workbench (title "Orvant7").
inline constexpr const char* kBadLevels = "Введите правильно нулевые уровни и интервалы";
inline constexpr const char* kExperimentsFailed = "Ошибка при расчетах";
inline constexpr const char* kBadFileCounts = "Не верное количество факторов или экспериментов в файле";
inline constexpr const char* kGraphsFailed = "Ошибка при построение графиков";
inline constexpr const char* kFileNotFound = "Не могу найти файл";
inline constexpr const char* kFileReadError = "Ошибка чтения данных из файла";
inline constexpr const char* kFileWriteError = "Ошибка записи данных в файл";

// Where the criterion values come from ("ст. теста", "доп. тестов", "из файла").
enum class CriterionSource { Standard = 0, TestFunction = 1, File = 2 };
// Form of the criterion ("Y", "dY= Y - Yopt", "dY^2", "Abs(dY)").
enum class CriterionForm { Y = 0, dY = 1, dY2 = 2, AbsdY = 3 };

// Screen row (1..6) of every plan factor n = 1..Nf: the ticked factors in screen order.
using FactorMap = std::array<int, kMaxFactors + 1>;

// Path of the experiment file of Nf factors relative to the work directory ("Dat/NabPlan3.txt") and
// as messages show it ("\Dat\NabPlan3.txt").
std::string experimentFileName(int Nf);
std::string experimentFileDisplay(int Nf);

struct ExperimentFile {
  std::string title;    // line 1
  int Nf = 0;
  int Npt = 0;
  double Yopt = 0;      // reference value of the criterion
  Levels X0{}, dX{};    // zero levels and intervals of factors 1..Nf
  std::string heading;  // the text line before the criteria
  Criterion Y{};        // criterion of experiment e = 1..Npt
};

// Reads the experiment file of a plan of Nf factors and Npt points. Failures are reported through
// s.report (title "Orvant7"), the text followed by a line break and the path: "Не могу найти файл",
// "Ошибка чтения данных из файла" (a missing or malformed item, an experiment number outside
// 1..Npt or given twice) and "Не верное количество факторов или экспериментов в файле" (the counts
// of line 2 differ from the plan's). `f` is filled only when the whole file was read.
bool readExperimentFile(State& s, int Nf, int Npt, ExperimentFile& f);

// Writes f to Dat/NabPlan<f.Nf>.txt through a temporary file in the same folder, renamed over the
// old file when complete; the folder is created when missing. A failure reports
// "Ошибка записи данных в файл", a line break and the path, and leaves any old file unchanged.
bool writeExperimentFile(State& s, const ExperimentFile& f);

// Natural settings X1..X6 of the screen factors in experiment e: X0(r) + Xpl(e, n)*dX(r) for the
// screen row r of plan factor n, X0(r) for the rows outside the plan.
Levels naturalSettings(const Plan& plan, const FactorMap& rows, const Levels& X0, const Levels& dX, int e);

// Criterion of every experiment from the standard test polynomial (every regression coefficient 1)
// at the coded plan rows; Yopt = Y(1).
void standardTest(const Plan& plan, Criterion& Y, double& Yopt);

// Criterion of every experiment from test function k of screen 8 at the natural settings; Yopt from
// the function. False when a value is not finite (Y then holds the values up to that experiment).
bool testFunctionCriteria(const Plan& plan, const FactorMap& rows, const Levels& X0, const Levels& dX,
                          int k, Criterion& Y, double& Yopt);

// The criterion of one experiment: "Y" -> Y/Ydiv; "dY" -> (Y - Yopt)/Ydiv; "dY^2" -> (Y - Yopt)^2/Ydiv;
// "Abs(dY)" -> |Y - Yopt|/Ydiv.
double criterionOf(CriterionForm form, double Y, double Yopt, double Ydiv);

// Yexp(e) = criterionOf(Y(e)) for e = 1..Npt with Ydiv = Yopt when `relative` ("dY/Yopt"), else 1.
// False when a value is not finite (a zero Yopt divides, an overflow); Yexp is then unchanged.
bool transformCriteria(CriterionForm form, bool relative, double Yopt, int Npt, const Criterion& Y,
                       Criterion& Yexp);

// Response of the regression along factor i (1..Nf): Y at coded level -1 + k/16, k = 0..32, of factor
// i, the other factors held at their coded optima Xopt.
inline constexpr int kCurvePoints = 33;
std::array<double, kCurvePoints> responseCurve(const Coefficients& Breg, int Nf, const Levels& Xopt, int i);

// Height (cm above the base line) of the label of a response curve that ends at `wanted`, placed
// between kLabelLowCm and kLabelHighCm (a curve that leaves the picture is labelled at its edge)
// and at least 0.4 cm from the labels already placed, whose heights `placed` holds; the new height
// is added to `placed`. A bounded number of tries, whatever the magnitude of `wanted`.
inline constexpr double kLabelLowCm = -0.5, kLabelHighCm = 10.5;
double stackedLabel(std::vector<double>& placed, double wanted);

}  // namespace orvant::design
