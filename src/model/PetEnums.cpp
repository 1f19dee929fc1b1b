#include "model/PetEnums.h"

#include <algorithm>

#include "model/L10n.h"

namespace model {

std::string_view rawValue(PetActivity v) {
    switch (v) {
        case PetActivity::home:
            return "home";
        case PetActivity::idle:
            return "idle";
        case PetActivity::peeking:
            return "peeking";
        case PetActivity::roaming:
            return "roaming";
        case PetActivity::drowsy:
            return "drowsy";
        case PetActivity::sleeping:
            return "sleeping";
        case PetActivity::dreaming:
            return "dreaming";
        case PetActivity::typing:
            return "typing";
        case PetActivity::celebrating:
            return "celebrating";
        case PetActivity::cuddling:
            return "cuddling";
        case PetActivity::dragged:
            return "dragged";
        case PetActivity::perched:
            return "perched";
        case PetActivity::chasing:
            return "chasing";
        case PetActivity::searching:
            return "searching";
        case PetActivity::lookingFar:
            return "lookingFar";
        case PetActivity::waking:
            return "waking";
        case PetActivity::playing:
            return "playing";
        case PetActivity::focusing:
            return "focusing";
        case PetActivity::stretching:
            return "stretching";
        case PetActivity::drinking:
            return "drinking";
        case PetActivity::greeting:
            return "greeting";
        case PetActivity::highFiving:
            return "highFiving";
        case PetActivity::copycat:
            return "copycat";
        case PetActivity::eating:
            return "eating";
        case PetActivity::laughing:
            return "laughing";
        case PetActivity::crying:
            return "crying";
        case PetActivity::showingCount:
            return "showingCount";
    }
    return "";
}

std::string_view rawValue(PetActivityCategory v) {
    switch (v) {
        case PetActivityCategory::daily:
            return "daily";
        case PetActivityCategory::rest:
            return "rest";
        case PetActivityCategory::rhythm:
            return "rhythm";
        case PetActivityCategory::play:
            return "play";
    }
    return "";
}

std::string_view rawValue(PetActivityLevel v) {
    switch (v) {
        case PetActivityLevel::quiet:
            return "quiet";
        case PetActivityLevel::natural:
            return "natural";
        case PetActivityLevel::lively:
            return "lively";
    }
    return "";
}

std::string_view rawValue(PetHomePreference v) {
    switch (v) {
        case PetHomePreference::automatic:
            return "automatic";
        case PetHomePreference::notch:
            return "notch";
        case PetHomePreference::dock:
            return "dock";
    }
    return "";
}

std::string_view rawValue(HomeEdge v) {
    switch (v) {
        case HomeEdge::top:
            return "top";
        case HomeEdge::bottom:
            return "bottom";
        case HomeEdge::left:
            return "left";
        case HomeEdge::right:
            return "right";
    }
    return "";
}

std::string_view rawValue(DragStayDuration v) {
    switch (v) {
        case DragStayDuration::short_:
            return "short";
        case DragStayDuration::minute:
            return "minute";
        case DragStayDuration::untilCalledHome:
            return "untilCalledHome";
    }
    return "";
}

std::string_view rawValue(PetAccessory v) {
    switch (v) {
        case PetAccessory::none:
            return "none";
        case PetAccessory::starPin:
            return "starPin";
        case PetAccessory::scarf:
            return "scarf";
    }
    return "";
}

std::string_view rawValue(KeyboardReactionStyle v) {
    switch (v) {
        case KeyboardReactionStyle::bounce:
            return "bounce";
        case KeyboardReactionStyle::paws:
            return "paws";
        case KeyboardReactionStyle::fluff:
            return "fluff";
        case KeyboardReactionStyle::blink:
            return "blink";
        case KeyboardReactionStyle::tilt:
            return "tilt";
        case KeyboardReactionStyle::hop:
            return "hop";
        case KeyboardReactionStyle::showCount:
            return "showCount";
    }
    return "";
}

std::string_view rawValue(KeyboardMonitorState v) {
    switch (v) {
        case KeyboardMonitorState::disabled:
            return "disabled";
        case KeyboardMonitorState::permissionRequired:
            return "permissionRequired";
        case KeyboardMonitorState::listening:
            return "listening";
        case KeyboardMonitorState::failed:
            return "failed";
    }
    return "";
}

std::string_view rawValue(DesktopDemoTarget v) {
    switch (v) {
        case DesktopDemoTarget::first:
            return "first";
        case DesktopDemoTarget::second:
            return "second";
        case DesktopDemoTarget::both:
            return "both";
    }
    return "";
}

// Each title is passed to L10n::t as a literal so the key check of the tests can see it.
std::string title(PetActivity v) {
    switch (v) {
        case PetActivity::home:
            return L10n::t("在家");
        case PetActivity::idle:
            return L10n::t("呼吸");
        case PetActivity::peeking:
            return L10n::t("探头");
        case PetActivity::roaming:
            return L10n::t("漫游");
        case PetActivity::drowsy:
            return L10n::t("打盹");
        case PetActivity::sleeping:
            return L10n::t("睡觉");
        case PetActivity::dreaming:
            return L10n::t("做梦");
        case PetActivity::typing:
            return L10n::t("打字");
        case PetActivity::celebrating:
            return L10n::t("庆祝");
        case PetActivity::cuddling:
            return L10n::t("依偎");
        case PetActivity::dragged:
            return L10n::t("拎起");
        case PetActivity::perched:
            return L10n::t("落脚");
        case PetActivity::chasing:
            return L10n::t("追逐");
        case PetActivity::searching:
            return L10n::t("寻找");
        case PetActivity::lookingFar:
            return L10n::t("望远方");
        case PetActivity::waking:
            return L10n::t("叫醒");
        case PetActivity::playing:
            return L10n::t("玩耍");
        case PetActivity::focusing:
            return L10n::t("专注");
        case PetActivity::stretching:
            return L10n::t("伸懒腰");
        case PetActivity::drinking:
            return L10n::t("喝水");
        case PetActivity::greeting:
            return L10n::t("打招呼");
        case PetActivity::highFiving:
            return L10n::t("击掌");
        case PetActivity::copycat:
            return L10n::t("模仿");
        case PetActivity::eating:
            return L10n::t("吃饭");
        case PetActivity::laughing:
            return L10n::t("大笑");
        case PetActivity::crying:
            return L10n::t("掉眼泪");
        case PetActivity::showingCount:
            return L10n::t("举牌");
    }
    return {};
}

std::string_view symbol(PetActivity v) {
    switch (v) {
        case PetActivity::home:
            return "house.fill";
        case PetActivity::idle:
            return "wind";
        case PetActivity::peeking:
            return "eyes";
        case PetActivity::roaming:
            return "figure.walk";
        case PetActivity::drowsy:
            return "moon.zzz";
        case PetActivity::sleeping:
            return "bed.double.fill";
        case PetActivity::dreaming:
            return "cloud.moon.fill";
        case PetActivity::typing:
            return "keyboard.fill";
        case PetActivity::celebrating:
            return "sparkles";
        case PetActivity::cuddling:
            return "heart.fill";
        case PetActivity::dragged:
            return "hand.draw.fill";
        case PetActivity::perched:
            return "mappin.and.ellipse";
        case PetActivity::chasing:
            return "hare.fill";
        case PetActivity::searching:
            return "magnifyingglass";
        case PetActivity::lookingFar:
            return "eye";
        case PetActivity::waking:
            return "bell.fill";
        case PetActivity::playing:
            return "tennisball.fill";
        case PetActivity::focusing:
            return "scope";
        case PetActivity::stretching:
            return "figure.flexibility";
        case PetActivity::drinking:
            return "drop.fill";
        case PetActivity::greeting:
            return "hand.wave.fill";
        case PetActivity::highFiving:
            return "hands.clap.fill";
        case PetActivity::copycat:
            return "person.2.fill";
        case PetActivity::eating:
            return "fork.knife";
        case PetActivity::laughing:
            return "face.smiling.fill";
        case PetActivity::crying:
            return "drop.fill";
        case PetActivity::showingCount:
            return "number.square.fill";
    }
    return "";
}

std::string title(PetLifeScene v) {
    switch (v) {
        case PetLifeScene::eating:
            return L10n::t("找点吃的");
        case PetLifeScene::sleeping:
            return L10n::t("慢慢睡着");
        case PetLifeScene::laughing:
            return L10n::t("忍不住大笑");
        case PetLifeScene::crying:
            return L10n::t("小小委屈");
        case PetLifeScene::showingCount:
            return L10n::t("举起今日按键牌");
        case PetLifeScene::running:
            return L10n::t("蓄力奔跑");
    }
    return {};
}

std::string title(KeyboardReactionStyle v) {
    switch (v) {
        case KeyboardReactionStyle::bounce:
            return L10n::t("轻弹");
        case KeyboardReactionStyle::paws:
            return L10n::t("敲爪");
        case KeyboardReactionStyle::fluff:
            return L10n::t("抖毛");
        case KeyboardReactionStyle::blink:
            return L10n::t("眨眼");
        case KeyboardReactionStyle::tilt:
            return L10n::t("歪头");
        case KeyboardReactionStyle::hop:
            return L10n::t("小跳");
        case KeyboardReactionStyle::showCount:
            return L10n::t("举牌");
    }
    return {};
}

const KeyboardReactionSet& keyboardReactionDefaults() {
    static const KeyboardReactionSet defaults{KeyboardReactionStyle::bounce, KeyboardReactionStyle::paws,
                                              KeyboardReactionStyle::fluff, KeyboardReactionStyle::showCount};
    return defaults;
}

std::vector<std::string> sortedRawValues(const KeyboardReactionSet& styles) {
    std::vector<std::string> out;
    out.reserve(styles.size());
    for (auto s : styles) out.emplace_back(rawValue(s));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace model
