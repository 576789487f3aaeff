#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/registry_value.h"

namespace tulvo {

class RegistryStore;

// An open key of a RegistryStore. Reads see the values this process wrote and
// otherwise the file as it was when the first key of an operation was opened.
// When the last open key of a store is closed (destroyed), the values written
// through it are saved to the file.
class RegistryKey {
  public:
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&&) = delete;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    const std::string& Path() const { return path_; }

    // Each read gives nothing when the value is missing or has another type.
    std::optional<std::string> ReadString(std::string_view name) const;
    std::optional<std::uint32_t> ReadDword(std::string_view name) const;
    std::optional<bool> ReadBool(std::string_view name) const;  // any value but 0 is true
    std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view name) const;

    void WriteString(std::string_view name, std::string_view text);
    void WriteDword(std::string_view name, std::uint32_t value);
    void WriteBool(std::string_view name, bool value);
    void WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes);

    // Values that belong together, such as the pieces of one subscriber: when
    // this process changed any of them, all are saved as it holds them, so the
    // file never ends up with some from this program and some from another.
    void WriteGroup(const std::vector<std::pair<std::string, RegistryValue>>& values);

    // Tells the store the value the program gave name because the file had
    // none. Writing that value back is then no change of this program's own:
    // it is created where the file still lacks the value, and never replaces
    // what another program has put there since.
    void NoteDefault(std::string_view name, RegistryValue value);

  private:
    friend class RegistryStore;
    RegistryKey(RegistryStore& store, std::string path);

    RegistryStore* store_;
    std::string path_;
};

}  // namespace tulvo
