#pragma once

#include <termios.h>

#include <string>

namespace tulvo {

// The line rates a serial port of the link can be set to, 1200 to 921600
// baud: true with the terminal speed constant for `baud`, false for any
// other rate.
bool BaudToSpeed(int baud, speed_t& speed);

bool IsSupportedBaudRate(int baud);

// Every supported rate, ascending, separated by spaces.
std::string SupportedBaudRatesText();

}  // namespace tulvo
