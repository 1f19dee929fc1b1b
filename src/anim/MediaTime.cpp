#include "anim/MediaTime.h"

#include "platform/Services.h"

namespace anim {

double currentMediaTime() {
    return platform::mainLoop().mediaTime();
}

}  // namespace anim
