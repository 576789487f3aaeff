#include "guarded_call.h"

#include <exception>

#include "model/operator.h"

namespace tulvo {

bool GuardedCall(Operator& op, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        // Record stores raise an exception whose what() is the exact UTF-8 text.
        op.Error(e.what());
    } catch (...) {
        op.Error("Unknown error");
    }
    return false;
}

}  // namespace tulvo
