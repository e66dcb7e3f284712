#include "design/optimisation.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "model/format.h"
#include "statistics/records.h"
#include "statistics/shifts.h"
#include "model/textfile.h"

namespace orvant::design {

namespace fs = std::filesystem;

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Library messages go to State::lastMessage only while this lives: the caller reports its own text
// (with more context) instead.
class QuietReports {
 public:
  explicit QuietReports(State& s) : s_(s), sink_(s.sink) { s_.sink = nullptr; }
  ~QuietReports() { s_.sink = sink_; }
  QuietReports(const QuietReports&) = delete;
  QuietReports& operator=(const QuietReports&) = delete;

 private:
  State& s_;
  MessageSink* sink_;
};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

// ---- factors ----

int mapPlanFactors(const std::array<bool, kFactorRows + 1>& ticked, PlanFactorMap& PlanFactor) {
  PlanFactor.fill(0);
  int n = 0;
  for (int row = 1; row <= kFactorRows; ++row) {
    if (!ticked[at(row)]) continue;
    ++n;
    if (n <= kMaxFactors) PlanFactor[at(n)] = row;
  }
  return n;
}

RowValues experimentSettings(const Plan& plan, const PlanFactorMap& PlanFactor, const RowValues& X0,
                             const RowValues& dX, int e) {
  RowValues X = X0;
  X[0] = 0;
  for (int n = 1; n <= plan.Nf && n <= kMaxFactors; ++n) {
    const int row = PlanFactor[at(n)];
    if (row < 1 || row > kFactorRows) continue;
    X[at(row)] = X0[at(row)] + plan.Xpl[at(e)][at(n)] * dX[at(row)];
  }
  return X;
}

bool applySettings(State& s, const RowValues& X) {
  for (int i = 1; i <= kFactorRows; ++i)
    if (!std::isfinite(X[at(i)])) return false;
  if (!(X[6] > 0) || !(X[7] > 0)) return false;
  s.VXsys = X[1];
  s.VYsys = X[2];
  s.VZsys = X[3];
  s.km[5] = X[6];
  s.m[5] = s.m[0] / X[6];
  s.km[2] = X[7];
  s.m[2] = s.m[0] / X[7];
  return true;
}

// ---- plan file ----

std::string planTitle(int k) { return "Уровни варьирования плана № " + std::to_string(k); }

std::string planKindLine(int PlanType, int Nf) {
  return std::string(PlanType == kRotatable ? "Roto" : "Orto") + " - для  " + std::to_string(Nf) +
         "  факторов ";
}

bool parsePlanKind(std::string_view line, int& PlanType, int& Nf) {
  std::string_view t = trimmed(line);
  int type = 0;
  if (t.rfind("Orto", 0) == 0)
    type = kOrthogonal;
  else if (t.rfind("Roto", 0) == 0)
    type = kRotatable;
  else
    return false;
  t.remove_prefix(4);
  t = trimmed(t);
  if (t.rfind("-", 0) != 0) return false;
  t = trimmed(t.substr(1));
  const std::string_view dlya = "для";
  if (t.rfind(dlya, 0) != 0) return false;
  t = trimmed(t.substr(dlya.size()));
  const std::size_t end = t.find(' ');
  if (end == std::string_view::npos) return false;
  const auto n = parseNumber(t.substr(0, end));
  if (!n || *n != std::trunc(*n) || *n < 2 || *n > kMaxFactors) return false;
  if (trimmed(t.substr(end)) != "факторов") return false;
  PlanType = type;
  Nf = static_cast<int>(*n);
  return true;
}

// ---- criterion ----

double criterionTerm(CriterionForm form, double Ras, double Nab, double Wt) {
  switch (form) {
    case CriterionForm::Y: return Ras * Wt / 100;
    case CriterionForm::dY: return (Ras - Nab) * Wt / std::fabs(Nab) / 100;
    case CriterionForm::dY2: {
      const double r = (Ras - Nab) * Wt / Nab / 100;
      return r * r;
    }
    case CriterionForm::AbsdY: return std::fabs((Ras - Nab) / Nab) * Wt / 100;
  }
  return 0;
}

bool modelCriterion(State& s, int k, int Npt, const CriterionChoice& choice, const Weights& Wt,
                    Criterion& Yexp) {
  std::string lastPath;
  const auto fail = [&] {
    s.report(std::string(kCriterionReadError) + "\n" + lastPath, kTitle7);
    return false;
  };
  if (Npt < 1 || Npt >= static_cast<int>(Yexp.size())) return fail();
  for (int N = 1; N <= kPlanets; ++N) {
    if (!choice.planets[at(N)]) continue;
    lastPath = displayPath(statistics::calculatedShiftPath(k, N));
    bool loaded = false;
    {
      QuietReports quiet(s);
      loaded = statistics::loadCalculatedShifts(s, k, N, statistics::ShiftMessages::Screen15);
    }
    if (!loaded || s.NE < Npt) return fail();
  }
  Criterion Y{};
  for (int e = 1; e <= Npt; ++e) {
    double sum = 0;
    for (int N = 1; N <= kPlanets; ++N) {
      if (!choice.planets[at(N)]) continue;
      for (int c = 1; c <= kShiftColumns; ++c) {
        if (!choice.params[at(c)]) continue;
        const double term = criterionTerm(choice.form, s.RasShift[at(N)][at(c)][at(e)],
                                          s.NabShift[at(N)][at(c)], Wt[at(N)][at(c)]);
        if (!std::isfinite(term)) {
          lastPath = displayPath(statistics::calculatedShiftPath(k, N));
          return fail();
        }
        sum += term;
      }
    }
    if (!std::isfinite(sum)) return fail();
    Y[at(e)] = sum;
  }
  Yexp = Y;
  return true;
}

bool testCriterion(State& s, const Plan& plan, CriterionForm form, Criterion& Yexp) {
  Coefficients ones{};
  ones.fill(1);
  Criterion out{};
  const double Yref = evaluateAtRow(ones, plan, 1);
  for (int e = 1; e <= plan.Npt; ++e) {
    const double Y = evaluateAtRow(ones, plan, e);
    double v = Y;
    switch (form) {
      case CriterionForm::Y: break;
      case CriterionForm::dY: v = (Y - Yref) / Yref; break;
      case CriterionForm::dY2: v = ((Y - Yref) / Yref) * ((Y - Yref) / Yref); break;
      case CriterionForm::AbsdY: v = std::fabs(Y - Yref) / Yref; break;
    }
    if (!std::isfinite(v)) {
      s.report(kTestCriterionFailed, kTitle7);
      return false;
    }
    out[at(e)] = v;
  }
  Yexp = out;
  return true;
}

// ---- secular shifts of all experiments ----

bool computeExperimentShifts(State& s, int k, int N, int NE, const ShiftFitOptions& options,
                             const std::function<void(int)>& progress) {
  if (k < 0 || N < 1 || N > kPlanets || NE < 1 || NE > kMaxPoints || options.NCP0 < 1 ||
      !std::isfinite(options.IG)) {
    s.report("Задайте правильно данные", kTitle7);
    return false;
  }
  // Shifts of experiment e at [c][e], as RasShift holds them.
  std::array<std::array<double, 92>, 7> table{};
  for (int e = 1; e <= NE; ++e) {
    for (int c = 1; c <= kShiftColumns; ++c) {
      statistics::LoadChoice choice;
      choice.N = N;
      choice.source = statistics::Source::Model;
      choice.k = k;
      choice.e = e;
      choice.option = c;
      statistics::RecordSeries series;
      statistics::ApproxResult result;
      bool ok = false;
      {
        QuietReports quiet(s);
        s.lastMessage.clear();
        ok = statistics::loadSeries(s, series, choice);
        if (ok) {
          statistics::ApproxInput in;
          in.N1 = 1;
          in.N2 = series.NP;
          in.NCP0 = options.NCP0;
          in.fit = options.fit;
          in.IG = options.IG;
          in.Year0 = options.Year0;
          ok = statistics::approximate(s, series, in, result);
        }
      }
      if (!ok) {
        std::string text = s.lastMessage.empty() ? std::string("Ошибка при обработке данных") : s.lastMessage;
        s.report(text + "\nэксперимент № " + std::to_string(e), kTitle7);
        return false;
      }
      table[at(c)][at(e)] = result.shift;
    }
    if (progress) progress(e);
  }
  // Written as a loaded calculated file of plan k, object N; the old table comes back on failure.
  const auto oldTable = s.RasShift[at(N)];
  const int16 oldKind = s.ShiftKind;
  const int32 oldPlan = s.RasPlan, oldObj = s.RasObj, oldNE = s.NE;
  for (int c = 1; c <= kShiftColumns; ++c)
    for (int e = 1; e <= NE; ++e) s.RasShift[at(N)][at(c)][at(e)] = table[at(c)][at(e)];
  s.ShiftKind = 2;
  s.RasPlan = k;
  s.RasObj = N;
  s.NE = NE;
  if (!statistics::writeCalculatedShifts(s, k, N, statistics::ShiftMessages::Screen6)) {
    s.RasShift[at(N)] = oldTable;
    s.ShiftKind = oldKind;
    s.RasPlan = oldPlan;
    s.RasObj = oldObj;
    s.NE = oldNE;
    return false;
  }
  return true;
}

// ---- sound ----

namespace {

std::optional<fs::path> findOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::string_view rest = path;
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    if (!dir.empty()) {
      const fs::path candidate = fs::path(std::string(dir)) / program;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

}  // namespace

bool playSoundAsync(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return false;
  const auto player = findOnPath("aplay");
  if (!player) return false;
  // Everything the child needs is prepared before fork: after it only exec-safe calls are made.
  const std::string prog = player->string(), arg = file.string();
  char* const argv[] = {const_cast<char*>(prog.c_str()), const_cast<char*>("-q"),
                        const_cast<char*>(arg.c_str()), nullptr};
  // Two forks: the player is the grandchild, adopted by init, so nobody has to wait for it; the
  // intermediate child ends at once and is reaped here.
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
      }
      ::execv(prog.c_str(), argv);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace orvant::design
