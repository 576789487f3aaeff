#include "sim/pacing.h"

#include "link/baud_rate.h"

namespace tulvo::sim {

bool Pacing::IsLineRate(int baud) {
    return IsSupportedBaudRate(baud);
}

std::string Pacing::LineRatesText() {
    return SupportedBaudRatesText();
}

}  // namespace tulvo::sim
