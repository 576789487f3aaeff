#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

extern char** environ;

namespace tulvo::test {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads once from fd into text; false at end of file.
bool Drain(int fd, std::string& text) {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {outFd_, errFd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void ChildProcess::Pump(Clock::time_point deadline, bool untilLine) {
    while (outFd_ >= 0 || errFd_ >= 0) {
        if (untilLine && out_.find('\n', lineStart_) != std::string::npos) {
            return;
        }
        std::array<pollfd, 2> fds{pollfd{outFd_, POLLIN, 0}, pollfd{errFd_, POLLIN, 0}};
        if (::poll(fds.data(), fds.size(), MillisecondsLeft(deadline)) <= 0) {
            return;
        }
        if (fds[0].revents != 0 && !Drain(outFd_, out_)) {
            ::close(outFd_);
            outFd_ = -1;
        }
        if (fds[1].revents != 0 && !Drain(errFd_, err_)) {
            ::close(errFd_);
            errFd_ = -1;
        }
    }
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    Pump(Clock::now() + timeout, true);
    const std::size_t end = out_.find('\n', lineStart_);
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = out_.substr(lineStart_, end - lineStart_);
    lineStart_ = end + 1;
    return line;
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, signal);
    }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    // Both pipes close when the child exits, so this waits for the exit too.
    Pump(deadline, false);
    if (pid_ <= 0 || status_) {
        return status_;
    }
    int raw = 0;
    if (outFd_ >= 0 || errFd_ >= 0 || ::waitpid(pid_, &raw, 0) != pid_) {
        return std::nullopt;
    }
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status_;
}

ChildProcess::Result ChildProcess::Run(const std::vector<std::string>& argv,
                                       std::chrono::milliseconds timeout) {
    ChildProcess child(argv);
    Result result;
    result.status = child.Wait(timeout);
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

}  // namespace tulvo::test
