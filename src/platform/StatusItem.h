#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct MenuAction {
    std::string title;
    std::function<void()> action;
};

// The program's entry in the desktop's tray.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual void setToolTip(const std::string& text) = 0;
    // The menu shown by a secondary click.
    virtual void setMenu(std::vector<MenuAction> actions) = 0;
    // Called on a primary click.
    virtual void setOnActivate(std::function<void()> handler) = 0;
    virtual bool isVisible() const = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> createStatusItem() = 0;
};

}  // namespace platform
