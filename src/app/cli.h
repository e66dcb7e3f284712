// orvant-cli: the headless face of the workbench.
//
// Each query or command lives in its own src/app/cli_<area>.cpp and registers itself with a
// CliRegistrar; main() in cli.cpp takes the global options and dispatches by the first word.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch_script.h"
#include "model/format.h"

namespace orvant::cli {

struct Context {
  std::filesystem::path workDir;  // --dir DIR, else $ORVANT_DIR, else ~/Orvant
  std::vector<std::string> args;  // the arguments after the command word
};

// Exit status of a command whose arguments are wrong.
inline constexpr int kBadArguments = 2;

using Handler = std::function<int(Context&)>;

struct CliRegistrar {
  CliRegistrar(std::string name, std::string usage, Handler handler);
};

// Prints "NAME = value" with number17.
void printValue(std::string_view name, double value);
// The same with its unit after a blank: "rmsdL = 0.5 ″".
void printValue(std::string_view name, double value, std::string_view unit);

// A one-line message on stderr; returns kBadArguments for `return fail(...)`.
int fail(std::string_view message);

// Parses a numeric command-line argument (point or comma); false when it is not a number.
bool argNumber(const std::string& text, double& value);
bool argInteger(const std::string& text, long& value);

// ---- batch runs: one orvant-cli process per experiment ----
// The path of this executable (for starting it again), "orvant-cli" when it cannot be read.
std::string selfPath();
// Starts the program args[0] with args, its standard output and error going into the file `log`;
// the child's pid, or -1 when the log cannot be created or the process not started.
int spawnLogged(const std::vector<std::string>& args, const std::string& log);

// Writes the Slurm array script to `slurmFile` and the GNU parallel script to `parallelFile`
// (either may be empty) for `job` with this program, the absolute work directory and its log
// folder filled in; prints the files written. 0, 1 when a file could not be written, 2 when the
// work directory cannot go into a Slurm script.
int emitBatchScripts(const Context& ctx, app::BatchJob job, const std::string& slurmFile,
                     const std::string& parallelFile);

}  // namespace orvant::cli
