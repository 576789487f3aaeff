#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace tulvo::test {

// Runs the `tulvo` program as a child process with its output captured in
// files, and waits for it to exit within a deadline.
struct CliChild {
    int exitCode = -1;  // -1: did not exit in time (it is killed) or did not start
    std::string out;
    std::string err;

    static CliChild Run(const std::vector<std::string>& arguments,
                        const std::filesystem::path& workDir,
                        const std::vector<std::string>& extraEnvironment = {},
                        std::chrono::milliseconds deadline = std::chrono::seconds(60),
                        const std::function<void(pid_t)>& whileRunning = {}) {
        CliChild child;
        const auto outPath = workDir / "child.out";
        const auto errPath = workDir / "child.err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> words = {TULVO_CLI_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& w : words) {
            argv.push_back(w.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env(extraEnvironment);
        for (char** e = environ; *e != nullptr; ++e) {
            env.emplace_back(*e);
        }
        std::vector<char*> envp;
        for (auto& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            return child;
        }
        if (whileRunning) {
            whileRunning(pid);
        }
        child.exitCode = Wait(pid, deadline);
        child.out = Slurp(outPath);
        child.err = Slurp(errPath);
        return child;
    }

  private:
    static int Wait(pid_t pid, std::chrono::milliseconds deadline) {
        const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            const int ready = poll(&p, 1, static_cast<int>(deadline.count()));
            close(pidfd);
            if (ready <= 0) {
                kill(pid, SIGKILL);
            }
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status)) {
            return -1;
        }
        return WEXITSTATUS(status);
    }

    static std::string Slurp(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

}  // namespace tulvo::test
