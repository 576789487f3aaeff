#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
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
// record into a new row. A block's rows are added to the file (as it is then,
// whatever other programs saved into it) before the block is erased in the
// gateway, so an erased call is always on disk; a block that is not read
// whole stays in the gateway, and its rows are neither saved nor kept.
//
// The job (run by the JobRunner, possibly on a worker thread) never touches
// the table; when it is over, the table catches up with the file on the
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
        std::size_t rowsAdded = 0;       // rows of erased blocks, now in the file
        std::size_t recordsSkipped = 0;  // records passed over with Ignore (erased unread)
    };
    // Called with the status text ("Читаем 2 блок", "Чтение завершено!"), from
    // the job's thread too.
    using Status = std::function<void(const std::string&)>;
    // Called with the number of each block as its reading starts, from the
    // job's thread too.
    using BlockStarted = std::function<void(int block)>;

    CallLogDownload(const DeviceAccess& access, const TData& image, CallLogStorage& storage);

    void SetBlockStarted(BlockStarted blockStarted) { blockStarted_ = std::move(blockStarted); }
    // Called with true right before the table changes at the end of the
    // download and with false right after (a grid's model resets around it).
    using TableChange = std::function<void(bool begin)>;
    void SetTableChange(TableChange tableChange) { tableChange_ = std::move(tableChange); }

    Outcome Run(CallLogTable& table, const GatewayActions::JobRunner& run, const Status& status);

  private:
    using Record = std::array<std::uint8_t, 65>;
    // What is needed to recognise a block again: its record count and the
    // first and last records that were read.
    struct BlockMark {
        std::uint32_t count = 0;
        std::optional<std::pair<std::uint32_t, Record>> first;
        std::optional<std::pair<std::uint32_t, Record>> last;
    };
    enum class End { NoMoreData, Failed, Kept, Aborted };
    enum class BlockEnd { Read, Kept, Aborted };
    enum class Presence { Gone, There, Unknown };

    End ReadBlocks(std::int32_t firstN, TransferProgress& progress, const Status& status,
                   Outcome& outcome, std::string& closing);
    BlockEnd ReadBlock(BlockMark& mark, std::vector<CallLogRow>& rows, std::int32_t& nextN,
                       const std::string& deviceName, TransferProgress& progress, Outcome& outcome);
    // Erases the block just saved. A lost reply may hide an erase that took
    // effect: the request is repeated only while the same block is still
    // the gateway's current one.
    bool EraseBlock(const BlockMark& mark);
    Presence StillThere(const BlockMark& mark);
    // Runs change (which may change the table) between the two TableChange calls.
    template <typename Change>
    auto ChangingTable(Change change);

    DeviceAccess access_;
    const TData& image_;
    CallLogStorage& storage_;
    BlockStarted blockStarted_;
    TableChange tableChange_;
};

}  // namespace tulvo
