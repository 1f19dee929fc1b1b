#include "model/TypingRhythm.h"

#include <algorithm>

namespace model {

double TypingRhythmEngine::intensity(std::optional<platform::Date> previous, platform::Date current,
                                     double currentIntensity) {
    if (!previous) return 0.24;
    const double gap = current.timeIntervalSince(*previous);
    const double c = currentIntensity;
    double raw;
    if (gap <= 0.1) {  // a gap below 0 (clock set back) counts as quick typing for this one press
        raw = c + 0.28;
    } else if (gap <= 0.25) {
        raw = c + 0.18;
    } else if (gap <= 0.6) {
        raw = c + 0.08;
    } else if (gap <= 1.5) {
        raw = std::max(c * 0.72, 0.24);
    } else {
        raw = 0.2;
    }
    return std::clamp(raw, 0.16, 1.0);
}

}  // namespace model
