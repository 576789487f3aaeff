#pragma once

namespace tulvo {

// How often the transfer progress window looks at its thread and the device
// information window asks the gateway, in milliseconds.
inline constexpr int kPollMs = 500;
// How often the firmware and call-log windows move their progress bars while
// a job runs, in milliseconds.
inline constexpr int kProgressRefreshMs = 100;

}  // namespace tulvo
