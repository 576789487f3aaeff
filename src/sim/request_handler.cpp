#include "sim/request_handler.h"

#include "link/command_table.h"

namespace tulvo::sim {

namespace {

Reply Status(std::uint8_t status) {
    return Reply{status, {}};
}

Reply Payload(Bytes payload) {
    return Reply{kStatusDone, std::move(payload)};
}

// Whether the request carries the payload size of the command.
bool Sends(const Command& command, const Request& request) {
    return request.payload.size() == static_cast<std::size_t>(command.requestLength);
}

}  // namespace

Reply RequestHandler::Handle(const Request& request) {
    const int index = request.index;
    switch (static_cast<CommandCode>(request.command)) {
        case CommandCode::ReadSysInfo:
            return Payload(state_.SysInfoPayload());
        case CommandCode::WriteClock:
            return WriteClock(request);
        case CommandCode::ReadClock:
            return Payload(state_.Clock());
        case CommandCode::WriteBlock:
            return WriteBlock(index, request);
        case CommandCode::ReadBlock:
            return ReadBlock(index);
        case CommandCode::WriteAbInfo:
            return WriteRecord(RecordFamily::AbInfo, index, request);
        case CommandCode::ReadAbInfo:
            return ReadRecord(RecordFamily::AbInfo, index);
        case CommandCode::WriteAbPhone:
            // The same code without a payload (SendCode0A) has no effect.
            if (request.payload.empty()) {
                return Status(kStatusDone);
            }
            return WriteRecord(RecordFamily::AbPhone, index, request);
        case CommandCode::ReadAbPhone:
            return ReadRecord(RecordFamily::AbPhone, index);
        case CommandCode::WriteBlackListEntry:
            return WriteRecord(RecordFamily::BlackListEntry, index, request);
        case CommandCode::ReadBlackListEntry:
            return ReadRecord(RecordFamily::BlackListEntry, index);
        case CommandCode::ReadLogRecord:
            return ReadLogRecord(index);
        case CommandCode::ReadLogHeader:
            return ReadLogHeader();
        case CommandCode::EraseLogBlock:
            return EraseLogBlock();
        case CommandCode::ReadAbLimit:
            return ReadRecord(RecordFamily::AbLimit, index);
        case CommandCode::WriteAbLimit:
            return WriteRecord(RecordFamily::AbLimit, index, request);
        case CommandCode::WriteFirmwareBlock:
            return WriteFirmwareBlock(request);
        case CommandCode::EndFirmwareUpdate:
            return EndFirmwareUpdate(request);
        case CommandCode::WriteSMSMessage:
            return WriteRecord(RecordFamily::SMSMessage, index, request);
        case CommandCode::ReadSMSMessage:
            return ReadRecord(RecordFamily::SMSMessage, index);
        case CommandCode::SendCode01:
        case CommandCode::SendCode08:
        case CommandCode::SendCode09:
        case CommandCode::SendCode0E:
        case CommandCode::SendCode0F:
        case CommandCode::SendCode12:
        case CommandCode::SendCodeF0:
            // Service commands the configurator never issues: acknowledged.
            return Status(kStatusDone);
    }
    return Status(kStatusRefused);  // a code outside the command set
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
    Bytes header(static_cast<std::size_t>(command::ReadLogHeader.replyLength), 0);
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
    if (!Sends(command::WriteFirmwareBlock, request)) {
        return Status(kStatusRefused);
    }
    state_.StoreFirmwareBlock(request.index, request.payload);
    return Status(kStatusDone);
}

Reply RequestHandler::EndFirmwareUpdate(const Request& request) {
    if (!Sends(command::EndFirmwareUpdate, request)) {
        return Status(kStatusRefused);
    }
    state_.NoteFirmwareEnd();
    return Status(kStatusDone);
}

Reply RequestHandler::WriteClock(const Request& request) {
    if (!Sends(command::WriteClock, request)) {
        return Status(kStatusRefused);
    }
    state_.WriteClock(request.payload);
    return Status(kStatusDone);
}

}  // namespace tulvo::sim
