// The --emit-slurm / --emit-parallel face of plan-run and obs-plan-run: the scripts of
// app/batch_script.h written for this program and work directory.
#include <iostream>

#include "app/batch_script.h"
#include "app/cli.h"

namespace orvant::cli {

int emitBatchScripts(const Context& ctx, app::BatchJob job, const std::string& slurmFile,
                     const std::string& parallelFile) {
  std::error_code ec;
  job.program = std::filesystem::absolute(selfPath(), ec).string();
  job.workDir = std::filesystem::absolute(ctx.workDir, ec).lexically_normal().string();
  while (job.workDir.size() > 1 && job.workDir.back() == '/') job.workDir.pop_back();
  job.logDir = app::defaultLogDir(job.workDir, job.verb, job.plan);
  if (!slurmFile.empty()) {
    if (const std::string why = app::slurmProblem(job); !why.empty()) return fail(why);
  }
  // The log folder exists before the first task starts: Slurm does not make it.
  std::filesystem::create_directories(job.logDir, ec);
  if (ec) return fail("не могу создать каталог " + job.logDir);
  for (const auto& [file, text] : {std::pair{slurmFile, slurmFile.empty() ? "" : app::slurmArrayScript(job)},
                                   std::pair{parallelFile, parallelFile.empty() ? "" : app::parallelScript(job)}}) {
    if (file.empty()) continue;
    std::string error;
    if (!app::writeBatchScript(file, text, error)) {
      std::cerr << error << '\n';
      return 1;
    }
    std::cout << file << '\n';
  }
  std::cout << "журналы экспериментов: " << job.logDir << '\n';
  return 0;
}

}  // namespace orvant::cli
