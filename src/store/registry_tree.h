#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/registry_value.h"

namespace tulvo {

// Keys and their values as a registry file holds them. Key paths and value names
// compare without regard to ASCII case, as the registry does, and keep the
// spelling and order in which they were first seen.
class RegistryTree {
  public:
    struct Key {
        std::string path;  // full path, e.g. HKEY_CURRENT_USER\SOFTWARE\...
        std::vector<std::pair<std::string, RegistryValue>> values;
        std::unordered_map<std::string, std::size_t> index;  // folded name -> position
        // Comment lines after the key line, each with the number of values
        // that came before it.
        std::vector<std::pair<std::size_t, std::string>> comments;
    };

    // Finds the key, creating it (empty) when missing.
    Key& AddKey(std::string_view path);
    const Key* FindKey(std::string_view path) const;
    const RegistryValue* Find(std::string_view path, std::string_view name) const;
    void Set(std::string_view path, std::string_view name, RegistryValue value);

    // A comment line, kept in place: after the values of keyPath read so far,
    // or before every key when keyPath is empty.
    void AddComment(std::string_view keyPath, std::string line);
    const std::vector<std::string>& Preamble() const { return preamble_; }

    const std::vector<Key>& Keys() const { return keys_; }
    std::size_t ValueCount() const { return valueCount_; }
    bool Empty() const { return keys_.empty(); }

    static std::string Fold(std::string_view text);

  private:
    Key* FindKeyMutable(std::string_view path);

    std::vector<Key> keys_;
    std::vector<std::string> preamble_;
    std::unordered_map<std::string, std::size_t> keyIndex_;  // folded path -> position
    std::size_t valueCount_ = 0;
};

}  // namespace tulvo
