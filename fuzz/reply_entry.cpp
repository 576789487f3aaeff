#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "fuzz_entries.h"
#include "link/crc8.h"
#include "link/frame_codec.h"
#include "link/port_most.h"
#include "sim/pseudo_terminal.h"

namespace tulvo::fuzz {
namespace {

// Request and reply sizes of the kinds of transaction the program makes.
struct Shape {
    std::uint8_t command;
    int requestLength;
    int replyLength;
};
constexpr std::array<Shape, 8> kShapes = {{
    {0x05, 20, 0},   // a settings block written
    {0x06, 0, 9},    // a short settings block read
    {0x07, 0, 33},   // a subscriber's information read
    {0x0B, 0, 38},   // a subscriber's numbers read
    {0x06, 0, 161},  // the largest settings block read
    {0x22, 529, 0},  // a firmware block written
    {0x31, 0, 530},  // the largest reply there is
    {0x0F, 0, 1},    // a one-byte reply: no payload checksum
}};

// A real port on the slave side of a pseudo-terminal, opened once for the
// whole run, with timings short enough for many thousand inputs.
struct Line {
    sim::PseudoTerminal pty;
    TPortMost port{LinkTiming::Fast(4)};
    bool ready = false;

    Line() { ready = pty.Open() && port.Open(pty.SlavePath()); }
};

Line& SharedLine() {
    static Line line;
    return line;
}

void DrainMaster(int fd) {
    std::array<std::uint8_t, 1024> scratch{};
    pollfd poller{fd, POLLIN, 0};
    while (::poll(&poller, 1, 0) > 0 && (poller.revents & POLLIN) != 0 &&
           ::read(fd, scratch.data(), scratch.size()) > 0) {
    }
}

// The gateway's side: after each request frame (empty resynchronising frames
// do not count) it sends the next chunk of the input, as is.
class ScriptedGateway {
  public:
    ScriptedGateway(int fd, std::vector<std::vector<std::uint8_t>> chunks)
        : fd_(fd), chunks_(std::move(chunks)), thread_([this] { Serve(); }) {}
    ~ScriptedGateway() {
        stop_ = true;
        thread_.join();
    }

  private:
    void Serve() {
        FrameDecoder decoder(1024);
        std::size_t next = 0;
        std::array<std::uint8_t, 256> bytes{};
        while (!stop_) {
            pollfd poller{fd_, POLLIN, 0};
            if (::poll(&poller, 1, 1) <= 0 || (poller.revents & POLLIN) == 0) {
                continue;
            }
            const ssize_t got = ::read(fd_, bytes.data(), bytes.size());
            for (ssize_t i = 0; i < got; ++i) {
                if (decoder.Feed(bytes[static_cast<std::size_t>(i)]) !=
                    FrameDecoder::Result::Complete) {
                    continue;
                }
                const bool request = !decoder.Data().empty();
                decoder.Reset();
                if (request && next < chunks_.size()) {
                    const auto& chunk = chunks_[next++];
                    [[maybe_unused]] const ssize_t put = ::write(fd_, chunk.data(), chunk.size());
                }
            }
        }
    }

    int fd_;
    std::vector<std::vector<std::uint8_t>> chunks_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Chunks of the input, each behind its 16-bit little-endian length; the last
// may be cut short.
std::vector<std::vector<std::uint8_t>> Chunks(const std::uint8_t* data, std::size_t size) {
    std::vector<std::vector<std::uint8_t>> chunks;
    for (std::size_t at = 0; at + 2 <= size;) {
        const std::size_t length =
            std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
        chunks.emplace_back(data + at + 2, data + at + 2 + length);
        at += 2 + length;
    }
    return chunks;
}

std::string CheckOutcome(bool done, const Shape& shape, std::uint8_t status,
                         std::size_t replyLength, const std::vector<std::uint8_t>& before,
                         const std::vector<std::uint8_t>& after) {
    const std::size_t expected = static_cast<std::size_t>(shape.replyLength);
    if (!done || replyLength != expected) {
        if (after != before) {
            return "the buffer changed without a whole reply";
        }
        if (done && status == 0) {
            return "a done reply of the wrong length was accepted";
        }
        return {};
    }
    if (!std::equal(after.begin() + static_cast<std::ptrdiff_t>(expected), after.end(),
                    before.begin() + static_cast<std::ptrdiff_t>(expected))) {
        return "a reply was copied past its length";
    }
    if (expected > 1 && Crc8(after.data(), expected) != 0) {
        return "a reply with a wrong payload checksum was accepted";
    }
    return {};
}

}  // namespace

std::string ReplyInput(const std::uint8_t* data, std::size_t size) {
    Line& line = SharedLine();
    if (!line.ready) {
        return "no pseudo-terminal for the link";
    }
    if (size < 2) {
        return {};
    }
    const Shape& shape = kShapes[data[0] % kShapes.size()];
    const int attempts = 1 + data[1] % 3;
    std::vector<std::uint8_t> buffer(TPortMost::kMaxPayload + 8);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    const std::vector<std::uint8_t> before = buffer;
    DrainMaster(line.pty.MasterFd());
    std::uint8_t status = 0xEE;
    bool done = false;
    {
        ScriptedGateway gateway(line.pty.MasterFd(), Chunks(data + 2, size - 2));
        done = line.port.Transact(buffer, status, shape.command, shape.requestLength,
                                  shape.replyLength, 1, attempts);
    }
    return CheckOutcome(done, shape, status, done ? line.port.LastReplyLength() : 0, before,
                        buffer);
}

}  // namespace tulvo::fuzz
