// A throw-away work directory for the file tests, and whole-file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/state.h"

namespace orvant::statistics::testing {

class TempWorkDir {
 public:
  TempWorkDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvant_sta_XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
  }
  ~TempWorkDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TempWorkDir(const TempWorkDir&) = delete;
  TempWorkDir& operator=(const TempWorkDir&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  std::filesystem::path operator/(const std::string& rel) const { return dir_ / rel; }

  void write(const std::string& rel, const std::string& content) const {
    const auto p = dir_ / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
  }
  std::string read(const std::string& rel) const {
    std::ifstream in(dir_ / rel, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  bool exists(const std::string& rel) const { return std::filesystem::exists(dir_ / rel); }

 private:
  std::filesystem::path dir_;
};

// A state whose work directory is `dir`.
inline State stateIn(const TempWorkDir& dir) {
  State s;
  s.workDir = dir.dir().string();
  return s;
}

}  // namespace orvant::statistics::testing
