#pragma once

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

std::string_view rawValue(PetActivity v);
std::string_view rawValue(PetActivityCategory v);
std::string_view rawValue(PetActivityLevel v);
std::string_view rawValue(PetHomePreference v);
std::string_view rawValue(HomeEdge v);
std::string_view rawValue(DragStayDuration v);
std::string_view rawValue(PetAccessory v);
std::string_view rawValue(KeyboardReactionStyle v);
std::string_view rawValue(KeyboardMonitorState v);
std::string_view rawValue(DesktopDemoTarget v);
constexpr int rawValue(PetClipKind v) {
    return static_cast<int>(v);
}

// Localised titles and symbol names.
std::string title(PetActivity v);
std::string_view symbol(PetActivity v);
std::string title(PetLifeScene v);
std::string title(KeyboardReactionStyle v);

// {bounce, paws, fluff, showCount}: the reactions of a first launch and of a reset.
const KeyboardReactionSet& keyboardReactionDefaults();

// The raw values of a reaction set in ascending text order, as they are stored.
std::vector<std::string> sortedRawValues(const KeyboardReactionSet& styles);

template <>
struct EnumCases<PetActivity> {
    static constexpr std::array values{
        PetActivity::home,        PetActivity::idle,       PetActivity::peeking,      PetActivity::roaming,
        PetActivity::drowsy,      PetActivity::sleeping,   PetActivity::dreaming,     PetActivity::typing,
        PetActivity::celebrating, PetActivity::cuddling,   PetActivity::dragged,      PetActivity::perched,
        PetActivity::chasing,     PetActivity::searching,  PetActivity::lookingFar,   PetActivity::waking,
        PetActivity::playing,     PetActivity::focusing,   PetActivity::stretching,   PetActivity::drinking,
        PetActivity::greeting,    PetActivity::highFiving, PetActivity::copycat,      PetActivity::eating,
        PetActivity::laughing,    PetActivity::crying,     PetActivity::showingCount,
    };
};
template <>
struct EnumCases<PetActivityCategory> {
    static constexpr std::array values{PetActivityCategory::daily, PetActivityCategory::rest,
                                       PetActivityCategory::rhythm, PetActivityCategory::play};
};
template <>
struct EnumCases<PetActivityLevel> {
    static constexpr std::array values{PetActivityLevel::quiet, PetActivityLevel::natural, PetActivityLevel::lively};
};
template <>
struct EnumCases<PetHomePreference> {
    static constexpr std::array values{PetHomePreference::automatic, PetHomePreference::notch, PetHomePreference::dock};
};
template <>
struct EnumCases<HomeEdge> {
    static constexpr std::array values{HomeEdge::top, HomeEdge::bottom, HomeEdge::left, HomeEdge::right};
};
template <>
struct EnumCases<DragStayDuration> {
    static constexpr std::array values{DragStayDuration::short_, DragStayDuration::minute,
                                       DragStayDuration::untilCalledHome};
};
template <>
struct EnumCases<PetAccessory> {
    static constexpr std::array values{PetAccessory::none, PetAccessory::starPin, PetAccessory::scarf};
};
template <>
struct EnumCases<KeyboardReactionStyle> {
    static constexpr std::array values{KeyboardReactionStyle::bounce,   KeyboardReactionStyle::paws,
                                       KeyboardReactionStyle::fluff,    KeyboardReactionStyle::blink,
                                       KeyboardReactionStyle::tilt,     KeyboardReactionStyle::hop,
                                       KeyboardReactionStyle::showCount};
};
template <>
struct EnumCases<KeyboardMonitorState> {
    static constexpr std::array values{KeyboardMonitorState::disabled, KeyboardMonitorState::permissionRequired,
                                       KeyboardMonitorState::listening, KeyboardMonitorState::failed};
};
template <>
struct EnumCases<DesktopDemoTarget> {
    static constexpr std::array values{DesktopDemoTarget::first, DesktopDemoTarget::second, DesktopDemoTarget::both};
};
template <>
struct EnumCases<PetLifeScene> {
    static constexpr std::array values{PetLifeScene::eating, PetLifeScene::sleeping,     PetLifeScene::laughing,
                                       PetLifeScene::crying, PetLifeScene::showingCount, PetLifeScene::running};
};
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
