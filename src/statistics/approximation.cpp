#include "statistics/approximation.h"

#include <cmath>
#include <limits>

#include "model/linsolve.h"
#include "model/calendar.h"
#include "model/format.h"

namespace orvant::statistics {

namespace {

constexpr const char* kBadInput = "Задайте правильно данные";
constexpr const char* kFitFailed = "Ошибка при обработке данных";
constexpr double kCentury = 36525;  // days

int ngMin(FitKind f) {
  switch (f) {
    case FitKind::Const: return 2;
    case FitKind::Line: return 3;
    case FitKind::Parabola: return 4;
  }
  return 4;
}

bool finite(std::initializer_list<double> xs) {
  for (double x : xs)
    if (!std::isfinite(x)) return false;
  return true;
}

std::string six(double x) { return screenNumber(x, 6); }

}  // namespace

double shiftFactor(const State& s, int col) {
  switch (col) {
    case 1:
    case 2:
    case 3: return 3600;
    case 4:
    case 5: return s.MK;
    default: return 1;
  }
}

std::string_view shiftUnit(int col) {
  switch (col) {
    case 1:
    case 2:
    case 3: return "угл.сек.";
    case 4: return "* 10^6";
    case 5: return "км";
    case 6: return "рад/век";
    case 7: return "град";
    default: return "";
  }
}

bool fitGroups(const State& s, const RecordSeries& series, const ApproxInput& in, double JDk0,
               int size, GroupFit& fit) {
  fit = GroupFit{};
  fit.size = size;
  const int col = series.ParCol;
  const int n = in.N2 - in.N1 + 1;
  const int NG = n / size;
  fit.NG = NG;
  fit.X.assign(NG + 1, 0);
  fit.Ybar.assign(NG + 1, 0);
  fit.W.assign(NG + 1, 0);

  // Groups of `size` consecutive records; the records left over after the last full group are
  // not used.
  const bool observations = series.LoadKind == kObservationSeries;
  const bool atStart = col == 7 || (series.choice.N == 11 && (col == 1 || col == 2));
  double sum = 0;
  int count = 0, g = 0;
  double VesSum = 0, VesMax = 0;
  for (int j = in.N1; j <= in.N2 && g < NG; ++j) {
    sum += series.Par[j][col];
    if (++count < size) continue;
    ++g;
    fit.Ybar[g] = sum / size;
    sum = 0;
    count = 0;
    if (observations) {
      // The group stands at the middle of the interval of its last record (at its start for
      // parameters taken at the start date), weighted by that record's Ves.
      const double h = atStart ? 0 : series.ddT[j] / 2;
      fit.X[g] = (series.JD0 + series.dT[j] + h - JDk0) / kCentury;
      if (in.ves1) {
        fit.W[g] = 1;
      } else {
        fit.W[g] = series.Par[j][10];
        VesSum += fit.W[g];
        VesMax = std::max(VesMax, fit.W[g]);
      }
    } else {
      // Middle between the first and the last record of the group.
      fit.X[g] = (series.dT[j] / 2 + series.JD0 + series.dT[j - size + 1] / 2 - JDk0) / kCentury;
      fit.W[g] = 1;
    }
  }
  if (!observations || in.ves1) {
    VesMax = 1;
    VesSum = NG;
  }
  // The heaviest group weighs 1.
  VesSum /= VesMax;
  for (int i = 1; i <= NG; ++i) fit.W[i] /= VesMax;
  fit.VesSum = VesSum;
  fit.VesMax = VesMax;

  for (int i = 1; i <= NG; ++i) {
    const double w = fit.W[i], x = fit.X[i], y = fit.Ybar[i];
    fit.SX += w * x;
    fit.SX2 += w * x * x;
    fit.SX3 += w * x * x * x;
    fit.SX4 += w * x * x * x * x;
    fit.SY += w * y;
    fit.SXY += w * x * y;
    fit.SX2Y += w * x * x * y;
  }

  const double f = shiftFactor(s, col);
  const double t = (in.IG - in.Year0) / 100;
  switch (in.fit) {
    case FitKind::Const:
      fit.k0 = fit.SY / fit.VesSum;
      fit.parIG = fit.k0;
      fit.dY = 0;
      break;
    case FitKind::Line: {
      const double q = -fit.SX2 / fit.SX;
      fit.k0 = (q * fit.SY + fit.SXY) / (q * fit.VesSum + fit.SX);
      fit.k1 = (fit.SXY - fit.SX * fit.k0) / fit.SX2;
      fit.parIG = fit.k0 + fit.k1 * t;
      fit.dY = fit.k1 * f;
      break;
    }
    case FitKind::Parabola: {
      // Normal equations in the solver's form: constant term first, then k0, k1, k2.
      LinearSystem sys;
      const double rows[3][4] = {{-fit.SY, fit.VesSum, fit.SX, fit.SX2},
                                 {-fit.SXY, fit.SX, fit.SX2, fit.SX3},
                                 {-fit.SX2Y, fit.SX2, fit.SX3, fit.SX4}};
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) sys.Asys[3][r + 1][c] = rows[r][c];
      if (!Solve(sys, 3)) return false;
      fit.k0 = sys.Xopt[1];
      fit.k1 = sys.Xopt[2];
      fit.k2 = sys.Xopt[3];
      fit.parIG = fit.k0 + fit.k1 * t + fit.k2 * t * t;
      fit.dY = (fit.k1 + 2 * fit.k2 * t) * f;
      break;
    }
  }
  fit.D = 0;
  for (int i = 1; i <= NG; ++i) {
    const double r = (fit.Ybar[i] - fitValue(fit, fit.X[i])) * fit.W[i];
    fit.D += r * r;
  }
  const int dof = NG - (in.fit == FitKind::Const ? 1 : in.fit == FitKind::Line ? 2 : 3);
  if (dof < 1) return false;
  fit.Sigma = std::sqrt(fit.D / dof);
  fit.S2 = 2 * fit.Sigma * f;
  return finite({fit.VesSum, fit.k0, fit.k1, fit.k2, fit.D, fit.Sigma, fit.dY, fit.S2, fit.parIG});
}

double fitValue(const GroupFit& fit, double X) { return fit.k0 + fit.k1 * X + fit.k2 * X * X; }

bool approximate(State& s, const RecordSeries& series, const ApproxInput& in, ApproxResult& out) {
  out = ApproxResult{};
  if (series.LoadKind == kNotLoaded || series.NP < 1) {
    s.report(kNotLoadedPrimary, kTitle7);
    return false;
  }
  if (in.N1 < 1 || in.N2 > series.NP || in.N1 > in.N2 || (!in.allSizes && in.NCP0 < 1) ||
      !std::isfinite(in.IG)) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  s.DateError = 0;
  const double JDk0 = JDfromDate(s, 1.5, 1, in.Year0);  // 1.5 January of Year0
  if (s.DateError != 0) return false;                 // the calendar reported it
  out.JDk0 = JDk0;
  const int n = in.N2 - in.N1 + 1;
  out.NGmin = ngMin(in.fit);
  out.NCPmax = n / out.NGmin;
  const std::string tooFew =
      "Первичные данные должны быть\nразбиты минимум на " + std::to_string(out.NGmin) + " группы";

  if (!in.allSizes) {
    if (n / in.NCP0 < out.NGmin) {
      s.report(tooFew, kTitle7);
      return false;
    }
    if (!fitGroups(s, series, in, JDk0, in.NCP0, out.fit)) {
      s.report(kFitFailed, kTitle7);
      return false;
    }
    out.shift = out.fit.dY;
    out.limit = out.fit.S2;
    return true;
  }

  if (out.NCPmax < 1) {  // even groups of one record are too few
    s.report(tooFew, kTitle7);
    return false;
  }
  out.dYs.assign(out.NCPmax + 1, 0);
  out.S2s.assign(out.NCPmax + 1, 0);
  for (int size = 1; size <= out.NCPmax; ++size) {
    if (!fitGroups(s, series, in, JDk0, size, out.fit)) {
      s.report(kFitFailed, kTitle7);
      return false;
    }
    out.dYs[size] = out.fit.dY;
    out.S2s[size] = out.fit.S2;
  }
  // s*: the smallest limit, the first one on ties.
  out.best = 1;
  for (int size = 2; size <= out.NCPmax; ++size)
    if (out.S2s[size] < out.S2s[out.best]) out.best = size;

  const auto& dY = out.dYs;
  const auto& S2 = out.S2s;
  std::string head;
  switch (in.criterion) {
    case Criterion::Min:
      out.dAlfaP100M = dY[out.best];
      out.dAlfaP100S = S2[out.best];
      head = "минимальное при NCP0 = " + std::to_string(out.best) + "   dAlfaP100M = ";
      break;
    case Criterion::MaxMin: {
      // The band grows from the best size's interval until it meets every size's interval.
      double lo = dY[out.best] - S2[out.best], hi = dY[out.best] + S2[out.best];
      for (int size = 1; size <= out.NCPmax; ++size) {
        if (dY[size] - S2[size] > hi) hi = dY[size] - S2[size];
        if (dY[size] + S2[size] < lo) lo = dY[size] + S2[size];
      }
      out.dAlfaP100M = (hi + lo) / 2;
      out.dAlfaP100S = (hi - lo) / 2;
      head = "максимин    dAlfaP100M = ";
      break;
    }
    case Criterion::Mean: {
      double sy = 0, ss = 0;
      for (int size = 1; size <= out.NCPmax; ++size) {
        sy += dY[size];
        ss += S2[size];
      }
      out.dAlfaP100M = sy / out.NCPmax;
      out.dAlfaP100S = ss / out.NCPmax;
      head = "средние       dAlfaP100M = ";
      break;
    }
  }
  out.shift = fix(out.dAlfaP100M * s.MK) / s.MK;
  out.limit = fix(out.dAlfaP100S * s.MK) / s.MK;
  out.criterionLine = head + screenNumber(out.shift) + "   dAlfaP100S = " + screenNumber(out.limit);
  return true;
}

bool makeTestSeries(State& s, RecordSeries& series, int NP, double k0, double k1, double k2,
                    double k3, const std::function<double()>& rnd) {
  if (NP < 1 || NP > 10000000 || !finite({k0, k1, k2, k3})) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  RecordSeries next;
  next.LoadKind = kTestSeries;
  next.ParCol = 7;
  next.choice.option = 7;
  next.JD0 = kTestJD0;
  next.NP1max = NP;
  next.records.assign(NP, Record{});
  for (int m = 1; m <= NP; ++m) {
    Record& r = next.records[m - 1];
    r.number = m;
    r.dT = m * kCentury * 25 / NP;  // the series spans 25 centuries
    const double t = r.dT / kCentury;
    r.Par[7] = k0 + k1 * t + k2 * t * t + k3 * (rnd() - 0.5);
  }
  deriveSeries(s, next);
  series = std::move(next);
  return true;
}

std::vector<std::string> extremesText(const RecordSeries& series) {
  return {"Ymax=  " + screenNumber(series.Ymax), "Ymin=  " + screenNumber(series.Ymin)};
}

std::vector<std::string> weightsText(const GroupFit& fit) {
  std::vector<std::string> out;
  for (int g = 1; g <= fit.NG; ++g)
    out.push_back("i=  " + std::to_string(g) + "   Ves=  " + screenNumber(fit.W[g]));
  out.push_back("VesMax=  " + screenNumber(fit.VesMax));
  out.push_back("VesSum=  " + screenNumber(fit.VesSum));
  return out;
}

std::vector<std::string> equationText(const GroupFit& fit) {
  return {"dY=  " + six(fit.dY) + "    2*Sigma=  " + six(fit.S2),
          "Y=  " + six(fit.k0) + "  +  " + six(fit.k1) + " *  X  +  " + six(fit.k2) + " *  X^2"};
}

}  // namespace orvant::statistics
