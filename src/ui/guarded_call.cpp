#include "ui/guarded_call.h"

#include <exception>

#include "model/operator.h"
#include "model/record_error.h"

namespace tulvo {

bool GuardedCall(Operator& op, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const RecordError& e) {
        // A checked store refused a value; what() is the operator's text.
        op.Error(e.what());
    } catch (const std::exception& e) {
        op.Error(e.what());
    } catch (...) {
        op.Error("Unknown error");
    }
    return false;
}

}  // namespace tulvo
