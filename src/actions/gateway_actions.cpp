#include "actions/gateway_actions.h"

#include <array>

#include "actions/port_session.h"
#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/clock_sync.h"
#include "sync/dev_name.h"
#include "sync/image_transfer.h"
#include "sync/pin_code.h"
#include "sync/transfer_progress.h"

namespace tulvo {
namespace {

using Buffer = std::array<std::uint8_t, TPortMost::kMaxPayload>;

void Call(const GatewayActions::Shown& shown) {
    if (shown) {
        shown();
    }
}

}  // namespace

GatewayActions::GatewayActions(const DeviceAccess& access) : access_(access) {}

bool GatewayActions::Done(const std::function<bool(std::uint8_t&)>& command) {
    std::uint8_t status = 0xFF;
    const bool transacted = command(status);
    return transacted && status == 0;
}

void GatewayActions::TellLinkError() {
    access_.op.MessageWithDetail(texts::kLinkErrorPlain, access_.port.LastLinkError());
}

std::optional<SysInfo> GatewayActions::QuerySysInfo(TPortMost& port) {
    Buffer data{};
    std::uint8_t status = 0xFF;
    // A done reply always carries the whole block: Transact refuses a short one.
    if (!port.ReadSysInfo(data, status) || status != 0) {
        return std::nullopt;
    }
    return SysInfo::Parse(std::span(data).first(SysInfo::kSize));
}

std::int64_t GatewayActions::QueryAccountBalance(TPortMost& port) {
    Buffer data{};
    std::uint8_t status = 0xFF;
    return port.ReadAccountBalance(data, status);
}

std::optional<SysInfo> GatewayActions::ReadSysInfo() {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return std::nullopt;
    }
    std::optional<SysInfo> info = QuerySysInfo(access_.port);
    if (!info) {
        access_.op.ErrorWithDetail(texts::kReadDataError, access_.port.LastLinkError());
    }
    return info;
}

bool GatewayActions::ReadTotalLimit(TotalLimit& limit, const Shown& shown) {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return false;
    }
    Buffer data{};
    std::copy(limit.Bytes().begin(), limit.Bytes().end(), data.begin());
    if (!Done([&](std::uint8_t& status) { return access_.port.ReadTotalLimit(data, status); })) {
        TellLinkError();
        return false;
    }
    limit.Load(std::span(data).first(TotalLimit::kSize));
    Call(shown);
    access_.op.Message(texts::kTotalLimitRead);
    return true;
}

bool GatewayActions::WriteTotalLimit(TotalLimit& limit, bool enabled, std::uint32_t limitSeconds,
                                     std::uint32_t thresholdSeconds) {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return false;
    }
    TotalLimit::Payload payload = limit.ForWrite(enabled, limitSeconds, thresholdSeconds);
    if (!Done(
            [&](std::uint8_t& status) { return access_.port.WriteTotalLimit(payload, status); })) {
        TellLinkError();
        return false;
    }
    limit.Load(payload);
    access_.op.Message(texts::kTotalLimitWritten);
    return true;
}

std::optional<std::string> GatewayActions::ReadDevName(
    const std::function<void(const std::string&)>& shown) {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return std::nullopt;
    }
    Buffer data{};
    if (!Done([&](std::uint8_t& status) { return access_.port.ReadDevName(data, status); })) {
        TellLinkError();
        return std::nullopt;
    }
    const std::string name = DevName::Parse(std::span(data).first(DevName::kSize));
    if (shown) {
        shown(name);
    }
    access_.op.Message(texts::kDevNameRead);
    return name;
}

bool GatewayActions::WriteDevName(const std::string& cp1251Name, const Shown& shown) {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return false;
    }
    DevName::Payload payload = DevName::Build(cp1251Name);
    if (!Done([&](std::uint8_t& status) { return access_.port.WriteDevName(payload, status); })) {
        TellLinkError();
        return false;
    }
    Call(shown);
    access_.op.Message(texts::kDevNameWritten);
    return true;
}

bool GatewayActions::WritePinCode(const std::string& digits, const Shown& shown) {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return false;
    }
    PinCode::Payload payload = PinCode::Build(digits);
    if (!Done([&](std::uint8_t& status) { return access_.port.WritePinCode(payload, status); })) {
        TellLinkError();
        return false;
    }
    Call(shown);
    access_.op.Message(texts::kPinCodeWritten);
    return true;
}

bool GatewayActions::WriteSubscriberLimit(int n, std::span<std::uint8_t> record) {
    PortSession session(access_);
    if (!session.IsOpen()) {
        return false;
    }
    if (!Done([&](std::uint8_t& status) { return access_.port.WriteAbLimit(n, record, status); })) {
        // The established wording says "reading" for this write.
        access_.op.Error(texts::kReadDataError);
        return false;
    }
    return true;
}

bool GatewayActions::SetClock() {
    PortSession session(access_);
    return session.IsOpen() && ClockSync(access_.port, access_.op).SetClock();
}

GatewayActions::TransferOutcome GatewayActions::ReadImage(TData& image, const JobRunner& run,
                                                          bool verify) {
    TransferOutcome outcome;
    PortSession session(access_);
    if (!session.IsOpen()) {
        return outcome;
    }
    outcome.opened = true;
    outcome.transferred = run([&](TransferProgress& progress) {
        ImageTransfer transfer(image, access_.port, access_.op, progress);
        transfer.SetVerify(verify);
        const bool done = transfer.FullRead();
        outcome.problemsTold = transfer.ProblemsTold();
        outcome.stopped = !done && progress.StopRequested();
        return done;
    });
    if (outcome.transferred) {
        access_.op.Message(texts::kReadDone);
    }
    return outcome;
}

GatewayActions::TransferOutcome GatewayActions::WriteImage(TData& image, const JobRunner& run) {
    TransferOutcome outcome;
    PortSession session(access_);
    if (!session.IsOpen()) {
        return outcome;
    }
    outcome.opened = true;
    outcome.transferred = run([&](TransferProgress& progress) {
        ImageTransfer transfer(image, access_.port, access_.op, progress);
        const bool done = transfer.FullWrite();
        outcome.problemsTold = transfer.ProblemsTold();
        outcome.stopped = !done && progress.StopRequested();
        return done;
    });
    if (!outcome.transferred) {
        if (!outcome.stopped) {
            access_.op.Message(texts::kWriteFailed);
        }
        outcome.problemsTold = true;
        return outcome;
    }
    if (!ClockSync(access_.port, access_.op).AfterWrite()) {
        outcome.problemsTold = true;
    }
    return outcome;
}

}  // namespace tulvo
