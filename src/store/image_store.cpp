#include "store/image_store.h"

#include <string>
#include <utility>
#include <vector>

namespace tulvo {

namespace {

std::string Numbered(std::string_view name, int n) {
    return std::string(name) + std::to_string(n);
}

// Copies a stored record into view when it is present with the record's size
// and a valid checksum; otherwise the record keeps its bytes.
template <typename View>
bool LoadRecord(const RegistryKey& key, std::string_view name, View view) {
    const auto bytes = key.ReadBinary(name);
    return bytes && view.CopyIn(*bytes);
}

template <typename Bytes>
RegistryValue BinaryOf(const Bytes& bytes) {
    return RegistryValue::Binary(std::string(bytes.begin(), bytes.end()));
}

template <typename View>
void SaveSealed(RegistryKey& key, std::string_view name, const View& view) {
    const auto copy = view.SealedCopy();
    key.WriteBinary(name, copy);
}

// After a load: each value the file lacked holds its default in the image;
// saving that default is no change of this program's own.
template <typename View>
void NoteSealed(RegistryKey& key, std::string_view name, const View& view) {
    key.NoteDefault(name, BinaryOf(view.SealedCopy()));
}

// The key is closed (and the file saved, unless a batch is open) when the
// operation's scope ends; the store then tells whether the values reached the
// file or wait for the batch.
template <typename Work>
bool SaveOperation(RegistryStore& store, std::string_view keyPath, Work work) {
    {
        RegistryKey key = store.OpenKey(keyPath);
        work(key);
    }
    return store.Usable() && (store.InBatch() || !store.HasPendingChanges());
}

// The six values of subscriber n, as they are saved. The record's checksum is
// recomputed, in the image too.
std::vector<std::pair<std::string, RegistryValue>> SubscriberValues(TData& image, int n) {
    const NameEntry& name = image.Name(n);
    const ConstAbPhoneRecord phone = std::as_const(image).AbPhone(n);
    return {
        {Numbered("AbInfo", n), BinaryOf(image.AbInfo(n).CopyOut())},
        {Numbered("AbFNS", n), RegistryValue::String(name.AbFNS)},
        {Numbered("AbIdCod", n), RegistryValue::Dword(static_cast<std::uint32_t>(name.AbIdCod))},
        {Numbered("PhoneIn", n), RegistryValue::String(phone.PhoneIn())},
        {Numbered("PhoneOut", n), RegistryValue::String(phone.PhoneOut())},
        {Numbered("FlagPhone", n), RegistryValue::Dword(phone.FlagPhone())},
    };
}

void LoadSubscriber(TData& image, RegistryKey& key, int n) {
    AbInfoRecord info = image.AbInfo(n);
    info.SetFLAG(AbInfoRecord::kEmpty);
    info.SetID(static_cast<std::uint32_t>(n));
    NameEntry& name = image.Name(n);
    AbPhoneRecord phone = image.AbPhone(n);
    if (LoadRecord(key, Numbered("AbInfo", n), info)) {
        name.AbFNS = key.ReadString(Numbered("AbFNS", n)).value_or("");
        const auto idCod = key.ReadDword(Numbered("AbIdCod", n));
        name.AbIdCod = idCod ? static_cast<std::int32_t>(*idCod) : -1;
        const std::string phoneIn = key.ReadString(Numbered("PhoneIn", n)).value_or("");
        phone.SetPhoneIn(phoneIn);
        phone.SetPhoneLen(static_cast<std::uint8_t>(phoneIn.size() & 0xFF));
        phone.SetPhoneOut(key.ReadString(Numbered("PhoneOut", n)).value_or(""));
        const auto flag = key.ReadDword(Numbered("FlagPhone", n));
        phone.SetFlagPhone(flag ? static_cast<std::uint8_t>(*flag & 0xFF) : 0xFF);
        return;
    }
    name.AbFNS.clear();
    name.AbIdCod = -1;
    phone.SetPhoneIn("");
    phone.SetPhoneLen(0);
    phone.SetPhoneOut("");
    phone.SetFlagPhone(0xFF);
}

// A subscriber is saved whole or not at all (see RegistryKey::WriteGroup).
void SaveSubscriber(TData& image, RegistryKey& key, int n) {
    key.WriteGroup(SubscriberValues(image, n));
}

void NoteSubscriberDefaults(TData& image, RegistryKey& key, int n) {
    for (auto& [name, value] : SubscriberValues(image, n)) {
        key.NoteDefault(name, std::move(value));
    }
}

}  // namespace

void LoadSubscribers(TData& image, RegistryStore& store) {
    RegistryKey key = store.OpenKey(kDBaseKey);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        LoadSubscriber(image, key, n);
        NoteSubscriberDefaults(image, key, n);
    }
}

bool SaveSubscribers(TData& image, RegistryStore& store, int n) {
    if (n < 0 || n > TData::kSubscribers) {
        return true;
    }
    return SaveOperation(store, kDBaseKey, [&](RegistryKey& key) {
        const int first = n == 0 ? 1 : n;
        const int last = n == 0 ? TData::kSubscribers : n;
        for (int i = first; i <= last; ++i) {
            SaveSubscriber(image, key, i);
        }
    });
}

// Loads the record and notes its default when the file has none.
template <typename View>
void LoadOrNote(RegistryKey& key, std::string_view name, const View& view) {
    LoadRecord(key, name, view);
    NoteSealed(key, name, view);
}

void LoadSettings(TData& image, RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    LoadOrNote(key, "SettingFXO", image.SettingFXO());
    LoadOrNote(key, "SettingFXS", image.SettingFXS());
    LoadOrNote(key, "SettingMOB", image.SettingMOB());
    LoadOrNote(key, "SettingPASSWORD", image.SettingPASSWORD());
    LoadOrNote(key, "ControlAccount", image.ControlAccount());
}

bool SaveSettings(const TData& image, RegistryStore& store) {
    return SaveOperation(store, kSettingKey, [&](RegistryKey& key) {
        SaveSealed(key, "SettingFXO", image.SettingFXO());
        SaveSealed(key, "SettingFXS", image.SettingFXS());
        SaveSealed(key, "SettingMOB", image.SettingMOB());
        SaveSealed(key, "SettingPASSWORD", image.SettingPASSWORD());
        SaveSealed(key, "ControlAccount", image.ControlAccount());
    });
}

void LoadAlarm(TData& image, RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    LoadOrNote(key, "SettingAlarm", image.SettingAlarm());
}

bool SaveAlarm(const TData& image, RegistryStore& store) {
    return SaveOperation(store, kSettingKey, [&](RegistryKey& key) {
        SaveSealed(key, "SettingAlarm", image.SettingAlarm());
    });
}

// Element 0 is the gateway's first entry: it is kept as "BlackList0" so that
// a write after a restart sends back what the last read brought. A store
// written before it was kept simply has no such value.
void LoadBlackList(TData& image, RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    for (int i = 0; i < TData::kBlackListEntries; ++i) {
        LoadOrNote(key, Numbered("BlackList", i), image.BlackListEntry(i));
    }
}

bool SaveBlackList(const TData& image, RegistryStore& store) {
    return SaveOperation(store, kSettingKey, [&](RegistryKey& key) {
        for (int i = 0; i < TData::kBlackListEntries; ++i) {
            SaveSealed(key, Numbered("BlackList", i), image.BlackListEntry(i));
        }
    });
}

void LoadSms(TData& image, RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        const std::string name = Numbered("SMSMessage", m);
        LoadRecord(key, name, image.SMSMessage(m));
        key.NoteDefault(name, BinaryOf(std::as_const(image).SMSMessage(m).bytes()));
    }
}

bool SaveSms(const TData& image, RegistryStore& store) {
    return SaveOperation(store, kSettingKey, [&](RegistryKey& key) {
        for (int m = 0; m < TData::kSmsMessages; ++m) {
            key.WriteBinary(Numbered("SMSMessage", m), image.SMSMessage(m).bytes());
        }
    });
}

void LoadImage(TData& image, RegistryStore& store) {
    RegistryStore::Batch batch(store);  // one state of the file for all five
    LoadSubscribers(image, store);
    LoadSettings(image, store);
    LoadAlarm(image, store);
    LoadBlackList(image, store);
    LoadSms(image, store);
}

bool SaveImage(TData& image, RegistryStore& store) {
    RegistryStore::Batch batch(store);  // one save of the file for all five
    bool ok = SaveSubscribers(image, store);
    ok = SaveSettings(image, store) && ok;
    ok = SaveAlarm(image, store) && ok;
    ok = SaveBlackList(image, store) && ok;
    ok = SaveSms(image, store) && ok;
    return batch.Close() && ok;
}

bool SaveReadImage(TData& image, RegistryStore& store) {
    RegistryStore::OwnWrites own(store);
    return SaveImage(image, store);
}

}  // namespace tulvo
