#include "sync/clock_sync.h"

#include <cstdint>
#include <utility>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/clock_set.h"

namespace tulvo {

ClockSync::ClockSync(TPortMost& port, Operator& op, LocalTimeSource now)
    : port_(port), op_(op), now_(std::move(now)) {}

std::tm ClockSync::LocalTimeNow() const {
    if (now_) {
        return now_();
    }
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

bool ClockSync::Send() {
    ClockSet::Payload payload = ClockSet::FromLocalTime(LocalTimeNow());
    std::uint8_t status = 0;
    return port_.WriteClock(payload, status) && status == 0;
}

void ClockSync::TellClockError() {
    op_.MessageWithDetail(texts::kClockError, port_.LastLinkError());
}

bool ClockSync::AfterWrite() {
    const bool done = Send();
    if (!done) {
        TellClockError();
    }
    op_.Message(texts::kClockAfterWrite);
    return done;
}

bool ClockSync::SetClock() {
    const bool done = Send();
    if (done) {
        op_.Message(texts::kClockDone);
    } else {
        TellClockError();
    }
    return done;
}

}  // namespace tulvo
