// Headless plans of observation experiments: fitting the orbit parameters of one object to an
// observatory series or a table without the window.
//
// orvant-cli [--dir DIR] obs-plan-run --plan K --from A --to B --setup SCRIPT [--jobs N]
//   The setup script (orvant-cli script syntax) prepares screens 10 and 13 as a user would: the
//   source, the object, the dates, the theory "План", the criterion, the ticked rows of screen 13
//   and their levels ("шаблона", "файла" or typed). Then plan K is built ("Создать план") and
//   experiment E is run on screen 10 ("Выполнить эксперименты с" E "по" E); its plan-experiment
//   file <src>/Plan<K>/<name><N>[_<f>]_<E>.dat is written ("Записать план опыта в файл"), which
//   holds its criterion.
//   With A = B the experiment runs in this process. Otherwise every experiment is a process of its
//   own (orvant-cli itself with --from E --to E), N at a time (default: the number of cores); when
//   they all succeeded and A..B covers the whole plan, the fit follows as obs-plan-fit does.
//   The same one-experiment line serves GNU parallel or a Slurm array:
//     parallel orvant-cli obs-plan-run --plan 1 --from {} --to {} --setup s.txt ::: $(seq 1 13)
//     srun orvant-cli obs-plan-run --plan 1 --from $SLURM_ARRAY_TASK_ID --to $SLURM_ARRAY_TASK_ID ...
//   With --emit-slurm FILE or --emit-parallel FILE nothing runs: the Slurm array script or the GNU
//   parallel script of experiments A..B is written, with obs-plan-fit as its collecting step (see
//   app/batch_script.h).
//
// orvant-cli [--dir DIR] obs-plan-fit --plan K --setup SCRIPT [--record]
//   After the setup and "Создать план", reads the criterion of every experiment of plan K from its
//   plan-experiment file, fits the regression ("Найти коэффициенты уравнения регрессии"), finds
//   the optimum ("Оптимизировать отмеченные параметры") and prints the coded and natural optimum
//   of every factor row; with --record the optimum is added to Kin/Plan<K>/Orvant<N>Nab.txt
//   ("Добавить оптимальные параметры в файл").
//
// Exit status 0 on success, 1 when an experiment or the fit failed, 2 on bad arguments.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "app/cli.h"
#include "app/screens.h"
#include "model/state.h"
#include "model/textfile.h"
#include "observations/obs_plan.h"
#include "observations/screens/obs_plan_screen.h"
#include "observations/screens/observation_screen.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/script.h"
#include "ui/workbench.h"

namespace orvant::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kRunUsage =
    "Использование: orvant-cli [--dir КАТАЛОГ] obs-plan-run --plan K --from A --to B --setup "
    "СЦЕНАРИЙ [--jobs N] [--emit-slurm ФАЙЛ] [--emit-parallel ФАЙЛ]";
constexpr const char* kFitUsage =
    "Использование: orvant-cli [--dir КАТАЛОГ] obs-plan-fit --plan K --setup СЦЕНАРИЙ [--record]";

bool parseOptions(const std::vector<std::string>& args, const std::vector<std::string>& withValue,
                  const std::vector<std::string>& flags, std::map<std::string, std::string>& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const auto& a = args[i];
    if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
      out[a].assign(1, '1');  // assign, not = "1": GCC 12 warns falsely (-Wrestrict) on the latter
      continue;
    }
    if (std::find(withValue.begin(), withValue.end(), a) == withValue.end() || i + 1 >= args.size() ||
        out.count(a))
      return false;
    out[a] = args[++i];
  }
  return true;
}

std::optional<long> intOption(const std::map<std::string, std::string>& o, const std::string& name,
                              long lo, long hi) {
  const auto it = o.find(name);
  if (it == o.end()) return std::nullopt;
  long v = 0;
  if (!argInteger(it->second, v) || v < lo || v > hi) return std::nullopt;
  return v;
}

// The workbench of one process after the setup script and "Создать план" with plan number K.
struct Session {
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  std::string error;

  bool prepare(const fs::path& workDir, const std::string& setup, int k) {
    state.workDir = workDir.string();
    registerAllScreens(wb);
    if (!wb.has(kObservationScreen) || !wb.has(kObsPlanScreen)) {
      error = "экраны 10 и 13 не зарегистрированы";
      return false;
    }
    wb.show(kObservationScreen);
    wb.show(kObsPlanScreen);
    ui::ScriptRunner runner(wb, desk, std::cout);  // every message box is printed
    std::ifstream in(setup, std::ios::binary);
    if (!in) {
      error = "не могу найти файл " + setup;
      return false;
    }
    if (runner.run(in, std::cerr) != 0) {
      error = "ошибка в сценарии " + setup;
      return false;
    }
    ui::Form& p = plan();
    p.setText("k", std::to_string(k));
    const std::size_t before = desk.dialogs().size();
    p.press("create");
    if (!screen13().plan().built || desk.dialogs().size() != before) {
      error = "план не построен";
      return false;
    }
    return true;
  }
  ui::Form& obs() { return wb.screen(kObservationScreen).form(); }
  ui::Form& plan() { return wb.screen(kObsPlanScreen).form(); }
  ObsPlanScreen& screen13() { return wb.screen<ObsPlanScreen>(kObsPlanScreen); }
};

int runOne(const fs::path& workDir, int k, int e, const std::string& setup) {
  Session s;
  const auto failed = [e](const std::string& why) {
    std::cout << "эксперимент " << e << ": ошибка: " << why << '\n' << std::flush;
    return 1;
  };
  if (!s.prepare(workDir, setup, k)) return failed(s.error);
  ObsPlan& plan = s.screen13().plan();
  if (e > plan.plan.Npt)
    return failed("в плане " + std::to_string(k) + " экспериментов " + std::to_string(plan.plan.Npt));
  ui::Form& o = s.obs();
  o.setText("expFrom", std::to_string(e));
  o.setText("expTo", std::to_string(e));
  o.setChecked("sound", false);
  o.press("runExp");
  if (!plan.done[static_cast<std::size_t>(e)]) return failed("эксперимент не выполнен (нет принятых наблюдений)");
  ui::Form& p = s.plan();
  p.setText("e", std::to_string(e));
  const std::size_t before = s.desk.dialogs().size();
  p.press("write");
  if (s.desk.dialogs().size() != before) return failed("файл опыта не записан");
  std::cout << "эксперимент " << e << ": критерий = "
            << screenNumber(plan.Yexp[static_cast<std::size_t>(e)], 6) << "  файл "
            << obsPlanPath(s.state, k, s.state.Npl, e) << '\n'
            << std::flush;
  return 0;
}

int fitPlan(const fs::path& workDir, int k, const std::string& setup, bool record) {
  Session s;
  if (!s.prepare(workDir, setup, k)) {
    std::cout << "план " << k << ": ошибка: " << s.error << '\n';
    return 1;
  }
  ObsPlan& plan = s.screen13().plan();
  for (int e = 1; e <= plan.plan.Npt; ++e) {
    const std::string rel = obsPlanPath(s.state, k, s.state.Npl, e);
    std::vector<std::string> lines;
    std::optional<double> c;
    if (readLines(fullPath(s.state, rel), lines) == ReadStatus::Ok) c = obsPlanFileCriterion(lines);
    if (!c) {
      std::cout << "план " << k << ": нет критерия опыта " << e << " (" << rel << ")\n";
      return 1;
    }
    plan.Yexp[static_cast<std::size_t>(e)] = *c;
    plan.done[static_cast<std::size_t>(e)] = true;
  }
  const std::size_t before = s.desk.dialogs().size();
  s.obs().press("regression");
  if (!plan.fitted || s.desk.dialogs().size() != before) return 1;
  s.plan().press("optimise");
  if (!plan.optimised || s.desk.dialogs().size() != before) return 1;
  const double MK = s.state.MK;
  std::cout << "план " << k << ": оптимум (строка, Xopt, натуральное значение; Rsr в тыс. км)\n";
  for (int f = 1; f <= plan.plan.Nf; ++f) {
    const auto i = static_cast<std::size_t>(plan.factorRow[static_cast<std::size_t>(f)]);
    std::cout << "X" << i << " " << kObsPlanRowCaptions[i] << "  " << screenNumber(plan.v.Xopt[i], 6)
              << "  " << screenNumber(plan.v.XoptNat[i] / (i == 1 ? MK : 1), 6) << '\n';
  }
  if (record) {
    s.plan().press("addRecord");
    if (s.desk.dialogs().size() != before) return 1;
    std::cout << "запись добавлена в Kin/Plan" << k << "/Orvant" << (s.state.Npl == 0 ? 3 : s.state.Npl)
              << "Nab.txt\n";
  }
  return 0;
}


int runMany(const fs::path& workDir, int k, int from, int to, int jobs, const std::string& setup) {
  const std::string self = selfPath();
  std::map<pid_t, std::pair<int, std::string>> running;
  std::vector<int> failedList;
  int next = from;
  while (next <= to || !running.empty()) {
    while (next <= to && static_cast<int>(running.size()) < jobs) {
      const std::vector<std::string> args = {self, "--dir", workDir.string(), "obs-plan-run",
                                             "--plan", std::to_string(k), "--from",
                                             std::to_string(next), "--to", std::to_string(next),
                                             "--setup", setup};
      char tmpl[] = "/tmp/orvant_obsplan_XXXXXX";
      const int fd = ::mkstemp(tmpl);
      if (fd >= 0) ::close(fd);
      const pid_t pid = fd >= 0 ? spawnLogged(args, tmpl) : -1;
      if (pid < 0) {
        if (fd >= 0) ::unlink(tmpl);
        failedList.push_back(next);
      } else {
        running[pid] = {next, tmpl};
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
    const auto [e, log] = it->second;
    running.erase(it);
    std::ifstream in(log, std::ios::binary);
    for (std::string line; std::getline(in, line);) std::cout << "[" << e << "] " << line << '\n';
    ::unlink(log.c_str());
    if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) failedList.push_back(e);
    std::cout << std::flush;
  }
  if (!failedList.empty()) {
    std::sort(failedList.begin(), failedList.end());
    std::cout << "план " << k << ": с ошибкой эксперименты:";
    for (int e : failedList) std::cout << ' ' << e;
    std::cout << '\n';
    return 1;
  }
  return 0;
}

std::optional<std::string> setupPath(const std::map<std::string, std::string>& o) {
  const auto it = o.find("--setup");
  if (it == o.end()) return std::nullopt;
  std::error_code ec;
  if (!fs::is_regular_file(it->second, ec)) return std::nullopt;
  return fs::absolute(it->second, ec).string();
}

int obsPlanRun(Context& ctx) {
  std::map<std::string, std::string> o;
  if (!parseOptions(ctx.args, {"--plan", "--from", "--to", "--jobs", "--setup", "--emit-slurm", "--emit-parallel"},
                    {}, o))
    return fail(kRunUsage);
  const auto k = intOption(o, "--plan", 1, 32767);
  const auto from = intOption(o, "--from", 1, kExperimentRows - 1);
  const auto to = intOption(o, "--to", 1, kExperimentRows - 1);
  if (!k || !from || !to || *from > *to || !o.count("--setup")) return fail(kRunUsage);
  const auto setup = setupPath(o);
  if (!setup) return fail("Не могу найти файл " + o["--setup"]);
  long jobs = static_cast<long>(std::max(1u, std::thread::hardware_concurrency()));
  if (o.count("--jobs")) {
    const auto j = intOption(o, "--jobs", 1, 1024);
    if (!j) return fail(kRunUsage);
    jobs = *j;
  }
  const int K = static_cast<int>(*k);
  if (o.count("--emit-slurm") || o.count("--emit-parallel")) {
    for (const char* name : {"--emit-slurm", "--emit-parallel"})
      if (o.count(name) && o[name].empty()) return fail(kRunUsage);
    // The plan as the tasks will build it: the setup runs once here to check A..B.
    Session probe;
    if (!probe.prepare(ctx.workDir, *setup, K)) return fail(probe.error);
    if (*to > probe.screen13().plan().plan.Npt)
      return fail("в плане " + std::to_string(K) + " опытов " + std::to_string(probe.screen13().plan().plan.Npt));
    app::BatchJob job;
    job.verb = "obs-plan-run";
    job.plan = K;
    job.from = static_cast<int>(*from);
    job.to = static_cast<int>(*to);
    job.setup = *setup;
    job.jobs = o.count("--jobs") ? static_cast<int>(jobs) : 0;
    job.collect = {"obs-plan-fit", "--plan", std::to_string(K), "--setup", *setup};
    return emitBatchScripts(ctx, job, o["--emit-slurm"], o["--emit-parallel"]);
  }
  if (*from == *to) return runOne(ctx.workDir, K, static_cast<int>(*from), *setup);
  const int rc = runMany(ctx.workDir, K, static_cast<int>(*from), static_cast<int>(*to),
                         static_cast<int>(jobs), *setup);
  if (rc != 0) return rc;
  // The whole plan done: fit it.
  Session probe;
  if (!probe.prepare(ctx.workDir, *setup, K)) return 1;
  if (*from != 1 || *to < probe.screen13().plan().plan.Npt) return 0;
  return fitPlan(ctx.workDir, K, *setup, false);
}

int obsPlanFit(Context& ctx) {
  std::map<std::string, std::string> o;
  if (!parseOptions(ctx.args, {"--plan", "--setup"}, {"--record"}, o)) return fail(kFitUsage);
  const auto k = intOption(o, "--plan", 1, 32767);
  if (!k || !o.count("--setup")) return fail(kFitUsage);
  const auto setup = setupPath(o);
  if (!setup) return fail("Не могу найти файл " + o["--setup"]);
  return fitPlan(ctx.workDir, static_cast<int>(*k), *setup, o.count("--record") != 0);
}

const CliRegistrar runRegistrar("obs-plan-run",
                                "obs-plan-run --plan K --from A --to B --setup СЦЕНАРИЙ [--jobs N] "
                                "[--emit-slurm ФАЙЛ|--emit-parallel ФАЙЛ]  "
                                "опыты плана наблюдений (экраны 13 и 10), по процессу на опыт",
                                obsPlanRun);
const CliRegistrar fitRegistrar("obs-plan-fit",
                                "obs-plan-fit --plan K --setup СЦЕНАРИЙ [--record]  регрессия и "
                                "оптимум плана наблюдений по файлам опытов",
                                obsPlanFit);

}  // namespace

}  // namespace orvant::cli
