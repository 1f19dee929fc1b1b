#include "menubar/stash/MenuBarAccessibilityInventory.h"

#include <algorithm>
#include <memory>

#include "platform/Services.h"

namespace menubar::stash {
namespace {

constexpr double kScanDeadline = 2.5;
constexpr size_t kWorkers = 4;
constexpr double kStepTimeout = 0.1;
constexpr double kHitTestTimeout = 0.08;

// One scan's shared state. The workers are chains of asynchronous reads on the main loop, so
// nothing here needs a lock.
class MenuBarScanWork {
public:
    MenuBarScanWork(std::vector<platform::RunningApplication> apps, MenuBarAccessibilityInventory::Completion done)
        : deadline_(platform::mainLoop().mediaTime() + kScanDeadline), apps_(std::move(apps)), done_(std::move(done)) {
        for (const auto& app : apps_) result_.running.insert(*app.bundleIdentifier);
    }

    // The next program to ask, or nothing when the scan is over.
    std::optional<platform::RunningApplication> next() {
        if (index_ >= apps_.size()) return std::nullopt;
        if (platform::mainLoop().mediaTime() >= deadline_) {
            for (; index_ < apps_.size(); ++index_) result_.uncertain.insert(*apps_[index_].bundleIdentifier);
            return std::nullopt;
        }
        return apps_[index_++];
    }

    static void run(const std::shared_ptr<MenuBarScanWork>& work) {
        work->workers_ = std::min(work->apps_.size(), kWorkers);
        if (work->workers_ == 0) {
            platform::mainLoop().post([work] { work->done_(work->result_); });
            return;
        }
        for (size_t i = 0; i < work->workers_; ++i) askNext(work);
    }

private:
    static void askNext(const std::shared_ptr<MenuBarScanWork>& work) {
        const auto app = work->next();
        if (!app) {
            if (--work->workers_ == 0) work->done_(work->result_);
            return;
        }
        platform::menuBarApplications().readMenuBarItems(
            *app, kStepTimeout, [work, bundle = *app->bundleIdentifier](platform::MenuBarItemsReading reading) {
                for (const auto& frame : reading.frames) work->result_.items.push_back({bundle, frame});
                if (!reading.complete) work->result_.uncertain.insert(bundle);
                askNext(work);
            });
    }

    double deadline_;
    std::vector<platform::RunningApplication> apps_;
    MenuBarAccessibilityInventory::Completion done_;
    size_t index_ = 0;
    size_t workers_ = 0;
    MenuBarInventorySnapshot result_;
};

}  // namespace

void MenuBarAccessibilityInventory::snapshot(Completion completion) {
    if (snapshotOverride) {
        snapshotOverride(std::move(completion));
        return;
    }
    auto running = platform::menuBarApplications().runningApplications();
    // Background-only programs last, so a scan cut short has covered the others first.
    std::stable_partition(running.begin(), running.end(), [](const auto& app) { return !app.backgroundOnly; });
    std::erase_if(running, [](const auto& app) { return !app.bundleIdentifier; });
    MenuBarScanWork::run(std::make_shared<MenuBarScanWork>(std::move(running), std::move(completion)));
}

platform::Rect MenuBarAccessibilityInventory::axFrame(const platform::Rect& rect) {
    const auto screens = platform::screenList().screens();
    const double top = screens.empty() ? 0 : screens.front().frame.maxY();
    return {rect.minX(), top - rect.maxY(), rect.width(), rect.height()};
}

std::optional<bool> MenuBarAccessibilityInventory::hitBelongsToProcess(const platform::Rect& axRect, long pid) {
    const auto owner = platform::menuBarApplications().processAt({axRect.midX(), axRect.midY()}, kHitTestTimeout);
    if (!owner) return std::nullopt;
    return *owner == pid;
}

}  // namespace menubar::stash
