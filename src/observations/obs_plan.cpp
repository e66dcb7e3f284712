#include "observations/obs_plan.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>

#include "design/optimisation.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/paths.h"
#include "model/textfile.h"

namespace orvant {

const std::array<std::string_view, 10> kObsPlanRowCaptions = {
    "",           "Rsr, тыс.км.", "Eks",          "Betta, град ", "AlfaP, град",
    "AlfaU, град", "Wsr, рад/век", "AlfaL0, град", "dP11,рад/век", "dU11,рад/век"};
const std::array<std::string_view, 10> kObsPlanPertCaptions = {
    "", "Rsr, тыс.км.", "dL3", "dL4", "dL7", "dL5", "dL8", "dL9", "dL10", "dL21"};

namespace {

constexpr double kMK = 1e6;  // the files' scale
// 5029" per century in radians: the general precession the J2000 template takes off the Moon's
// motions of the date.
constexpr double kPrecRad = 5029.0 / 3600.0 * 3.14159265359 / 180.0;

// A number of lines 10 and 11: a leading blank when not negative, one trailing blank.
std::string signedText(std::int64_t n) {
  return (n < 0 ? "" : " ") + std::to_string(n) + " ";
}

double angle360(double deg) { return deg - 360.0 * std::floor(deg / 360.0); }

}  // namespace

int planFactors(const std::array<bool, 10>& tick, std::array<int, design::kMaxFactors + 1>& rows) {
  int Nf = 0;
  rows.fill(0);
  for (int i = 1; i <= kObsPlanRows; ++i) {
    if (!tick[static_cast<std::size_t>(i)]) continue;
    ++Nf;
    if (Nf <= design::kMaxFactors) rows[static_cast<std::size_t>(Nf)] = i;
  }
  return Nf;
}

bool createObsPlan(State& s, const design::SignTables& t, int planType, ObsPlan& p) {
  std::array<int, design::kMaxFactors + 1> rows{};
  const int Nf = planFactors(p.v.tick, rows);
  if (Nf < 2 || Nf > design::kMaxFactors) {
    s.report(design::kBadFactorCount, kTitle7);
    return false;
  }
  design::Plan plan;
  if (!design::buildPlan(s, t, planType, Nf, std::nullopt, plan)) return false;
  p.plan = plan;
  p.factorRow = rows;
  p.built = true;
  p.Yexp.fill(0);
  p.done.fill(false);
  p.fitted = false;
  p.optimised = false;
  return true;
}

std::array<double, 11> experimentParameters(const ObsPlan& p, const std::array<double, 11>& par,
                                            int u) {
  std::array<double, 11> r = par;
  if (!p.built || u < 1 || u > p.plan.Npt) return r;
  for (int f = 1; f <= p.plan.Nf; ++f) {
    const auto i = static_cast<std::size_t>(p.factorRow[static_cast<std::size_t>(f)]);
    r[i] = p.v.X0[i] +
           p.plan.Xpl[static_cast<std::size_t>(u)][static_cast<std::size_t>(f)] * p.v.dX[i];
  }
  return r;
}

bool optimiseObsPlan(State& s, ObsPlan& p) {
  if (!p.built) {
    s.report(design::kBadFactorCount, kTitle7);
    return false;
  }
  design::Optimum opt;
  if (!design::optimise(s, p.reg.Breg, p.plan.Nf, opt)) return false;
  p.opt = opt;
  for (int f = 1; f <= p.plan.Nf; ++f)
    p.v.Xopt[static_cast<std::size_t>(p.factorRow[static_cast<std::size_t>(f)])] =
        opt.Xopt[static_cast<std::size_t>(f)];
  for (std::size_t i = 1; i <= kObsPlanRows; ++i)
    p.v.XoptNat[i] = design::naturalOptimum(p.v.X0[i], p.v.Xopt[i], p.v.dX[i]);
  p.optimised = true;
  return true;
}

void zeroLevelsFromOptimum(ObsPlanValues& v) {
  for (std::size_t i = 1; i <= kObsPlanRows; ++i) v.X0[i] = v.XoptNat[i];
}

void clearOptimum(ObsPlanValues& v) {
  for (std::size_t i = 1; i <= kObsPlanRows; ++i) v.Xopt[i] = 0;
}

bool obsPlanTemplate(State& s, int N, double JD, bool epochJD, ObsPlanValues& v) {
  const int I = N == 0 ? 3 : N;
  if (!theoryServes(I) || !std::isfinite(JD)) return false;
  const double saveJD = s.JD;
  s.JD = JD;
  if (epochJD) {
    ThNew0(s, I);
  } else {
    ThJ2000(s, I);
    if (I == 11) MoonToJ2000(s);
  }
  s.JD = saveJD;
  const double deg = s.kUgol;
  ObsPlanValues t = v;
  t.X0[1] = s.R0sr[I];
  t.X0[2] = s.Eks0[I];
  t.X0[3] = s.Betta0[I] * deg;
  t.X0[4] = angle360(s.AlfaP0[I] * deg);
  t.X0[5] = angle360(s.AlfaU0[I] * deg);
  t.X0[6] = s.W0sr[I] * s.sekG * 100;
  t.X0[7] = angle360(s.AlfaL[I] * deg);
  // The Moon's motions of the perihelion and the node, of the date; referred to the equinox of
  // J2000 they lose the general precession. The planets' motions start at 0.
  t.X0[8] = I == 11 ? 4069.037111 / deg : 0;
  t.X0[9] = I == 11 ? -1934.136185 / deg : 0;
  if (I == 11 && !epochJD) {
    t.X0[8] -= kPrecRad;
    t.X0[9] -= kPrecRad;
  }
  t.X0[10] = 1;
  t.dX = {0, 10000e3, 0.0001, 0.01, 0.1, 0.1, 0.001, 0.01, 0.1, 0.1};
  for (std::size_t i = 1; i <= kObsPlanRows; ++i) {
    if (!std::isfinite(t.X0[i])) return false;
    t.Xopt[i] = 0;
    t.XoptNat[i] = t.X0[i];
  }
  if (!(t.X0[1] > 0)) return false;
  t.VXsys = t.VYsys = t.VZsys = 0;
  t.Prec = 5029;
  v = t;
  return true;
}

// ---- the file ----

std::string obsPlanPath(std::string_view src, std::string_view name, int k, int N, int e,
                        std::string_view fileNo) {
  const std::string sk = std::to_string(k), sN = std::to_string(N), se = std::to_string(e);
  if (src == "Obs") {
    const std::string Nf = sN + "_" + std::string(fileNo);
    return paths::obsPlanFile(src, sk, name, Nf, se);
  }
  return paths::obsPlanFile(src, sk, name, sN, se);
}

std::string obsPlanPath(const State& s, int k, int N, int e) {
  return obsPlanPath(s.SrcKind, s.ObsName, k, N, e, s.FileNo);
}

std::string obsPlanLine1(int k, int e, int N, std::string_view name, bool epochJD, bool byL,
                         bool sigma, std::string_view date) {
  std::string crit = byL ? "L" : "R";
  if (sigma) crit += "Sigma";
  return "план № " + std::to_string(k) + " опыт № " + std::to_string(e) + " по планете № " +
         std::to_string(N) + " для " + std::string(name) + " в эпохе " +
         (epochJD ? "JD" : "J2000") + " по " + crit + " от " + std::string(date);
}

std::string todayText() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return buf;
}

std::optional<std::string> obsPlanFileText(const ObsPlanFileData& d) {
  std::string out;
  bool ok = true;
  auto put = [&](const PrintLine& l) {
    ok = ok && l.ok();
    out += l.str();
    out += '\n';
  };
  auto text = [&](std::string_view t) {
    out += t;
    out += '\n';
  };
  const ObsPlanValues& v = d.v;
  text(d.line1);
  text("Начальная дата оптимизации и год окончания");
  put(PrintLine()
          .stored(d.dates.Day, kMK)
          .integer(d.dates.Month)
          .integer(d.dates.Year)
          .integer(d.dates.YearEnd)
          .stored(d.dates.JDmean, kMK));
  text("Нулевые уровни и интервалы варьирования параметров и оптимальные значения");
  put(PrintLine()
          .integer(1)
          .stored(v.X0[1] / 1000, 1)
          .stored(v.dX[1] / 1000, 1)
          .stored(v.Xopt[1], kMK)
          .stored(v.XoptNat[1] / 1000, 1));
  for (std::size_t i = 2; i <= kObsPlanRows; ++i)
    put(PrintLine()
            .integer(static_cast<std::int64_t>(i))
            .stored(v.X0[i], i == 7 ? kMK : 1000 * kMK)
            .stored(v.dX[i], kMK)
            .stored(v.Xopt[i], kMK)
            .stored(v.XoptNat[i], kMK));
  text("Скорость Солнечной системы по осям X Y Z и прецессия и вес ");
  put(PrintLine()
          .stored(v.VXsys, 1)
          .stored(v.VYsys, 1)
          .stored(v.VZsys, 1)
          .stored(v.Prec, kMK)
          .stored(v.X0[10], kMK));
  text("№ эксперимента  закодированные уровни и экспериментальное и расчетное значение критерия");
  for (int u = 1; u <= d.Npt; ++u) {
    const auto uu = static_cast<std::size_t>(u);
    std::string line = signedText(u) + "    ";
    for (int f = 1; f <= d.Nf; ++f) {
      const auto n = checkedStoredInt(d.levels[uu][static_cast<std::size_t>(f)], 1000);
      ok = ok && n.has_value();
      line += signedText(n.value_or(0)) + "       ";
    }
    const auto ye = checkedStoredInt(d.Yexp[uu], kMK), yc = checkedStoredInt(d.Ycalc[uu], kMK);
    ok = ok && ye && yc;
    line += signedText(ye.value_or(0)) + signedText(yc.value_or(0));
    text(line);
  }
  const auto crit = checkedStoredInt(d.criterion, kMK);
  ok = ok && crit.has_value();
  text("№ коэффициента и его значение для закодированного уравнения регрессии и "
       "экспериментальный критерий без поправок= " +
       std::to_string(crit.value_or(0)));
  for (std::size_t c = 0; c <= design::kMaxColumn; ++c)
    put(PrintLine().integer(static_cast<std::int64_t>(c)).stored(d.Breg[c], kMK));
  if (!ok) return std::nullopt;
  return out;
}

bool parseObsPlanText(const std::vector<std::string>& lines, ObsPlanFileData& d) {
  if (lines.size() < 15) return false;
  auto numbers = [&](std::size_t line, std::size_t n, std::array<double, 5>& out) {
    const auto items = splitItems(lines[line]);
    if (items.size() < n) return false;
    for (std::size_t j = 0; j < n; ++j) {
      const auto x = parseNumber(items[j]);
      if (!x || !std::isfinite(*x)) return false;
      out[j] = *x;
    }
    return true;
  };
  auto whole = [](double x) {
    return x == std::trunc(x) && std::fabs(x) <= 2147483647.0;
  };
  ObsPlanFileData r = d;
  std::array<double, 5> a{};
  r.line1 = lines[0];
  if (!numbers(2, 5, a) || !whole(a[1]) || !whole(a[2]) || !whole(a[3])) return false;
  r.dates.Day = a[0] / kMK;
  r.dates.Month = static_cast<int32>(a[1]);
  r.dates.Year = static_cast<int32>(a[2]);
  r.dates.YearEnd = static_cast<int32>(a[3]);
  r.dates.JDmean = a[4] / kMK;
  if (!numbers(4, 5, a) || a[0] != 1) return false;
  r.v.X0[1] = a[1] * 1000;
  r.v.dX[1] = a[2] * 1000;
  r.v.Xopt[1] = a[3] / kMK;
  r.v.XoptNat[1] = a[4] * 1000;
  for (std::size_t i = 2; i <= kObsPlanRows; ++i) {
    if (!numbers(i + 3, 5, a) || a[0] != static_cast<double>(i)) return false;
    r.v.X0[i] = a[1] / (i == 7 ? kMK : 1000 * kMK);
    r.v.dX[i] = a[2] / kMK;
    r.v.Xopt[i] = a[3] / kMK;
    r.v.XoptNat[i] = a[4] / kMK;
  }
  if (!numbers(14, 5, a)) return false;
  r.v.VXsys = a[0];
  r.v.VYsys = a[1];
  r.v.VZsys = a[2];
  r.v.Prec = a[3] / kMK;
  r.v.X0[10] = a[4] / kMK;
  d = std::move(r);
  return true;
}

bool writeObsPlanFile(State& s, std::string_view relPath, const ObsPlanFileData& d) {
  const auto text = obsPlanFileText(d);
  if (!text) {
    s.report(std::string(kMsgPlanWriteError) + "\n" + displayPath(relPath), kTitle7);
    return false;
  }
  if (!writeFileAtomically(fullPath(s, relPath), *text, true)) {
    s.report(std::string(kMsgPlanWriteError) + "\n" + displayPath(relPath), kTitle7);
    return false;
  }
  return true;
}

bool readObsPlanFile(State& s, std::string_view relPath, ObsPlanFileData& d) {
  std::vector<std::string> lines;
  const ReadStatus st = readLines(fullPath(s, relPath), lines);
  if (st == ReadStatus::NotFound) {
    s.report(std::string(kMsgPlanCannotFind) + "\n" + displayPath(relPath), kTitle7);
    return false;
  }
  if (st != ReadStatus::Ok || !parseObsPlanText(lines, d)) {
    s.report(std::string(kMsgPlanReadError) + "\n" + displayPath(relPath), kTitle7);
    return false;
  }
  return true;
}

std::optional<double> obsPlanFileCriterion(const std::vector<std::string>& lines) {
  static const std::string head = "№ коэффициента";
  for (const auto& l : lines) {
    if (l.rfind(head, 0) != 0) continue;
    const auto eq = l.rfind('=');
    if (eq == std::string::npos) return std::nullopt;
    const auto v = parseNumber(std::string_view(l).substr(eq + 1));
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return *v / kMK;
  }
  return std::nullopt;
}

ObsPlanFileData obsPlanFileData(const ObsPlan& p, std::string line1, double criterion) {
  ObsPlanFileData d;
  d.line1 = std::move(line1);
  d.dates = p.dates;
  d.v = p.v;
  d.criterion = criterion;
  if (p.built) {
    d.Nf = p.plan.Nf;
    d.Npt = p.plan.Npt;
    for (int u = 1; u <= p.plan.Npt; ++u) {
      const auto uu = static_cast<std::size_t>(u);
      for (int f = 1; f <= p.plan.Nf; ++f)
        d.levels[uu][static_cast<std::size_t>(f)] = p.plan.Xpl[uu][static_cast<std::size_t>(f)];
      d.Yexp[uu] = p.Yexp[uu];
      d.Ycalc[uu] = p.fitted ? design::evaluateAtRow(p.reg.Breg, p.plan, u) : 0;
    }
    if (p.fitted) d.Breg = p.reg.Breg;
  }
  return d;
}

// ---- the parameters of an experiment ----

bool obsPlanParameters(State& s, int I, const ExperimentTable& t, double JDep, bool epochJD) {
  (void)epochJD;  // the reduction precesses parameters of the date
  const bool inPlan = t.current > 0 && t.current < kExperimentRows;
  const auto& row = t.row[static_cast<std::size_t>(inPlan ? t.current : 0)];
  auto p = [&](std::size_t j) { return inPlan ? row[j] : t.par[j]; };
  if (!(p(1) > 0) || !(p(2) >= 0 && p(2) < 1)) return false;
  const double tc = (s.JD - JDep) / 36525;
  const double rad = 1 / s.kUgol;
  s.R0sr[I] = p(1);
  s.Eks0[I] = p(2);
  s.Betta0[I] = p(3) * rad;
  s.AlfaP0[I] = p(4) * rad + p(8) * tc;
  s.AlfaU0[I] = p(5) * rad + p(9) * tc;
  s.W0sr[I] = p(6) / (36525 * s.sekD);
  s.AlfaL[I] = p(7) * rad + p(6) * tc;
  return std::isfinite(s.AlfaL[I]) && std::isfinite(s.AlfaP0[I]) &&
         std::isfinite(s.AlfaU0[I]) && std::isfinite(s.Betta0[I]) && std::isfinite(s.W0sr[I]);
}

std::array<double, 11> optimalRecordColumns(const ObsPlanValues& v) {
  std::array<double, 11> c{};
  c[1] = v.XoptNat[4];
  c[2] = v.XoptNat[5];
  c[3] = v.XoptNat[3];
  c[4] = v.XoptNat[2];
  c[5] = v.XoptNat[1] / 1e9;  // metres -> million km
  c[6] = v.XoptNat[6];
  c[7] = v.XoptNat[7];
  c[8] = v.XoptNat[8];
  c[9] = v.XoptNat[9];
  c[10] = v.X0[10];
  return c;
}

std::array<double, 8> perturbationCoefficients(const ObsPlanValues& v) {
  std::array<double, 8> c{};
  for (std::size_t j = 0; j < 8; ++j) c[j] = v.X0[j + 2];
  return c;
}

void playEndSound(const State& s) {
  design::playSoundAsync(fullPath(s, paths::soundObservationsEnd()));
}

}  // namespace orvant
