#pragma once

#include <string>

#include "actions/device_access.h"
#include "actions/gateway_actions.h"

namespace tulvo {

// The firmware update, whole: the port choice and the image files are
// checked before the port opens; the images go out as one job (program
// image first, then the voice image); a complete program image is closed
// with EndFirmwareUpdate; the port is closed whichever way it ends.
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
        bool stopped = false;         // a stop was asked for during the job
    };

    explicit FirmwareUpdate(const DeviceAccess& access);

    Outcome Run(const Files& files, const GatewayActions::JobRunner& run);

    // Whether every image named in files was sent whole.
    static bool Complete(const Files& files, const Outcome& outcome);

  private:
    DeviceAccess access_;
};

}  // namespace tulvo
