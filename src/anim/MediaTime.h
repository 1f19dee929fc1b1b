#pragma once

namespace anim {

// Seconds on the main loop's monotonic clock: the time base of every begin time and of
// presentation(t). Tests move it with the sim loop.
double currentMediaTime();

}  // namespace anim
