// Periodic perturbations of the Moon and of the inner planets, and the coefficient file.
// Declarations, formulas and references in perturbations.h.
#include "ephemeris/perturbations.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "astro/transform.h"
#include "model/format.h"

namespace orvant {

namespace {

// 360 FracPos(a/2/Pi): an angle in radians as degrees in [0, 360).
double degrees0to360(const State& s, double a) {
  double x = a / 2 / s.Pi;
  return 360 * FracPos(x);
}

bool validObject(int i) { return i >= 0 && i < kObjects; }

}  // namespace

double MeanLongitudeDeg(const State& s, int i) { return degrees0to360(s, s.AlfaL[i]); }
double PerihelionLongitudeDeg(const State& s, int i) { return degrees0to360(s, s.AlfaP0[i]); }
double NodeLongitudeDeg(const State& s, int i) { return degrees0to360(s, s.AlfaU0[i]); }

double PertArgument(const State& s, double degrees) {
  if (degrees < 0) degrees += 360;
  return degrees / s.kUgol;
}

MoonPertAngles MoonAngles(const State& s) {
  const double lambda = MeanLongitudeDeg(s, 11);
  const double node = NodeLongitudeDeg(s, 11);
  const double perigee = PerihelionLongitudeDeg(s, 11);
  // The Sun seen from the Earth: the Earth's heliocentric angles turned by half a circle.
  const double lambdaS = MeanLongitudeDeg(s, 3) + 180;
  const double perigeeS = PerihelionLongitudeDeg(s, 3) + 180;
  MoonPertAngles a;
  a.D = PertArgument(s, lambda - lambdaS);
  a.F = PertArgument(s, lambda - node);
  a.L = PertArgument(s, lambda - perigee);
  a.Ls = PertArgument(s, lambdaS - perigeeS);
  return a;
}

PlanetPertAngles PlanetAngles(const State& s, int I) {
  const int p1 = s.Ipl21[I], p2 = s.Ipl22[I];
  const double lambda = MeanLongitudeDeg(s, I);
  const double lambda1 = MeanLongitudeDeg(s, p1);
  const double lambda2 = MeanLongitudeDeg(s, p2);
  PlanetPertAngles a;
  a.L = PertArgument(s, lambda - PerihelionLongitudeDeg(s, I));
  a.L1 = PertArgument(s, lambda1 - PerihelionLongitudeDeg(s, p1));
  a.L2 = PertArgument(s, lambda2 - PerihelionLongitudeDeg(s, p2));
  a.D1 = PertArgument(s, lambda - lambda1);
  a.D2 = PertArgument(s, lambda - lambda2);
  return a;
}

bool MoonPert(State& s) {
  const MoonPertAngles a = MoonAngles(s);
  const double D = a.D, F = a.F, L = a.L, Ls = a.Ls;
  const auto& c = s.dLdB;
  const double sum = c[1] * std::sin(L) + c[2] * std::sin(2 * L) + c[3] * std::sin(L - 2 * D) +
                     c[4] * std::sin(2 * D) + c[5] * std::sin(Ls) + c[6] * std::sin(2 * F) +
                     c[7] * std::sin(D) + c[8] * std::sin(2 * D - 2 * L) +
                     c[9] * std::sin(2 * D - L - Ls) + c[10] * std::sin(2 * D + L);
  const double lon = c[25] * std::sin(Ls - 2 * D) + sum + c[26] * std::sin(L - Ls) +
                     c[27] * std::sin(Ls + L) + c[28] * std::sin(2 * F - 2 * D) + s.Lk[11];
  const double lat = c[11] * std::sin(F + L) + s.Bk[11] + c[12] * std::sin(L - F) +
                     c[13] * std::sin(2 * D - F) + c[14] * std::sin(2 * D - L + F) +
                     c[15] * std::sin(2 * D - L - F) + c[16] * std::sin(2 * D + F);
  if (!std::isfinite(lon) || !std::isfinite(lat)) return false;
  s.Lk[11] = lon;
  s.Bk[11] = lat;
  return true;
}

bool PlanetPert(State& s, int I, PlanOverride plan) {
  if (I < 1 || I > 4) return false;
  if (!validObject(s.Ipl21[I]) || !validObject(s.Ipl22[I])) return false;
  const PlanetPertAngles a = PlanetAngles(s, I);

  // The working row: the planet's coefficients of both perturbers.
  for (int k = 1; k <= 2; ++k)
    for (int j = 1; j <= 8; ++j) s.PertDL[k][j] = s.PertDL[k][10 * I + j];

  // During a series of perturbation-plan experiments the row of one perturber is the experiment's.
  if (plan == PlanOverride::On && s.kodOTO == 1 && s.PertPlan) {
    if (const auto& row = s.PertPlan; (row->k == 1 || row->k == 2) &&
                                      (row->Npl == I || row->Npl == 0))
      for (int j = 1; j <= 8; ++j) s.PertDL[row->k][j] = row->par[j];
  }

  const double L = a.L;
  const auto terms = [L](const Darr<49>& c, double Lp, double Dp) {
    return c[1] * std::sin(L - 2 * Dp) + c[2] * std::sin(2 * Dp) + c[3] * std::sin(Dp) +
           c[4] * std::sin(Lp) + c[5] * std::sin(2 * Dp - 2 * L) +
           c[6] * std::sin(2 * Dp - L - Lp) + c[7] * std::sin(2 * Dp + L) +
           c[8] * std::sin(Lp - 2 * Dp);
  };
  const double S1 = terms(s.PertDL[1], a.L1, a.D1);
  const double S2 = terms(s.PertDL[2], a.L2, a.D2);
  const double lon = S1 + s.Lk[I] + S2;
  if (!std::isfinite(lon)) return false;
  s.Lk[I] = lon;
  return true;
}

// ---------------------------------------------------------------------------------------------
// The coefficient file.

namespace {

constexpr std::string_view kPlanetNames[5] = {"", "Меркурий", "Венера", "Земля", "Марс"};

}  // namespace

std::string PertFileName(long long N) { return "Dat/dL" + std::to_string(N) + ".dat"; }

ReadStatus ReadPertFile(const std::filesystem::path& path, double scale, PertTable& table) {
  std::vector<std::string> lines;
  const ReadStatus st = readLines(path, lines);
  if (st != ReadStatus::Ok) return st;

  PertTable out = table;
  std::size_t line = 0;
  for (int I = 1; I <= 4; ++I) {
    if (line >= lines.size()) return ReadStatus::ReadError;
    ++line;  // the planet's name, taken whole and not looked at
    std::vector<double> values;
    while (values.size() < 16) {
      if (line >= lines.size()) return ReadStatus::ReadError;
      const auto items = splitItems(lines[line++]);
      // The line that completes the sixteen numbers must end with them: a further item would be
      // read as the next name line by the program's own files, and the numbers would slip.
      if (values.size() + items.size() > 16) return ReadStatus::ReadError;
      for (const auto& item : items) {
        const auto v = parseNumber(item);
        if (!v) return ReadStatus::ReadError;
        const double x = *v / scale;
        if (!std::isfinite(x)) return ReadStatus::ReadError;
        values.push_back(x);
      }
    }
    for (int j = 1; j <= 8; ++j) {
      out[1][10 * I + j] = values[j - 1];
      out[2][10 * I + j] = values[j + 7];
    }
  }
  table = out;
  return ReadStatus::Ok;
}

std::optional<std::string> PertFileText(double scale, const PertTable& table) {
  std::string text;
  for (int I = 1; I <= 4; ++I) {
    text += kPlanetNames[I];
    text += '\n';
    for (int k = 1; k <= 2; ++k) {
      for (int j = 1; j <= 8; ++j) {
        const double x = table[k][10 * I + j];
        // A value whose product is not finite or overflows is never written; a product within
        // rounding noise of an integer is that integer (0.0588 is stored as 58800, not 58799).
        const auto stored = checkedStoredInt(x, scale);
        if (!stored) return std::nullopt;
        const std::int64_t n = *stored;
        if (n >= 0) text += ' ';
        text += std::to_string(n);
        text += ' ';
      }
      text += '\n';
    }
  }
  return text;
}

PertWrite WritePertFile(const std::filesystem::path& path, double scale, const PertTable& table) {
  const auto text = PertFileText(scale, table);
  if (!text) return PertWrite::BadValue;
  return replaceFileContent(path, *text, true) == WriteStatus::Ok ? PertWrite::Ok
                                                                   : PertWrite::WriteError;
}

}  // namespace orvant
