#pragma once

#include <ctime>
#include <functional>

namespace tulvo {

class Operator;
class TPortMost;

// Sets the gateway's clock to the PC's local time, over an open port.
class ClockSync {
  public:
    // Gives the local time at the moment of sending; tests pass a fixed one.
    using LocalTimeSource = std::function<std::tm()>;

    // An empty source means the PC's clock.
    ClockSync(TPortMost& port, Operator& op, LocalTimeSource now = {});

    // Sends WriteClock with a ClockSet of the time now. True when the
    // transaction succeeded with status 0. Shows nothing.
    bool Send();
    // After a successful whole-image write: the failure message when the
    // clock was not set, then "Синхронизация завершена" in every case.
    bool AfterWrite();
    // On its own: the failure message or "Синхронизация времени прошла успешно!".
    bool SetClock();

  private:
    std::tm LocalTimeNow() const;
    // The failure message, with the reason when the connection ended.
    void TellClockError();

    TPortMost& port_;
    Operator& op_;
    LocalTimeSource now_;
};

}  // namespace tulvo
