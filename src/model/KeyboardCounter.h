#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/PetEnums.h"
#include "platform/KeyEventTap.h"
#include "platform/MainLoop.h"

namespace model {

class AppModel;

// Counts key presses for the model through a listen-only key tap: only "a key went down" and
// the time reach the model, repeats are skipped, and no event is ever changed or swallowed.
// Keeps the tap, the permission poll and the reported state in line with the key-counting
// setting and the listen-event access. Main thread only.
class KeyboardCounter final : public std::enable_shared_from_this<KeyboardCounter> {
public:
    // The permission poll and the queued presses reach the counter through shared and weak
    // pointers, so it only exists inside a shared_ptr.
    // `model` is not owned: it is the process-wide model, which outlives the counter (tests
    // keep theirs alive longer than the counter). Null means no model: nothing is counted.
    static std::shared_ptr<KeyboardCounter> create(AppModel* model);
    ~KeyboardCounter();
    KeyboardCounter(const KeyboardCounter&) = delete;
    KeyboardCounter& operator=(const KeyboardCounter&) = delete;

    // Brings the tap, the poll and the state in line with the setting and the access. Called at
    // start-up, after the setting changes, on wake, on activation, when the panel opens, and by
    // the poll.
    void refresh();
    // Installs the tap, or re-enables the one there is.
    void start();
    // Re-enables a tap the system disabled.
    void reenableEventTap();
    // Reads the tap out and counts every press it held or queued, before returning: at the end
    // of the program, ahead of the last save. `quietly`: only the counts change and are saved,
    // nothing reacts, for a process whose windows are being torn down.
    void countPendingPresses(bool quietly = false);

private:
    explicit KeyboardCounter(AppModel* model);
    // Every event of the tap of `generation`, straight from the event source: only the type and
    // the repeat flag are looked at; the rest is queued so the event stream never waits.
    void keyboardEventTapCallback(uint64_t generation, const platform::KeyTapEvent& event);
    void stopEventTap();
    void beginPermissionPolling();
    void stopPermissionPolling();
    void setState(KeyboardMonitorState state);
    void recordQueuedPresses(bool quietly = false);

    AppModel* model_;
    std::unique_ptr<platform::KeyEventTap> eventTap_;
    std::unique_ptr<platform::Timer> permissionTimer_;
    // Counts the taps made, so a queued re-enable knows whether its tap is still the one here.
    uint64_t tapGeneration_ = 0;
    // Presses taken from the tap, when they went down, for one turn of the main loop.
    std::vector<platform::Date> queuedPresses_;
    bool recordQueued_ = false;  // a turn is queued to record them
};

}  // namespace model
