#include "store/registry_tree.h"

namespace tulvo {

std::string RegistryTree::Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

RegistryTree::Key* RegistryTree::FindKeyMutable(std::string_view path) {
    const auto it = keyIndex_.find(Fold(path));
    return it == keyIndex_.end() ? nullptr : &keys_[it->second];
}

const RegistryTree::Key* RegistryTree::FindKey(std::string_view path) const {
    return const_cast<RegistryTree*>(this)->FindKeyMutable(path);
}

RegistryTree::Key& RegistryTree::AddKey(std::string_view path) {
    if (Key* key = FindKeyMutable(path)) {
        return *key;
    }
    keyIndex_.emplace(Fold(path), keys_.size());
    keys_.push_back(Key{std::string(path), {}, {}, {}});
    return keys_.back();
}

const RegistryValue* RegistryTree::Find(std::string_view path, std::string_view name) const {
    const Key* key = FindKey(path);
    if (key == nullptr) {
        return nullptr;
    }
    const auto it = key->index.find(Fold(name));
    return it == key->index.end() ? nullptr : &key->values[it->second].second;
}

void RegistryTree::Set(std::string_view path, std::string_view name, RegistryValue value) {
    Key& key = AddKey(path);
    auto [it, added] = key.index.emplace(Fold(name), key.values.size());
    if (added) {
        key.values.emplace_back(std::string(name), std::move(value));
        ++valueCount_;
    } else {
        key.values[it->second].second = std::move(value);
    }
}

void RegistryTree::AddComment(std::string_view keyPath, std::string line) {
    if (keyPath.empty()) {
        preamble_.push_back(std::move(line));
        return;
    }
    Key& key = AddKey(keyPath);
    key.comments.emplace_back(key.values.size(), std::move(line));
}

}  // namespace tulvo
