#include "link/trace_line.h"

#include <cstdio>
#include <ctime>

#include "link/command_table.h"

namespace tulvo {
namespace {

using Kind = TraceEvent::Kind;
using Failure = TraceEvent::Failure;

constexpr std::size_t kHeaderSize = 6;

void AppendTime(std::string& line, std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()) % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis.count()));
    line += text;
}

void AppendHex(std::string& line, std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    line += " [";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += kDigits[bytes[i] >> 4];
        line += kDigits[bytes[i] & 0x0F];
    }
    line += ']';
}

void AppendCommand(std::string& line, const TraceEvent& event) {
    const std::string_view name =
        CommandName(event.command, event.requestLength, event.replyLength, event.index);
    char text[64];
    if (name.empty()) {
        std::snprintf(text, sizeof text, " cmd=%02X", event.command);
        line += text;
    } else {
        line += ' ';
        line += name;
    }
    std::snprintf(text, sizeof text, " idx=%u", static_cast<unsigned>(event.index));
    line += text;
}

void AppendAttempt(std::string& line, const TraceEvent& event) {
    line += " try=" + std::to_string(event.attempt) + "/" + std::to_string(event.attempts);
}

const char* FailureWord(Failure failure) {
    switch (failure) {
        case Failure::None:
            return "";
        case Failure::NoReply:
            return "no-reply";
        case Failure::BrokenFrame:
            return "broken-frame";
        case Failure::LongerThanAnnounced:
            return "longer-than-announced";
        case Failure::ShortReply:
            return "short-reply";
        case Failure::WriteFailed:
            return "write-failed";
        case Failure::OpenFailed:
            return "open-failed";
    }
    return "";
}

void AppendFailure(std::string& line, Failure failure) {
    if (failure != Failure::None) {
        line += " FAILED ";
        line += FailureWord(failure);
    }
}

void AppendRequest(std::string& line, const TraceEvent& event) {
    line += " >";
    AppendCommand(line, event);
    AppendAttempt(line, event);
    line += " len=" + std::to_string(event.requestLength);
    AppendFailure(line, event.failure);
    AppendHex(line, event.bytes);
}

void AppendReply(std::string& line, const TraceEvent& event) {
    line += " <";
    AppendCommand(line, event);
    if (!event.bytes.empty()) {
        char status[16];
        std::snprintf(status, sizeof status, " st=%02X", event.bytes[0]);
        line += status;
    }
    AppendAttempt(line, event);
    const std::size_t size = event.bytes.size();
    line += " len=" + std::to_string(size >= kHeaderSize ? size - kHeaderSize : 0);
    AppendFailure(line, event.failure);
    AppendHex(line, event.bytes);
}

void AppendMark(std::string& line, const TraceEvent& event) {
    line += " !";
    switch (event.kind) {
        case Kind::AttemptFailed:
            AppendCommand(line, event);
            AppendAttempt(line, event);
            AppendFailure(line, event.failure);
            break;
        case Kind::Resync:
            line += " RESYNC [0A 0D]";
            break;
        case Kind::Drained:
            line += " DRAINED " + std::to_string(event.count) + " late bytes";
            break;
        case Kind::Exit:
            line += " EXIT " + std::to_string(event.count) + " baud";
            AppendHex(line, event.bytes);
            break;
        case Kind::Open:
            line += " OPEN ";
            line += event.device;
            if (event.failure != Failure::None) {
                AppendFailure(line, event.failure);
                line += " (";
                line += event.detail;
                line += ')';
            }
            break;
        case Kind::Close:
            line += " CLOSE";
            break;
        case Kind::Request:
        case Kind::Reply:
            break;
    }
}

}  // namespace

std::string FormatTraceLine(const TraceEvent& event) {
    std::string line;
    line.reserve(64 + 3 * event.bytes.size());
    AppendTime(line, event.time);
    switch (event.kind) {
        case Kind::Request:
            AppendRequest(line, event);
            break;
        case Kind::Reply:
            AppendReply(line, event);
            break;
        default:
            AppendMark(line, event);
            break;
    }
    return line;
}

bool IsTroubleEvent(const TraceEvent& event) {
    return event.failure != Failure::None || event.kind == Kind::Resync ||
           event.kind == Kind::Drained;
}

}  // namespace tulvo
