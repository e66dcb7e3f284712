#include "design/plans_workbench.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "design/plan_tests.h"
#include "model/format.h"
#include "model/textfile.h"

namespace orvant::design {

namespace fs = std::filesystem;

namespace {

// A whole number item of a file ("3", "3.0"); nullopt for anything else.
std::optional<long long> wholeItem(const std::string& item) {
  const auto v = parseNumber(item);
  if (!v || !std::isfinite(*v) || std::fabs(*v) > 9e15 || *v != std::trunc(*v)) return std::nullopt;
  return static_cast<long long>(*v);
}

// The numbers of a line that must hold exactly `count` of them.
bool numbersOf(const std::string& line, std::size_t count, std::vector<double>& out) {
  const std::vector<std::string> items = splitItems(line);
  if (items.size() != count) return false;
  out.clear();
  for (const auto& item : items) {
    const auto v = parseNumber(item);
    if (!v || !std::isfinite(*v)) return false;
    out.push_back(*v);
  }
  return true;
}

}  // namespace

std::string experimentFileName(int Nf) {
  std::string s = "Dat/NabPlan";
  s += std::to_string(Nf);
  s += ".txt";
  return s;
}

std::string experimentFileDisplay(int Nf) {
  std::string s = "\\Dat\\NabPlan";
  s += std::to_string(Nf);
  s += ".txt";
  return s;
}

bool readExperimentFile(State& s, int Nf, int Npt, ExperimentFile& f) {
  std::string where = "\n";
  where += experimentFileDisplay(Nf);
  const fs::path path = fs::path(s.workDir) / experimentFileName(Nf);
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    s.report(kFileNotFound + where, kTitle7);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    s.report(kFileNotFound + where, kTitle7);
    return false;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  if (in.bad()) {
    s.report(kFileReadError + where, kTitle7);
    return false;
  }
  if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0) lines.front().erase(0, 3);

  const auto readError = [&] {
    s.report(kFileReadError + where, kTitle7);
    return false;
  };
  const double MK = s.MK;
  ExperimentFile r;
  std::vector<double> v;
  if (lines.size() < 2) return readError();
  r.title = lines[0];
  {
    const std::vector<std::string> items = splitItems(lines[1]);
    if (items.size() != 3) return readError();
    const auto nf = wholeItem(items[0]), npt = wholeItem(items[1]);
    const auto yopt = parseNumber(items[2]);
    if (!nf || !npt || !yopt || !std::isfinite(*yopt)) return readError();
    if (*nf != Nf || *npt != Npt) {
      s.report(kBadFileCounts + where, kTitle7);
      return false;
    }
    r.Nf = Nf;
    r.Npt = Npt;
    r.Yopt = *yopt / MK;
  }
  std::size_t at = 2;
  for (int i = 1; i <= Nf; ++i, ++at) {
    if (at >= lines.size() || !numbersOf(lines[at], 2, v)) return readError();
    r.X0[static_cast<std::size_t>(i)] = v[0] / MK;
    r.dX[static_cast<std::size_t>(i)] = v[1] / MK;
  }
  if (at >= lines.size()) return readError();
  r.heading = lines[at++];
  std::vector<bool> seen(static_cast<std::size_t>(Npt) + 1, false);
  for (int k = 1; k <= Npt; ++k, ++at) {
    if (at >= lines.size()) return readError();
    const std::vector<std::string> items = splitItems(lines[at]);
    if (items.size() != 2) return readError();
    const auto e = wholeItem(items[0]);
    const auto y = parseNumber(items[1]);
    if (!e || *e < 1 || *e > Npt || seen[static_cast<std::size_t>(*e)] || !y || !std::isfinite(*y))
      return readError();
    seen[static_cast<std::size_t>(*e)] = true;
    r.Y[static_cast<std::size_t>(*e)] = *y / MK;
  }
  f = r;
  return true;
}

bool writeExperimentFile(State& s, const ExperimentFile& f) {
  const double MK = s.MK;
  const auto fail = [&] {
    std::string message = kFileWriteError;
    message += "\n";
    message += experimentFileDisplay(f.Nf);
    s.report(message, kTitle7);
    return false;
  };
  // Every value is stored as x*MK in a 64-bit integer: one beyond that range (or not finite)
  // cannot be written, and the old file stays.
  if (f.Nf < 0 || f.Nf > kMaxFactors || f.Npt < 0 || f.Npt >= static_cast<int>(f.Y.size())) return fail();
  std::string text = f.title + "\n";
  std::vector<PrintLine> lines(1);
  lines.back().integer(f.Nf).integer(f.Npt).stored(f.Yopt, MK);
  for (int i = 1; i <= f.Nf; ++i) {
    const auto k = static_cast<std::size_t>(i);
    lines.emplace_back().stored(f.X0[k], MK).stored(f.dX[k], MK);
  }
  for (const PrintLine& line : lines) {
    if (!line.ok()) return fail();
    text += line.str() + "\n";
  }
  text += f.heading + "\n";
  for (int e = 1; e <= f.Npt; ++e) {
    PrintLine line;
    line.integer(e).stored(f.Y[static_cast<std::size_t>(e)], MK);
    if (!line.ok()) return fail();
    text += line.str() + "\n";
  }
  if (!writeFileAtomically(fs::path(s.workDir) / experimentFileName(f.Nf), text, true)) return fail();
  return true;
}

Levels naturalSettings(const Plan& plan, const FactorMap& rows, const Levels& X0, const Levels& dX, int e) {
  Levels X = X0;
  for (int n = 1; n <= plan.Nf; ++n) {
    const auto r = static_cast<std::size_t>(rows[static_cast<std::size_t>(n)]);
    X[r] = X0[r] + plan.Xpl[static_cast<std::size_t>(e)][static_cast<std::size_t>(n)] * dX[r];
  }
  return X;
}

void standardTest(const Plan& plan, Criterion& Y, double& Yopt) {
  Coefficients ones;
  ones.fill(1);
  for (int e = 1; e <= plan.Npt; ++e) Y[static_cast<std::size_t>(e)] = evaluateAtRow(ones, plan, e);
  Yopt = Y[1];
}

bool testFunctionCriteria(const Plan& plan, const FactorMap& rows, const Levels& X0, const Levels& dX,
                          int k, Criterion& Y, double& Yopt) {
  for (int e = 1; e <= plan.Npt; ++e) {
    const double y = planTestValue(k, e, naturalSettings(plan, rows, X0, dX, e));
    if (!std::isfinite(y)) return false;
    Y[static_cast<std::size_t>(e)] = y;
  }
  Yopt = planTestYopt(k);
  return true;
}

double criterionOf(CriterionForm form, double Y, double Yopt, double Ydiv) {
  switch (form) {
    case CriterionForm::Y: return Y / Ydiv;
    case CriterionForm::dY: return (Y - Yopt) / Ydiv;
    case CriterionForm::dY2: return (Y - Yopt) * (Y - Yopt) / Ydiv;
    case CriterionForm::AbsdY: return std::fabs(Y - Yopt) / Ydiv;
  }
  return Y;
}

bool transformCriteria(CriterionForm form, bool relative, double Yopt, int Npt, const Criterion& Y,
                       Criterion& Yexp) {
  const double Ydiv = relative ? Yopt : 1.0;
  Criterion out = Yexp;
  for (int e = 1; e <= Npt; ++e) {
    const auto k = static_cast<std::size_t>(e);
    out[k] = criterionOf(form, Y[k], Yopt, Ydiv);
    if (!std::isfinite(out[k])) return false;
  }
  Yexp = out;
  return true;
}

std::array<double, kCurvePoints> responseCurve(const Coefficients& Breg, int Nf, const Levels& Xopt, int i) {
  std::array<double, kCurvePoints> y{};
  Levels x = Xopt;
  for (int k = 0; k < kCurvePoints; ++k) {
    x[static_cast<std::size_t>(i)] = -1 + k / 16.0;
    y[static_cast<std::size_t>(k)] = evaluate(Breg, Nf, x);
  }
  return y;
}

double stackedLabel(std::vector<double>& placed, double wanted) {
  // A curve that leaves the picture is labelled at the edge it leaves by.
  double h = std::isfinite(wanted) ? std::clamp(wanted, kLabelLowCm, kLabelHighCm) : kLabelHighCm;
  // Curves that end together get their labels one above the other. A placed label blocks less than
  // 0.8 cm, so at most two steps of 0.45 cm: 2 * placed.size() + 1 tries always find a free height
  // (a loop "while taken: h += 0.45" never ends once h is so large that adding 0.45 leaves it equal).
  for (std::size_t tries = 0; tries <= 2 * placed.size(); ++tries) {
    if (std::none_of(placed.begin(), placed.end(), [h](double l) { return std::fabs(l - h) < 0.4; }))
      break;
    h += 0.45;
  }
  placed.push_back(h);
  return h;
}

}  // namespace orvant::design
