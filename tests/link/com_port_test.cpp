#include "link/com_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <tuple>

#include "link_test_util.h"
#include "support/pty_peer.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;
using test::Hex;
using test::PtyPeer;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

class ComPortTest : public ::testing::Test {
  protected:
    void Connect(std::chrono::milliseconds timeout) {
        ASSERT_TRUE(port.Open(peer.DevicePath(), 115200, timeout)) << port.LastError();
    }
    Bytes Read(std::size_t limit) {
        Bytes buffer(limit + 8, 0xEE);
        buffer.resize(port.ReadFrame(buffer.data(), limit));
        return buffer;
    }

    PtyPeer peer;
    TComPort port;
};

TEST_F(ComPortTest, WritesOneEscapedFrame) {
    Connect(500ms);
    const Bytes data = Hex("41 0A");
    EXPECT_TRUE(port.WriteFrame(data.data(), data.size()));
    EXPECT_TRUE(port.WriteFrame(nullptr, 0));
    ASSERT_TRUE(peer.WaitForFrames(2));
    EXPECT_EQ(peer.Frames()[0].wire, Hex("0A 0C BE 0C F5 0D"));
    EXPECT_EQ(peer.Frames()[1].wire, Hex("0A 0D"));
}

TEST_F(ComPortTest, ReadsFramesAndKeepsTheRestOfTheStream) {
    Connect(500ms);
    peer.Send(Hex("55 0A 31 0C BE 32 0D  0A 31 32 33 0D 0A 34 0D  0A 31 0A 32 0D"));
    EXPECT_EQ(Read(16), Hex("31 41 32"));
    // A frame cut at the limit leaves its tail, which the next hunt skips.
    EXPECT_EQ(Read(2), Hex("31 32"));
    EXPECT_EQ(Read(16), Hex("34"));
    EXPECT_EQ(Read(16), Hex("31 0A 32"));
}

TEST_F(ComPortTest, FloodWithoutEndStopsAtTheLimit) {
    Connect(500ms);
    peer.Send(test::Concat(Hex("0A"), test::Repeat(0x31, 3000)));
    Bytes buffer(40, 0xEE);
    EXPECT_EQ(port.ReadFrame(buffer.data(), 26), 26u);
    EXPECT_EQ(buffer[25], 0x31);
    EXPECT_EQ(buffer[26], 0xEE);  // nothing past the limit
}

TEST_F(ComPortTest, NoiseWithoutStartByteEndsTheHunt) {
    Connect(2000ms);
    std::thread flood([&] { peer.Send(test::Repeat(0x55, 4 * TComPort::kMaxHuntBytes)); });
    const auto start = Clock::now();
    EXPECT_TRUE(Read(16).empty());
    // Ended by the hunt limit while noise still arrives, not by a time-out.
    EXPECT_LT(Clock::now() - start, 3s);
    peer.HangUp();
    flood.join();
}

TEST_F(ComPortTest, SilenceAndTruncatedFramesGiveNothingAfterTwiceTheTimeout) {
    Connect(50ms);
    auto start = Clock::now();
    EXPECT_TRUE(Read(16).empty());
    EXPECT_GE(Clock::now() - start, 90ms);

    peer.Send(Hex("0A 31 32 0C"));
    EXPECT_TRUE(Read(16).empty());
    peer.Send(Hex("0A 0D"));
    EXPECT_TRUE(Read(16).empty());
}

TEST_F(ComPortTest, TricklingLineEndsTheReadWithinItsOverallBound) {
    // 100 ms time-out; every gap (60 ms) is shorter than the per-byte wait.
    struct Case {
        const char* name;
        Bytes trickle;
        Bytes frame;  // what the read gives
        std::chrono::milliseconds atLeast, below;
    };
    const Case cases[] = {
        {"stray bytes, never a start", test::Repeat(0x55, 40), {}, 190ms, 400ms},
        {"a frame that never ends",
         test::Concat(Hex("0A"), test::Repeat(0x31, 40)),
         {},
         390ms,
         600ms},
        {"a slow frame ends in time", Hex("0A 31 32 33 34 0D"), Hex("31 32 33 34"), 290ms, 400ms},
    };
    Connect(100ms);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        Bytes got;
        {
            std::jthread trickler([&](std::stop_token stop) {
                std::mutex mutex;
                std::condition_variable_any stopped;
                std::unique_lock lock(mutex);
                for (std::size_t i = 0; i < c.trickle.size() && !stop.stop_requested(); ++i) {
                    peer.Send({c.trickle[i]});
                    stopped.wait_for(lock, stop, 60ms, [] { return false; });
                }
            });
            got = Read(16);
        }
        EXPECT_EQ(got, c.frame);
        EXPECT_GE(Clock::now() - start, c.atLeast);
        EXPECT_LT(Clock::now() - start, c.below);
        port.Purge();
    }
}

TEST_F(ComPortTest, HangUpMidFrameEndsTheReadAtOnce) {
    Connect(3000ms);
    peer.Send(Hex("0A 31 32"));
    std::thread closer([&] {
        std::this_thread::sleep_for(50ms);
        peer.HangUp();
    });
    const auto start = Clock::now();
    EXPECT_TRUE(Read(16).empty());
    EXPECT_LT(Clock::now() - start, 2s);  // the time-out alone would take 6 s
    closer.join();
    // Every further read fails at once instead of spinning or waiting.
    const auto again = Clock::now();
    std::uint8_t byte = 0;
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_LT(Clock::now() - again, 2s);
}

TEST_F(ComPortTest, PurgeDropsBytesAlreadyReadAhead) {
    Connect(50ms);
    peer.Send(Hex("0A 31 0D 0A 32 0D"));
    EXPECT_EQ(Read(16), Hex("31"));
    EXPECT_TRUE(port.Purge());
    EXPECT_TRUE(Read(16).empty());
}

TEST_F(ComPortTest, OpenFailuresExplainThemselves) {
    TComPort missing;
    EXPECT_FALSE(missing.Open("/dev/tulvo-no-such-port", 115200, 100ms));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_NE(missing.LastError().find("не существует"), std::string::npos) << missing.LastError();

    Connect(100ms);
    TComPort second;
    EXPECT_FALSE(second.Open(peer.DevicePath(), 115200, 100ms));
    EXPECT_NE(second.LastError().find("занят"), std::string::npos) << second.LastError();

    const std::string file = ::testing::TempDir() + "/tulvo_not_a_tty";
    std::ofstream(file) << "x";
    TComPort plain;
    EXPECT_FALSE(plain.Open(file, 115200, 100ms));
    EXPECT_FALSE(plain.IsOpen());
    EXPECT_FALSE(plain.LastError().empty());
    std::remove(file.c_str());

    // Every process may hold the null device; it is no port, not a busy one.
    TComPort null;
    EXPECT_FALSE(null.Open("/dev/null", 115200, 100ms));
    EXPECT_NE(null.LastError().find("не является последовательным портом"), std::string::npos)
        << null.LastError();
}

TEST_F(ComPortTest, OpenWithoutPermissionNamesTheRemedy) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission checks do not apply to root";
    }
    const std::string file = ::testing::TempDir() + "/tulvo_no_access";
    std::ofstream(file) << "x";
    ::chmod(file.c_str(), 0);
    TComPort denied;
    EXPECT_FALSE(denied.Open(file, 115200, 100ms));
    EXPECT_NE(denied.LastError().find("dialout"), std::string::npos) << denied.LastError();
    std::remove(file.c_str());
}

TEST_F(ComPortTest, PortHeldByAnotherProgramIsRefusedWithItsNameAndPid) {
    // `cat` reading the port, as a stray terminal program would.
    const int slave = ::open(peer.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, slave, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* const argv[] = {const_cast<char*>("cat"), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "cat", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);  // from here on only the child holds the port
    ASSERT_EQ(spawned, 0);

    EXPECT_FALSE(port.Open(peer.DevicePath(), 115200, 100ms));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastError(), "Порт " + peer.DevicePath() +
                                    " занят другой программой: cat (PID " + std::to_string(pid) +
                                    ").");

    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    Connect(100ms);  // free again once the holder is gone
}

TEST_F(ComPortTest, LineSettingsThePortHadAreRestoredOnClose) {
    // The test's own descriptor watches the line (this process is no holder
    // the port refuses).
    const int watch = ::open(peer.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(watch, 0);
    auto line = [&] {
        termios t{};
        ::tcgetattr(watch, &t);
        return std::tuple(t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag, cfgetospeed(&t), t.c_cc[VMIN],
                          t.c_cc[VSTART]);
    };
    termios cooked{};
    ::tcgetattr(watch, &cooked);
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_cc[VSTART] = 0x11;
    cfsetspeed(&cooked, B9600);
    termios raw = cooked;
    cfmakeraw(&raw);
    cfsetspeed(&raw, B57600);
    auto open = [&](int baud) {
        ASSERT_TRUE(port.Open(peer.DevicePath(), baud, 100ms)) << port.LastError();
    };
    struct Case {
        const char* name;
        const termios* before;
        std::function<void()> hold;  // takes the port and lets it go
    };
    const Case cases[] = {
        {"cooked, closed", &cooked,
         [&] {
             open(115200);
             port.Close();
         }},
        // Settings made while the port is held are not what it puts back.
        {"raw, reopened and rate changed, closed", &raw,
         [&] {
             open(115200);
             open(19200);
             EXPECT_TRUE(port.SetBaudRate(9600));
             port.Close();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::tcsetattr(watch, TCSANOW, c.before), 0);
        const auto before = line();
        c.hold();
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(line(), before);
    }
    ::close(watch);
}

TEST_F(ComPortTest, ReopenAndCloseKeepThePortUsable) {
    Connect(100ms);
    EXPECT_TRUE(port.Open(peer.DevicePath(), 9600, 100ms));  // re-applies on the open port
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Purge());
    Connect(100ms);  // the exclusive hold was released by Close
}

TEST_F(ComPortTest, FailedBaudChangeClosesThePort) {
    Connect(100ms);
    EXPECT_FALSE(port.SetBaudRate(12345));
    EXPECT_FALSE(port.IsOpen());
    const std::uint8_t byte = 0x31;
    EXPECT_FALSE(port.WriteFrame(&byte, 1));
    Bytes buffer(4);
    EXPECT_EQ(port.ReadFrame(buffer.data(), 4), 0u);
}

}  // namespace
}  // namespace tulvo
