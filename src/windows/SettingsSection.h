#pragma once

#include <string>
#include <string_view>

#include "model/L10n.h"
#include "model/RawEnum.h"

namespace windows {

// The pages of the settings window, in the order of its page list.
enum class SettingsSection { home, behavior, actions, keyboard, companion, achievements, menuBar, privacy, about };

// The page's name in the current interface language.
std::string title(SettingsSection section);
// The symbol drawn before the name in the page list.
std::string_view symbol(SettingsSection section);

}  // namespace windows

namespace model {

template <>
struct EnumTable<windows::SettingsSection> {
    using S = windows::SettingsSection;
    static constexpr EnumRow<S> rows[] = {
        {S::home, "home", L10n::key("栗丸家园"), "house.fill"},
        {S::behavior, "behavior", L10n::key("行为节奏"), "waveform.path"},
        {S::actions, "actions", L10n::key("动作工坊"), "sparkles"},
        {S::keyboard, "keyboard", L10n::key("按键陪伴"), "keyboard"},
        {S::companion, "companion", L10n::key("专注提醒"), "heart.fill"},
        {S::achievements, "achievements", L10n::key("成就徽章"), "seal.fill"},
        {S::menuBar, "menuBar", L10n::key("图标零食"), "menubar.rectangle"},
        {S::privacy, "privacy", L10n::key("隐私数据"), "hand.raised.fill"},
        {S::about, "about", L10n::key("应用信息"), "info.circle.fill"},
    };
};

}  // namespace model
