#pragma once

#include <sys/types.h>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace veyrune::test {

// A helper program started by a test (a private bus, a fake service, a child
// to kill), with its standard output readable line by line. Inherits the
// environment; ended with SIGTERM and reaped on destruction unless it was
// already killed or waited for. Not thread-safe.
class ChildProcess {
  public:
    // Throws std::runtime_error when the program cannot be started.
    explicit ChildProcess(std::vector<std::string> argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of output without its newline; nothing when none came
    // within `limit` or the output ended.
    std::optional<std::string> readLine(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Reads lines until one starts with `prefix`; that line, or nothing.
    std::optional<std::string> waitForLine(
        const std::string& prefix, std::chrono::milliseconds limit = std::chrono::seconds(10));

    // Ends the program at once with SIGKILL, as a crash would, and reaps it.
    void kill();
    // Waits for the program to end: its exit status, or -1 when a signal ended it.
    int wait();

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
};

}  // namespace veyrune::test
