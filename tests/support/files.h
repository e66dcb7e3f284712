// Files the tests read: a whole file as bytes, and where JPL's DE405 blocks are found.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orvant::test {

// The whole file as bytes ("" when it cannot be read).
inline std::string readAll(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream o;
  o << f.rdbuf();
  return o.str();
}

// The DE405 blocks and test points that JPL publishes, beside the source tree (never copied into it).
inline std::filesystem::path de405Dir() {
  return std::filesystem::path(ORVANT_SHARED_DIR) / "de405";
}

inline bool haveDe405(int year) {
  return std::filesystem::exists(de405Dir() / ("ascp" + std::to_string(year) + ".405"));
}

}  // namespace orvant::test
