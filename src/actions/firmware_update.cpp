#include "actions/firmware_update.h"

#include <optional>

#include "actions/port_session.h"
#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/firmware_upload.h"
#include "sync/transfer_progress.h"

namespace tulvo {

FirmwareUpdate::FirmwareUpdate(const DeviceAccess& access) : access_(access) {}

bool FirmwareUpdate::Complete(const Files& files, const Outcome& outcome) {
    return outcome.opened && (files.program.empty() || outcome.programWritten) &&
           (files.voice.empty() || outcome.voiceWritten);
}

FirmwareUpdate::Outcome FirmwareUpdate::Run(const Files& files,
                                            const GatewayActions::JobRunner& run) {
    Outcome outcome;
    // The port is chosen first, and opened only once the files are known good.
    const std::string device = access_.portName ? access_.portName() : std::string();
    if (device.empty()) {
        PortSession::TellNoPort(access_);
        return outcome;
    }
    if (files.program.empty() && files.voice.empty()) {
        access_.op.Error(texts::kNoFirmwareFile);
        return outcome;
    }
    std::optional<FirmwareFile> program;
    if (!files.program.empty()) {
        program = FirmwareFile::Open(files.program);
        if (!program) {
            access_.op.Error(texts::kCannotOpenProgram);
            return outcome;
        }
        if (program->size >= FirmwareUpload::kProgramSizeLimit) {
            access_.op.Error(texts::kFirmwareBadSize);
            return outcome;
        }
    }
    std::optional<FirmwareFile> voice;
    if (!files.voice.empty()) {
        voice = FirmwareFile::Open(files.voice);
        if (!voice) {
            access_.op.Error(texts::kCannotOpenVoice);
            return outcome;
        }
    }

    DeviceAccess chosen = access_;
    chosen.portName = [device] { return device; };
    // A port that does not open is told, with the system's reason.
    PortSession session(chosen);
    if (!session.IsOpen()) {
        return outcome;
    }
    outcome.opened = true;
    run([&](TransferProgress& progress) {
        FirmwareUpload upload(access_.port, access_.op, progress);
        if (program) {
            outcome.programWritten = upload.SendProgram(program->stream, program->size);
        }
        // The voice image goes out even when the program image failed.
        if (voice && !progress.StopRequested()) {
            outcome.voiceWritten = upload.SendVoice(voice->stream, voice->size);
        }
        if (outcome.programWritten) {
            upload.EndUpdate();
        }
        outcome.stopped = progress.StopRequested();
        return Complete(files, outcome);
    });
    return outcome;
}

}  // namespace tulvo
