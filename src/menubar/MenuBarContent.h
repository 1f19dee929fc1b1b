#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/PetEnums.h"
#include "platform/Signal.h"
#include "platform/Subscription.h"

namespace model {
class AppModel;
}

namespace menubar {

// The colours the panel names by their role; each view maps them to its scheme's values.
enum class MenuTint { ink, accent, orange, pink, secondary, green, muted };

// The transient line under the keyboard card. The message is already localised.
struct MenuFeedback {
    std::string message;
    std::string symbol;
    MenuTint tint = MenuTint::accent;
    friend bool operator==(const MenuFeedback&, const MenuFeedback&) = default;
};

// A short notice under the header.
struct MenuNotice {
    std::string message;
    std::string symbol;
    MenuTint tint = MenuTint::secondary;
    friend bool operator==(const MenuNotice&, const MenuNotice&) = default;
};

struct MenuActionButtonContent {
    std::string title;
    std::string symbol;
    bool primary = false;
    friend bool operator==(const MenuActionButtonContent&, const MenuActionButtonContent&) = default;
};

// What the panel reaches beyond the model: the application's own services, handed in by the
// application so that this layer never depends on it. A missing one does nothing.
struct MenuPanelActions {
    std::function<model::PetHomeCommandResult()> sendPetsHome;
    std::function<void()> refreshKeyboardCounter;
    std::function<void()> openInputMonitoringSettings;
    // Opens the settings window, or brings up the open one.
    std::function<void()> openSettings;
    // Activates the program and brings the settings window to the front.
    std::function<void()> activateSettingsWindow;
    // The short version of the program's information list, when it holds one.
    std::function<std::optional<std::string>()> shortVersion;
};

// The logic of the tray's panel: which sections show, their texts, what each control writes
// and each button calls, and the feedback line with its timing. The view draws it and redraws
// after `changed`. Main thread only.
class MenuBarContent {
public:
    static constexpr double feedbackDuration = 2.2;      // s the latest line stays
    static constexpr double feedbackInDuration = 0.2;    // s
    static constexpr double feedbackOutDuration = 0.18;  // s
    static constexpr int focusMinutes = 25;

    MenuBarContent(model::AppModel& model, bool visualPreview, std::function<void()> closePanel,
                   MenuPanelActions actions = {});
    MenuBarContent(const MenuBarContent&) = delete;
    MenuBarContent& operator=(const MenuBarContent&) = delete;

    // Emitted after the model or the feedback line changed; the view redraws from here.
    platform::Signal<> changed;

    // Each opening of the panel: the key counter checks its permission again.
    void appeared();

    // Header.
    std::string productName() const;
    std::string companionLine() const;
    // The companion line while the pets are shown, else the resting line.
    std::string headerSubtitle() const;
    MenuTint headerDot() const;
    std::string visibilityLabel() const;
    bool petsVisible() const;
    void setPetsVisible(bool visible);

    // The notices shown now, top to bottom.
    std::vector<MenuNotice> notices() const;

    // Controls card.
    std::string petCountTitle() const;
    std::vector<std::pair<int, std::string>> petCountChoices() const;
    int petCount() const;
    void setPetCount(int count);
    std::string activityTitle() const;
    std::vector<std::pair<model::PetActivityLevel, std::string>> activityChoices() const;
    model::PetActivityLevel activityLevel() const;
    void setActivityLevel(model::PetActivityLevel level);
    std::string windowWalkTitle() const;
    std::string windowWalkStatus() const;
    bool windowWalkingEnabled() const;
    void setWindowWalkingEnabled(bool enabled);

    // Quick actions.
    MenuActionButtonContent homeButton() const;
    MenuActionButtonContent focusButton() const;
    void sendHome();
    // Starts the session, or stops the running one.
    void focusAction();

    // Keyboard card.
    std::string keyboardTitle() const;
    // Today's count while key counting is on and permitted.
    std::optional<std::string> todayCountText() const;
    bool showsPermissionButton() const;
    std::string permissionButtonTitle() const;
    void grantPermission();
    MenuTint keyboardStatusColor() const;
    std::string keyboardSummary() const;
    bool keyCountingEnabled() const;
    void setKeyCountingEnabled(bool enabled);

    // Footer.
    std::string settingsTitle() const;
    std::string appVersion() const;
    std::string versionText() const;
    std::string quitTitle() const;
    // Opens the settings window, closes the panel and brings the window forward after this event.
    void openSettings();
    // Leaves through the orderly terminate path.
    void quit();

    // Feedback line.
    const std::optional<MenuFeedback>& feedback() const { return feedback_; }
    // How long the latest appearance or disappearance of the line fades; 0 for none.
    double feedbackTransition() const { return feedbackTransition_; }
    void showFeedback(const std::string& message, const std::string& symbol, MenuTint tint);

private:
    void setFeedback(std::optional<MenuFeedback> feedback, double transition);

    model::AppModel& model_;
    bool visualPreview_;
    std::function<void()> closePanel_;
    MenuPanelActions actions_;
    std::optional<MenuFeedback> feedback_;
    double feedbackTransition_ = 0;
    uint64_t feedbackGeneration_ = 0;
    std::vector<platform::Subscription> subscriptions_;
    // Delayed steps hold this weakly and do nothing once the panel is gone.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace menubar
