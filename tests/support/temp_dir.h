// A fresh, empty temporary folder of the calling process: its name is made unique by mkdtemp, so
// tests that run side by side (parallel CTest, the optimised and the sanitizer suite at once,
// repeated runs) never share or remove each other's files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace orvant::test {

inline std::filesystem::path freshTempDir(const std::string& prefix) {
  std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed for " + tmpl);
  return tmpl;
}

}  // namespace orvant::test
