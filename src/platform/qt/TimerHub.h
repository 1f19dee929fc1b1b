#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform::qt {

// One Qt timer for every wake-up that may come a little late. Each wake-up fires within its
// tolerance after its delay, and all that can share one wake of the program do: the two pets'
// frames and gaze looks cost one turn of the loop instead of one each.
class TimerHub {
public:
    static TimerHub& shared();

    // `fire` runs once, between `delay` and `delay + tolerance` seconds from now. The id is
    // for remove(), never 0.
    uint64_t add(double delay, double tolerance, std::function<void()> fire);
    // `fire` runs at the hub's next wake-up, whatever it is for, and `within` seconds from now
    // at the latest: for work that may wait a little but need not wake the program by itself.
    uint64_t addAtNextWake(double within, std::function<void()> fire);
    void remove(uint64_t id);
    // Seconds on the hub's own steady clock.
    double now() const;

private:
    struct Entry {
        uint64_t id;
        double earliest;  // it comes along with any wake-up from then on
        double due;
        double latest;
        std::function<void()> fire;
    };
    TimerHub();
    uint64_t insert(Entry entry);
    void arm();
    void fire();

    std::vector<Entry> entries_;
    std::vector<uint64_t>* firing_ = nullptr;  // ids of the wake-up under way not yet taken back
    QElapsedTimer clock_;
    QTimer timer_;
    double wake_ = 0;
    qint64 armedAt_ = -1;  // the millisecond on the hub's clock the Qt timer rings at
    uint64_t nextId_ = 1;
};

}  // namespace platform::qt
