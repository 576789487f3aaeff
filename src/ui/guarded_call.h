#pragma once

#include <functional>

namespace tulvo {

class Operator;

// Runs an event handler that may reach a checked record store. An exception
// must not escape into the Qt event loop: its text is shown in an error box
// and the program goes on. Returns false when the handler threw.
bool GuardedCall(Operator& op, const std::function<void()>& handler);

}  // namespace tulvo
