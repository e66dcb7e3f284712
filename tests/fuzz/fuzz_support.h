// Shared pieces of the libFuzzer harnesses: a work directory of this process, where the bytes of
// one input are written as the file a reader takes by path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvant::fuzz {

// The work directory of this process (one per harness process, under the temporary directory).
inline const std::filesystem::path& workDir(const char* name) {
  static const std::filesystem::path dir = [name] {
    const auto d = std::filesystem::temp_directory_path() /
                   ("orvant_fuzz_" + std::string(name) + "_" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// Writes the input as workDir/rel, making its folder.
inline void writeInput(const std::filesystem::path& dir, const std::string& rel, const uint8_t* data,
                       size_t size) {
  const auto p = dir / rel;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::string readText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A property the reader promises did not hold: libFuzzer reports the crash with the input.
inline void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace orvant::fuzz
