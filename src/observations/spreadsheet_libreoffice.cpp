// LibreOffice Calc as the spreadsheet engine, through the Python UNO bridge
// tools/spreadsheet/orvant_bridge.py.
//
// The bridge runs as a child process that leads its own process group; it starts soffice in that
// group with a private user profile (a fresh temporary folder, so that several programs and tests
// never share one) and connects to it over a UNO pipe. The program speaks to the bridge over a
// socket pair on the bridge's stdin/stdout, one line per request and per answer (the protocol is
// described in the script). Stopping kills the whole group and removes the profile; both children
// also get SIGTERM when their parent dies (PR_SET_PDEATHSIG), so no soffice outlives the program.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "observations/spreadsheet.h"

namespace orvant {

namespace fs = std::filesystem;

namespace {

// Seconds to wait for the engine's answer: its start (soffice's first start in a fresh profile
// takes a few seconds, more on a busy machine), opening a workbook, one evaluation.
constexpr int kStartTimeout = 120;
constexpr int kOpenTimeout = 120;
constexpr int kEvalTimeout = 60;

bool executable(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
}

fs::path executableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe.parent_path();
}

// The Python that has the uno module: Debian's python3-uno serves /usr/bin/python3, which need not
// be the first python3 on the PATH.
std::string findPython() {
  if (const char* env = std::getenv("ORVANT_PYTHON"); env && *env) return env;
  if (executable("/usr/bin/python3")) return "/usr/bin/python3";
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest = path;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const fs::path dir(std::string(rest.substr(0, colon)));
      if (executable(dir / "python3")) return (dir / "python3").string();
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  return {};
}

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> f;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return f;
}

std::string numberText(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool textNumber(const std::string& t, double& v) {
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool cleanField(const std::string& t) { return t.find_first_of("\t\r\n") == std::string::npos; }

// One read value of an answer: its kind letter and payload.
void decodeValue(const std::string& kind, const std::string& payload, CellValue& v) {
  v = CellValue{};
  if (kind == "N" && textNumber(payload, v.number)) {
    v.kind = CellValue::Kind::Number;
  } else if (kind == "T") {
    v.kind = CellValue::Kind::Text;
    v.text = payload;
  } else if (kind == "Z") {
    v.kind = CellValue::Kind::Empty;
  } else if (kind == "X") {
    v.kind = CellValue::Kind::NoSheet;
  } else {
    v.kind = CellValue::Kind::Error;
    v.text = payload;
  }
}

}  // namespace

std::string findBridgeScript() {
  const char* name = "orvant_bridge.py";
  if (const char* env = std::getenv("ORVANT_BRIDGE"); env && *env) {
    std::error_code ec;
    return fs::is_regular_file(env, ec) ? std::string(env) : std::string();
  }
  std::vector<fs::path> candidates;
  const fs::path exeDir = executableDir();
  if (!exeDir.empty()) {
    candidates.push_back(exeDir / ".." / "share" / "orvant" / "spreadsheet" / name);
    candidates.push_back(exeDir / ".." / "share" / "orvant" / name);
    candidates.push_back(exeDir / name);
  }
#ifdef ORVANT_SOURCE_TREE
  // The source tree the program was built from: serves every build directory. (Not __FILE__:
  // a compiler cache may compile with paths relative to the build directory.)
  candidates.push_back(fs::path(ORVANT_SOURCE_TREE) / "tools" / "spreadsheet" / name);
#endif
  for (const fs::path& p : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(p, ec)) return fs::weakly_canonical(p, ec).string();
  }
  return {};
}

struct LibreOfficeEngine::Impl {
  pid_t pid = 0;       // the bridge; its pid is also the process group of bridge and soffice
  int fd = -1;         // our end of the socket pair
  std::string buffer;  // bytes read beyond the last line
  fs::path profile;    // the private user profile of soffice
  pid_t owner = 0;     // the process that started the engine; a forked copy leaves it alone
  bool noBatchScript = false;  // soffice cannot run the batch script: one EVAL per evaluation

  bool running() const { return pid > 0; }

  // Ends the bridge and everything in its group, reaps the bridge, removes the profile.
  void kill() {
    if (owner != ::getpid()) {  // a forked child's copy: the engine is not ours to end
      pid = 0;
      fd = -1;
      profile.clear();
      return;
    }
    if (fd >= 0) {
      ::close(fd);
      fd = -1;
    }
    if (pid > 0) {
      ::kill(-pid, SIGKILL);
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      pid = 0;
    }
    buffer.clear();
    if (!profile.empty()) {
      std::error_code ec;
      fs::remove_all(profile, ec);
      profile.clear();
    }
  }

  // Asks the bridge to end soffice and itself, waits a moment, then kills what is left.
  void stop() {
    if (owner != ::getpid()) return kill();
    if (pid > 0 && fd >= 0) {
      const char quit[] = "QUIT\n";
      (void)::send(fd, quit, sizeof quit - 1, MSG_NOSIGNAL);
      ::shutdown(fd, SHUT_WR);
      for (int i = 0; i < 100; ++i) {  // up to 5 s for an orderly end
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) {
          pid = -pid;  // reaped: only its group may be left
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
    if (pid < 0) {
      ::kill(pid, SIGKILL);  // the group of the bridge that ended
      pid = 0;
    }
    kill();
  }

  bool sendLine(const std::string& line) {
    std::string data = line + "\n";
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
      const ssize_t n = ::send(fd, p, left, MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    return true;
  }

  // One answer line, false on a closed connection or after `seconds` without an answer.
  bool readLine(std::string& line, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      const std::size_t nl = buffer.find('\n');
      if (nl != std::string::npos) {
        line = buffer.substr(0, nl);
        buffer.erase(0, nl + 1);
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return false;
      pollfd pfd{fd, POLLIN, 0};
      const int r = ::poll(&pfd, 1, static_cast<int>(left));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      char chunk[65536];
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
  }

  SheetStatus start(std::string& error) {
    if (running()) return SheetStatus::Ok;
    const std::string script = findBridgeScript();
    const std::string python = findPython();
    if (script.empty() || python.empty() || !executable(python)) {
      error = script.empty() ? "the bridge orvant_bridge.py is not found" : "python3 is not found";
      return SheetStatus::EngineMissing;
    }
    char tmpl[] = "/tmp/orvant-lo-XXXXXX";
    if (!::mkdtemp(tmpl)) {
      error = std::string("cannot make a profile folder: ") + std::strerror(errno);
      return SheetStatus::EngineFailed;
    }
    profile = tmpl;
    owner = ::getpid();
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
      error = std::string("socketpair: ") + std::strerror(errno);
      kill();
      return SheetStatus::EngineFailed;
    }
    const std::string logPath = (profile / "bridge.log").string();
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
      error = std::string("fork: ") + std::strerror(errno);
      ::close(sv[0]);
      ::close(sv[1]);
      kill();
      return SheetStatus::EngineFailed;
    }
    if (child == 0) {
      // The bridge: its own process group, dies with the program.
      ::setpgid(0, 0);
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != parent) ::_exit(127);
      ::dup2(sv[1], 0);
      ::dup2(sv[1], 1);
      const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (log >= 0) ::dup2(log, 2);
      ::signal(SIGPIPE, SIG_DFL);
      const std::string prof = profile.string();
      ::execl(python.c_str(), python.c_str(), script.c_str(), prof.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::setpgid(child, child);  // also here, so that the group exists before any kill
    ::close(sv[1]);
    fd = sv[0];
    pid = child;
    std::string line;
    if (!readLine(line, kStartTimeout)) {
      error = "the engine did not start";
      kill();
      return SheetStatus::EngineFailed;
    }
    if (line == "READY") return SheetStatus::Ok;
    const std::vector<std::string> f = splitTabs(line);
    error = line;
    kill();
    if (f.size() >= 2 && f[0] == "ERR" && (f[1] == "NOUNO" || f[1] == "NOSOFFICE"))
      return SheetStatus::EngineMissing;
    return SheetStatus::EngineFailed;
  }

  // Sends one request and reads its answer, starting the engine first when it is not running.
  // A dead engine (closed connection, no answer in time) is killed and EngineFailed returned;
  // the next request starts a new one.
  SheetStatus request(const std::string& line, std::vector<std::string>& answer, int seconds,
                      std::string& error) {
    SheetStatus st = start(error);
    if (st != SheetStatus::Ok) return st;
    std::string reply;
    if (!sendLine(line) || !readLine(reply, seconds)) {
      error = "the engine stopped answering";
      kill();
      return SheetStatus::EngineFailed;
    }
    answer = splitTabs(reply);
    return SheetStatus::Ok;
  }
};

LibreOfficeEngine::LibreOfficeEngine() : impl_(std::make_unique<Impl>()) {}

LibreOfficeEngine::~LibreOfficeEngine() { impl_->stop(); }

SheetStatus LibreOfficeEngine::start(std::string& error) { return impl_->start(error); }

void LibreOfficeEngine::stop() { impl_->stop(); }

bool LibreOfficeEngine::running() const { return impl_->running(); }

int LibreOfficeEngine::processGroup() const { return impl_->pid > 0 ? impl_->pid : 0; }

SheetStatus LibreOfficeEngine::open(const std::string& path, int& book, int& sheets,
                                    std::string& error) {
  if (!cleanField(path)) {
    error = "a path with a tab or a line break";
    return SheetStatus::OpenFailed;
  }
  std::vector<std::string> a;
  const SheetStatus st = impl_->request("OPEN\t" + path, a, kOpenTimeout, error);
  if (st != SheetStatus::Ok) return st;
  double b = 0, n = 0;
  if (a.size() == 3 && a[0] == "OK" && textNumber(a[1], b) && textNumber(a[2], n)) {
    book = static_cast<int>(b);
    sheets = static_cast<int>(n);
    return SheetStatus::Ok;
  }
  error = a.size() >= 2 ? a[1] : "no answer";
  return SheetStatus::OpenFailed;
}

namespace {

// "\t<count>" and "\t<sheet>\t<cell>" for every cell read back; false on a cell address that
// would break the line.
bool appendReads(std::string& line, const std::vector<CellRef>& reads) {
  line += "\t" + std::to_string(reads.size());
  for (const CellRef& r : reads) {
    if (!cleanField(r.addr)) return false;
    line += "\t" + std::to_string(r.sheet) + "\t" + r.addr;
  }
  return true;
}

}  // namespace

// An evaluation's answer: "OK" and `fields` more; anything else of that length is a refusal, any
// other length a broken engine (stopped, so that the next request starts a fresh one).
SheetStatus LibreOfficeEngine::checkAnswer(const std::vector<std::string>& a, std::size_t fields,
                                           std::string& error) {
  if (a.empty() || a[0] != "OK") {
    error = a.size() >= 2 ? a[1] : "no answer";
    return SheetStatus::BadRequest;
  }
  if (a.size() != 1 + fields) {
    error = "a malformed answer";
    impl_->kill();
    return SheetStatus::EngineFailed;
  }
  return SheetStatus::Ok;
}

SheetStatus LibreOfficeEngine::exchange(int book, const std::vector<CellWrite>& writes,
                                        const std::vector<CellRef>& reads,
                                        std::vector<CellValue>& values, std::string& error) {
  if (!impl_->running()) {
    error = "the engine is not running (the workbook is lost)";
    return SheetStatus::EngineFailed;
  }
  // One evaluation is a batch of one date where soffice runs the batch script: the loop inside
  // soffice makes one call across the process boundary instead of one per cell.
  if (!impl_->noBatchScript && !writes.empty()) {
    std::vector<std::vector<CellValue>> got;
    const SheetStatus st = exchangeBatch(book, {writes}, reads, got, error);
    if (st == SheetStatus::Ok) values = got.empty() ? std::vector<CellValue>{} : std::move(got.front());
    return st;
  }
  return exchangeCellByCell(book, writes, reads, values, error);
}

SheetStatus LibreOfficeEngine::exchangeCellByCell(int book, const std::vector<CellWrite>& writes,
                                                  const std::vector<CellRef>& reads,
                                                  std::vector<CellValue>& values,
                                                  std::string& error) {
  if (!impl_->running()) {
    error = "the engine is not running (the workbook is lost)";
    return SheetStatus::EngineFailed;
  }
  std::string line = "EVAL\t" + std::to_string(book) + "\t" + std::to_string(writes.size());
  for (const CellWrite& w : writes) {
    if (!cleanField(w.cell.addr) || !std::isfinite(w.value)) {
      error = "bad cell or value";
      return SheetStatus::BadRequest;
    }
    line += "\t" + std::to_string(w.cell.sheet) + "\t" + w.cell.addr;
    if (w.integer)
      line += "\ti\t" + std::to_string(static_cast<long long>(w.value));
    else
      line += "\td\t" + numberText(w.value);
  }
  if (!appendReads(line, reads)) {
    error = "bad cell";
    return SheetStatus::BadRequest;
  }
  std::vector<std::string> a;
  const SheetStatus st = impl_->request(line, a, kEvalTimeout, error);
  if (st != SheetStatus::Ok) return st;
  if (const SheetStatus bad = checkAnswer(a, 2 * reads.size(), error); bad != SheetStatus::Ok)
    return bad;
  values.assign(reads.size(), CellValue{});
  for (std::size_t i = 0; i < reads.size(); ++i) decodeValue(a[1 + 2 * i], a[2 + 2 * i], values[i]);
  return SheetStatus::Ok;
}

SheetStatus LibreOfficeEngine::exchangeBatch(int book,
                                             const std::vector<std::vector<CellWrite>>& writes,
                                             const std::vector<CellRef>& reads,
                                             std::vector<std::vector<CellValue>>& values,
                                             std::string& error) {
  values.clear();
  if (writes.empty()) return SheetStatus::Ok;
  if (impl_->noBatchScript)
    return SpreadsheetEngine::exchangeBatch(book, writes, reads, values, error);
  if (!impl_->running()) {
    error = "the engine is not running (the workbook is lost)";
    return SheetStatus::EngineFailed;
  }
  const std::vector<CellWrite>& cells = writes.front();
  std::string line = "BATCH\t" + std::to_string(book) + "\t" + std::to_string(cells.size());
  for (const CellWrite& w : cells) {
    if (!cleanField(w.cell.addr)) {
      error = "bad cell";
      return SheetStatus::BadRequest;
    }
    line += "\t" + std::to_string(w.cell.sheet) + "\t" + w.cell.addr + (w.integer ? "\ti" : "\td");
  }
  line += "\t" + std::to_string(writes.size());
  for (const std::vector<CellWrite>& one : writes) {
    if (one.size() != cells.size()) {
      error = "evaluations of different cells in one batch";
      return SheetStatus::BadRequest;
    }
    for (std::size_t i = 0; i < one.size(); ++i) {
      const CellWrite& w = one[i];
      if (w.cell.sheet != cells[i].cell.sheet || w.cell.addr != cells[i].cell.addr ||
          w.integer != cells[i].integer || !std::isfinite(w.value)) {
        error = "evaluations of different cells in one batch";
        return SheetStatus::BadRequest;
      }
      line += w.integer ? "\t" + std::to_string(static_cast<long long>(w.value))
                        : "\t" + numberText(w.value);
    }
  }
  if (!appendReads(line, reads)) {
    error = "bad cell";
    return SheetStatus::BadRequest;
  }
  std::vector<std::string> a;
  // The engine's time grows with the batch: a second per hundred evaluations is far beyond it.
  const int seconds = kEvalTimeout + static_cast<int>(writes.size() / 100);
  const SheetStatus st = impl_->request(line, a, seconds, error);
  if (st != SheetStatus::Ok) return st;
  if (a.size() >= 2 && a[0] == "ERR" && a[1] == "NOSCRIPT") {
    impl_->noBatchScript = true;
    return SpreadsheetEngine::exchangeBatch(book, writes, reads, values, error);
  }
  if (const SheetStatus bad = checkAnswer(a, 2 * reads.size() * writes.size(), error);
      bad != SheetStatus::Ok)
    return bad;
  std::vector<std::vector<CellValue>> all(writes.size());
  std::size_t at = 1;
  for (std::vector<CellValue>& one : all) {
    one.resize(reads.size());
    for (CellValue& v : one) {
      decodeValue(a[at], a[at + 1], v);
      at += 2;
    }
  }
  values = std::move(all);
  return SheetStatus::Ok;
}

void LibreOfficeEngine::close(int book) {
  if (!impl_->running()) return;
  std::vector<std::string> a;
  std::string error;
  (void)impl_->request("CLOSE\t" + std::to_string(book), a, kOpenTimeout, error);
}

SheetStatus LibreOfficeEngine::convert(const std::string& from, const std::string& to,
                                       std::string& error) {
  if (!cleanField(from) || !cleanField(to)) {
    error = "a path with a tab or a line break";
    return SheetStatus::OpenFailed;
  }
  std::vector<std::string> a;
  const SheetStatus st = impl_->request("CONVERT\t" + from + "\t" + to, a, kOpenTimeout, error);
  if (st != SheetStatus::Ok) return st;
  if (!a.empty() && a[0] == "OK") return SheetStatus::Ok;
  error = a.size() >= 2 ? a[1] : "no answer";
  return SheetStatus::OpenFailed;
}

}  // namespace orvant
