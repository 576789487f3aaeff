#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "actions/device_link.h"
#include "actions/firmware_update.h"
#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "cli/progress_line.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "store/atomic_file.h"
#include "sync/firmware_progress.h"
#include "sync/firmware_samples.h"
#include "sync/transfer_progress.h"

namespace tulvo::cli {
namespace {

// Sizes of the sample images: a program image that is not a whole number of
// blocks, and a voice image of records shorter and longer than its header.
constexpr std::size_t kSampleProgramSize = 60000;

bool WriteSample(const CliArgs& args, const std::string& path,
                 const std::vector<std::uint8_t>& bytes) {
    const AtomicWriteResult written = WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!written) {
        args.Op().ErrorWithDetail("Невозможно сохранить файл " + path + "!", written.error);
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

// --samples DIR: writes DIR/TProgram.bin and DIR/TVoice.bin, well-formed
// images to try the update against `tulvo simulate`.
int WriteSamples(const CliArgs& args, const std::string& folder) {
    std::vector<std::uint8_t> voice = SampleVoiceImage({
        {0x0100, std::vector<std::uint8_t>(12, 0x11)},
        {0x0101, std::vector<std::uint8_t>(528, 0x5A)},
        {0x0102, std::vector<std::uint8_t>(300, 0xA5)},
    });
    const bool done =
        WriteSample(args, folder + "/TProgram.bin", SampleProgramImage(kSampleProgramSize)) &&
        WriteSample(args, folder + "/TVoice.bin", voice);
    return done ? kExitDone : kExitFailed;
}

// What a signal handler may read: the update it watches and the two
// warnings, composed before the handler is installed.
std::atomic<FirmwareProgress*> watchedUpdate{nullptr};
std::atomic<bool> stopWarned{false};
std::string programWarning;
std::string voiceWarning;

extern "C" void OnFirmwareSignal(int) {
    const int savedErrno = errno;
    FirmwareProgress* update = watchedUpdate.load();
    if (update != nullptr && update->StopCutsImage() && !stopWarned.exchange(true)) {
        const std::string& warning = update->CurrentStage() == FirmwareProgress::Stage::Program
                                         ? programWarning
                                         : voiceWarning;
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, warning.data(), warning.size());
    } else if (update != nullptr) {
        update->RequestStop();
    }
    errno = savedErrno;
}

// While alive, SIGINT and SIGTERM stop the update before its next block
// instead of ending the program. While an image is part-way out the first
// only says what a stop would cost; the second stops.
class FirmwareStopSignals {
  public:
    FirmwareStopSignals(FirmwareProgress& update, bool terminal) {
        // On a terminal the progress line is cleared first; it is drawn
        // again below the warning.
        const std::string lead = terminal ? "\r\033[K" : "";
        const std::string again = " Повторный Ctrl+C прервёт запись.\n";
        programWarning = lead + texts::kStopCutsProgram + again;
        voiceWarning = lead + texts::kStopCutsVoice + again;
        stopWarned.store(false);
        watchedUpdate.store(&update);
        struct sigaction action {};
        action.sa_handler = OnFirmwareSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~FirmwareStopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        watchedUpdate.store(nullptr);
    }
    FirmwareStopSignals(const FirmwareStopSignals&) = delete;
    FirmwareStopSignals& operator=(const FirmwareStopSignals&) = delete;

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

int RunFirmware(const CliArgs& args) {
    if (const auto samples = args.Value("samples")) {
        return WriteSamples(args, *samples);
    }
    args.Required("port");  // a usage error comes before anything else
    const FirmwareUpdate::Files files{args.Value("program").value_or(""),
                                      args.Value("voice").value_or("")};
    if (files.program.empty() && files.voice.empty()) {
        throw UsageError(texts::kNoFirmwareFile);
    }
    std::string why;
    const std::string device = ResolvePortDevice(args, why);
    TransferProgress progress;
    // The line starts with the first image's own count.
    progress.SetMaximum(FirmwareUpdate::FirstImageBlocks(files));
    DeviceLink link(args.Speed(), args.Trace());
    FirmwareUpdate::Outcome outcome;
    {
        const bool terminal = isatty(STDERR_FILENO) == 1;
        ProgressLine line(args.Op(), progress, texts::kFirmwareCaption, terminal);
        const auto portName = [device] { return device; };
        const DeviceAccess access = link.Access(line, portName, why);
        FirmwareUpdate update(access);
        outcome = update.Run(files, [&](const GatewayActions::Job& job) {
            FirmwareStopSignals signals(update.Progress(), terminal);
            return job(progress);
        });
    }
    // Said only when the stop cut the update short, and then never with exit 0.
    if (outcome.stopped) {
        std::fputs("tulvo: прервано по сигналу, порт закрыт\n", stderr);
    }
    return FirmwareUpdate::Complete(files, outcome) ? kExitDone : kExitFailed;
}

}  // namespace

CliCommand FirmwareCommand() {
    return {"firmware", RunFirmware, "--port DEV [--program FILE] [--voice FILE] | --samples DIR",
            "send program and voice images to the gateway's bootloader (--samples: write "
            "sample images)",
            "port sysfs program voice samples"};
}

}  // namespace tulvo::cli
