#include "app/workdir_setup.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace orvant::app {

namespace fs = std::filesystem;

namespace {

// The DE405 blocks the program reads (JPL/ascp<year>.405).
constexpr std::array<const char*, 3> kBlockYears = {"1980", "2000", "2020"};
constexpr const char* kDe405Table = "/usr/share/casacore/data/ephemerides/DE405";

// Runs a program with its arguments (no shell), its output to /dev/null; true when it exits 0.
bool runQuietly(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (FILE* null = std::fopen("/dev/null", "w")) {
      dup2(fileno(null), STDOUT_FILENO);
      dup2(fileno(null), STDERR_FILENO);
    }
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

fs::path executableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe.parent_path();
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string all = path;
  std::size_t start = 0;
  while (start <= all.size()) {
    const std::size_t end = all.find(':', start);
    const std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::error_code ec;
    if (!dir.empty() && fs::exists(fs::path(dir) / program, ec)) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

void prepareBlocks(const fs::path& workDir, PreparedWorkDir& out) {
  std::error_code ec;
  std::vector<std::string> missing;
  for (const char* year : kBlockYears)
    if (!fs::exists(workDir / "JPL" / (std::string("ascp") + year + ".405"), ec)) missing.push_back(year);
  if (missing.empty()) return;
  const fs::path writer = sharedFile("de405/make_ascii.py");
  if (writer.empty()) {
    out.skipped.push_back("JPL: не найдена программа записи блоков DE405 (make_ascii.py)");
    return;
  }
  if (!fs::exists(kDe405Table, ec)) {
    out.skipped.push_back(std::string("JPL: нет таблицы DE405 ") + kDe405Table +
                          " (установите пакет casacore-data-jpl-de405)");
    return;
  }
  std::string years;
  for (const auto& y : missing) years += (years.empty() ? "" : ",") + y;
  // Debian's python3-casacore is built for the system Python, not for other installations.
  const std::string python = fs::exists("/usr/bin/python3", ec) ? "/usr/bin/python3" : "python3";
  if (!runQuietly({python, writer.string(), "--years", years, workDir.string()})) {
    out.skipped.push_back("JPL: блоки DE405 не записаны (нужны пакеты python3-casacore, python3-numpy)");
    return;
  }
  for (const auto& y : missing) out.made.push_back("JPL/ascp" + y + ".405");
}

void prepareWorkbooks(const fs::path& workDir, PreparedWorkDir& out) {
  const fs::path shipped = sharedFile("workbooks");
  if (shipped.empty()) return;
  std::error_code ec;
  std::vector<fs::path> todo;
  for (const auto& entry : fs::directory_iterator(shipped, ec)) {
    if (entry.path().extension() != ".fods") continue;
    const fs::path target = workDir / "Tab" / entry.path().stem().concat(".xls");
    if (!fs::exists(target, ec)) todo.push_back(entry.path());
  }
  if (todo.empty()) return;
  if (!onPath("soffice")) {
    out.skipped.push_back("Tab: не найдена LibreOffice (установите пакеты libreoffice-calc-nogui python3-uno)");
    return;
  }
  // Converted into a scratch folder first and moved into Tab/ whole, with a profile of our own so
  // that a LibreOffice the user has open is not disturbed.
  const fs::path scratch = fs::temp_directory_path(ec) / ("orvant-prepare-" + std::to_string(getpid()));
  fs::create_directories(scratch / "out", ec);
  fs::create_directories(workDir / "Tab", ec);
  for (const fs::path& book : todo) {
    const bool ok = runQuietly({"soffice", "-env:UserInstallation=file://" + (scratch / "profile").string(),
                                "--headless", "--norestore", "--convert-to", "xls", "--outdir",
                                (scratch / "out").string(), book.string()});
    const fs::path made = scratch / "out" / book.stem().concat(".xls");
    const fs::path target = workDir / "Tab" / book.stem().concat(".xls");
    if (ok && fs::exists(made, ec)) {
      fs::rename(made, target, ec);
      if (ec) fs::copy_file(made, target, fs::copy_options::overwrite_existing, ec);
    }
    if (!ec && fs::exists(target)) {
      out.made.push_back("Tab/" + target.filename().string());
    } else {
      out.skipped.push_back("Tab: не удалось преобразовать " + book.filename().string());
    }
  }
  fs::remove_all(scratch, ec);
}

}  // namespace

fs::path sharedFile(const fs::path& relative) {
  std::error_code ec;
  if (const char* env = std::getenv("ORVANT_SHARE"); env && *env) {
    if (fs::exists(fs::path(env) / relative, ec)) return fs::path(env) / relative;
  }
  const fs::path dir = executableDir();
  if (!dir.empty() && fs::exists(dir.parent_path() / "share/orvant" / relative, ec))
    return dir.parent_path() / "share/orvant" / relative;
#ifdef ORVANT_SOURCE_TREE
  // Built but not installed: the files of the source tree.
  const fs::path source = ORVANT_SOURCE_TREE;
  if (relative.begin() != relative.end() && *relative.begin() == "workbooks") {
    const fs::path p = source / "data" / relative;
    if (fs::exists(p, ec)) return p;
  } else if (fs::exists(source / "tools" / relative, ec)) {
    return source / "tools" / relative;
  }
#endif
  return {};
}

PreparedWorkDir prepareWorkDir(const fs::path& workDir) {
  PreparedWorkDir out;
  std::error_code ec;
  fs::create_directories(workDir, ec);
  if (ec) {
    out.skipped.push_back("не могу создать каталог " + workDir.string());
    return out;
  }
  for (const char* sub : {"Dat", "JPL", "Tab", "Obs", "Arhiv"}) fs::create_directories(workDir / sub, ec);
  prepareBlocks(workDir, out);
  prepareWorkbooks(workDir, out);
  return out;
}

}  // namespace orvant::app
