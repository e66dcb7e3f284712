// Approximation of an orbit-parameter series by time ("Аппроксимировать данные выборки").
//
// The records N1..N2 of the loaded series are cut into groups of NCP0 consecutive records; each
// group gives one point: its mean value Ybar at its time X (centuries from JDk0, 1.5 January of
// Year0) with a weight W (the record's Ves for an observation series, 1 otherwise; the heaviest
// group weighs 1). A constant, a line or a parabola is fitted to the points by weighted least
// squares (normal equations built from the sums S_X = sum W X, ..., S_X2Y = sum W X^2 Ybar).
// The slope of the fit at year IG, times a factor f of the parameter, is the secular shift dY per
// century; twice the standard deviation Sigma of the residuals, times f, its 95 % limit 2*Sigma.
// The residual sum is D = sum (W r)^2: the weight multiplies the residual before squaring.
//
// With every group size tried (1..NCPmax, NCPmax = n / NGmin) the shifts dY(s) and limits S2(s)
// are combined by "min" (the size with the smallest limit), "maxmin" (the band that meets every
// size's interval dY(s) +- S2(s)) or "sr" (the means).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"
#include "statistics/records.h"

namespace orvant::statistics {

enum class FitKind { Const, Line, Parabola };    // "const", "лин", "квад"
enum class Criterion { Min, MaxMin, Mean };      // "min", "maxmin", "sr"

struct ApproxInput {
  int N1 = 1;                 // first record used ("начальная точка №")
  int N2 = 25;                // last record used ("конечная точка №")
  int NCP0 = 1;               // records per group
  FitKind fit = FitKind::Line;
  double IG = 2000;           // year of the reported shift and parameter
  int32 Year0 = 2000;         // year of the epoch JDk0 = JDfromDate(1.5, 1, Year0)
  bool ves1 = false;          // "+Ves=1"
  bool allSizes = false;      // "+ с перебором всех вариантов разбивки выборки на группы"
  Criterion criterion = Criterion::Min;
};

// The fit of one group size.
struct GroupFit {
  int size = 0;               // records per group
  int NG = 0;                 // groups
  std::vector<double> X, Ybar, W;  // 1..NG (index 0 unused): centuries from JDk0, mean, weight
  double VesSum = 0, VesMax = 0;   // after normalisation VesSum is the sum of the W
  double SX = 0, SX2 = 0, SX3 = 0, SX4 = 0, SY = 0, SXY = 0, SX2Y = 0;
  double k0 = 0, k1 = 0, k2 = 0;   // Y = k0 + k1 X + k2 X^2
  double D = 0;               // sum of (W r)^2
  double Sigma = 0;
  double dY = 0;              // shift per century at IG, in the parameter's unit (times f)
  double S2 = 0;              // 2*Sigma*f
  double parIG = 0;           // the fitted parameter at year IG
};

struct ApproxResult {
  double JDk0 = 0;            // the epoch, Julian date
  int NGmin = 0, NCPmax = 0;
  GroupFit fit;               // the only size, or the last size tried
  // Every size tried (index 1..NCPmax): shifts, limits; the combined pair and its report line.
  std::vector<double> dYs, S2s;
  int best = 0;               // s*, the size with the smallest limit
  double dAlfaP100M = 0, dAlfaP100S = 0;
  std::string criterionLine;
  // What goes into the shift and limit boxes (Part of the screen): dY and 2*Sigma of the single
  // size, or the combined pair truncated to six decimals.
  double shift = 0, limit = 0;
};

// The factor f converting the fitted slope per century into the reported unit, by column:
// 1..3 arc seconds (3600), 4 Eks x 10^6 (MK), 5 km (MK), 6 rad (1), 7 degrees (1); 10 (Ves): 1.
double shiftFactor(const State& s, int col);
// "угл.сек.", "* 10^6", "км", "рад/век", "град" (empty for Ves).
std::string_view shiftUnit(int col);

// Runs the approximation on the loaded series. Failures reported with title "Orvant7":
// nothing loaded ("У Вас не загружены первичные данные"), a point range outside 1..NP or a group
// size below 1 ("Задайте правильно данные"), too few groups ("Первичные данные должны быть\n
// разбиты минимум на <NGmin> группы"), a numeric failure ("Ошибка при обработке данных").
bool approximate(State& s, const RecordSeries& series, const ApproxInput& in, ApproxResult& out);

// Fits one group size with the epoch JDk0 (no checks on NG; returns false on a numeric failure,
// without a message).
bool fitGroups(const State& s, const RecordSeries& series, const ApproxInput& in, double JDk0,
               int size, GroupFit& fit);

// The test series "Теста   Alfa = k0 + k1*dT + k2*dT^2 + k3*(Rnd (dT) - 0,5)": NP points over 25
// centuries in column 7 (AlfaL0), JD0 = 1721058 = JDk0 of Year0 = 0 (the screen sets Year0 to 0). `rnd` gives
// uniform numbers in [0, 1). Replaces the loaded series (LoadKind 6). NP < 1: "Задайте правильно
// данные" and false.
inline constexpr double kTestJD0 = 1721058;
bool makeTestSeries(State& s, RecordSeries& series, int NP, double k0, double k1, double k2,
                    double k3, const std::function<double()>& rnd);

// Texts printed on the drawing.
std::vector<std::string> extremesText(const RecordSeries& series);        // "Ymax=  ", "Ymin=  "
std::vector<std::string> weightsText(const GroupFit& fit);                // "i=  g   Ves=  W", VesMax, VesSum
std::vector<std::string> equationText(const GroupFit& fit);               // "dY=  ...", "Y=  ..."

// The fitted curve at X centuries from JDk0.
double fitValue(const GroupFit& fit, double X);

}  // namespace orvant::statistics
