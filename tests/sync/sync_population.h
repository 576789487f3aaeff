#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/crc8.h"
#include "model/ab_info_record.h"
#include "model/ab_limit_record.h"
#include "model/ab_phone_record.h"
#include "model/black_list_record.h"
#include "model/sms_message_record.h"
#include "model/t_data.h"
#include "sim/gateway_state.h"

namespace tulvo::test {

// Records of a known gateway population, built through the record views so
// they look like what a gateway in use holds. Each record's contents depend
// on its number, so a record copied into the wrong slot shows.
struct SyncPopulation {
    using Bytes = std::vector<std::uint8_t>;

    static std::uint32_t IdOf(int n) { return 0x10000u + static_cast<std::uint32_t>(n); }

    static Bytes AbInfo(int n) {
        std::array<std::uint8_t, 33> bytes{};
        AbInfoRecord r(bytes);
        r.Reset();
        r.SetFLAG(AbInfoRecord::kActivation | (n % 2 ? AbInfoRecord::kCallBack : 0));
        r.SetID(IdOf(n));
        r.SetPassword("p" + std::to_string(n));
        r.SetLM(static_cast<std::uint8_t>(0x38 + n % 4));
        r.SetGr(static_cast<std::uint8_t>(n % 5));
        r.SetLimIn(static_cast<std::uint32_t>(n));
        r.SetLimOut(static_cast<std::uint32_t>(2 * n));
        return {bytes.begin(), bytes.end()};
    }

    static Bytes AbPhone(int n) {
        std::array<std::uint8_t, 38> bytes{};
        AbPhoneRecord r(bytes);
        r.Reset();
        r.SetFlagPhone(0);
        r.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
        r.SetPhoneIn("38050" + std::to_string(1000000 + n));
        r.SetPhoneOut(std::to_string(100 + n));
        r.SetPhoneLen(3);
        r.UpdateChecksum();
        return {bytes.begin(), bytes.end()};
    }

    static Bytes AbLimit(int n) {
        std::array<std::uint8_t, 6> bytes{};
        AbLimitRecord r(bytes);
        r.Reset();
        r.SetLimitOn(n % 3 != 0);
        r.SetLimitOut(true);
        r.SetLimitSeconds(static_cast<std::uint32_t>(60 * n));
        return {bytes.begin(), bytes.end()};
    }

    // Black or white (bits 0 and 1 differ), so a read keeps it as it is.
    static Bytes BlackListEntry(int k) {
        std::array<std::uint8_t, 22> bytes{};
        BlackListRecord r(bytes);
        r.Reset();
        r.SetFLAG(
            static_cast<std::uint8_t>((k % 2 ? BlackListRecord::kBlack : BlackListRecord::kWhite) |
                                      BlackListRecord::kGsmToFxo));
        r.SetGM(static_cast<std::uint8_t>(k % 7));
        r.SetNUM("067" + std::to_string(k));
        return {bytes.begin(), bytes.end()};
    }

    static Bytes Sms(int m) {
        std::array<std::uint8_t, 162> bytes{};
        SmsMessageRecord r(bytes);
        r.SetText("Alarm " + std::to_string(m) + ": zone open");
        return {bytes.begin(), bytes.end()};
    }

    // A settings block of the given size: a pattern by block index, sealed.
    static Bytes Block(int index, std::size_t size) {
        Bytes bytes(size);
        for (std::size_t i = 0; i + 1 < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(index * 16 + i);
        }
        bytes.back() = Crc8(bytes.data(), size - 1);
        return bytes;
    }

    static constexpr int kSettingsBlocks[] = {0, 1, 2, 3, 4, 8};

    // Fills the first `subscribers` slots, `listEntries` list entries and
    // `sms` texts, and the six image blocks.
    static void Seed(sim::GatewayState& state, int subscribers = 300, int listEntries = 186,
                     int sms = 10) {
        using sim::RecordFamily;
        for (int n = 1; n <= subscribers; ++n) {
            state.Put(RecordFamily::AbInfo, n - 1, AbInfo(n));
            state.Put(RecordFamily::AbPhone, n - 1, AbPhone(n));
            state.Put(RecordFamily::AbLimit, n - 1, AbLimit(n));
        }
        for (int k = 0; k < listEntries; ++k) {
            state.Put(RecordFamily::BlackListEntry, k, BlackListEntry(k));
        }
        for (int m = 0; m < sms; ++m) {
            state.Put(RecordFamily::SMSMessage, m, Sms(m));
        }
        for (int index : kSettingsBlocks) {
            state.Put(RecordFamily::Block, index,
                      Block(index, sim::RecordSize(RecordFamily::Block, index)));
        }
    }

    // Puts the whole population of a full gateway into an image.
    static void ApplyTo(TData& image) {
        auto put = [](const Bytes& from, auto view) {
            std::copy(from.begin(), from.end(), view.bytes().begin());
        };
        for (int n = 1; n <= 300; ++n) {
            put(AbInfo(n), image.AbInfo(n));
            put(AbPhone(n), image.AbPhone(n));
            put(AbLimit(n), image.AbLimit(n));
        }
        for (int k = 0; k < 186; ++k) {
            put(BlackListEntry(k), image.BlackListEntry(k));
        }
        for (int m = 0; m < 10; ++m) {
            put(Sms(m), image.SMSMessage(m));
        }
        put(Block(0, 20), image.SettingFXO());
        put(Block(1, 20), image.SettingFXS());
        put(Block(2, 52), image.SettingMOB());
        put(Block(3, 9), image.SettingPASSWORD());
        put(Block(4, 161), image.SettingAlarm());
        put(Block(8, 36), image.ControlAccount());
    }

    template <typename View>
    static Bytes BytesOf(const View& view) {
        return {view.bytes().begin(), view.bytes().end()};
    }

    // The image's block by gateway index.
    static Bytes ImageBlock(const TData& image, int index) {
        switch (index) {
            case 0:
                return BytesOf(image.SettingFXO());
            case 1:
                return BytesOf(image.SettingFXS());
            case 2:
                return BytesOf(image.SettingMOB());
            case 3:
                return BytesOf(image.SettingPASSWORD());
            case 4:
                return BytesOf(image.SettingAlarm());
            default:
                return BytesOf(image.ControlAccount());
        }
    }

    // Names the first record where the image differs from a gateway seeded
    // with Seed(state) in full; empty when they agree.
    static std::string FirstDifference(const TData& image) {
        for (int n = 1; n <= 300; ++n) {
            if (BytesOf(image.AbInfo(n)) != AbInfo(n))
                return "AbInfo " + std::to_string(n);
            if (BytesOf(image.AbPhone(n)) != AbPhone(n))
                return "AbPhone " + std::to_string(n);
            if (BytesOf(image.AbLimit(n)) != AbLimit(n))
                return "AbLimit " + std::to_string(n);
        }
        for (int k = 0; k < 186; ++k) {
            if (BytesOf(image.BlackListEntry(k)) != BlackListEntry(k)) {
                return "BlackListEntry " + std::to_string(k);
            }
        }
        for (int m = 0; m < 10; ++m) {
            if (BytesOf(image.SMSMessage(m)) != Sms(m))
                return "SMSMessage " + std::to_string(m);
        }
        for (int index : kSettingsBlocks) {
            if (ImageBlock(image, index) !=
                Block(index, sim::RecordSize(sim::RecordFamily::Block, index))) {
                return "Block " + std::to_string(index);
            }
        }
        return {};
    }
};

}  // namespace tulvo::test
