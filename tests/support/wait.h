// Waiting on an event in tests: the condition is polled until it holds, with a hang guard far
// beyond any normal delay. A test never waits by sleeping a fixed time, and never asserts how
// long something took: on a busy machine both fail at random.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace orvant::test {

// The guard of every wait: only a hang reaches it.
inline constexpr std::chrono::seconds kHangGuard{120};

// True as soon as `done()` holds; false when the guard passed first.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::seconds guard = kHangGuard) {
  const auto until = std::chrono::steady_clock::now() + guard;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Runs `work` in a child process: true when it ends normally (exit status 0); a child still
// running when the guard passes is killed and counts as a hang.
inline bool endsNormally(const std::function<void()>& work, std::chrono::seconds guard = kHangGuard) {
  const pid_t child = ::fork();
  if (child == 0) {
    work();
    ::_exit(0);
  }
  if (child < 0) return false;
  int status = 0;
  const bool ended = waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, guard);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace orvant::test
