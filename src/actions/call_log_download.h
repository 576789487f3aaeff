#pragma once

#include <functional>
#include <string>
#include <vector>

#include "actions/device_access.h"
#include "actions/gateway_actions.h"
#include "calllog/call_log_row.h"

namespace tulvo {

class CallLogStorage;
class CallLogTable;
class TData;

// The call-log download: the gateway's identifier, then block by block every
// record into a new row, each block saved with the rows before it and only
// then erased in the gateway, so an erased call is always on disk.
//
// The job (run by the JobRunner, possibly on a worker thread) only reads the
// table; the new rows are appended to it when the job is over, on the
// caller's thread. The progress gives the current block's record count as its
// maximum and the record being read as its position; a stop request acts as
// Abort before the next transaction.
class CallLogDownload {
  public:
    struct Outcome {
        bool opened = false;    // the port opened
        bool aborted = false;   // Abort (or a stop request): no closing message, no final save
        bool complete = false;  // the gateway had no more blocks and the table was saved
        int blocksErased = 0;
        std::size_t rowsAdded = 0;
    };
    // Called with the status text ("Читаем 2 блок", "Чтение завершено!"), from
    // the job's thread too.
    using Status = std::function<void(const std::string&)>;

    CallLogDownload(const DeviceAccess& access, const TData& image, const CallLogStorage& storage);

    Outcome Run(CallLogTable& table, const GatewayActions::JobRunner& run, const Status& status);

  private:
    enum class End { NoMoreData, Failed, Kept, Aborted };
    End ReadBlocks(const CallLogTable& table, std::vector<CallLogRow>& rows,
                   TransferProgress& progress, const Status& status, Outcome& outcome,
                   std::string& closing);

    DeviceAccess access_;
    const TData& image_;
    const CallLogStorage& storage_;
};

}  // namespace tulvo
