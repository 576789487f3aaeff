#include "link/baud_rate.h"

namespace tulvo {
namespace {

struct Rate {
    int baud;
    speed_t speed;
};

constexpr Rate kRates[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

}  // namespace

bool BaudToSpeed(int baud, speed_t& speed) {
    for (const Rate& rate : kRates) {
        if (rate.baud == baud) {
            speed = rate.speed;
            return true;
        }
    }
    return false;
}

bool IsSupportedBaudRate(int baud) {
    speed_t unused{};
    return BaudToSpeed(baud, unused);
}

std::string SupportedBaudRatesText() {
    std::string text;
    for (const Rate& rate : kRates) {
        text += (text.empty() ? "" : " ") + std::to_string(rate.baud);
    }
    return text;
}

}  // namespace tulvo
