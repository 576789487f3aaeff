#include "sync/firmware_progress.h"

#include "model/operator_texts.h"

namespace tulvo {

void FirmwareProgress::Begin(Stage stage, int blocks) {
    started_.store(false, std::memory_order_relaxed);
    sent_.store(0, std::memory_order_relaxed);
    blocks_.store(blocks, std::memory_order_relaxed);
    stage_.store(stage, std::memory_order_relaxed);
}

bool FirmwareProgress::StopCutsImage() const {
    const Stage stage = CurrentStage();
    return (stage == Stage::Program || stage == Stage::Voice) &&
           started_.load(std::memory_order_relaxed);
}

const char* FirmwareProgress::StopWarning() const {
    if (!StopCutsImage()) {
        return "";
    }
    switch (CurrentStage()) {
        case Stage::Program:
            return texts::kStopCutsProgram;
        case Stage::Voice:
            return texts::kStopCutsVoice;
        case Stage::Idle:
        case Stage::Ending:
            break;
    }
    return "";
}

std::string FirmwareProgress::Text() const {
    const std::string count =
        ": блок " + std::to_string(Sent()) + " из " + std::to_string(Blocks());
    switch (CurrentStage()) {
        case Stage::Program:
            return texts::kProgramStage + count;
        case Stage::Voice:
            return texts::kVoiceStage + count;
        case Stage::Ending:
            return texts::kEndingStage;
        case Stage::Idle:
            break;
    }
    return {};
}

}  // namespace tulvo
