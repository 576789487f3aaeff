#pragma once

#include <string>

#include "actions/device_access.h"
#include "actions/gateway_actions.h"
#include "sync/firmware_progress.h"

namespace tulvo {

// The firmware update, whole: the port choice and the image files are
// checked before the port opens; the images go out as one job (program
// image first, then the voice image); a complete program image is closed
// with EndFirmwareUpdate; the port is closed whichever way it ends. Progress()
// says what is going out from before the port opens to the end.
class FirmwareUpdate {
  public:
    // Paths of the image files; an empty path means that image is not sent.
    struct Files {
        std::string program;
        std::string voice;
    };

    struct Outcome {
        bool opened = false;          // the port opened and the job ran
        bool programWritten = false;  // "Файл TProgram записан"
        bool voiceWritten = false;    // "Файл TVoice записан"
        bool stopped = false;         // a stop ended the job before it was done
    };

    explicit FirmwareUpdate(const DeviceAccess& access);

    Outcome Run(const Files& files, const GatewayActions::JobRunner& run);

    // Readable, and stoppable, from any thread while Run runs.
    FirmwareProgress& Progress() { return progress_; }

    // Whether every image named in files was sent whole.
    static bool Complete(const Files& files, const Outcome& outcome);
    // The blocks of the first image named, as far as the files tell before
    // the update starts (0 when that file cannot be read).
    static int FirstImageBlocks(const Files& files);

  private:
    DeviceAccess access_;
    FirmwareProgress progress_;
};

}  // namespace tulvo
