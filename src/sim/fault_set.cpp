#include "sim/fault_set.h"

#include <algorithm>

namespace tulvo::sim {

FaultSet::FaultSet(std::uint32_t seed) : random_(seed) {}

void FaultSet::Add(const FaultRule& rule) {
    std::lock_guard lock(mutex_);
    rules_.push_back(rule);
}

void FaultSet::Clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

std::vector<FaultRule> FaultSet::Rules() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

void FaultSet::SetSeed(std::uint32_t seed) {
    std::lock_guard lock(mutex_);
    random_.seed(seed);
}

FaultPlan FaultSet::Plan(std::uint8_t command, std::uint16_t index) {
    std::lock_guard lock(mutex_);
    FaultPlan plan;
    for (FaultRule& rule : rules_) {
        if (!rule.Matches(command, index)) {
            continue;
        }
        if (rule.count > 0) {
            --rule.count;
        }
        switch (rule.kind) {
            case FaultRule::Kind::Silence:
                plan.silent = true;
                break;
            case FaultRule::Kind::Delay:
                plan.delay += rule.delay;
                break;
            case FaultRule::Kind::BadHeader:
                plan.badHeader = true;
                break;
            case FaultRule::Kind::BadPayload:
                plan.badPayload = true;
                break;
            case FaultRule::Kind::Status:
                plan.forceStatus = true;
                plan.status = rule.status;
                break;
            case FaultRule::Kind::Noise:
                plan.noiseRate = std::max(plan.noiseRate, rule.rate);
                break;
            case FaultRule::Kind::HangUp:
                plan.hangUp = true;
                break;
            case FaultRule::Kind::Undetectable:
                plan.undetectableByte = rule.byte;
                break;
        }
    }
    return plan;
}

void FaultSet::AddNoise(std::vector<std::uint8_t>& wire, double rate) {
    if (rate <= 0.0) {
        return;
    }
    std::lock_guard lock(mutex_);
    std::bernoulli_distribution hit(std::min(rate, 1.0));
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> nonZero(1, 255);
    std::vector<std::uint8_t> out;
    out.reserve(wire.size() * 2);
    for (std::uint8_t b : wire) {
        if (!hit(random_)) {
            out.push_back(b);
        } else if (byte(random_) & 1) {
            out.push_back(static_cast<std::uint8_t>(b ^ nonZero(random_)));
        } else {
            out.push_back(static_cast<std::uint8_t>(byte(random_)));
            out.push_back(b);
        }
    }
    wire = std::move(out);
}

}  // namespace tulvo::sim
