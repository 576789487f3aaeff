#include "store/image_diff.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <utility>

#include "model/cp1251.h"
#include "store/config_file.h"

namespace tulvo {
namespace {

// One line of the file: its name ("FXO", "Ab:3") and its tokens in order.
struct FileLine {
    std::string name;
    std::vector<std::pair<std::string, std::string>> tokens;
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

std::pair<std::string, std::string> Token(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return {text, ""};
    }
    return {text.substr(0, colon), text.substr(colon + 1)};
}

// Subscriber and list lines are named by their number; the others by their
// first word, which for "PASSWORD:1234" is also the line's only token.
FileLine ParseLine(const std::string& line) {
    FileLine parsed;
    const std::vector<std::string> words = Split(line, ',');
    for (std::size_t i = 0; i < words.size(); ++i) {
        auto [key, value] = Token(words[i]);
        if (i == 0 && (key == "Ab" || key == "BL")) {
            parsed.name = words[i];
            continue;
        }
        if (i == 0) {
            parsed.name = key;
            if (value.empty() && words[i].find(':') == std::string::npos) {
                continue;
            }
        }
        parsed.tokens.emplace_back(std::move(key), std::move(value));
    }
    return parsed;
}

std::vector<FileLine> ParseText(const std::string& text) {
    std::vector<FileLine> lines;
    for (std::string line : Split(text, '\n')) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(ParseLine(line));
        }
    }
    return lines;
}

void DiffTokens(const FileLine& from, const FileLine& to, std::vector<std::string>& out) {
    std::map<std::string, std::string> values;
    for (const auto& [key, value] : to.tokens) {
        values[key] = value;
    }
    for (const auto& [key, value] : from.tokens) {
        const auto other = values.find(key);
        const std::string now = other == values.end() ? "" : other->second;
        if (now != value) {
            out.push_back(Cp1251ToUtf8(from.name + " " + key + ": " + value + " -> " + now));
        }
        if (other != values.end()) {
            values.erase(other);
        }
    }
    for (const auto& [key, value] : values) {
        out.push_back(Cp1251ToUtf8(from.name + " " + key + ":  -> " + value));
    }
}

const FileLine* Find(const std::vector<FileLine>& lines, const std::string& name) {
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [&](const FileLine& line) { return line.name == name; });
    return found == lines.end() ? nullptr : &*found;
}

template <typename View>
bool SameBytes(const View& a, const View& b) {
    return std::equal(a.bytes().begin(), a.bytes().end(), b.bytes().begin());
}

}  // namespace

std::vector<std::string> DiffImages(const TData& from, const TData& to) {
    std::vector<std::string> out;
    const std::vector<FileLine> before = ParseText(WriteConfigText(from));
    const std::vector<FileLine> after = ParseText(WriteConfigText(to));
    for (const FileLine& line : before) {
        if (const FileLine* other = Find(after, line.name)) {
            DiffTokens(line, *other, out);
        } else {
            out.push_back(Cp1251ToUtf8(line.name) + ": только в настройках");
        }
    }
    for (const FileLine& line : after) {
        if (Find(before, line.name) == nullptr) {
            out.push_back(Cp1251ToUtf8(line.name) + ": только в шлюзе");
        }
    }
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        if (!SameBytes(from.SMSMessage(m), to.SMSMessage(m))) {
            out.push_back("SMS:" + std::to_string(m) + ": \"" +
                          Cp1251ToUtf8(from.SMSMessage(m).Text()) + "\" -> \"" +
                          Cp1251ToUtf8(to.SMSMessage(m).Text()) + "\"");
        }
    }
    return out;
}

}  // namespace tulvo
