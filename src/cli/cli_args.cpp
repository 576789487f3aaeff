#include "cli/cli_args.h"

#include <charconv>
#include <cstdlib>

#include "store/data_folder.h"
#include "store/registry_store.h"

namespace tulvo::cli {

namespace {

constexpr std::string_view kFlags[] = {"help", "yes", "factory-defaults", "verify", "call-log"};

}  // namespace

bool CliArgs::IsFlag(std::string_view name) {
    for (auto flag : kFlags) {
        if (flag == name) {
            return true;
        }
    }
    return false;
}

CliArgs::CliArgs(std::vector<std::string> words, Operator& op, LinkTiming timing)
    : op_(op), timing_(timing) {
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
            options_.emplace_back(name, std::string(word.substr(eq + 1)));
        } else if (IsFlag(name)) {
            options_.emplace_back(name, "");
        } else if (i + 1 < words.size()) {
            options_.emplace_back(name, words[++i]);
        } else {
            throw UsageError("option --" + name + " needs a value");
        }
    }
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
