// Batch runs of the experiments of a gravity-speed plan, and the secular shifts of all experiments.
//
// orvant-cli [--dir DIR] plan-run --plan K --from A --to B [--jobs N] [--setup SCRIPT]
//   Runs experiments A..B of plan K headless, each exactly as screen 15 starts it on screen 2: the
//   workbench is built with headless windows, the start screen opens as in the program, the setup
//   script (screen 1 / 2 / 15 boxes: a parameter file, the traced planet, the step, the end year,
//   the factor rows...) runs, plan K is loaded on screen 15 ("2-Загрузить параметры плана №"), the
//   plan is built as line 2 of the plan file says ("Orto"/"Roto" over the ticked rows) and the
//   experiment is run with "4-1-..." from E to E.
//   With A = B the experiment runs in this process. Otherwise every experiment is a process of its
//   own (orvant-cli itself with --from E --to E), N at a time (default: the number of cores); a
//   failed experiment is reported with its number and the others go on. Progress lines tell the
//   experiment, done/total and the estimated time left. Exit status 0 when all succeeded, 1 when
//   one failed, 2 on bad arguments.
//
// orvant-cli [--dir DIR] plan-run --plan K --from A --to B --planet N [--jobs N]
//                                  [--setup SCRIPT] --emit-slurm FILE | --emit-parallel FILE
//   Runs nothing: writes a Slurm array script (one task per experiment, then plan-shifts for
//   planet N with --dependency=afterok) or a GNU parallel script (here or --sshlogin, then
//   plan-shifts); see app/batch_script.h. --jobs limits how many run at once.
//
// orvant-cli [--dir DIR] plan-shifts --plan K --planet N [--group G] [--fit const|lin|quad]
//                                     [--IG YEAR] [--year0 YEAR]
//   What "Рассчитать смещения всех экспериментов" of screen 15 does: fits every experiment's record
//   file Plan<K>/Txt<N>/Orvant<N>Ras<e>.txt as screen 6 would (defaults G = 1, "лин", IG = 2000,
//   Year0 = 2000) and writes Plan<K>/Orvant<N>Ras.dat with the six shifts of every experiment.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "app/cli.h"
#include "app/screens.h"
#include "design/optimisation.h"
#include "design/screens/optimisation_screen.h"
#include "model/state.h"
#include "statistics/shifts.h"
#include "model/textfile.h"
#include "ui/memory_form.h"
#include "ui/script.h"
#include "ui/workbench.h"

namespace orvant::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kRunUsage =
    "Использование: orvant-cli [--dir КАТАЛОГ] plan-run --plan K --from A --to B [--jobs N] [--setup СЦЕНАРИЙ] "
    "[--emit-slurm ФАЙЛ] [--emit-parallel ФАЙЛ] [--planet N]";
constexpr const char* kShiftsUsage =
    "Использование: orvant-cli [--dir КАТАЛОГ] plan-shifts --plan K --planet N [--group G] "
    "[--fit const|lin|quad] [--IG ГОД] [--year0 ГОД]";

// "--name value" options; false on an unknown or incomplete option.
bool options(const std::vector<std::string>& args, const std::vector<std::string>& known,
             std::map<std::string, std::string>& out) {
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return false;
    bool ok = false;
    for (const auto& k : known) ok = ok || args[i] == k;
    if (!ok || out.count(args[i])) return false;
    out[args[i]] = args[i + 1];
  }
  return true;
}

std::optional<long> integerOption(const std::map<std::string, std::string>& o, const std::string& name,
                                  long lo, long hi) {
  const auto it = o.find(name);
  if (it == o.end()) return std::nullopt;
  long v = 0;
  if (!argInteger(it->second, v) || v < lo || v > hi) return std::nullopt;
  return v;
}

// "4,2 с" below ten seconds, "37 с", "2 мин 5 с".
std::string duration(double seconds) {
  seconds = std::max(0.0, seconds);
  if (seconds < 10) return screenNumber(std::round(seconds * 10) / 10) + " с";
  const long s = std::lround(seconds);
  std::ostringstream out;
  if (s >= 60) out << s / 60 << " мин ";
  out << s % 60 << " с";
  return out.str();
}

// ---- one experiment in this process ----

int runOne(const fs::path& workDir, int k, int e, const std::string& setup) {
  State state;
  state.workDir = workDir.string();
  ui::MemoryDesk desk;
  ui::Workbench wb(state, desk.factory());
  registerAllScreens(wb);
  const auto failed = [e](const std::string& why) {
    std::cout << "эксперимент " << e << ": ошибка: " << why << '\n' << std::flush;
    return 1;
  };
  if (!wb.has(design::OptimisationScreen::kNumber) || !wb.has(design::OptimisationScreen::kRunScreen))
    return failed("экраны 2 и 15 не зарегистрированы");

  ui::ScriptRunner runner(wb, desk, std::cout);  // prints every message box as it appears
  // The program starts with its start screen, which loads the default initial data.
  if (wb.has(kStartScreen)) wb.show(kStartScreen);
  if (!setup.empty()) {
    std::ifstream in(setup, std::ios::binary);
    if (!in) return failed("не могу найти файл " + setup);
    if (runner.run(in, std::cerr) != 0) return failed("ошибка в сценарии " + setup);
    if (wb.quitting()) return failed("сценарий завершил программу");
  }

  auto& screen = wb.screen<design::OptimisationScreen>(design::OptimisationScreen::kNumber);
  screen.setSoundPlayer(nullptr);  // headless: no sound
  ui::Form& f = wb.show(design::OptimisationScreen::kNumber).form();
  f.setText("planNo", std::to_string(k));
  std::size_t dialogs = desk.dialogs().size();
  f.press("load");
  if (desk.dialogs().size() != dialogs) return failed("план " + std::to_string(k) + " не загружен");

  // Line 2 of the plan file names the plan type and the number of factors.
  design::PlanFile file;
  int type = 0, Nf = 0;
  if (!design::readPlanFile(state, k, file) || !design::parsePlanKind(file.kind, type, Nf))
    return failed("строка 2 файла " + design::planFileDisplay(k) + " не задает план (Orto или Roto и Nf)");
  f.setOption("PlanType", type == design::kRotatable ? 1 : 0);
  if (f.text("Nf") != std::to_string(Nf))
    return failed("план " + std::to_string(k) + " построен для " + std::to_string(Nf) + " факторов, а отмечено " +
                  f.text("Nf") + " (отметьте строки факторов в сценарии --setup)");
  dialogs = desk.dialogs().size();
  f.press("build");
  if (!screen.hasPlan() || desk.dialogs().size() != dialogs) return failed("план не построен");
  if (e > screen.plan().Npt)
    return failed("в плане " + std::to_string(k) + " экспериментов " + std::to_string(screen.plan().Npt));

  f.type("expFrom", std::to_string(e));
  f.type("expTo", std::to_string(e));
  const auto t0 = Clock::now();
  f.press("run");
  const double took = std::chrono::duration<double>(Clock::now() - t0).count();
  if (screen.finishedRuns() != 1 || f.text("expFrom") != std::to_string(e + 1))
    return failed("эксперимент не выполнен");
  std::cout << "эксперимент " << e << ": выполнен за " << duration(took) << '\n' << std::flush;
  return 0;
}

// ---- a range of experiments, one process each ----

struct Child {
  int e = 0;
  std::string log;  // the child's output
  Clock::time_point start;
};


std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int runMany(const fs::path& workDir, int k, int from, int to, int jobs, const std::string& setup) {
  const std::string self = selfPath();
  const int total = to - from + 1;
  std::map<pid_t, Child> running;
  std::vector<int> failedList;
  int next = from, done = 0;
  const auto t0 = Clock::now();
  std::cout << "план " << k << ": эксперименты " << from << ".." << to << ", процессов " << jobs << '\n'
            << std::flush;

  while (next <= to || !running.empty()) {
    while (next <= to && static_cast<int>(running.size()) < jobs) {
      std::vector<std::string> args = {self,      "--dir", workDir.string(),   "plan-run", "--plan",
                                       std::to_string(k), "--from", std::to_string(next), "--to",
                                       std::to_string(next)};
      if (!setup.empty()) {
        args.push_back("--setup");
        args.push_back(setup);
      }
      char tmpl[] = "/tmp/orvant_plan_XXXXXX";
      const int fd = ::mkstemp(tmpl);
      if (fd >= 0) ::close(fd);
      const pid_t pid = fd >= 0 ? spawnLogged(args, tmpl) : -1;
      if (pid < 0) {
        std::cout << "эксперимент " << next << ": ошибка: процесс не запущен\n";
        if (fd >= 0) ::unlink(tmpl);
        failedList.push_back(next);
        ++done;
      } else {
        running[pid] = Child{next, tmpl, Clock::now()};
        std::cout << "эксперимент " << next << ": запущен\n" << std::flush;
      }
      ++next;
    }
    if (running.empty()) break;
    int status = 0;
    const pid_t pid = ::waitpid(-1, &status, 0);
    if (pid < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const auto it = running.find(pid);
    if (it == running.end()) continue;
    const Child child = it->second;
    running.erase(it);
    ++done;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // The child's own lines, each marked with its experiment.
    std::istringstream lines(slurp(child.log));
    for (std::string line; std::getline(lines, line);) std::cout << "[" << child.e << "] " << line << '\n';
    ::unlink(child.log.c_str());
    if (!ok) failedList.push_back(child.e);
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    const double took = std::chrono::duration<double>(Clock::now() - child.start).count();
    std::cout << "эксперимент " << child.e << ": " << (ok ? "выполнен" : "ОШИБКА") << " за " << duration(took)
              << "; выполнено " << done << " из " << total;
    if (done < total) std::cout << "; осталось около " << duration(elapsed / done * (total - done));
    std::cout << '\n' << std::flush;
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
  std::cout << "план " << k << ": выполнено " << total - static_cast<int>(failedList.size()) << " из " << total
            << " за " << duration(elapsed);
  if (!failedList.empty()) {
    std::sort(failedList.begin(), failedList.end());
    std::cout << "; с ошибкой эксперименты:";
    for (int e : failedList) std::cout << ' ' << e;
  }
  std::cout << '\n' << std::flush;
  return failedList.empty() ? 0 : 1;
}

// The scripts for a cluster or several machines; the plan is checked to hold experiments A..B.
int emitPlanRun(const Context& ctx, std::map<std::string, std::string>& o, int k, int from, int to, int jobs,
                const std::string& setup) {
  for (const char* name : {"--emit-slurm", "--emit-parallel"})
    if (o.count(name) && o[name].empty()) return fail(kRunUsage);
  const auto N = integerOption(o, "--planet", 1, design::kPlanets);
  if (!N) return fail("--emit-slurm и --emit-parallel требуют --planet N (планета шага сбора plan-shifts)");
  State state;
  state.workDir = ctx.workDir.string();
  design::PlanFile file;
  int type = 0, Nf = 0;
  design::Plan plan;
  if (!design::readPlanFile(state, k, file)) return fail(ui::oneLine(state.lastMessage));
  if (!design::parsePlanKind(file.kind, type, Nf))
    return fail("Строка 2 файла " + design::planFileDisplay(k) + " не задает план");
  if (!design::buildPlan(state, design::fillSignTables(), type, Nf, std::nullopt, plan))
    return fail(ui::oneLine(state.lastMessage));
  if (to > plan.Npt) return fail("в плане " + std::to_string(k) + " экспериментов " + std::to_string(plan.Npt));
  app::BatchJob job;
  job.verb = "plan-run";
  job.plan = k;
  job.from = from;
  job.to = to;
  job.setup = setup;
  job.jobs = jobs;
  job.collect = {"plan-shifts", "--plan", std::to_string(k), "--planet", std::to_string(*N)};
  return emitBatchScripts(ctx, job, o["--emit-slurm"], o["--emit-parallel"]);
}

int planRun(Context& ctx) {
  std::map<std::string, std::string> o;
  if (!options(ctx.args,
               {"--plan", "--from", "--to", "--jobs", "--setup", "--emit-slurm", "--emit-parallel", "--planet"}, o))
    return fail(kRunUsage);
  const auto k = integerOption(o, "--plan", 1, 999999);
  const auto from = integerOption(o, "--from", 1, design::kMaxPoints);
  const auto to = integerOption(o, "--to", 1, design::kMaxPoints);
  if (!k || !from || !to) return fail(kRunUsage);
  if (*from > *to) return fail("--from больше --to");
  long jobs = static_cast<long>(std::max(1u, std::thread::hardware_concurrency()));
  if (o.count("--jobs")) {
    const auto j = integerOption(o, "--jobs", 1, 1024);
    if (!j) return fail(kRunUsage);
    jobs = *j;
  }
  std::string setup = o.count("--setup") ? o["--setup"] : std::string();
  if (!setup.empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(setup, ec)) return fail("Не могу найти файл " + setup);
    setup = fs::absolute(setup, ec).string();
  }
  if (o.count("--emit-slurm") || o.count("--emit-parallel"))
    return emitPlanRun(ctx, o, static_cast<int>(*k), static_cast<int>(*from), static_cast<int>(*to),
                       o.count("--jobs") ? static_cast<int>(jobs) : 0, setup);
  if (o.count("--planet")) return fail(kRunUsage);
  if (*from == *to) return runOne(ctx.workDir, static_cast<int>(*k), static_cast<int>(*from), setup);
  return runMany(ctx.workDir, static_cast<int>(*k), static_cast<int>(*from), static_cast<int>(*to),
                 static_cast<int>(jobs), setup);
}

// ---- shifts of all experiments ----

int planShifts(Context& ctx) {
  std::map<std::string, std::string> o;
  if (!options(ctx.args, {"--plan", "--planet", "--group", "--fit", "--IG", "--year0"}, o))
    return fail(kShiftsUsage);
  const auto k = integerOption(o, "--plan", 1, 999999);
  const auto N = integerOption(o, "--planet", 1, design::kPlanets);
  if (!k || !N) return fail(kShiftsUsage);
  design::ShiftFitOptions opt;
  if (o.count("--group")) {
    const auto g = integerOption(o, "--group", 1, 1000000);
    if (!g) return fail(kShiftsUsage);
    opt.NCP0 = static_cast<int>(*g);
  }
  if (o.count("--fit")) {
    const std::string& f = o["--fit"];
    if (f == "const")
      opt.fit = statistics::FitKind::Const;
    else if (f == "lin")
      opt.fit = statistics::FitKind::Line;
    else if (f == "quad")
      opt.fit = statistics::FitKind::Parabola;
    else
      return fail(kShiftsUsage);
  }
  if (o.count("--IG") && !argNumber(o["--IG"], opt.IG)) return fail(kShiftsUsage);
  if (o.count("--year0")) {
    const auto y = integerOption(o, "--year0", -100000, 100000);
    if (!y) return fail(kShiftsUsage);
    opt.Year0 = static_cast<int32>(*y);
  }
  State state;
  state.workDir = ctx.workDir.string();
  design::PlanFile file;
  int type = 0, Nf = 0;
  if (!design::readPlanFile(state, static_cast<int>(*k), file)) return fail(state.lastMessage);
  if (!design::parsePlanKind(file.kind, type, Nf))
    return fail("Строка 2 файла " + design::planFileDisplay(static_cast<int>(*k)) + " не задает план");
  design::Plan plan;
  if (!design::buildPlan(state, design::fillSignTables(), type, Nf, std::nullopt, plan))
    return fail(state.lastMessage);
  if (!design::computeExperimentShifts(state, static_cast<int>(*k), static_cast<int>(*N), plan.Npt, opt,
                                       [](int e) { std::cerr << "эксперимент " << e << ": смещения рассчитаны\n"; })) {
    std::cerr << ui::oneLine(state.lastMessage) << '\n';
    return 1;
  }
  std::cout << displayPath(statistics::calculatedShiftPath(static_cast<int>(*k), static_cast<int>(*N)))
            << '\n';
  for (const auto& line : statistics::calculatedShiftText(state, static_cast<int>(*N))) std::cout << line << '\n';
  return 0;
}

const CliRegistrar planRunCommand(
    "plan-run",
    "plan-run --plan K --from A --to B [--jobs N] [--setup СЦЕНАРИЙ] [--emit-slurm ФАЙЛ|--emit-parallel ФАЙЛ "
    "--planet N]   эксперименты плана K на модели (или сценарий Slurm / GNU parallel)",
    planRun);
const CliRegistrar planShiftsCommand(
    "plan-shifts",
    "plan-shifts --plan K --planet N [--group G] [--fit const|lin|quad] [--IG ГОД] [--year0 ГОД]   "
    "смещения всех экспериментов",
    planShifts);

}  // namespace

}  // namespace orvant::cli
