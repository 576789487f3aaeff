#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits until `name` appears in `dir` (created or renamed into place).
bool WaitForFile(const std::string& dir, const std::string& name,
                 std::chrono::milliseconds timeout) {
    const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool found = std::filesystem::exists(dir + "/" + name);
    while (!found && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        char buffer[4096];
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
        found = std::filesystem::exists(dir + "/" + name);
    }
    close(fd);
    return found;
}

// Waits for the child's exit; -1 after the timeout (the child is then killed).
int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(timeout.count()));
        close(pidfd);
        if (ready <= 0) {
            kill(pid, SIGKILL);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ShutdownCase {
    int signalNumber;
    bool demo;
    // The call-log file cannot be used (a FIFO in its place): an error box is
    // open at start-up when the signal comes.
    bool startupBox = false;
};

class ConfiguratorShutdownTest : public ::testing::TestWithParam<ShutdownCase> {};

TEST_P(ConfiguratorShutdownTest, SignalClosesMainWindowAndSavesImage) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string dir = temp.path().toStdString();
    const std::string store = dir + "/store.reg";
    std::vector<std::string> args{TULVO_CONFIGURATOR, "--store", store, "--data-dir", dir};
    if (GetParam().demo) {
        args.push_back("--demo");
    }
    if (GetParam().startupBox) {
        ASSERT_EQ(mkfifo((dir + "/DataBilling.dbf").c_str(), 0600), 0);
    }
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    // The window options are written while the main window is created.
    ASSERT_TRUE(WaitForFile(dir, "store.reg", 20s));
    EXPECT_EQ(ReadFile(store).find("\"AbInfo1\""), std::string::npos)
        << "subscribers are saved only at exit";

    kill(pid, GetParam().signalNumber);

    EXPECT_EQ(WaitForExit(pid, 20s), 0);
    const std::string saved = ReadFile(store);
    EXPECT_NE(saved.find("\"AbInfo1\""), std::string::npos);
    EXPECT_NE(saved.find("\"SettingFXO\""), std::string::npos);
    EXPECT_NE(saved.find("\"SMSMessage9\""), std::string::npos);
    EXPECT_NE(saved.find("\"PortName\""), std::string::npos);
    if (GetParam().demo) {
        EXPECT_NE(saved.find("\"USB_COM\"=dword:00000001"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, ConfiguratorShutdownTest,
                         ::testing::Values(ShutdownCase{SIGTERM, false}, ShutdownCase{SIGINT, true},
                                           ShutdownCase{SIGTERM, false, true}),
                         [](const ::testing::TestParamInfo<ShutdownCase>& info) {
                             return std::string(info.param.signalNumber == SIGTERM ? "Term"
                                                                                   : "Int") +
                                    (info.param.demo ? "Demo" : "") +
                                    (info.param.startupBox ? "DuringStartupBox" : "");
                         });

// Starts the configurator on store with standard error into errPath.
pid_t StartConfigurator(const std::string& store, const std::string& dataDir,
                        const std::string& errPath) {
    std::vector<std::string> args{TULVO_CONFIGURATOR, "--store", store, "--data-dir", dataDir};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits until the file holds text.
bool WaitForText(const std::string& path, const std::string& text,
                 std::chrono::milliseconds timeout) {
    const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    inotify_add_watch(fd, path.c_str(), IN_MODIFY | IN_CLOSE_WRITE);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool found = ReadFile(path).find(text) != std::string::npos;
    while (!found && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 100);
        char buffer[4096];
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
        found = ReadFile(path).find(text) != std::string::npos;
    }
    close(fd);
    return found;
}

// One program per store: a second start on the same store (named another
// way) shows the first one's window and ends; when the first does not
// answer, a later start is refused with a box naming it, and a signal ends
// that box and the program.
TEST(ConfiguratorSingleInstanceTest, SecondStartHandsOverOrIsRefusedNamingTheFirst) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string dir = temp.path().toStdString();
    const pid_t first = StartConfigurator(dir + "/store.reg", dir, dir + "/first.err");
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitForFile(dir, "store.reg", 20s));

    const pid_t second = StartConfigurator(dir + "/./store.reg", dir, dir + "/second.err");
    EXPECT_EQ(WaitForExit(second, 20s), 0);
    EXPECT_NE(ReadFile(dir + "/second.err").find("уже запущена"), std::string::npos);

    kill(first, SIGSTOP);
    const pid_t third = StartConfigurator(dir + "/store.reg", dir, dir + "/third.err");
    EXPECT_TRUE(WaitForText(dir + "/third.err", "процесс " + std::to_string(first), 20s))
        << ReadFile(dir + "/third.err");
    kill(third, SIGTERM);
    EXPECT_EQ(WaitForExit(third, 20s), 1);

    kill(first, SIGCONT);
    kill(first, SIGTERM);
    EXPECT_EQ(WaitForExit(first, 20s), 0);
}

}  // namespace
