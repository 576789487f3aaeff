#include "actions/call_log_download.h"

#include <algorithm>
#include <optional>
#include <span>

#include "actions/port_session.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"
#include "calllog/log_record.h"
#include "link/byte_io.h"
#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/dev_name.h"
#include "sync/transfer_progress.h"

namespace tulvo {
namespace {

using Buffer = std::array<std::uint8_t, TPortMost::kMaxPayload>;

// Erase requests for one block, as many as the link's attempts.
constexpr int kEraseAttempts = 5;

}  // namespace

CallLogDownload::CallLogDownload(const DeviceAccess& access, const TData& image,
                                 CallLogStorage& storage)
    : access_(access), image_(image), storage_(storage) {}

template <typename Change>
auto CallLogDownload::ChangingTable(Change change) {
    if (tableChange_) {
        tableChange_(true);
    }
    const auto result = change();
    if (tableChange_) {
        tableChange_(false);
    }
    return result;
}

CallLogDownload::Outcome CallLogDownload::Run(CallLogTable& table,
                                              const GatewayActions::JobRunner& run,
                                              const Status& status) {
    Outcome outcome;
    std::optional<PortSession> session(std::in_place, access_);
    if (!session->IsOpen()) {
        return outcome;
    }
    outcome.opened = true;
    std::string closing;
    End end = End::NoMoreData;
    const std::int32_t firstN = table.NextN();
    run([&](TransferProgress& progress) {
        end = ReadBlocks(firstN, progress, status, outcome, closing);
        return end != End::Aborted;
    });
    if (end == End::Aborted) {
        outcome.aborted = true;
        session.reset();
        // Nothing is said or saved; the rows of the erased blocks are on disk
        // and join the table from there.
        ChangingTable([&] { return storage_.Refresh(table, access_.op); });
        return outcome;
    }
    if (!closing.empty()) {
        access_.op.MessageWithDetail(closing, access_.port.LastLinkError());
    }
    if (status) {
        status(texts::kReadDone);
    }
    session.reset();
    // A failed block save has already told its error; saving again would
    // only repeat the message.
    if (end != End::Failed || !closing.empty()) {
        const bool saved = ChangingTable([&] { return storage_.Save(table, access_.op); });
        outcome.complete = saved && end == End::NoMoreData;
    } else {
        ChangingTable([&] { return storage_.Refresh(table, access_.op); });
    }
    return outcome;
}

CallLogDownload::End CallLogDownload::ReadBlocks(std::int32_t firstN, TransferProgress& progress,
                                                 const Status& status, Outcome& outcome,
                                                 std::string& closing) {
    TPortMost& port = access_.port;
    Buffer data{};
    std::uint8_t state = 0xFF;
    std::string deviceName;
    if (port.ReadDevName(data, state) && state == 0) {
        deviceName = DevName::Parse(std::span(data).first(DevName::kSize));
    }
    progress.SetMaximum(0);  // no block yet
    progress.SetPosition(0);
    std::int32_t nextN = firstN;
    std::vector<CallLogRow> rows;
    for (int block = 1;; ++block) {
        if (progress.StopRequested()) {
            return End::Aborted;
        }
        if (!port.ReadLogHeader(data, state)) {
            closing = texts::kLogHeaderError;
            return End::Failed;
        }
        if (state != 0) {
            closing = texts::kLogNoMoreData;
            return End::NoMoreData;
        }
        if (blockStarted_) {
            blockStarted_(block);
        }
        if (status) {
            status(texts::kLogReadingBlock + std::to_string(block) + texts::kLogBlockWord);
        }
        BlockMark mark;
        mark.count = byte_io::ReadU32le(data, 0);
        rows.clear();
        const std::size_t skippedBefore = outcome.recordsSkipped;
        switch (ReadBlock(mark, rows, nextN, deviceName, progress, outcome)) {
            case BlockEnd::Aborted:
                outcome.recordsSkipped = skippedBefore;
                return End::Aborted;
            case BlockEnd::Kept:
                outcome.recordsSkipped = skippedBefore;
                closing = texts::kLogBlockKept;
                return End::Kept;
            case BlockEnd::Read:
                break;
        }
        // The block's rows reach the disk before the gateway forgets them.
        if (!rows.empty() && !storage_.AppendRows(rows, access_.op)) {
            outcome.recordsSkipped = skippedBefore;
            return End::Failed;
        }
        outcome.rowsAdded += rows.size();
        if (!rows.empty()) {
            nextN = std::max(nextN, *rows.back().Int(CallLogField::N) + 1);
        }
        if (!EraseBlock(mark)) {
            outcome.recordsSkipped = skippedBefore;
            closing = texts::kLogEraseError;
            return End::Failed;
        }
        ++outcome.blocksErased;
    }
}

CallLogDownload::BlockEnd CallLogDownload::ReadBlock(BlockMark& mark, std::vector<CallLogRow>& rows,
                                                     std::int32_t& nextN,
                                                     const std::string& deviceName,
                                                     TransferProgress& progress, Outcome& outcome) {
    TPortMost& port = access_.port;
    Buffer data{};
    std::uint8_t state = 0xFF;
    progress.SetMaximum(static_cast<int>(std::min<std::uint32_t>(mark.count, 0x7FFFFFFF)));
    progress.SetPosition(0);
    for (std::uint32_t k = 1; k <= mark.count; ++k) {
        progress.SetPosition(static_cast<int>(std::min<std::uint32_t>(k, 0x7FFFFFFF)));
        if (progress.StopRequested()) {
            return BlockEnd::Aborted;
        }
        if (port.ReadLogRecord(data, state) && state == 0) {
            const auto bytes = std::span(data).first(LogRecordLayout::kSize);
            std::pair<std::uint32_t, Record> seen{k - 1, {}};
            std::copy(bytes.begin(), bytes.end(), seen.second.begin());
            if (!mark.first) {
                mark.first = seen;
            }
            mark.last = seen;
            CallLogRow row = DecodeLogRecord(bytes, image_, deviceName);
            row.SetInt(CallLogField::N, nextN++);
            rows.push_back(row);
            continue;
        }
        switch (access_.op.AskAbortIgnoreCancel(texts::kLogRecordError)) {
            case Operator::Choice::Ignore:
                ++outcome.recordsSkipped;
                break;
            case Operator::Choice::Abort:
                return BlockEnd::Aborted;
            case Operator::Choice::Cancel:
                // The block's remaining records were not read: it stays in
                // the gateway and is read whole next time.
                return BlockEnd::Kept;
        }
    }
    return BlockEnd::Read;
}

bool CallLogDownload::EraseBlock(const BlockMark& mark) {
    Buffer data{};
    std::uint8_t state = 0xFF;
    for (int attempt = 0; attempt < kEraseAttempts; ++attempt) {
        if (access_.port.EraseLogBlock(data, state)) {
            return true;
        }
        switch (StillThere(mark)) {
            case Presence::Gone:
                return true;
            case Presence::There:
                break;
            case Presence::Unknown:
                return false;
        }
    }
    return false;
}

CallLogDownload::Presence CallLogDownload::StillThere(const BlockMark& mark) {
    TPortMost& port = access_.port;
    Buffer data{};
    std::uint8_t state = 0xFF;
    if (!port.ReadLogHeader(data, state)) {
        return Presence::Unknown;
    }
    if (state != 0 || byte_io::ReadU32le(data, 0) != mark.count) {
        return Presence::Gone;
    }
    if (mark.count == 0) {
        return Presence::There;  // erasing an empty block again loses nothing
    }
    if (!mark.first) {
        return Presence::Unknown;  // no record of it was read to compare
    }
    for (const auto& [index, record] : {*mark.first, *mark.last}) {
        port.LogSequence = static_cast<std::int32_t>(index);
        if (!port.ReadLogRecord(data, state) || state != 0) {
            return Presence::Unknown;
        }
        if (!std::equal(record.begin(), record.end(), data.begin())) {
            return Presence::Gone;
        }
    }
    return Presence::There;
}

}  // namespace tulvo
