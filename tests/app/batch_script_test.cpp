// The Slurm and GNU parallel scripts, run by bash against stand-ins for sbatch, parallel and the
// program that record the words they get: the array range, the dependency of the collecting job,
// and paths with blanks and quotes arriving as single words.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/batch_script.h"
#include "statistics/test_files.h"

namespace orvant::app {
namespace {

using statistics::testing::TempWorkDir;

struct BatchScripts : ::testing::Test {
  TempWorkDir t;
  BatchJob job;
  void SetUp() override {
    // A stand-in that appends its words, one a line, to <its name>.args; sbatch answers a job id.
    const std::string record = "#!/bin/bash\nprintf '%s\\n' \"$@\" --- >> \"$0.args\"\n";
    t.write("bin/sbatch", record + "echo 42\\;cluster\n");
    t.write("bin/parallel", record + "exit \"${FAKE_STATUS:-0}\"\n");
    t.write("it's here/orvant-cli", record);
    for (const char* f : {"bin/sbatch", "bin/parallel", "it's here/orvant-cli"})
      std::filesystem::permissions(t / f, std::filesystem::perms::owner_all);
    job.program = (t / "it's here/orvant-cli").string();
    job.workDir = (t / "work dir").string();
    job.verb = "plan-run";
    job.plan = 3;
    job.from = 4;
    job.to = 12;
    job.setup = (t / "a \"setup\".txt").string();
    job.collect = {"plan-shifts", "--plan", "3", "--planet", "1"};
    job.logDir = defaultLogDir(job.workDir, job.verb, job.plan);
  }
  // Runs the script with the stand-ins first on the PATH; the exit status.
  int run(const std::string& script, const std::string& env = "") {
    std::string err;
    EXPECT_TRUE(writeBatchScript(t / "job.sh", script, err)) << err;
    const std::string cmd =
        "cd '" + t.dir().string() + "' && " + env + " PATH=\"$PWD/bin:$PATH\" bash job.sh >/dev/null";
    const int st = std::system(cmd.c_str());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  std::string words(std::initializer_list<std::string> w) {
    std::string out;
    for (const auto& s : w) out += s + "\n";
    return out + "---\n";
  }
};

TEST_F(BatchScripts, SlurmArrayThenCollectingJobAfterIt) {
  for (const auto& [jobs, line] : {std::pair{0, "#SBATCH --array=4-12\n"}, std::pair{3, "#SBATCH --array=4-12%3\n"}}) {
    job.jobs = jobs;
    EXPECT_NE(slurmArrayScript(job).find(line), std::string::npos) << jobs;
  }
  const std::string script = slurmArrayScript(job);
  EXPECT_NE(script.find("#SBATCH --output=\"" + t.dir().string() + "/work dir/Logs/Plan3/%A_%a.log\"\n"),
            std::string::npos);
  ASSERT_EQ(run(script), 0);
  const std::string calls = t.read("bin/sbatch.args");
  EXPECT_EQ(calls.substr(0, calls.find("---\n") + 4), words({"--parsable", "job.sh"}));
  // The collecting job waits for array 42 (the ";cluster" of --parsable cut off); its wrapped
  // command, run by sh, gives the program the words as they were.
  const auto wrap = calls.find("--wrap\n");
  EXPECT_NE(calls.find("--dependency=afterok:42\n--kill-on-invalid-dep=yes\n"), std::string::npos) << calls;
  ASSERT_NE(wrap, std::string::npos);
  const std::string wrapped = calls.substr(wrap + 7, calls.rfind("\n---") - wrap - 7);
  t.write("collect.sh", wrapped);
  ASSERT_EQ(std::system(("sh '" + (t / "collect.sh").string() + "'").c_str()), 0);
  // A task runs its experiment.
  ASSERT_EQ(run(script, "SLURM_ARRAY_TASK_ID=7"), 0);
  EXPECT_EQ(t.read("it's here/orvant-cli.args"),
            words({"--dir", job.workDir, "plan-shifts", "--plan", "3", "--planet", "1"}) +
                words({"--dir", job.workDir, "plan-run", "--plan", "3", "--from", "7", "--to", "7", "--setup",
                       job.setup}));
}

TEST_F(BatchScripts, ParallelCollectsOnlyWhenEveryExperimentSucceeded) {
  ASSERT_EQ(run(parallelScript(job), "FAKE_STATUS=2"), 1);
  EXPECT_FALSE(t.exists("it's here/orvant-cli.args"));
  ASSERT_EQ(run(parallelScript(job)), 0);
  const std::string p = t.read("bin/parallel.args");
  EXPECT_NE(p.find(words({"--joblog", job.logDir + "/joblog.txt", "--results", job.logDir + "/{}.log", "--quote",
                          job.program, "--dir", job.workDir, "plan-run", "--plan", "3", "--from", "{}", "--to", "{}",
                          "--setup", job.setup, ":::", "4", "5", "6", "7", "8", "9", "10", "11", "12"})),
            std::string::npos)
      << p;
  EXPECT_EQ(t.read("it's here/orvant-cli.args"),
            words({"--dir", job.workDir, "plan-shifts", "--plan", "3", "--planet", "1"}));
}

TEST_F(BatchScripts, SlurmRefusesWhatAnSbatchLineCannotHold) {
  EXPECT_EQ(slurmProblem(job), "");
  for (const char* bad : {"/a%b", "/a\"b", "/a\\b", "/a\nb"}) {
    job.workDir = bad;
    EXPECT_NE(slurmProblem(job), "") << bad;
  }
}

}  // namespace
}  // namespace orvant::app
