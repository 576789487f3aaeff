#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <random>
#include <vector>

#include "sim/fault_rule.h"

namespace tulvo::sim {

// What the active rules make of one request.
struct FaultPlan {
    bool silent = false;
    bool hangUp = false;
    bool badHeader = false;
    bool badPayload = false;
    bool forceStatus = false;
    std::uint8_t status = 0;
    double noiseRate = 0.0;
    int undetectableByte = -1;  // payload byte to XOR with 0x63, -1 = none
    std::chrono::milliseconds delay{0};
};

// The gateway's fault switches. Thread-safe.
class FaultSet {
  public:
    explicit FaultSet(std::uint32_t seed = 1);

    void Add(const FaultRule& rule);
    void Clear();
    std::vector<FaultRule> Rules() const;
    void SetSeed(std::uint32_t seed);

    // Combines every matching rule and uses up one of each one's count.
    FaultPlan Plan(std::uint8_t command, std::uint16_t index);

    // Damages an encoded frame in place: each byte, with probability `rate`,
    // is either flipped to another value or has a random byte inserted
    // before it. Uses the seeded generator, so runs repeat.
    void AddNoise(std::vector<std::uint8_t>& wire, double rate);

  private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
    std::mt19937 random_;
};

}  // namespace tulvo::sim
