#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "actions/link_speed.h"
#include "model/operator.h"

namespace tulvo {
class LinkTrace;
}  // namespace tulvo

namespace tulvo::cli {

// Bad command-line usage: main() prints the text with the usage and exits 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The arguments of one sub-command: positional words and --options.
// "--name value" and "--name=value" both work; a few names are flags that
// take no value (IsFlag). A value after a space never begins with "--". An
// option that takes one value may be given once; the repeatable ones
// (--fault) keep every value in order.
class CliArgs {
  public:
    // Parses words[first..]; throws UsageError on a malformed option.
    CliArgs(std::vector<std::string> words, Operator& op, LinkSpeed linkSpeed = {});

    static bool IsFlag(std::string_view name);

    const std::vector<std::string>& Positional() const { return positional_; }
    const std::vector<std::pair<std::string, std::string>>& Options() const { return options_; }

    // The last value of an option, or nothing.
    std::optional<std::string> Value(std::string_view name) const;
    std::vector<std::string> Values(std::string_view name) const;
    bool Has(std::string_view name) const;
    // An integer option within [min, max]; throws UsageError when malformed.
    std::optional<long> Int(std::string_view name, long min, long max) const;
    // The one value of a required option; throws UsageError when missing.
    std::string Required(std::string_view name) const;

    // --store, or the default registry store file.
    std::string StorePath() const;
    // --data-dir, or the default folder of the call-log file.
    std::string DataDir() const;

    Operator& Op() const { return op_; }
    LinkSpeed Speed() const { return linkSpeed_; }
    // Where the links of this command report their traffic (--trace), or null.
    LinkTrace* Trace() const { return trace_; }
    void SetTrace(LinkTrace* trace) { trace_ = trace; }

  private:
    // Records one value; throws UsageError for a second value of an option
    // that takes one.
    void Add(const std::string& name, std::string value);

    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> options_;
    Operator& op_;
    LinkSpeed linkSpeed_;
    LinkTrace* trace_ = nullptr;
};

}  // namespace tulvo::cli
