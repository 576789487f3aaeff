#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tulvo::test {

// A program run as a child process with its standard output and error
// captured through pipes. Every wait is bounded.
class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The next line of standard output (without its newline), or nothing
    // when none arrives in time.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void Signal(int signal);
    // Collects the remaining output and waits for the exit; the exit status,
    // or nothing when the child is still running at the deadline (it is
    // then killed).
    std::optional<int> Wait(std::chrono::milliseconds timeout);

    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

    struct Result {
        std::optional<int> status;
        std::string out, err;
    };
    static Result Run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);

  private:
    // Reads what is available until the deadline or until both pipes close.
    void Pump(std::chrono::steady_clock::time_point deadline, bool untilLine);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_, err_;
    std::size_t lineStart_ = 0;
    std::optional<int> status_;
};

}  // namespace tulvo::test
