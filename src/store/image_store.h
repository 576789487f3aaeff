#pragma once

#include <string_view>

#include "model/t_data.h"
#include "store/registry_store.h"

namespace tulvo {

// The configuration image in the registry store. Each function is one store
// operation: it opens its key, reads or writes its values and closes the key,
// which saves the file once when a value changed (or, inside a
// RegistryStore::Batch, when the batch ends). The saves return false when the
// file could not be written (store.LastError() says why). A load notes the
// defaults it gave values the file lacks, so that saving them back never
// replaces what another program stored meanwhile.

inline constexpr std::string_view kDBaseKey = "\\SOFTWARE\\ZARQ\\MTulvo\\DBase";
inline constexpr std::string_view kSettingKey = "\\SOFTWARE\\ZARQ\\MTulvo\\Setting";

// Subscribers 1 to 300 with their names and phone records. A subscriber
// without a stored record with a valid checksum comes up empty with ID n.
void LoadSubscribers(TData& image, RegistryStore& store);
// n = 0: subscribers 1 to 300; n = 1 to 300: that subscriber only.
// Recomputes the checksum of each saved subscriber record in the image too.
bool SaveSubscribers(TData& image, RegistryStore& store, int n = 0);

// SettingFXO, SettingFXS, SettingMOB, SettingPASSWORD, ControlAccount.
void LoadSettings(TData& image, RegistryStore& store);
bool SaveSettings(const TData& image, RegistryStore& store);

void LoadAlarm(TData& image, RegistryStore& store);
bool SaveAlarm(const TData& image, RegistryStore& store);

// List elements 0 to 186 as "BlackList0" to "BlackList186". A missing or
// damaged value leaves its element as it is.
void LoadBlackList(TData& image, RegistryStore& store);
bool SaveBlackList(const TData& image, RegistryStore& store);

// Messages 0 to 9, saved as they stand in the image.
void LoadSms(TData& image, RegistryStore& store);
bool SaveSms(const TData& image, RegistryStore& store);

// The five loads, in the order above (start-up), from one state of the file.
void LoadImage(TData& image, RegistryStore& store);
// The five saves, in the order above (exit), as one save of the file (or as
// part of an open batch). False when the file could not be written.
bool SaveImage(TData& image, RegistryStore& store);
// SaveImage after a whole read from the gateway: every value counts as this
// program's own, also where it equals what was loaded, so the store then
// mirrors the gateway.
bool SaveReadImage(TData& image, RegistryStore& store);

}  // namespace tulvo
