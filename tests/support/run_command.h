// Runs a shell command line and gives what it printed and its exit status: the tests of the
// command-line programs share this one helper.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace orvant::test {

struct CommandResult {
  std::string out;  // stdout (with stderr when the command line redirects it there)
  int status = -1;  // the exit status, -1 when the command did not end normally
};

inline CommandResult runCommand(const std::string& commandLine) {
  CommandResult r;
  std::FILE* p = ::popen(commandLine.c_str(), "r");
  if (!p) return r;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) r.out += buf;
  const int raw = ::pclose(p);
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  return r;
}

}  // namespace orvant::test
