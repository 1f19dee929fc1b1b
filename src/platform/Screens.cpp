#include "platform/Screens.h"

namespace platform {

struct ScreenChangeCoalescer::State {
    NotificationCenter& center;
    bool pending = false;
};

ScreenChangeCoalescer::ScreenChangeCoalescer(MainLoop& loop, NotificationCenter& center)
    : loop_(loop), state_(std::make_shared<State>(State{center})) {}

ScreenChangeCoalescer::~ScreenChangeCoalescer() = default;

void ScreenChangeCoalescer::noteChange() {
    if (state_->pending) return;
    state_->pending = true;
    // The step may outlive us (the loop keeps it): it then finds the state gone.
    loop_.post([weak = std::weak_ptr<State>(state_)] {
        auto state = weak.lock();
        if (!state) return;
        state->pending = false;
        state->center.post(notifications::screenParametersChanged);
    });
}

}  // namespace platform
