#include "fuzz_entries.h"

#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

#include "calllog/call_log_file.h"
#include "calllog/call_log_table.h"
#include "link/frame_codec.h"
#include "link/network_address.h"
#include "model/operator.h"
#include "model/t_data.h"
#include "sim/fault_rule.h"
#include "store/byte_source.h"
#include "store/config_file.h"
#include "store/regedit_format.h"
#include "sync/firmware_image_reader.h"

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

bool BufferHolds(std::span<const std::uint8_t> buffer, std::string_view file, std::size_t at,
                 std::size_t length) {
    return at + length <= file.size() &&
           std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length),
                      reinterpret_cast<const std::uint8_t*>(file.data()) + at);
}

std::string ProgramImageBlocks(std::string_view file) {
    std::istringstream stream{std::string(file)};
    FirmwareImageReader reader(FirmwareImageReader::Kind::Program, stream);
    const std::size_t blockData = FirmwareImageReader::kBlockData;
    for (std::size_t n = 0;; ++n) {
        const FirmwareImageReader::Step step = reader.Next();
        if (step != FirmwareImageReader::Step::Block) {
            return step == FirmwareImageReader::Step::Bad && n > 0
                       ? "a program image went bad after its header"
                       : std::string();
        }
        if (n * blockData >= file.size()) {
            return "a program image gave more blocks than the file holds";
        }
        if (reader.Address() != FirmwareImageReader::kProgramFirstAddress + n) {
            return "a program block goes to the wrong address";
        }
        const std::size_t length = std::min(blockData, file.size() - n * blockData);
        if (!BufferHolds(reader.Buffer(), file, n * blockData, length)) {
            return "a program block does not hold the file's bytes";
        }
    }
}

std::string VoiceImageRecords(std::string_view file) {
    std::istringstream stream{std::string(file)};
    FirmwareImageReader reader(FirmwareImageReader::Kind::Voice, stream);
    const std::size_t headerSize = FirmwareImageReader::kHeaderSize;
    for (std::size_t at = 0;;) {
        if (reader.Next() != FirmwareImageReader::Step::Block) {
            return {};
        }
        if (at + headerSize > file.size()) {
            return "a voice record was delivered past the end of the file";
        }
        const auto header = reinterpret_cast<const std::uint8_t*>(file.data()) + at;
        const std::size_t length = header[2] | (header[3] << 8);
        if (length > FirmwareImageReader::kBlockData) {
            return "a voice record longer than a block was delivered";
        }
        if (reader.Address() != (header[4] | (header[5] << 8))) {
            return "a voice record goes to another address than its header says";
        }
        if (!BufferHolds(reader.Buffer(), file, at + headerSize, length)) {
            return "a voice record does not hold the file's bytes";
        }
        at += headerSize + length;
    }
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

std::string NetworkAddressInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    const std::optional<NetworkAddress> address = NetworkAddress::Parse(text, &why);
    if (!address) {
        return why.empty() ? "a refused address gave no reason" : std::string();
    }
    const std::string written = address->Text();
    if (NetworkAddress::Parse(written) != address) {
        return "an address does not read back as itself";
    }
    if (written.find_first_of(", \t\r\n=") != std::string::npos) {
        return "an address holds a list separator";
    }
    return {};
}

Entry EntryFor(std::string_view target) {
    static constexpr std::pair<std::string_view, Entry> kEntries[] = {
        {"config_file", ConfigFileInput},
        {"regedit", RegeditInput},
        {"frame", FrameInput},
        {"reply", ReplyInput},
        {"call_log", CallLogFileInput},
        {"firmware_image", FirmwareImageInput},
        {"fault_rule", FaultRuleInput},
        {"network_address", NetworkAddressInput},
    };
    for (const auto& [name, entry] : kEntries) {
        if (name == target) {
            return entry;
        }
    }
    return nullptr;
}

std::string FirmwareImageInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    return data[0] % 2 == 0 ? ProgramImageBlocks(file) : VoiceImageRecords(file);
}

}  // namespace tulvo::fuzz
