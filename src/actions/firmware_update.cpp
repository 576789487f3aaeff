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

int FirmwareUpdate::FirstImageBlocks(const Files& files) {
    if (!files.program.empty()) {
        const auto program = FirmwareFile::Open(files.program);
        return program ? FirmwareUpload::ProgramBlocks(program->size) : 0;
    }
    auto voice = FirmwareFile::Open(files.voice);
    return voice ? FirmwareUpload::VoiceRecords(voice->stream).value_or(0) : 0;
}

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

    // The first image's own count shows from the start.
    if (program) {
        progress_.Begin(FirmwareProgress::Stage::Program,
                        FirmwareUpload::ProgramBlocks(program->size));
    } else {
        progress_.Begin(FirmwareProgress::Stage::Voice,
                        FirmwareUpload::VoiceRecords(voice->stream).value_or(0));
    }
    DeviceAccess chosen = access_;
    chosen.portName = [device] { return device; };
    // A port that does not open is told, with the system's reason.
    PortSession session(chosen);
    if (!session.IsOpen()) {
        progress_.Begin(FirmwareProgress::Stage::Idle, 0);
        return outcome;
    }
    outcome.opened = true;
    run([&](TransferProgress& progress) {
        FirmwareUpload upload(access_.port, access_.op, progress, progress_);
        auto stopped = [&] { return progress.StopRequested() || progress_.StopRequested(); };
        if (program) {
            outcome.programWritten =
                upload.SendProgram(program->stream, program->size, program->path);
        }
        // The voice image goes out even when the program image failed.
        if (voice && !stopped()) {
            outcome.voiceWritten = upload.SendVoice(voice->stream);
        }
        // A whole program image is started even when the voice image was
        // stopped: without its end command the gateway has no program.
        if (outcome.programWritten) {
            upload.EndUpdate();
        }
        const bool complete = Complete(files, outcome);
        outcome.stopped = stopped() && !complete;
        return complete;
    });
    return outcome;
}

}  // namespace tulvo
