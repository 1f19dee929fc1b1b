#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Subscription.h"

namespace platform {

// A list of observers called synchronously in the order they subscribed. Observers may
// subscribe or cancel during a call: a cancelled observer is not called again, a new one
// is first called on the next emit. Subscriptions may outlive the signal.
template <typename... Args>
class Signal {
public:
    using Handler = std::function<void(const Args&...)>;

    Signal() : state_(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription subscribe(Handler handler) {
        auto id = ++state_->nextId;
        state_->slots.push_back({id, std::make_shared<Handler>(std::move(handler))});
        std::weak_ptr<State> weak = state_;
        return Subscription([weak, id] {
            if (auto s = weak.lock()) {
                for (auto& slot : s->slots)
                    if (slot.id == id) slot.handler.reset();
                if (s->emitting == 0) s->compact();
            }
        });
    }

    void emit(const Args&... args) {
        auto s = state_;  // keeps the state alive if an observer destroys the signal's owner
        ++s->emitting;
        const size_t count = s->slots.size();
        for (size_t i = 0; i < count; ++i) {
            auto handler = s->slots[i].handler;  // copy: the slot may be cleared meanwhile
            if (handler) (*handler)(args...);
        }
        if (--s->emitting == 0) s->compact();
    }

    size_t observerCount() const {
        size_t n = 0;
        for (auto& slot : state_->slots) n += slot.handler ? 1 : 0;
        return n;
    }

private:
    struct Slot {
        uint64_t id;
        std::shared_ptr<Handler> handler;
    };
    struct State {
        std::vector<Slot> slots;
        uint64_t nextId = 0;
        int emitting = 0;
        void compact() {
            std::erase_if(slots, [](const Slot& s) { return !s.handler; });
        }
    };
    std::shared_ptr<State> state_;
};

}  // namespace platform
