#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace menubar::stash {

// What the stash card's miniature menu bar shows: the stashed or expanded state it is given,
// a fixed frame of a preview, or a running demonstration in which the pet eats the icons and
// spits them out again. It never touches the real menu bar or the engine.
class MenuBarMealStage {
public:
    // One picture of the stage.
    struct Frame {
        double visibleFraction = 1;  // how much of the icons shows, 0...1
        bool stageCollapsed = false;
        double dividerProgress = 0;  // 0...1
        bool dividerSpitting = false;
        double mouth = 0;  // 0 closed ... 1 wide open
    };

    explicit MenuBarMealStage(bool isCollapsed, std::optional<double> previewProgress = std::nullopt,
                              bool previewSpitting = false);
    ~MenuBarMealStage();
    MenuBarMealStage(const MenuBarMealStage&) = delete;
    MenuBarMealStage& operator=(const MenuBarMealStage&) = delete;

    bool isCollapsed() const { return isCollapsed_; }
    void setCollapsed(bool collapsed);
    void setReduceMotion(bool reduceMotion) { reduceMotion_ = reduceMotion; }
    std::optional<double> demoProgress() const { return demoProgress_; }
    bool demoSpitting() const { return demoSpitting_; }

    Frame frame() const;
    // Starts the demonstration from its first phase, ending one that runs.
    void playDemo();
    // Ends a running demonstration where it stands (the stage left the screen).
    void cancelDemo() { ++generation_; }

    // Called after every change of what the stage shows.
    std::function<void()> onChange;

private:
    void runPhase(uint64_t generation, size_t phase);
    void runFrame(uint64_t generation, size_t phase, int index);
    void changed() const;

    bool isCollapsed_;
    std::optional<double> previewProgress_;
    bool previewSpitting_;
    bool reduceMotion_ = false;
    std::optional<double> demoProgress_;
    bool demoSpitting_ = false;
    bool phases_[2] = {false, true};
    uint64_t generation_ = 0;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace menubar::stash
