// Scripts that run the experiments of a plan on a cluster or on several machines: a Slurm job
// array with one task per experiment, or GNU parallel jobs (here or over ssh), each followed by the
// collecting step (plan-shifts, obs-plan-fit) once every experiment has succeeded.
//
// Every task is one orvant-cli process with --from E --to E, so the experiments only meet in the
// work directory; it, the program and the setup script must be at the same paths on every node
// (a shared file system). Each task's output is kept in a log file of its own.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvant::app {

struct BatchJob {
  std::string program;               // absolute path of orvant-cli
  std::string workDir;               // absolute; shared by all tasks
  std::string verb;                  // "plan-run" or "obs-plan-run"
  int plan = 1;                      // K
  int from = 1, to = 1;              // experiments A..B, one task each
  std::string setup;                 // absolute path of the setup script; empty: none
  int jobs = 0;                      // at most this many at once; 0: the scheduler's / parallel's own
  std::vector<std::string> collect;  // the collecting step's words after the program ("plan-shifts", ...)
  std::string logDir;                // absolute; <logDir>/<array job>_<E>.log, <logDir>/<E>.log
};

// The log folder a job uses unless told otherwise: <workDir>/Logs/Plan<K> for plan-run and
// <workDir>/Logs/ObsPlan<K> for obs-plan-run.
std::string defaultLogDir(const std::string& workDir, const std::string& verb, int plan);

// `text` as one word for sh and bash: in single quotes, a single quote written as '\''.
std::string shellQuote(std::string_view text);

// Why the job cannot be written as a Slurm script, empty when it can: the log folder goes into an
// "#SBATCH --output" line, whose value Slurm reads between double quotes without escapes and in
// which it replaces %-patterns, so a '"', '\', '%' or line break there is refused.
std::string slurmProblem(const BatchJob& job);

// The array script. `bash FILE [sbatch options]` submits the array and the collecting job with
// --dependency=afterok on it (the options, e.g. a partition or a time limit, go to both);
// `sbatch FILE` submits the array alone. Inside a task it runs experiment $SLURM_ARRAY_TASK_ID.
std::string slurmArrayScript(const BatchJob& job);

// The GNU parallel script: `bash FILE [parallel options]`, e.g. --sshlogin 4/node1,4/node2, runs
// experiments A..B and, when all succeeded, the collecting step here.
std::string parallelScript(const BatchJob& job);

// Writes a script whole (a temporary file renamed over the old one) and makes it executable;
// false with a message when it cannot.
bool writeBatchScript(const std::filesystem::path& file, const std::string& text, std::string& error);

}  // namespace orvant::app
