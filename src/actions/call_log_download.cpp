#include "actions/call_log_download.h"

#include <array>
#include <optional>
#include <span>

#include "actions/port_session.h"
#include "calllog/call_log_file.h"
#include "calllog/call_log_table.h"
#include "calllog/log_record.h"
#include "link/byte_io.h"
#include "link/dev_name.h"
#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/transfer_progress.h"

namespace tulvo {
namespace {

using Buffer = std::array<std::uint8_t, TPortMost::kMaxPayload>;

}  // namespace

CallLogDownload::CallLogDownload(const DeviceAccess& access, const TData& image,
                                 const CallLogStorage& storage)
    : access_(access), image_(image), storage_(storage) {}

CallLogDownload::Outcome CallLogDownload::Run(CallLogTable& table,
                                              const GatewayActions::JobRunner& run,
                                              const Status& status) {
    Outcome outcome;
    std::optional<PortSession> session(std::in_place, access_);
    if (!session->IsOpen()) {
        return outcome;
    }
    outcome.opened = true;
    std::vector<CallLogRow> rows;
    std::string closing;
    End end = End::NoMoreData;
    run([&](TransferProgress& progress) {
        end = ReadBlocks(table, rows, progress, status, outcome, closing);
        return end != End::Aborted;
    });
    table.AppendNumbered(rows);
    outcome.rowsAdded = rows.size();
    if (end == End::Aborted) {
        outcome.aborted = true;
        return outcome;  // the port closes with the session; nothing more is said or saved
    }
    if (!closing.empty()) {
        access_.op.Message(closing);
    }
    if (status) {
        status(texts::kReadDone);
    }
    session.reset();
    // A failed block save has already told its error and left its block in
    // the gateway; saving again would only repeat the message.
    if (end != End::Failed || !closing.empty()) {
        const bool saved = storage_.Save(table, access_.op);
        outcome.complete = saved && end == End::NoMoreData;
    }
    return outcome;
}

CallLogDownload::End CallLogDownload::ReadBlocks(const CallLogTable& table,
                                                 std::vector<CallLogRow>& rows,
                                                 TransferProgress& progress, const Status& status,
                                                 Outcome& outcome, std::string& closing) {
    TPortMost& port = access_.port;
    Buffer data{};
    std::uint8_t state = 0xFF;
    std::string deviceName;
    if (port.ReadDevName(data, state) && state == 0) {
        deviceName = DevName::Parse(std::span(data).first(DevName::kSize));
    }
    std::int32_t nextN = table.NextN();
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
        if (status) {
            status(texts::kLogReadingBlock + std::to_string(block) + texts::kLogBlockWord);
        }
        const std::uint32_t count = byte_io::ReadU32le(data, 0);
        progress.SetMaximum(static_cast<int>(std::min<std::uint32_t>(count, 0x7FFFFFFF)));
        progress.SetPosition(0);
        bool keepBlock = false;
        for (std::uint32_t k = 1; k <= count && !keepBlock; ++k) {
            progress.SetPosition(static_cast<int>(std::min<std::uint32_t>(k, 0x7FFFFFFF)));
            if (progress.StopRequested()) {
                return End::Aborted;
            }
            if (port.ReadLogRecord(data, state) && state == 0) {
                CallLogRow row = DecodeLogRecord(std::span(data).first(LogRecordLayout::kSize),
                                                 image_, deviceName);
                row.SetInt(CallLogField::N, nextN++);
                rows.push_back(row);
                continue;
            }
            switch (access_.op.AskAbortIgnoreCancel(texts::kLogRecordError)) {
                case Operator::Choice::Ignore:
                    break;
                case Operator::Choice::Abort:
                    return End::Aborted;
                case Operator::Choice::Cancel:
                    // The block's remaining records were not read: it stays in
                    // the gateway and is read whole next time.
                    keepBlock = true;
                    break;
            }
        }
        if (keepBlock) {
            closing = texts::kLogBlockKept;
            return End::Kept;
        }
        // The block's rows reach the disk before the gateway forgets them.
        if (!storage_.Save(table, access_.op, rows)) {
            return End::Failed;
        }
        if (!port.EraseLogBlock(data, state)) {
            closing = texts::kLogEraseError;
            return End::Failed;
        }
        ++outcome.blocksErased;
    }
}

}  // namespace tulvo
