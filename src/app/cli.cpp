#include "app/cli.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

#include "model/format.h"
#include "simulation/integrator.h"

namespace orvant::cli {

namespace {

struct Entry {
  std::string usage;
  Handler handler;
};

std::map<std::string, Entry>& registry() {
  static std::map<std::string, Entry> commands;
  return commands;
}

std::filesystem::path defaultWorkDir() {
  if (const char* env = std::getenv("ORVANT_DIR"); env && *env) return env;
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::filesystem::path(home) / "Orvant";
  return "Orvant";
}

void printUsage(std::ostream& out) {
  out << "Использование: orvant-cli [--dir КАТАЛОГ] [--force-path scalar|sse2|avx2] КОМАНДА ...\n"
         "       orvant-cli --help | --version\n";
  for (const auto& [name, entry] : registry()) out << "  orvant-cli " << entry.usage << '\n';
}

// A refused command line: the reason first, then the usage, on stderr.
int usage(const std::string& reason) {
  std::cerr << "orvant-cli: " << reason << '\n';
  printUsage(std::cerr);
  return kBadArguments;
}

}  // namespace

CliRegistrar::CliRegistrar(std::string name, std::string usageText, Handler handler) {
  registry()[std::move(name)] = Entry{std::move(usageText), std::move(handler)};
}

void printValue(std::string_view name, double value) {
  std::cout << name << " = " << number17(value) << '\n';
}

void printValue(std::string_view name, double value, std::string_view unit) {
  std::cout << name << " = " << number17(value) << ' ' << unit << '\n';
}

int fail(std::string_view message) {
  std::cerr << message << '\n';
  return kBadArguments;
}

bool argNumber(const std::string& text, double& value) {
  const auto v = parseNumber(text);
  if (!v) return false;
  value = *v;
  return true;
}

bool argInteger(const std::string& text, long& value) {
  double v = 0;
  if (!argNumber(text, v) || v != std::trunc(v) || std::fabs(v) > 2147483647.0) return false;
  value = static_cast<long>(v);
  return true;
}

std::string selfPath() {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("orvant-cli") : p.string();
}

int spawnLogged(const std::vector<std::string>& args, const std::string& log) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return -1;
  std::cout << std::flush;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    ::close(fd);
    ::execv(argv[0], argv.data());
    ::execvp("orvant-cli", argv.data());
    ::_exit(127);
  }
  ::close(fd);
  return pid;
}

}  // namespace orvant::cli

int main(int argc, char** argv) {
  using namespace orvant::cli;
  Context ctx;
  ctx.workDir = defaultWorkDir();
  int i = 1;
  while (i < argc && std::string_view(argv[i]).rfind("--", 0) == 0) {
    const std::string_view opt = argv[i];
    if (opt == "--help") {
      printUsage(std::cout);
      return 0;
    }
    if (opt == "--version") {
      // The force path tells which kernels of the integrator this machine runs.
      std::cout << "orvant-cli " << ORVANT_VERSION << " (интегратор: "
                << orvant::forcePathName(orvant::forcePath()) << ")\n";
      return 0;
    }
    if (opt == "--dir" && i + 1 < argc) {
      ctx.workDir = argv[i + 1];
      i += 2;
    } else if (opt == "--force-path" && i + 1 < argc) {
      // scalar, sse2 or avx2: the integrator's kernels for this process (the results are the same
      // on every path; this is for comparing speeds and for checking that claim).
      const std::string_view p = argv[i + 1];
      const auto path = p == "scalar" ? orvant::ForcePath::Scalar
                        : p == "sse2" ? orvant::ForcePath::SSE2
                        : p == "avx2" ? orvant::ForcePath::AVX2
                                      : static_cast<orvant::ForcePath>(-1);
      if (static_cast<int>(path) < 0)
        return usage("неизвестный путь интегратора «" + std::string(p) + "» (scalar, sse2 или avx2)");
      if (orvant::setForcePath(path) != path)
        std::cerr << "orvant-cli: путь " << p << " недоступен на этом процессоре, выбран "
                  << orvant::forcePathName(orvant::forcePath()) << '\n';
      i += 2;
    } else if (opt == "--dir" || opt == "--force-path") {
      return usage("после " + std::string(opt) + " нет значения");
    } else {
      return usage("неизвестный параметр «" + std::string(opt) + "»");
    }
  }
  if (i < argc && (std::string_view(argv[i]) == "-h" || std::string_view(argv[i]) == "help")) {
    printUsage(std::cout);
    return 0;
  }
  if (i >= argc) return usage("не задана команда");
  const auto it = registry().find(argv[i]);
  if (it == registry().end()) return usage("неизвестная команда «" + std::string(argv[i]) + "»");
  ctx.args.assign(argv + i + 1, argv + argc);
  return it->second.handler(ctx);
}
