#include "app/batch_script.h"

#include <sstream>

#include "model/textfile.h"

namespace orvant::app {

namespace {

namespace fs = std::filesystem;

std::string joined(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) {
    if (!out.empty()) out += ' ';
    out += shellQuote(w);
  }
  return out;
}

std::string range(const BatchJob& job) {
  return "plan " + std::to_string(job.plan) + ", experiments " + std::to_string(job.from) + ".." +
         std::to_string(job.to) + " of orvant-cli " + job.verb;
}

// The lines both scripts share: the paths as shell variables.
void variables(std::ostringstream& out, const BatchJob& job) {
  out << "prog=" << shellQuote(job.program) << "\n"
      << "wd=" << shellQuote(job.workDir) << "\n"
      << "logs=" << shellQuote(job.logDir) << "\n";
}

// One experiment's command line with the experiment's number as the shell word `e`.
std::string experiment(const BatchJob& job, const std::string& e) {
  std::string line = "\"$prog\" --dir \"$wd\" " + job.verb + " --plan " + std::to_string(job.plan) +
                     " --from " + e + " --to " + e;
  if (!job.setup.empty()) line += " --setup " + shellQuote(job.setup);
  return line;
}

std::string collectLine(const BatchJob& job) { return "\"$prog\" --dir \"$wd\" " + joined(job.collect); }

// The same with the paths written out, for a job script of its own (sbatch --wrap).
std::string collectCommand(const BatchJob& job) {
  return shellQuote(job.program) + " --dir " + shellQuote(job.workDir) + " " + joined(job.collect);
}

bool slurmSafe(const std::string& path) { return path.find_first_of("\"\\%\n\r") == std::string::npos; }

}  // namespace

std::string defaultLogDir(const std::string& workDir, const std::string& verb, int plan) {
  return (fs::path(workDir) / "Logs" / ((verb == "obs-plan-run" ? "ObsPlan" : "Plan") + std::to_string(plan)))
      .string();
}

std::string shellQuote(std::string_view text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string slurmProblem(const BatchJob& job) {
  for (const std::string* p : {&job.workDir, &job.logDir})
    if (!slurmSafe(*p))
      return "каталог " + *p + " содержит \", \\, % или перевод строки: Slurm не примет его в строке #SBATCH";
  return {};
}

std::string slurmArrayScript(const BatchJob& job) {
  const std::string name = (job.verb == "obs-plan-run" ? "orvant-obsplan" : "orvant-plan") + std::to_string(job.plan);
  std::ostringstream out;
  out << "#!/bin/bash\n"
      << "# Slurm job array: " << range(job) << ", one task per experiment.\n"
      << "#   bash THIS_FILE [sbatch options]   submits the array, then the collecting step\n"
      << "#                                     (" << job.collect.front() << ") with --dependency=afterok\n"
      << "#   sbatch THIS_FILE                  submits the array alone\n"
      << "# The program, the work directory and the setup script must be on a file system all\n"
      << "# nodes share. Each task's log: <logs>/<array job id>_<experiment>.log.\n"
      << "#SBATCH --job-name=" << name << "\n"
      << "#SBATCH --array=" << job.from << "-" << job.to;
  if (job.jobs > 0) out << "%" << job.jobs;
  out << "\n"
      << "#SBATCH --ntasks=1\n"
      << "#SBATCH --cpus-per-task=1\n"
      << "#SBATCH --chdir=\"" << job.workDir << "\"\n"
      << "#SBATCH --output=\"" << job.logDir << "/%A_%a.log\"\n"
      << "set -euo pipefail\n";
  variables(out, job);
  out << "if [ -z \"${SLURM_ARRAY_TASK_ID:-}\" ]; then\n"
      << "  mkdir -p \"$logs\"\n"
      << "  array=$(sbatch --parsable \"$@\" \"$0\")\n"
      << "  array=${array%%;*}\n"
      << "  echo \"массив заданий $array: эксперименты " << job.from << ".." << job.to << "\"\n"
      << "  collect=$(sbatch --parsable \"$@\" --job-name=" << name << "-collect --ntasks=1 --chdir=\"$wd\" \\\n"
      << "    --dependency=afterok:\"$array\" --kill-on-invalid-dep=yes --output=\"$logs/%j-collect.log\" \\\n"
      << "    --wrap " << shellQuote("exec " + collectCommand(job)) << ")\n"
      << "  collect=${collect%%;*}\n"
      << "  echo \"сбор: задание $collect, журнал $logs/$collect-collect.log\"\n"
      << "  exit 0\n"
      << "fi\n"
      << "exec " << experiment(job, "\"$SLURM_ARRAY_TASK_ID\"") << "\n";
  return out.str();
}

std::string parallelScript(const BatchJob& job) {
  std::ostringstream out;
  out << "#!/bin/bash\n"
      << "# GNU parallel: " << range(job) << ", then " << job.collect.front() << " when all succeeded.\n"
      << "#   bash THIS_FILE                                here\n"
      << "#   bash THIS_FILE --sshlogin 4/node1,4/node2     over ssh; the program, the work directory and\n"
      << "#                                                 the setup script at the same paths on every\n"
      << "#                                                 machine (a shared file system)\n"
      << "# Each experiment's output: <logs>/<experiment>.log (and .log.err); the job log: <logs>/joblog.txt.\n"
      << "set -euo pipefail\n";
  variables(out, job);
  out << "mkdir -p \"$logs\"\n"
      << "status=0\n"
      << "parallel";
  if (job.jobs > 0) out << " --jobs " << job.jobs;
  // --quote passes every word as it stands, here and through ssh; {} is the experiment.
  out << " \"$@\" --joblog \"$logs/joblog.txt\" --results \"$logs/{}.log\" --quote \\\n"
      << "  " << experiment(job, "{}") << " \\\n"
      << "  ::: $(seq " << job.from << " " << job.to << ") || status=$?\n"
      << "if [ \"$status\" -ne 0 ]; then\n"
      << "  echo \"экспериментов с ошибкой: $status (см. $logs/joblog.txt); " << job.collect.front()
      << " не запущен\" >&2\n"
      << "  exit 1\n"
      << "fi\n"
      << "exec " << collectLine(job) << "\n";
  return out.str();
}

bool writeBatchScript(const fs::path& file, const std::string& text, std::string& error) {
  if (!writeFileAtomically(file, text)) {
    error = "не могу записать файл " + file.string();
    return false;
  }
  std::error_code ec;
  fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
  if (ec) {
    error = "не могу сделать файл " + file.string() + " исполняемым";
    return false;
  }
  return true;
}

}  // namespace orvant::app
