// A firmware update against the simulated gateway paced at 115200 baud: the
// largest program image (262143 bytes, 497 blocks) with its end command,
// through the whole action (files, port, upload, end, close). The measured
// time against the wire time of the bytes exchanged plus the bootloader's
// one pause (target ratio <= 1.03).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "actions/firmware_update.h"
#include "link/frame_codec.h"
#include "link/port_most.h"
#include "model/operator.h"
#include "sim/gateway.h"
#include "sim/request.h"
#include "sync/firmware_samples.h"
#include "sync/transfer_progress.h"

namespace tulvo {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kBaud = 115200;
constexpr std::size_t kImageSize = 262143;
constexpr double kRatioTarget = 1.03;

class CountingOperator : public Operator {
  public:
    void Message(const std::string& text) override { texts.push_back(text); }
    void Error(const std::string& text) override { texts.push_back(text); }
    bool AskYesNo(const std::string&) override { return false; }
    Choice AskAbortIgnoreCancel(const std::string&) override { return Choice::Abort; }
    std::vector<std::string> texts;
};

// The wire time of every logged exchange: the request as framed, and the
// bare status reply a healthy bootloader gives.
std::chrono::microseconds WireTime(sim::Gateway& gateway, const sim::Pacing& pacing) {
    const std::size_t replyWire = EncodeFrame(sim::Reply{}.Body()).size();
    std::chrono::microseconds total{0};
    for (const auto& r : gateway.Log().Entries()) {
        total += pacing.ExchangeTime(EncodeFrame(r.Body()).size(), replyWire);
    }
    return total;
}

int Run() {
    char folder[] = "/tmp/tulvo-firmware-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::perror("firmware_bench: mkdtemp");
        return 1;
    }
    const std::string path = std::string(folder) + "/TProgram.bin";
    {
        const Bytes image = SampleProgramImage(kImageSize);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
    }
    sim::Gateway gateway;
    const sim::Pacing pacing{kBaud, {}};
    gateway.SetPacing(pacing);
    if (!gateway.Start()) {
        std::printf("firmware_bench: %s\n", gateway.Error().c_str());
        return 1;
    }
    const LinkTiming timing{};
    TPortMost port(timing);
    CountingOperator op;
    TransferProgress progress;
    const std::string device = gateway.DevicePath();
    const DeviceAccess access{port, op, [device] { return device; }};
    const auto start = Clock::now();
    const auto outcome = FirmwareUpdate(access).Run(
        {path, ""}, [&progress](const GatewayActions::Job& job) { return job(progress); });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double wire = std::chrono::duration<double>(WireTime(gateway, pacing)).count();
    const double pause = std::chrono::duration<double>(timing.firmwarePause).count();
    const auto blocks = gateway.State().FirmwareBlocks().size();
    const int ends = gateway.State().FirmwareEnds();
    gateway.Stop();
    std::remove(path.c_str());
    rmdir(folder);

    const bool done = outcome.programWritten && ends == 1 && blocks == 497 &&
                      op.texts == std::vector<std::string>{"Файл TProgram записан"};
    const double ratio = seconds / (wire + pause);
    const bool met = done && ratio <= kRatioTarget;
    std::printf(
        "firmware_bench: paced program image (115200) measured %.3f s, wire %.3f s + pause "
        "%.3f s, ratio %.4f (target <= 1.03), %zu blocks, %.0f us over the wire time each%s  "
        "%s\n",
        seconds, wire, pause, ratio, blocks,
        blocks > 0 ? (seconds - wire - pause) / static_cast<double>(blocks + 1) * 1e6 : 0.0,
        done ? ""
             : (", failed: " + (op.texts.empty() ? std::string("?") : op.texts.front())).c_str(),
        met ? "met" : "NOT MET");
    return met ? 0 : 1;
}

}  // namespace
}  // namespace tulvo

int main() {
    return tulvo::Run();
}
