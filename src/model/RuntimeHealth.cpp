#include "model/RuntimeHealth.h"

namespace model {

void RuntimeHealth::evaluateAtLaunch() {
    if (defaults_.hasObject(cleanExitKey_)) {
        // A value of another type under the key is not a clean exit either.
        recoveredFromUnexpectedExit_ = !defaults_.boolValue(cleanExitKey_).value_or(false);
    }
    defaults_.set(cleanExitKey_, false);
    // Written through at once: a run killed before the first coalesced write must still be
    // reported at the next start.
    defaults_.flush();
}

void RuntimeHealth::markCleanExit() { defaults_.set(cleanExitKey_, true); }

}  // namespace model
