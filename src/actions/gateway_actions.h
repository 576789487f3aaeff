#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "actions/device_access.h"
#include "sync/sys_info.h"
#include "sync/total_limit.h"

namespace tulvo {

class TData;
class TransferProgress;

// Every conversation with the gateway, whole: open the port, run the
// commands, check each reply's status and length, tell the operator, close.
// The windows and the `tulvo` command call these and keep only their widget
// code or argument handling. Success messages come after `shown`, which a
// window uses to put what was read on screen (or to hide itself) first.
class GatewayActions {
  public:
    using Shown = std::function<void()>;

    explicit GatewayActions(const DeviceAccess& access);

    // One query over a port the caller holds open (the information window
    // polls with it). Nothing when the read fails or is refused; no message.
    static std::optional<SysInfo> QuerySysInfo(TPortMost& port);
    // The balance over a port the caller holds open; 0 when the read fails.
    static std::int64_t QueryAccountBalance(TPortMost& port);

    // Device information: "Ошибка при чтении данных!" on failure.
    std::optional<SysInfo> ReadSysInfo();
    // The total limit block into limit; "Данные считаны" after shown.
    bool ReadTotalLimit(TotalLimit& limit, const Shown& shown = {});
    // Writes the block built from limit; limit then holds what was written.
    bool WriteTotalLimit(TotalLimit& limit, bool enabled, std::uint32_t limitSeconds,
                         std::uint32_t thresholdSeconds);
    // The identifier as Windows-1251 text; "Чтение завершено" after shown.
    std::optional<std::string> ReadDevName(const std::function<void(const std::string&)>& shown);
    bool WriteDevName(const std::string& cp1251Name, const Shown& shown = {});
    bool WritePinCode(const std::string& digits, const Shown& shown = {});
    // One subscriber's AbLimit record; on failure "Ошибка при чтении данных!".
    bool WriteSubscriberLimit(int n, std::span<std::uint8_t> record);
    // The clock on its own, with its messages.
    bool SetClock();

    // How a front end runs a long job: on a worker thread under a progress
    // window, or in place with a progress line. Returns the job's result.
    using Job = std::function<bool(TransferProgress&)>;
    using JobRunner = std::function<bool(const Job&)>;

    struct TransferOutcome {
        bool opened = false;        // the port opened
        bool transferred = false;   // the whole image moved
        bool problemsTold = false;  // an error message was shown on the way (for a
                                    // write, also a clock that was not set)
        bool stopped = false;       // ended early because a stop was asked for
    };
    // The whole image from the gateway; "Чтение завершено!" when the read
    // ran through, even if the list or SMS phase told a problem.
    // With verify, every record is read until two replies in a row agree.
    TransferOutcome ReadImage(TData& image, const JobRunner& run, bool verify = false);
    // The whole image to the gateway, then its clock.
    TransferOutcome WriteImage(TData& image, const JobRunner& run);

  private:
    // Runs one command; true when it was transacted and the gateway said done.
    static bool Done(const std::function<bool(std::uint8_t&)>& command);
    // "Ошибка связи с устройством", with why a network connection ended as
    // detail text when it did.
    void TellLinkError();

    DeviceAccess access_;
};

}  // namespace tulvo
