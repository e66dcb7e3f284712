#include "statistics/plan_file.h"

#include <cmath>
#include <vector>

#include "model/format.h"
#include "model/messages.h"
#include "model/textfile.h"

namespace orvant::statistics {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The numbers of a line that must hold exactly `count` finite numbers.
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

bool blank(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

}  // namespace

std::string planFilePath(int k) {
  const std::string n = std::to_string(k);
  return "Plan" + n + "/OrvantPlan" + n + ".dat";
}

std::string planFileDisplay(int k) {
  const std::string n = std::to_string(k);
  return "\\Plan" + n + "\\OrvantPlan" + n + ".dat";
}

bool readPlanFile(State& s, int k, PlanFile& f) {
  const std::string rel = planFilePath(k);
  std::vector<std::string> lines;
  const ReadStatus st = readLines(fullPath(s, rel), lines);
  if (st == ReadStatus::NotFound) {
    s.report("Не могу найти файл " + planFileDisplay(k), kTitle7);
    return false;
  }
  const auto readError = [&] {
    s.report("Ошибка при чтении данных из файла " + planFileDisplay(k), kTitle7);
    return false;
  };
  if (st != ReadStatus::Ok || lines.size() < 20) return readError();
  PlanFile next;
  next.title = lines[0];
  next.kind = lines[1];
  std::vector<double> v;
  for (int i = 1; i <= kFactorRows; ++i) {
    if (!numbersOf(lines[at(i + 1)], 4, v)) return readError();
    // The levels are the file's scaled integers: one that could not be written back (beyond the
    // 64-bit integers once divided by MK and multiplied again) is no plan file's value.
    for (double x : v)
      if (!checkedStoredInt(x / s.MK, s.MK)) return readError();
    next.levels.X0[at(i)] = v[0] / s.MK;
    next.levels.dX[at(i)] = v[1] / s.MK;
    next.levels.Xopt[at(i)] = v[2] / s.MK;
    next.levels.XoptNat[at(i)] = v[3] / s.MK;
  }
  next.weightsTitle = lines[9];
  for (int N = 1; N <= kPlanets; ++N) {
    if (!numbersOf(lines[at(N + 9)], kShiftColumns, v)) return readError();
    for (int c = 1; c <= kShiftColumns; ++c) next.Wt[at(N)][at(c)] = v[at(c - 1)];
  }
  // Anything after line 20 other than blank lines means the file is not a plan file.
  for (std::size_t i = 20; i < lines.size(); ++i)
    if (!blank(lines[i])) return readError();
  f = next;
  return true;
}

std::optional<std::string> planFileText(const State& s, const PlanFile& f) {
  std::string text = f.title + "\n" + f.kind + "\n";
  for (int i = 1; i <= kFactorRows; ++i) {
    const double v[4] = {f.levels.X0[at(i)], f.levels.dX[at(i)], f.levels.Xopt[at(i)],
                         f.levels.XoptNat[at(i)]};
    for (int j = 0; j < 4; ++j) {
      const auto n = checkedStoredInt(v[j], s.MK);
      if (!n) return std::nullopt;
      if (j) text += ' ';
      text += std::to_string(*n);
    }
    text += '\n';
  }
  text += f.weightsTitle + "\n";
  for (int N = 1; N <= kPlanets; ++N) {
    for (int c = 1; c <= kShiftColumns; ++c) {
      const double w = f.Wt[at(N)][at(c)];
      if (!std::isfinite(w)) return std::nullopt;
      if (c > 1) text += ' ';
      text += basicNumber(w);
    }
    text += '\n';
  }
  return text;
}

bool writePlanFile(State& s, int k, const PlanFile& f) {
  const auto text = planFileText(s, f);
  if (!text || !writeFileAtomically(fullPath(s, planFilePath(k)), *text, true)) {
    s.report("Ошибка при записи данных в файл \\Plan" + std::to_string(k) + " \\OrvantPlan" +
                 std::to_string(k) + ".dat",
             kTitle7);
    return false;
  }
  return true;
}

}  // namespace orvant::statistics
