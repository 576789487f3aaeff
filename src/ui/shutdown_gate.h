#pragma once

#include <functional>

namespace tulvo {

// Lets work that must not be cut off hold back a request to quit the
// program (a termination signal, the end of the desktop session). While the
// gate is claimed, a request goes to the claimant, which may ask the
// operator whether to stop its work early, and the shutdown itself waits
// until the claim is released.
class ShutdownGate {
  public:
    using Action = std::function<void()>;

    // Runs shutdown now when the gate is free; else tells the claimant and
    // keeps shutdown for the release.
    void Request(Action shutdown);
    // From now on requests go to onRequest.
    void Claim(Action onRequest);
    // Frees the gate and runs a shutdown requested meanwhile.
    void Release();

  private:
    Action onRequest_;
    Action pending_;
    bool claimed_ = false;
};

}  // namespace tulvo
