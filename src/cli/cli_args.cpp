#include "cli/cli_args.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <span>

#include "store/data_folder.h"
#include "store/registry_store.h"

namespace tulvo::cli {

namespace {

constexpr std::string_view kFlags[] = {"help", "yes", "factory-defaults", "verify", "call-log"};
// Options that may be given more than once, each value kept.
constexpr std::string_view kRepeatable[] = {"fault"};

bool Listed(std::span<const std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool CliArgs::IsFlag(std::string_view name) {
    return Listed(kFlags, name);
}

CliArgs::CliArgs(std::vector<std::string> words, Operator& op, LinkSpeed linkSpeed)
    : op_(op), linkSpeed_(linkSpeed) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string_view word = words[i];
        if (!word.starts_with("--") || word == "--") {
            positional_.push_back(words[i]);
            continue;
        }
        word.remove_prefix(2);
        const auto eq = word.find('=');
        std::string name(word.substr(0, eq));
        if (eq != std::string_view::npos) {
            Add(name, std::string(word.substr(eq + 1)));
        } else if (IsFlag(name)) {
            options_.emplace_back(name, "");
        } else if (i + 1 < words.size() && !words[i + 1].starts_with("--")) {
            Add(name, words[++i]);
        } else {
            // "--port --store s.reg" lacks the port rather than naming a
            // port "--store"; such a value can still be given as --port=--x.
            throw UsageError("option --" + name + " needs a value");
        }
    }
}

void CliArgs::Add(const std::string& name, std::string value) {
    if (!Listed(kRepeatable, name) && Has(name)) {
        throw UsageError("option --" + name + " given twice");
    }
    options_.emplace_back(name, std::move(value));
}

std::optional<std::string> CliArgs::Value(std::string_view name) const {
    std::optional<std::string> last;
    for (const auto& [key, value] : options_) {
        if (key == name) {
            last = value;
        }
    }
    return last;
}

std::vector<std::string> CliArgs::Values(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& [key, value] : options_) {
        if (key == name) {
            values.push_back(value);
        }
    }
    return values;
}

bool CliArgs::Has(std::string_view name) const {
    return Value(name).has_value();
}

std::optional<long> CliArgs::Int(std::string_view name, long min, long max) const {
    const auto text = Value(name);
    if (!text) {
        return std::nullopt;
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc() || end != text->data() + text->size() || value < min || value > max) {
        throw UsageError("bad value for --" + std::string(name) + ": \"" + *text + "\"");
    }
    return value;
}

std::string CliArgs::Required(std::string_view name) const {
    auto value = Value(name);
    if (!value || value->empty()) {
        throw UsageError("--" + std::string(name) + " is required");
    }
    return *value;
}

std::string CliArgs::StorePath() const {
    return Value("store").value_or(RegistryStore::DefaultPath());
}

std::string CliArgs::DataDir() const {
    return Value("data-dir").value_or(DefaultDataFolder());
}

}  // namespace tulvo::cli
