#pragma once

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/L10n.h"
#include "model/RawEnum.h"

namespace model {

// What a pet is doing.
enum class PetActivity {
    home,
    idle,
    peeking,
    roaming,
    drowsy,
    sleeping,
    dreaming,
    typing,
    celebrating,
    cuddling,
    dragged,
    perched,
    chasing,
    searching,
    lookingFar,
    waking,
    playing,
    focusing,
    stretching,
    drinking,
    greeting,
    highFiving,
    copycat,
    eating,
    laughing,
    crying,
    showingCount,
};

// The four groups of the settings actions page.
enum class PetActivityCategory { daily, rest, rhythm, play };

// Liveliness; its index selects the tuning slot and the cadence column.
enum class PetActivityLevel { quiet, natural, lively };

enum class PetHomePreference { automatic, notch, dock };

// The screen edge a pet clings to.
enum class HomeEdge { top, bottom, left, right };

// How long a dropped pet stays before it goes home on its own: 15 s, 60 s, or never.
// `short_` because `short` is a keyword; its raw value is still "short".
enum class DragStayDuration { short_, minute, untilCalledHome };

enum class PetAccessory { none, starPin, scarf };

// A way of reacting to typing. `showCount` is no animation: the pets hold up the count
// sign at every hundredth key press.
enum class KeyboardReactionStyle { bounce, paws, fluff, blink, tilt, hop, showCount };

enum class KeyboardMonitorState { disabled, permissionRequired, listening, failed };

// Which pets a settings demonstration uses.
enum class DesktopDemoTarget { first, second, both };

// Solo life scenes.
enum class PetLifeScene { eating, sleeping, laughing, crying, showingCount, running };

// Animation priority: a higher value wins (direct interaction over everything).
enum class PetClipKind { ambient = 0, typing = 1, lifeScene = 2, milestoneSign = 3, directInteraction = 4 };

enum class PetHomeKind { notch, dock, screenEdge };

enum class PetHomeCommandResult { moved, alreadyHome, hidden, unavailable };

using KeyboardReactionSet = std::set<KeyboardReactionStyle>;

constexpr int rawValue(PetClipKind v) {
    return static_cast<int>(v);
}

// Localised titles; the symbol name of an activity.
std::string title(PetActivity v);
std::string title(PetLifeScene v);
std::string title(KeyboardReactionStyle v);

// {bounce, paws, fluff, showCount}: the reactions of a first launch and of a reset.
const KeyboardReactionSet& keyboardReactionDefaults();

// The raw values of a reaction set in ascending text order, as they are stored.
std::vector<std::string> sortedRawValues(const KeyboardReactionSet& styles);

// Raw values, title keys and symbol names, one row per case in declaration order.
template <>
struct EnumTable<PetActivity> {
    static constexpr EnumRow<PetActivity> rows[] = {
        {PetActivity::home, "home", L10n::key("在家"), "house.fill"},
        {PetActivity::idle, "idle", L10n::key("呼吸"), "wind"},
        {PetActivity::peeking, "peeking", L10n::key("探头"), "eyes"},
        {PetActivity::roaming, "roaming", L10n::key("漫游"), "figure.walk"},
        {PetActivity::drowsy, "drowsy", L10n::key("打盹"), "moon.zzz"},
        {PetActivity::sleeping, "sleeping", L10n::key("睡觉"), "bed.double.fill"},
        {PetActivity::dreaming, "dreaming", L10n::key("做梦"), "cloud.moon.fill"},
        {PetActivity::typing, "typing", L10n::key("打字"), "keyboard.fill"},
        {PetActivity::celebrating, "celebrating", L10n::key("庆祝"), "sparkles"},
        {PetActivity::cuddling, "cuddling", L10n::key("依偎"), "heart.fill"},
        {PetActivity::dragged, "dragged", L10n::key("拎起"), "hand.draw.fill"},
        {PetActivity::perched, "perched", L10n::key("落脚"), "mappin.and.ellipse"},
        {PetActivity::chasing, "chasing", L10n::key("追逐"), "hare.fill"},
        {PetActivity::searching, "searching", L10n::key("寻找"), "magnifyingglass"},
        {PetActivity::lookingFar, "lookingFar", L10n::key("望远方"), "eye"},
        {PetActivity::waking, "waking", L10n::key("叫醒"), "bell.fill"},
        {PetActivity::playing, "playing", L10n::key("玩耍"), "tennisball.fill"},
        {PetActivity::focusing, "focusing", L10n::key("专注"), "scope"},
        {PetActivity::stretching, "stretching", L10n::key("伸懒腰"), "figure.flexibility"},
        {PetActivity::drinking, "drinking", L10n::key("喝水"), "drop.fill"},
        {PetActivity::greeting, "greeting", L10n::key("打招呼"), "hand.wave.fill"},
        {PetActivity::highFiving, "highFiving", L10n::key("击掌"), "hands.clap.fill"},
        {PetActivity::copycat, "copycat", L10n::key("模仿"), "person.2.fill"},
        {PetActivity::eating, "eating", L10n::key("吃饭"), "fork.knife"},
        {PetActivity::laughing, "laughing", L10n::key("大笑"), "face.smiling.fill"},
        {PetActivity::crying, "crying", L10n::key("掉眼泪"), "drop.fill"},
        {PetActivity::showingCount, "showingCount", L10n::key("举牌"), "number.square.fill"},
    };
};
template <>
struct EnumTable<PetActivityCategory> {
    static constexpr EnumRow<PetActivityCategory> rows[] = {
        {PetActivityCategory::daily, "daily"},
        {PetActivityCategory::rest, "rest"},
        {PetActivityCategory::rhythm, "rhythm"},
        {PetActivityCategory::play, "play"},
    };
};
template <>
struct EnumTable<PetActivityLevel> {
    static constexpr EnumRow<PetActivityLevel> rows[] = {
        {PetActivityLevel::quiet, "quiet"},
        {PetActivityLevel::natural, "natural"},
        {PetActivityLevel::lively, "lively"},
    };
};
template <>
struct EnumTable<PetHomePreference> {
    static constexpr EnumRow<PetHomePreference> rows[] = {
        {PetHomePreference::automatic, "automatic"},
        {PetHomePreference::notch, "notch"},
        {PetHomePreference::dock, "dock"},
    };
};
template <>
struct EnumTable<HomeEdge> {
    static constexpr EnumRow<HomeEdge> rows[] = {
        {HomeEdge::top, "top"},
        {HomeEdge::bottom, "bottom"},
        {HomeEdge::left, "left"},
        {HomeEdge::right, "right"},
    };
};
template <>
struct EnumTable<DragStayDuration> {
    static constexpr EnumRow<DragStayDuration> rows[] = {
        {DragStayDuration::short_, "short"},
        {DragStayDuration::minute, "minute"},
        {DragStayDuration::untilCalledHome, "untilCalledHome"},
    };
};
template <>
struct EnumTable<PetAccessory> {
    static constexpr EnumRow<PetAccessory> rows[] = {
        {PetAccessory::none, "none"},
        {PetAccessory::starPin, "starPin"},
        {PetAccessory::scarf, "scarf"},
    };
};
template <>
struct EnumTable<KeyboardReactionStyle> {
    static constexpr EnumRow<KeyboardReactionStyle> rows[] = {
        {KeyboardReactionStyle::bounce, "bounce", L10n::key("轻弹")},
        {KeyboardReactionStyle::paws, "paws", L10n::key("敲爪")},
        {KeyboardReactionStyle::fluff, "fluff", L10n::key("抖毛")},
        {KeyboardReactionStyle::blink, "blink", L10n::key("眨眼")},
        {KeyboardReactionStyle::tilt, "tilt", L10n::key("歪头")},
        {KeyboardReactionStyle::hop, "hop", L10n::key("小跳")},
        {KeyboardReactionStyle::showCount, "showCount", L10n::key("举牌")},
    };
};
template <>
struct EnumTable<KeyboardMonitorState> {
    static constexpr EnumRow<KeyboardMonitorState> rows[] = {
        {KeyboardMonitorState::disabled, "disabled"},
        {KeyboardMonitorState::permissionRequired, "permissionRequired"},
        {KeyboardMonitorState::listening, "listening"},
        {KeyboardMonitorState::failed, "failed"},
    };
};
template <>
struct EnumTable<DesktopDemoTarget> {
    static constexpr EnumRow<DesktopDemoTarget> rows[] = {
        {DesktopDemoTarget::first, "first"},
        {DesktopDemoTarget::second, "second"},
        {DesktopDemoTarget::both, "both"},
    };
};
template <>
struct EnumTable<PetLifeScene> {
    static constexpr EnumRow<PetLifeScene> rows[] = {
        {PetLifeScene::eating, {}, L10n::key("找点吃的")},
        {PetLifeScene::sleeping, {}, L10n::key("慢慢睡着")},
        {PetLifeScene::laughing, {}, L10n::key("忍不住大笑")},
        {PetLifeScene::crying, {}, L10n::key("小小委屈")},
        {PetLifeScene::showingCount, {}, L10n::key("举起今日按键牌")},
        {PetLifeScene::running, {}, L10n::key("蓄力奔跑")},
    };
};

constexpr std::string_view symbol(PetActivity v) {
    return enumRow(v).symbol;
}

template <>
struct EnumCases<PetClipKind> {
    static constexpr std::array values{PetClipKind::ambient, PetClipKind::typing, PetClipKind::lifeScene,
                                       PetClipKind::milestoneSign, PetClipKind::directInteraction};
};
template <>
struct EnumCases<PetHomeKind> {
    static constexpr std::array values{PetHomeKind::notch, PetHomeKind::dock, PetHomeKind::screenEdge};
};
template <>
struct EnumCases<PetHomeCommandResult> {
    static constexpr std::array values{PetHomeCommandResult::moved, PetHomeCommandResult::alreadyHome,
                                       PetHomeCommandResult::hidden, PetHomeCommandResult::unavailable};
};

}  // namespace model
