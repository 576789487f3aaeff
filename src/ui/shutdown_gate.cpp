#include "ui/shutdown_gate.h"

#include <utility>

namespace tulvo {

void ShutdownGate::Request(Action shutdown) {
    if (!claimed_) {
        shutdown();
        return;
    }
    pending_ = std::move(shutdown);
    if (onRequest_) {
        onRequest_();
    }
}

void ShutdownGate::Claim(Action onRequest) {
    claimed_ = true;
    onRequest_ = std::move(onRequest);
}

void ShutdownGate::Release() {
    claimed_ = false;
    onRequest_ = nullptr;
    if (Action shutdown = std::exchange(pending_, nullptr)) {
        shutdown();
    }
}

}  // namespace tulvo
