#include "menubar/stash/MenuBarMealController.h"

#include "menubar/stash/LegacyMenuBarMealEngine.h"
#include "menubar/stash/NativeMenuBarMealEngine.h"
#include "menubar/stash/visibility/MenuVisibilityBridge.h"
#include "model/L10n.h"
#include "platform/Services.h"

namespace menubar::stash {
namespace {

// The engine where the tray places every icon itself: nothing can be hidden, so the stash
// stays off and says why from the start.
class UnavailableMenuBarMealEngine final : public MenuBarMealEngine {
public:
    explicit UnavailableMenuBarMealEngine(platform::Defaults& defaults) : defaults_(defaults) { message_ = reason(); }
    bool canSwitchOn() const override { return false; }
    void clearMessageAfterLanguageChange() override { message_ = reason(); }
    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem&) override {
        if (onFaceChange) onFaceChange(MenuBarMealFaceState{});
    }
    void start() override {}
    void stop() override {}
    void setEnabled(bool enabled) override {
        // A wish stored where the stash once worked (another desktop, a copied settings file)
        // is still the user's to switch off, as a reset does.
        if (!enabled && defaults_.boolValue(kMenuBarMealEnabledKey).value_or(false)) defaults_.set(kMenuBarMealEnabledKey, false);
        message_ = reason();
    }
    void toggle() override {}

private:
    static std::string reason() { return model::L10n::t("此系统暂不支持图标收纳，图标保持展开。"); }

    platform::Defaults& defaults_;
};

// The installed store, looked up at each use: the shared controller lives for the process,
// while the installed services may be replaced (each test installs its own).
class InstalledDefaults final : public platform::Defaults {
public:
    std::optional<platform::PlistValue> object(const std::string& key) const override {
        return platform::defaults().object(key);
    }
    void set(const std::string& key, platform::PlistValue value) override {
        platform::defaults().set(key, std::move(value));
    }
    void remove(const std::string& key) override { platform::defaults().remove(key); }
    bool flush() override { return platform::defaults().flush(); }
};

}  // namespace

MenuBarMealController::MenuBarMealController(platform::Defaults& defaults, const platform::StatusBar& bar,
                                             std::optional<bool> useNative) {
    isAvailable_ = bar.supportsItemLayout();
    if (!isAvailable_) {
        engine_ = std::make_unique<UnavailableMenuBarMealEngine>(defaults);
    } else if (useNative.value_or(QBMenuVisibilityAvailable())) {
        engine_ = std::make_unique<NativeMenuBarMealEngine>(defaults);
        usesNativeVisibility_ = true;
    } else {
        engine_ = std::make_unique<LegacyMenuBarMealEngine>(defaults);
    }
    observation_ = engine_->objectWillChange().subscribe([this] { objectWillChange_.emit(); });
}

MenuBarMealController& MenuBarMealController::shared() {
    static InstalledDefaults store;
    static MenuBarMealController controller(store, platform::statusBar());
    return controller;
}

}  // namespace menubar::stash
