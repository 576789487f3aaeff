#include "sim/request_handler.h"

namespace tulvo::sim {

namespace {

constexpr std::size_t kClockSize = 10;
constexpr std::size_t kLogHeaderSize = 5;
constexpr std::size_t kFirmwareBlockSize = 529;
constexpr std::size_t kFirmwareEndSize = 9;

Reply Status(std::uint8_t status) {
    return Reply{status, {}};
}

Reply Payload(Bytes payload) {
    return Reply{kStatusDone, std::move(payload)};
}

}  // namespace

Reply RequestHandler::Handle(const Request& request) {
    const int index = request.index;
    switch (request.command) {
        case 0x00:
            return Payload(state_.SysInfoPayload());
        case 0x02:
            return WriteClock(request);
        case 0x03:
            return Payload(state_.Clock());
        case 0x04:
            return WriteBlock(index, request);
        case 0x05:
            return ReadBlock(index);
        case 0x06:
            return WriteRecord(RecordFamily::AbInfo, index, request);
        case 0x07:
            return ReadRecord(RecordFamily::AbInfo, index);
        case 0x0A:
            // The same code without a payload is a bare command with no effect.
            if (request.payload.empty()) {
                return Status(kStatusDone);
            }
            return WriteRecord(RecordFamily::AbPhone, index, request);
        case 0x0B:
            return ReadRecord(RecordFamily::AbPhone, index);
        case 0x0C:
            return WriteRecord(RecordFamily::BlackListEntry, index, request);
        case 0x0D:
            return ReadRecord(RecordFamily::BlackListEntry, index);
        case 0x10:
            return ReadLogRecord(index);
        case 0x11:
            return ReadLogHeader();
        case 0x13:
            return EraseLogBlock();
        case 0x14:
            return ReadRecord(RecordFamily::AbLimit, index);
        case 0x15:
            return WriteRecord(RecordFamily::AbLimit, index, request);
        case 0x16:
            return WriteFirmwareBlock(request);
        case 0x17:
            return EndFirmwareUpdate(request);
        case 0x18:
            return WriteRecord(RecordFamily::SMSMessage, index, request);
        case 0x19:
            return ReadRecord(RecordFamily::SMSMessage, index);
        case 0x01:
        case 0x08:
        case 0x09:
        case 0x0E:
        case 0x0F:
        case 0x12:
        case 0xF0:
            // Service commands the configurator never issues: acknowledged.
            return Status(kStatusDone);
        default:
            return Status(kStatusRefused);
    }
}

Reply RequestHandler::ReadRecord(RecordFamily family, int index) {
    if (RecordSize(family, index) == 0) {
        return Status(kStatusRefused);
    }
    if (state_.ReadsAsEmpty(family, index)) {
        return Status(kStatusEmpty);
    }
    auto bytes = state_.Get(family, index);
    return bytes ? Payload(std::move(*bytes)) : Status(kStatusEmpty);
}

Reply RequestHandler::WriteRecord(RecordFamily family, int index, const Request& request) {
    if (RecordSize(family, index) != request.payload.size()) {
        return Status(kStatusRefused);
    }
    state_.Put(family, index, request.payload);
    return Status(kStatusDone);
}

Reply RequestHandler::ReadBlock(int index) {
    if (index == kBlockPinCode) {
        return Status(kStatusRefused);  // the PIN can be set but never read back
    }
    return ReadRecord(RecordFamily::Block, index);
}

Reply RequestHandler::WriteBlock(int index, const Request& request) {
    if (index == kBlockAccountBalance) {
        return Status(kStatusRefused);  // the balance comes from the operator, not the PC
    }
    return WriteRecord(RecordFamily::Block, index, request);
}

Reply RequestHandler::ReadLogHeader() {
    const auto block = state_.CurrentLogBlock();
    if (!block) {
        return Status(kStatusRefused);  // no block left
    }
    Bytes header(kLogHeaderSize, 0);
    const auto count = static_cast<std::uint32_t>(block->size());
    for (std::size_t i = 0; i < 4; ++i) {
        header[i] = static_cast<std::uint8_t>(count >> (8 * i));
    }
    return Payload(std::move(header));
}

Reply RequestHandler::ReadLogRecord(int index) {
    const auto block = state_.CurrentLogBlock();
    if (!block || index >= static_cast<int>(block->size())) {
        return Status(kStatusEmpty);
    }
    return Payload((*block)[static_cast<std::size_t>(index)]);
}

Reply RequestHandler::EraseLogBlock() {
    return Status(state_.EraseLogBlock() ? kStatusDone : kStatusEmpty);
}

Reply RequestHandler::WriteFirmwareBlock(const Request& request) {
    if (request.payload.size() != kFirmwareBlockSize) {
        return Status(kStatusRefused);
    }
    state_.StoreFirmwareBlock(request.index, request.payload);
    return Status(kStatusDone);
}

Reply RequestHandler::EndFirmwareUpdate(const Request& request) {
    if (request.payload.size() != kFirmwareEndSize) {
        return Status(kStatusRefused);
    }
    state_.NoteFirmwareEnd();
    return Status(kStatusDone);
}

Reply RequestHandler::WriteClock(const Request& request) {
    if (request.payload.size() != kClockSize) {
        return Status(kStatusRefused);
    }
    state_.WriteClock(request.payload);
    return Status(kStatusDone);
}

}  // namespace tulvo::sim
