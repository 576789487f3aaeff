#include "sync/transfer_stage_text.h"

namespace tulvo {
namespace {

const char* StageName(TransferProgress::Stage stage) {
    using Stage = TransferProgress::Stage;
    switch (stage) {
        case Stage::Subscribers:
            return "Абоненты";
        case Stage::Settings:
            return "Настройки шлюза";
        case Stage::Alarm:
            return "Оповещение";
        case Stage::BlackList:
            return "Черный/белый список";
        case Stage::Sms:
            return "SMS сообщения";
        case Stage::None:
            break;
    }
    return nullptr;
}

}  // namespace

std::string TransferStageText(const TransferProgress::StageState& state) {
    const char* name = StageName(state.stage);
    if (name == nullptr) {
        return {};
    }
    return std::string(name) + ": " + std::to_string(state.done) + " из " +
           std::to_string(state.total);
}

}  // namespace tulvo
