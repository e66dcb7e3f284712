// Golden outputs: what the program prints or writes, kept under tests/<subsystem>/golden/ and
// compared byte for byte, so that a change of structure is shown not to change what users get.
// A large output is kept as its size and FNV-1a digest plus its first lines (readable in a diff).
// ORVANT_UPDATE_GOLDEN=1 in the environment rewrites the files instead of comparing (only when
// an output is meant to change; the commit then shows the difference).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/files.h"

namespace orvant::test {

// Standard output of `orvant-cli ARGS` (stderr to /dev/null); `status` gets the exit status.
inline std::string cliOutput(const std::string& args, int& status) {
  const std::string cmd = std::string("'") + ORVANT_CLI + "' " + args + " 2>/dev/null";
  std::string out;
  status = -1;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int st = pclose(p);
  status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

// "<bytes> bytes, fnv1a64 <hex>, then the first `lines` lines" of a large text.
inline std::string digestOf(const std::string& text, int lines) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  char head[96];
  std::snprintf(head, sizeof head, "%zu bytes, fnv1a64 %016llx\n", text.size(),
                static_cast<unsigned long long>(h));
  std::string out = head;
  std::size_t pos = 0;
  for (int k = 0; k < lines && pos < text.size(); ++k) {
    const std::size_t nl = text.find('\n', pos);
    const std::size_t end = nl == std::string::npos ? text.size() : nl + 1;
    out.append(text, pos, end - pos);
    pos = end;
  }
  return out;
}

// Compares `text` with tests/<relPath> byte for byte (or rewrites it under ORVANT_UPDATE_GOLDEN).
inline void expectGolden(const std::string& relPath, const std::string& text) {
  const std::filesystem::path file = std::filesystem::path(ORVANT_SOURCE_DIR) / "tests" / relPath;
  const char* update = std::getenv("ORVANT_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(file)) << "golden file missing: " << file;
  const std::string want = readAll(file);
  if (want == text) return;
  std::size_t at = 0;
  while (at < want.size() && at < text.size() && want[at] == text[at]) ++at;
  const std::size_t from = at < 80 ? 0 : at - 80;
  ADD_FAILURE() << relPath << " differs at byte " << at << "\nexpected: …"
                << want.substr(from, 200) << "\nactual:   …" << text.substr(from, 200);
}

}  // namespace orvant::test
