#include "actions/link_speed.h"

#include "link/link_timing.h"

namespace tulvo {

LinkTiming LinkSpeed::Timing() const {
    return shortReadTimeoutMs > 0 ? LinkTiming::Fast(shortReadTimeoutMs) : LinkTiming{};
}

}  // namespace tulvo
