#pragma once

#include <cstdint>

namespace tulvo {

// What the editor offers for a subscriber in an empty slot before anything
// is typed: two hours a call each way, group 1, long-distance calls and
// activation on, call-back off, every line allowed and FXO the default one.
struct NewSubscriberDefaults {
    std::uint16_t limIn = 7200;
    std::uint16_t limOut = 7200;
    int group = 1;
    bool callBack = false;
    bool longDistance = true;
    bool activation = true;
    bool lineFxo = true;
    bool lineFxs = true;
    bool lineConference = true;
    std::uint8_t defaultLine = 0;  // DL: 0 FXO, 1 FXS, 2 conference
};

}  // namespace tulvo
