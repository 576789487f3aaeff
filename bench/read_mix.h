#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "link/crc8.h"
#include "link/port_most.h"
#include "sim/gateway.h"

namespace tulvo::bench {

// Fills every record family of the simulated gateway with records in use, so
// a full read moves every byte.
inline void Populate(sim::GatewayState& state) {
    using sim::RecordFamily;
    for (auto family : {RecordFamily::AbInfo, RecordFamily::AbPhone, RecordFamily::AbLimit,
                        RecordFamily::BlackListEntry, RecordFamily::SMSMessage}) {
        for (int i = 0; i < sim::FamilyCount(family); ++i) {
            std::vector<std::uint8_t> record(sim::RecordSize(family, i));
            for (std::size_t k = 0; k < record.size(); ++k) {
                record[k] = static_cast<std::uint8_t>(i + k);
            }
            record[0] = 0x01;  // in use
            record.back() = Crc8(record.data(), record.size() - 1);
            state.Put(family, i, record);
        }
    }
}

// Starts the gateway with every record in use and opens the port on it;
// false after saying what failed.
inline bool StartWithFullImage(sim::Gateway& gateway, TPortMost& port) {
    Populate(gateway.State());
    if (!gateway.Start()) {
        std::printf("cannot start the simulated gateway: %s\n", gateway.Error().c_str());
        return false;
    }
    if (!port.Open(gateway.DevicePath())) {
        std::printf("cannot open %s: %s\n", gateway.DevicePath().c_str(),
                    port.LastOpenError().c_str());
        return false;
    }
    return true;
}

// The transactions of a full read: 300 x (ReadAbInfo, ReadAbPhone,
// ReadAbLimit), then the five settings blocks, the alarm block, 186 list
// entries and 10 SMS texts. `step` hears of each transaction (whether it was
// done, and its status) and says whether to go on. Returns the number of
// transactions, or -1 when a step said stop.
using ReadStep = std::function<bool(bool done, std::uint8_t status)>;

inline int ReadMix(TPortMost& port, const ReadStep& step) {
    std::array<std::uint8_t, TPortMost::kMaxPayload> data{};
    std::uint8_t status = 0;
    int count = 0;
    auto next = [&](bool done) {
        ++count;
        return step(done, status);
    };
    for (int n = 1; n <= 300; ++n) {
        if (!next(port.ReadAbInfo(n, data, status)) || !next(port.ReadAbPhone(n, data, status)) ||
            !next(port.ReadAbLimit(n, data, status))) {
            return -1;
        }
    }
    const std::vector<std::function<bool()>> blocks = {
        [&] { return port.ReadSettingFXO(data, status); },
        [&] { return port.ReadSettingFXS(data, status); },
        [&] { return port.ReadSettingMOB(data, status); },
        [&] { return port.ReadSettingPASSWORD(data, status); },
        [&] { return port.ReadControlAccount(data, status); },
        [&] { return port.ReadSettingAlarm(data, status); },
    };
    for (const auto& read : blocks) {
        if (!next(read())) {
            return -1;
        }
    }
    for (int n = 1; n <= 186; ++n) {
        if (!next(port.ReadBlackListEntry(n, data, status))) {
            return -1;
        }
    }
    for (int m = 0; m < 10; ++m) {
        if (!next(port.ReadSMSMessage(m, data, status))) {
            return -1;
        }
    }
    return count;
}

}  // namespace tulvo::bench
