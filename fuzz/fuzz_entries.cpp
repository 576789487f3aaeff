#include "fuzz_entries.h"

#include <memory>
#include <optional>
#include <string_view>

#include "calllog/call_log_file.h"
#include "calllog/call_log_table.h"
#include "link/frame_codec.h"
#include "model/operator.h"
#include "model/t_data.h"
#include "sim/fault_rule.h"
#include "store/byte_source.h"
#include "store/config_file.h"
#include "store/regedit_format.h"

namespace tulvo::fuzz {
namespace {

class SilentOperator : public Operator {
  public:
    void Message(const std::string&) override {}
    void Error(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    Choice AskAbortIgnoreCancel(const std::string&) override { return Choice::Abort; }
};

std::string WrittenAfterReading(std::string_view text) {
    auto image = std::make_unique<TData>();
    SilentOperator op;
    ByteSource source(text, ByteSource::kNoLimit);
    ReadConfig(*image, source, op);
    return WriteConfigText(*image);
}

bool LinesFit(std::string_view text) {
    while (!text.empty()) {
        const auto end = text.find("\r\n");
        if (end == std::string_view::npos || end > 255) {
            return false;
        }
        text.remove_prefix(end + 2);
    }
    return true;
}

}  // namespace

std::string ConfigFileInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string first = WrittenAfterReading(input);
    if (!LinesFit(first)) {
        return "a written line does not fit 255 characters";
    }
    if (WrittenAfterReading(first) != first) {
        return "a written file does not read back as written";
    }
    return {};
}

std::string RegeditInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    RegeditReadStats stats;
    const RegistryTree tree = ReadRegeditText(input, {}, &stats);
    const std::string text = WriteRegedit(tree, stats.format);
    RegeditReadStats backStats;
    const RegistryTree back = ReadRegeditText(text, {}, &backStats);
    if (!(backStats.format == stats.format)) {
        return "the written file reads back in another format";
    }
    if (back.Keys().size() != tree.Keys().size() || back.ValueCount() != tree.ValueCount()) {
        return "the written file reads back with other keys or values";
    }
    for (const auto& key : tree.Keys()) {
        for (const auto& [name, value] : key.values) {
            const RegistryValue* read = back.Find(key.path, name);
            if (read == nullptr || !(*read == value)) {
                return "value \"" + name + "\" reads back changed";
            }
        }
    }
    if (WriteRegedit(back, stats.format) != text) {
        return "writing is not stable";
    }
    return {};
}

std::string FrameInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return {};
    }
    // The first byte picks the limit, up to a little more than the largest
    // reply the link asks for.
    const std::size_t limit = static_cast<std::size_t>(data[0]) * 3;
    FrameDecoder decoder(limit);
    for (std::size_t i = 1; i < size; ++i) {
        if (decoder.Feed(data[i]) != FrameDecoder::Result::Complete) {
            continue;
        }
        const std::vector<std::uint8_t> body = decoder.Data();
        decoder.Reset();
        if (body.size() > limit) {
            return "the decoder kept more than its limit";
        }
        if (body.size() == limit) {
            continue;  // cut at the limit: the rest of that frame is the caller's to drop
        }
        FrameDecoder again(limit);
        bool complete = false;
        for (std::uint8_t byte : EncodeFrame(body)) {
            complete = again.Feed(byte) == FrameDecoder::Result::Complete;
        }
        if (!complete || again.Data() != body) {
            return "a decoded body does not survive encoding and decoding again";
        }
    }
    return {};
}

std::string CallLogFileInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CallLogTable table;
    std::string error;
    if (!call_log_file::Parse(bytes, table, error)) {
        return error.empty() ? "a refused file gave no reason" : std::string();
    }
    const std::string first = call_log_file::Format(table.Rows());
    CallLogTable again;
    if (!call_log_file::Parse(first, again, error)) {
        return "a formatted table does not parse: " + error;
    }
    if (call_log_file::Format(again.Rows()) != first) {
        return "a formatted table does not format the same after parsing";
    }
    return {};
}

std::string FaultRuleInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<sim::FaultRule> rule = sim::ParseFaultRule(text, &error);
    if (!rule) {
        return error.empty() ? "a refused rule gave no reason" : std::string();
    }
    if (rule->fromIndex > rule->toIndex) {
        return "a rule's index range is upside down";
    }
    return {};
}

}  // namespace tulvo::fuzz
