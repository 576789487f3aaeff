#include "store/registry_key.h"

#include "store/registry_store.h"

namespace tulvo {

RegistryKey::RegistryKey(RegistryStore& store, std::string path)
    : store_(&store), path_(std::move(path)) {
    store_->Acquire();
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : store_(other.store_), path_(std::move(other.path_)) {
    other.store_ = nullptr;
}

RegistryKey::~RegistryKey() {
    if (store_ != nullptr) {
        store_->Release();
    }
}

std::optional<std::string> RegistryKey::ReadString(std::string_view name) const {
    const auto value = store_->Read(path_, name);
    if (!value || value->type != RegistryValue::kString) {
        return std::nullopt;
    }
    return value->data;
}

std::optional<std::uint32_t> RegistryKey::ReadDword(std::string_view name) const {
    const auto value = store_->Read(path_, name);
    if (!value || value->type != RegistryValue::kDword || value->data.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t result = 0;
    for (int i = 3; i >= 0; --i) {
        result = (result << 8) | static_cast<unsigned char>(value->data[i]);
    }
    return result;
}

std::optional<bool> RegistryKey::ReadBool(std::string_view name) const {
    const auto value = ReadDword(name);
    return value ? std::optional<bool>(*value != 0) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> RegistryKey::ReadBinary(std::string_view name) const {
    const auto value = store_->Read(path_, name);
    if (!value || value->type != RegistryValue::kBinary) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(value->data.begin(), value->data.end());
}

void RegistryKey::WriteString(std::string_view name, std::string_view text) {
    store_->Write(path_, name, RegistryValue::String(std::string(text)));
}

void RegistryKey::WriteDword(std::string_view name, std::uint32_t value) {
    store_->Write(path_, name, RegistryValue::Dword(value));
}

void RegistryKey::WriteBool(std::string_view name, bool value) {
    WriteDword(name, value ? 1 : 0);
}

void RegistryKey::WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes) {
    store_->Write(path_, name, RegistryValue::Binary(std::string(bytes.begin(), bytes.end())));
}

void RegistryKey::WriteGroup(const std::vector<std::pair<std::string, RegistryValue>>& values) {
    store_->WriteGroup(path_, values);
}

void RegistryKey::NoteDefault(std::string_view name, RegistryValue value) {
    store_->NoteDefault(path_, name, std::move(value));
}

}  // namespace tulvo
