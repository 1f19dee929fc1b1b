#pragma once

#include <QWidget>

#include "windows/SettingsActions.h"
#include "windows/SettingsSection.h"

namespace model {
class AppModel;
}
namespace menubar::stash {
class MenuBarMealController;
}

namespace windows::qt {

// The page of `section`, built fresh with its own view state at its initial values. Its
// controls carry object names after the model values they edit.
QWidget* makePage(SettingsSection section, model::AppModel& model, const SettingsActions& actions);

QWidget* makeBehaviorSettings(model::AppModel& model);
QWidget* makeGeneralSettings(model::AppModel& model, const SettingsActions& actions);
QWidget* makeAboutSettings(model::AppModel& model, const SettingsActions& actions);
QWidget* makeActionsSettings(model::AppModel& model, const SettingsActions& actions);
QWidget* makeKeyboardSettings(model::AppModel& model, const SettingsActions& actions);
QWidget* makeCompanionSettings(model::AppModel& model);
QWidget* makePrivacySettings(model::AppModel& model, const SettingsActions& actions);
QWidget* makeAchievementGallery(model::AppModel& model);
// The stash card; a visual preview shows a fixed state and its controls do nothing.
QWidget* makeMenuBarMealSettings(menubar::stash::MenuBarMealController& controller, const SettingsActions& actions = {},
                                 bool visualPreview = false, bool visualPreviewCollapsed = true);
// The update controls of the about page.
QWidget* makeUpdateSettingsContent(model::AppModel& model, const SettingsActions& actions);

}  // namespace windows::qt
