#include "design/plan.h"

#include <cmath>
#include <utility>

#include "model/format.h"

namespace orvant::design {

namespace {

// Centre points by Nf (index 2..6) for the rotatable (type 2) and uniformly rotatable (type 3) plans.
constexpr int kN0Rotatable[7] = {0, 0, 3, 2, 2, 3, 3};
constexpr int kN0Uniform[7] = {0, 0, 5, 6, 7, 10, 15};
constexpr int kCentreEntries[7] = {0, 0, 12, 10, 10, 10, 15};

// Tabulated constants k1..k7 of the uniformly rotatable plans, Nf = 2..6.
constexpr double kTable3[7][8] = {
    {},
    {},
    {0, 0.2, 0.1, 0.125, 0.25, 0.1251, 0.0187, 0.1},
    {0, 0.1663, 0.0568, 0.0732, 0.125, 0.0625, 0.0069, 0.0568},
    {0, 0.1428, 0.0357, 0.0417, 0.0625, 0.0312, 0.0037, 0.0357},
    {0, 0.0988, 0.0191, 0.0231, 0.0312, 0.0156, 0.0015, 0.0191},
    {0, 0.0625, 0.0098, 0.0125, 0.0156, 0.0078, 0.0005, 0.0098},
};

// Tabulated constants k1..k6 of the Box D-optimal plans without centre points, Nf = 4 and 5.
constexpr double kTable4[2][7] = {
    {0, 0.22917, 0.0625, 0.0555556, 0.0625, 0.5, 0.10417},
    {0, 0.158206, 0.0332, 0.0294118, 0.03125, 0.5, 0.0917969},
};

std::string num(double x) { return screenNumber(x); }
std::string num4(double x) { return screenNumber(x, 4); }

}  // namespace

std::string centrePointsRefusal(int Nf) {
  return "К-во нулевых точек должно быть от 0 до " + std::to_string(maxCentrePoints(Nf));
}

SignTables fillSignTables() {
  SignTables t;
  for (int Nf = 2; Nf <= kMaxFactors; ++Nf) {
    const int Ncore = 1 << Nf;
    const int Nstar = 2 * Nf;
    const int length = Ncore + Nstar + kCentreEntries[Nf];
    for (int i = 1; i <= Nf; ++i) {
      std::string s;
      s.reserve(static_cast<std::size_t>(2 * length));
      for (int u = 1; u <= Ncore; ++u) s += (((u - 1) >> (Nf - i)) % 2 == 0) ? "+1" : "-1";
      for (int k = 1; k <= Nstar; ++k) {
        if (k == 2 * i - 1) s += "+1";
        else if (k == 2 * i) s += "-1";
        else s += "+0";
      }
      for (int k = 1; k <= kCentreEntries[Nf]; ++k) s += "+0";
      t.SignStr[Nf][i] = std::move(s);
    }
  }
  return t;
}

double signEntry(const SignTables& t, int i, int Nf, int u) {
  const std::string& s = t.SignStr[Nf][i];
  const std::size_t at = 2 * static_cast<std::size_t>(u - 1);
  const double magnitude = s[at + 1] - '0';
  return s[at] == '-' ? -magnitude : magnitude;
}

int maxCentrePoints(int Nf) { return (Nf >= 2 && Nf <= kMaxFactors) ? kCentreEntries[Nf] : 0; }

int defaultCentrePoints(int PlanType, int Nf) {
  if (Nf < 2 || Nf > kMaxFactors) return 0;
  switch (PlanType) {
    case kRotatable: return kN0Rotatable[Nf];
    case kUniformRotatable: return kN0Uniform[Nf];
    case kBoxDOptimal: return 0;
    default: return 1;  // orthogonal and Box composite
  }
}

std::string_view planCaption(int PlanType) {
  switch (PlanType) {
    case kOrthogonal: return "ортогональный";
    case kRotatable: return "рототабельный";
    case kUniformRotatable: return "униформрототабельный";
    case kBoxDOptimal: return "Dоптимал Бокса с N0=0";
    case kBoxComposite: return "композиционный Бокса ";
    default: return "";
  }
}

int pairColumn(int Nf, int i, int j) {
  if (i > j) std::swap(i, j);
  // Pairs before row i: (Nf-1) + (Nf-2) + ... + (Nf-i+1) = (i-1)(2Nf-i)/2.
  return Nf + (i - 1) * (2 * Nf - i) / 2 + (j - i);
}

bool buildPlan(State& s, const SignTables& t, int PlanType, int Nf, std::optional<int> N0,
               Plan& plan) {
  if (Nf < 2 || Nf > kMaxFactors) {
    s.report(kBadFactorCount, kTitle7);
    return false;
  }
  if (PlanType < kOrthogonal || PlanType > kBoxComposite) {
    s.report(kBadPlanType, kTitle7);
    return false;
  }
  if (PlanType == kBoxDOptimal && Nf != 4 && Nf != 5) {
    s.report(kBoxDOptimalFactors, kTitle7);
    return false;
  }
  Plan p;
  p.PlanType = PlanType;
  p.Nf = Nf;
  // 1. Counts.
  p.Ncore = 1 << Nf;
  p.Nstar = 2 * Nf;
  p.Nint = Nf * (Nf - 1) / 2;
  p.N0 = (PlanType == kBoxDOptimal) ? 0 : N0.value_or(defaultCentrePoints(PlanType, Nf));
  if (p.N0 < 0 || p.N0 > maxCentrePoints(Nf)) {
    s.report(centrePointsRefusal(Nf), kTitle7);
    return false;
  }
  p.Npt = p.Ncore + p.Nstar + p.N0;

  // 2. Star arm and the mean of the squares.
  p.StarArm = 1;
  p.MeanX2 = 0;
  if (PlanType == kOrthogonal) {
    const double nc = p.Ncore, np = p.Npt;
    p.StarArm = std::sqrt((std::sqrt(nc * np) - nc) / 2);
    p.MeanX2 = std::sqrt(nc / np);
  } else if (PlanType == kRotatable || PlanType == kUniformRotatable) {
    p.StarArm = std::pow(2.0, Nf / 4.0);
  }

  // 3-6. Factor levels from the sign table, star arms, interactions, centred squares.
  for (int u = 1; u <= p.Npt; ++u) {
    auto& row = p.Xpl[u];
    const bool star = u > p.Ncore && u <= p.Ncore + p.Nstar;
    for (int i = 1; i <= Nf; ++i) {
      row[i] = signEntry(t, i, Nf, u);
      if (star) row[i] *= p.StarArm;
    }
    int c = Nf;
    for (int i = 1; i < Nf; ++i)
      for (int j = i + 1; j <= Nf; ++j) row[++c] = row[i] * row[j];
    for (int i = 1; i <= Nf; ++i) row[p.squareColumn(i)] = row[i] * row[i] - p.MeanX2;
  }

  // 7. Moments.
  for (int c = 1; c <= p.lastColumn(); ++c) {
    double s1 = 0, s2 = 0, s4 = 0;
    for (int u = 1; u <= p.Npt; ++u) {
      const double x = p.Xpl[u][c], x2 = x * x;
      s1 += x;
      s2 += x2;
      s4 += x2 * x2;
    }
    p.EXi[c] = s1;
    p.EXi2[c] = s2;
    p.EXi4[c] = s4;
  }
  p.la2 = p.EXi2[1] / p.Npt;
  p.la4 = p.EXi4[1] / (3.0 * p.Npt);
  p.la4z = p.la4 / (p.la2 * p.la2);

  // 8. Constants: tabulated ones first, then the formulas of the rotatable plans.
  const double nf = Nf, np = p.Npt;
  if (PlanType == kBoxDOptimal) {
    const double* k = kTable4[Nf - 4];
    p.k1 = k[1], p.k2 = k[2], p.k3 = k[3], p.k4 = k[4], p.k5 = k[5], p.k6 = k[6];
  } else if (PlanType == kRotatable) {
    const double d = (nf + 2) * p.la4 - nf * p.la2 * p.la2;
    if (std::fabs(d) <= 1e-12 * p.la2 * p.la2) {
      s.report(kDegeneratePlan, kTitle7);
      return false;
    }
    const double A = 1 / (d * 2 * p.la4);
    p.k1 = 2 * (nf + 2) * p.la4 * p.la4 * A / np;
    p.k2 = 2 * A * p.la4 * p.la2 / np;
    p.k3 = 1 / (p.la2 * np);
    p.k4 = 1 / (np * p.la4);
    p.k5 = d * A / np;
    p.k6 = (p.la2 * p.la2 - p.la4) * A / np;
    p.k7 = 2 * A * p.la4 * p.la2 / np;
  } else if (PlanType == kUniformRotatable) {
    for (int k = 1; k <= 7; ++k) p.kTable[k] = kTable3[Nf][k];
    const double rho = p.la4z, la2sq = p.la2 * p.la2;
    const double d = (nf + 2) * rho - nf;
    if (std::fabs(d) <= 1e-12) {
      s.report(kDegeneratePlan, kTitle7);
      return false;
    }
    const double A = 1 / (d * 2 * rho);
    p.k1 = 2 * (nf + 2) * rho * rho * A / np;
    p.k2 = 2 * rho * A / (p.la2 * np);
    p.k3 = 1 / (p.la2 * np);
    p.k4 = 1 / (np * rho * la2sq);
    p.k5 = d * A / (np * la2sq);
    p.k6 = (1 - rho) * A / (np * la2sq);
    p.k7 = 2 * A * rho / (np * p.la2);
  }
  plan = p;
  return true;
}

std::vector<std::string> planReport(const Plan& p) {
  std::vector<std::string> lines;
  for (int u = 1; u <= p.Npt; ++u) {
    std::string line = std::to_string(u);
    for (int c = 1; c <= p.lastColumn(); ++c) line += "  " + num4(p.Xpl[u][c]);
    lines.push_back(std::move(line));
  }
  const auto sums = [&](const char* title, const std::array<double, kMaxColumn + 1>& v) {
    std::string line = title;
    for (int c = 1; c <= p.lastColumn(); ++c) line += "  " + num4(v[c]);
    lines.push_back(std::move(line));
  };
  sums("   EXi", p.EXi);
  sums("   EXi2", p.EXi2);
  sums("   EXi4", p.EXi4);
  // The tabulated constants are printed as tabulated, the computed ones truncated to four decimals.
  const auto constants = [&](const char* title, const std::array<double, 8>& k, bool truncate) {
    std::string line = title;
    for (int i = 1; i <= 7; ++i)
      line += (i == 1 ? "k1= " : "  k" + std::to_string(i) + "= ") + (truncate ? num4(k[i]) : num(k[i]));
    lines.push_back(std::move(line));
  };
  if (p.PlanType == kUniformRotatable) constants("табличные коэффициенты  ", p.kTable, false);
  constants("расчетные коэффициенты  ", {0, p.k1, p.k2, p.k3, p.k4, p.k5, p.k6, p.k7}, true);
  lines.push_back("к-во точек ядра=          " + std::to_string(p.Ncore));
  lines.push_back("к-во звездных точек=  " + std::to_string(p.Nstar));
  lines.push_back("к-во нулевых точек=     " + std::to_string(p.N0));
  lines.push_back("к-во точек плана=         " + std::to_string(p.Npt));
  lines.push_back("звездное плечо=     " + num(p.StarArm));
  if (p.PlanType == kOrthogonal) lines.push_back("среднее значение Xi^2=" + num(p.MeanX2));
  if (p.PlanType == kRotatable || p.PlanType == kUniformRotatable) {
    lines.push_back("la2=  " + num(p.la2));
    lines.push_back("la4=  " + num(p.la4));
  }
  if (p.PlanType == kUniformRotatable) lines.push_back("la4z= " + num(p.la4z));
  return lines;
}

}  // namespace orvant::design
